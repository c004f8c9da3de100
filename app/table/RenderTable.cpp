// The render section: the Render object of a frame render (FrameRender).
#include "Sections.h"
#include "TableHandles.h"
#include "app/render/FrameRender.h"

namespace lensara {

namespace {

FrameRender* R(HstRender r) { return FrameRender::FromHandle(r); }

HstContainer RenderGetRenderData(HstRender r) { return r ? ToHandle(R(r)->Settings()) : nullptr; }

int32_t RenderAllocateBuffer(HstRender r, int32_t type, int32_t subId, int32_t bits, HstBool visible)
{
  return r ? R(r)->AllocateBuffer(type, subId, bits, visible != 0) : int32_t{HST_BUFFER_REFUSED};
}

HstBitmap RenderGetBuffer(HstRender r, int32_t type, int32_t subId)
{
  Layer* buffer = r ? R(r)->Buffer(type, subId) : nullptr;
  return buffer ? buffer->Handle() : nullptr;
}

HstRenderTable MakeRenderSection()
{
  HstRenderTable t{};
  t.size = sizeof t;
  t.get_render_data = RenderGetRenderData;
  t.allocate_buffer = RenderAllocateBuffer;
  t.get_buffer = RenderGetBuffer;
  return t;
}

}  // namespace

const HstRenderTable* RenderSection()
{
  static const HstRenderTable section = MakeRenderSection();
  return &section;
}

}  // namespace lensara
