#include "GeUserArea.h"

namespace {

GeUserArea* Area(HstPluginUserArea self) { return reinterpret_cast<GeUserArea*>(self); }

HstBool Init(HstPluginUserArea self)
{
  GeUserArea* area = Area(self);
  return area->Init() && area->InitValues();
}

HstBool GetMinSize(HstPluginUserArea self, int32_t* width, int32_t* height)
{
  Int32 w = 0, h = 0;
  Bool asked = Area(self)->GetMinSize(w, h);
  *width = asked ? w : 0;
  *height = asked ? h : 0;
  return asked;
}

void Sized(HstPluginUserArea self, int32_t width, int32_t height) { Area(self)->Sized(width, height); }

void DrawMsg(HstPluginUserArea self, int32_t x1, int32_t y1, int32_t x2, int32_t y2, HstContainer msg)
{
  Area(self)->DrawMsg(x1, y1, x2, y2, *BaseContainer::FromHandle(msg));
}

const HstUserAreaCallbacks kCallbacks = {sizeof(HstUserAreaCallbacks), Init, GetMinSize, Sized, DrawMsg};

}  // namespace

GeUserArea::GeUserArea() : handle(gC4DOS->dialog->area_alloc(&kCallbacks, reinterpret_cast<HstPluginUserArea>(this)))
{
}

GeUserArea::~GeUserArea() { gC4DOS->dialog->area_free(handle); }

Bool GeUserArea::Init() { return true; }

Bool GeUserArea::InitValues() { return true; }

Bool GeUserArea::GetMinSize(Int32&, Int32&) { return false; }

void GeUserArea::Sized(Int32, Int32) {}

void GeUserArea::DrawMsg(Int32 x1, Int32 y1, Int32 x2, Int32 y2, const BaseContainer&) { Draw(x1, y1, x2, y2); }

void GeUserArea::Draw(Int32 x1, Int32 y1, Int32 x2, Int32 y2)
{
  gC4DOS->dialog->area_draw_background(handle, x1, y1, x2, y2);
}

Bool GeUserArea::InputEvent(const BaseContainer&) { return false; }

Bool GeUserArea::CoreMessage(Int32, const BaseContainer&) { return true; }

void GeUserArea::Timer(const BaseContainer&) {}

Int32 GeUserArea::Message(const BaseContainer&, BaseContainer&) { return 0; }

void GeUserArea::Redraw(Bool threaded) { gC4DOS->dialog->area_redraw(handle, threaded); }

Bool GeUserArea::OffScreenOn() { return gC4DOS->dialog->area_off_screen_on(handle); }

void GeUserArea::SetClippingRegion(Int32 x, Int32 y, Int32 w, Int32 h)
{
  gC4DOS->dialog->area_set_clipping_region(handle, x, y, w, h);
}

void GeUserArea::DrawBitmap(BaseBitmap* bm, Int32 wx, Int32 wy, Int32 ww, Int32 wh, Int32 x, Int32 y, Int32 w, Int32 h,
                            Int32 mode)
{
  gC4DOS->dialog->area_draw_bitmap(handle, bm ? bm->Handle() : nullptr, wx, wy, ww, wh, x, y, w, h, mode);
}
