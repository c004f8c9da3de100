// The render of a document's frames with the video posts of its active render settings:
// the Render object they are handed (the settings and the output buffers) and the order of
// their calls around each frame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/core/Document.h"
#include "app/core/MultipassBitmap.h"
#include "app/core/RenderCall.h"
#include "app/render/Renderer.h"

namespace lensara {

struct FrameRenderOptions {
  int threads = 0;                      // 0: every core
  int32_t flags = 1;                    // of the call record; bit 0: a final render, with pass layers
  BreakTest* breakTest = nullptr;       // the render thread's break test
  ProgressDisplay* progress = nullptr;  // the progress display the renderer and video posts show on
  std::vector<float>* distances = nullptr;  // when set, each frame's camera distances (RenderJob)
};

// A video post that answered a render call with a non-zero code.
struct VideoPostFailure {
  std::string effect;  // the video post's name
  int32_t stage = 0;
  int32_t code = 0;
};

// Video posts are called in the order of their list, both when a stage opens and when it
// closes. Every call of a render goes to the nodes of doc's own active render settings, so an
// effect keeps its state from frame to frame; the call record names the frame's document.
class FrameRender {
public:
  // Opens stage 1 (the frame sequence) on every video post.
  FrameRender(Document& doc, FrameRenderOptions options);
  // Closes stage 1.
  ~FrameRender();
  FrameRender(const FrameRender&) = delete;
  FrameRender& operator=(const FrameRender&) = delete;

  // Renders doc at time into image: doc's video posts, which every call goes to, take their
  // tracks' values at time when it differs from the time they last took (doc's at first),
  // as a document's nodes do when its time changes; a clone of doc set to time; every video post's
  // AllocateBuffers; stages 2 (frame), 3 (sub-frame) and 4 (render) open; stage 5 (inner)
  // opens, the renderer computes the pixels and pass layers, the requested buffers join image
  // as layers, stage 5 closes (the video posts' post effects run); then stages 4, 3 and 2 close.
  // Answers the renderer's result; the video posts that failed are in Failures().
  RenderResult RenderFrame(double time, MultipassBitmap& image);
  // The video posts that failed in the last frame.
  const std::vector<VideoPostFailure>& Failures() const { return failures; }

  // The Render object of the function table: the settings being rendered, a video post's
  // buffer requests (HST_BUFFER_... codes) and the buffers of the frame being rendered.
  Container* Settings() const;
  int32_t AllocateBuffer(int32_t type, int32_t subId, int32_t bits, bool visible);
  Layer* Buffer(int32_t type, int32_t subId) const;
  // The render's thread limit (0: every core), which the function table's parallel loops keep too.
  int Threads() const { return options.threads; }
  // The render whose video posts run on the calling thread, null outside their calls: the
  // renders they ask for through the function table keep its thread limit.
  static const FrameRender* Running();
  HstRender Handle() { return reinterpret_cast<HstRender>(this); }
  static FrameRender* FromHandle(HstRender r) { return reinterpret_cast<FrameRender*>(r); }

private:
  struct BufferRequest {
    int32_t type, subId, bits;
    bool visible;
    Layer* layer;  // in the frame's image, once the pixels are done
  };

  // Calls Execute on every video post with the stage and the current frame.
  void Execute(int32_t stage, bool open);
  void AddBuffers(MultipassBitmap& image);

  Document& doc;
  FrameRenderOptions options;
  std::vector<Node*> videoPosts;
  Document* frameDoc;                // the document of the current frame (doc outside frames)
  MultipassBitmap* image = nullptr;  // the frame's image while stage 5 closes and stage 4 closes
  double time = 0.0;
  double postsTime = 0.0;            // the time the video posts' tracks were last evaluated at
  int32_t result = 0;                // the render's current result code
  std::vector<BufferRequest> requests;
  std::vector<VideoPostFailure> failures;
};

// Shown every render a plug-in asks for through the function table (RenderDocument), with
// the document and the bitmap it rendered into, while it lives: for outputs that let a user
// see why a pixel is blurred. One at a time.
class NestedRenderWatch {
public:
  using Observer = std::function<void(Document& doc, Bitmap& bitmap)>;
  explicit NestedRenderWatch(Observer observer);
  ~NestedRenderWatch();
  NestedRenderWatch(const NestedRenderWatch&) = delete;
  NestedRenderWatch& operator=(const NestedRenderWatch&) = delete;

  // Called by RenderDocument after a render that succeeded.
  static void Notify(Document& doc, Bitmap& bitmap);
};

}  // namespace lensara
