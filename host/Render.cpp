#include "Render.h"

BaseContainer* Render::GetRenderData() const { return BaseContainer::FromHandle(gC4DOS->render->get_render_data(Handle())); }

Int32 Render::AllocateBuffer(Int32 type, Int32 subId, Int32 bits, Bool visible)
{
  return gC4DOS->render->allocate_buffer(Handle(), type, subId, bits, visible);
}

VPBuffer* Render::GetBuffer(Int32 type, Int32 subId) const
{
  return VPBuffer::FromHandle(gC4DOS->render->get_buffer(Handle(), type, subId));
}

HstRender Render::Handle() const { return reinterpret_cast<HstRender>(const_cast<Render*>(this)); }
