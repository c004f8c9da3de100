// A render's frames rendered and written as files, as the render command writes them: shared
// by the command line and the editor's "Render frames".
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/core/Document.h"
#include "app/core/RenderCall.h"
#include "app/session/FrameList.h"

namespace lensara {

struct RenderOptions {
  std::filesystem::path scene;        // empty: the bundled demo
  std::filesystem::path output = "."; // the folder the pictures go into
  std::vector<FrameRange> frames;     // in order; none: the document's own time, without frame numbers
  std::optional<FrameChunk> chunk;    // only this part of the frames
  bool skipExisting = false;          // leave out the frames whose files are complete
  int threads = 0;                    // 0: every core
  bool layers = false;                // also each layer as a PNG of its own
  bool depthPass = false;             // image.exr also holds Z: each pixel's camera distance
  std::vector<std::string> sets;      // NAME=VALUE: an effect parameter or a render setting
  std::filesystem::path depthScene;   // where the document of every nested render is saved
  std::filesystem::path depthLayers;  // the folder the layers of every nested render go into
};

enum class RenderStatus {
  Done,
  EffectsFailed,  // every frame written, but a video post failed on one (warned about)
  Stopped         // breakTest stopped it; the frame under way was not written
};

// The frames the document's tracks key, from the earliest key of any track to the latest,
// rounded out to whole frames; 0 to 0 without tracks. (The render settings hold no frame
// range of their own.)
FrameRange AnimatedFrames(Document& doc);

// Checks the frame ranges and the chunk (UsageError when a range ends before it starts), makes the output
// folders and checks that the files can be written there (Error naming the file): before
// any scene is read.
void PrepareFrameOutputs(const RenderOptions& options);

// A file name from a layer name: lower-case letters and digits, every other run of
// characters one '-' ("Lensara Depth" -> "lensara-depth"); "layer" when nothing is left.
std::string FileNameOf(const std::string& layerName);

// Renders doc frame by frame with the video posts of its active render settings
// (FrameRender: final renders, flag bit 0) and writes, per frame, output/image.png (the
// final image), output/image.exr (the image as R, G, B and every visible layer as
// "<layer name>.R/.G/.B", 32-bit floats v / 255; with depthPass also Z, each pixel's
// distance from the camera as CameraDistances gives it), each visible post-effect buffer (type 111)
// as a PNG named after its layer ("Lensara Depth" -> lensara-depth.png) and, with layers,
// every other visible layer too. Frame ranges add the frame number: image.0005.png; each
// frame's progress text names it and its place ("Rendering frame 12 (3 of 48)"). The time
// of frame f is f / fps, at which the frame's copy of the document evaluates its tracks.
// Files are written under a temporary name and renamed; after a frame's last file, a hidden
// record of them (.image.0005.complete), by which skipExisting tells a complete frame. A
// chunk renders only its part of the frames. Failed video posts ("Lensara failed on frame 5
// (code 1)") and a line per frame ("Rendered frame 5 in 0.61 s", "Skipped frame 6: its
// files are complete") go to messages. Throws Error naming options.scene and the problem
// when a frame cannot be rendered or written.
RenderStatus RenderFrames(Document& doc, const RenderOptions& options, BreakTest* breakTest, ProgressDisplay* progress,
                          std::ostream& messages);

}  // namespace lensara
