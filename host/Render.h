// Render: the render that calls a video post, with its settings and output buffers.
// VPBuffer: one output buffer, a layer of the frame's image. Both are host handles owned by
// the host; a video post only writes rows and names into buffers.
#pragma once

#include "BaseContainer.h"
#include "MultipassBitmap.h"
#include "Types.h"

// A buffer: its rows are written like any bitmap's (FastBitmap::CopyTo), its layer name
// set with SetParameter(MPBTYPE_NAME). Buffer 1 / 0 is the frame's image, whose layers
// FindUserLayer finds.
class VPBuffer : public MultipassBitmap {
public:
  static VPBuffer* FromHandle(HstBitmap b) { return static_cast<VPBuffer*>(MultipassBitmap::FromHandle(b)); }

  VPBuffer() = delete;
  ~VPBuffer() = delete;
};

class Render {
public:
  // The render settings being rendered (keys/RenderDataKeys.h); owned by the render.
  BaseContainer* GetRenderData() const;
  // Asks for buffer type / subId in the frames to come, at bits per channel, visible or
  // not. Answers 0, or non-zero when the host refuses.
  Int32 AllocateBuffer(Int32 type, Int32 subId, Int32 bits, Bool visible);
  // The buffer of the frame being rendered; null when it was never asked for.
  VPBuffer* GetBuffer(Int32 type, Int32 subId) const;

  HstRender Handle() const;
  static Render* FromHandle(HstRender r) { return reinterpret_cast<Render*>(r); }

  Render() = delete;
  ~Render() = delete;
};
