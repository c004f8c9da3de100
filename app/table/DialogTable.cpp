// The dialog section: plug-in windows and their user areas, over the host's Dialog and
// UserArea records.
#include "Sections.h"
#include "TableHandles.h"
#include "app/dialog/Dialog.h"
#include "app/dialog/UserArea.h"

namespace lensara {

namespace {

Dialog* D(HstDialog d) { return Dialog::FromHandle(d); }
UserArea* A(HstUserArea a) { return UserArea::FromHandle(a); }
const char* Text(const char* utf8) { return utf8 ? utf8 : ""; }
HstGadget GadgetHandle(const Gadget* g) { return g ? reinterpret_cast<HstGadget>(static_cast<uintptr_t>(g->serial)) : nullptr; }

HstDialog DialogAlloc(const HstDialogCallbacks* callbacks, HstPluginDialog self)
{
  if (!callbacks || callbacks->size < sizeof *callbacks || !MayAllocate()) return nullptr;
  return Guarded([&] { return (new Dialog(*callbacks, self))->Handle(); }, HstDialog{});
}
void DialogFree(HstDialog d) { delete D(d); }
HstBool DialogOpen(HstDialog d, int32_t type, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height,
                   int32_t subid)
{
  return d && Guarded([&] { return D(d)->Open(type, id, x, y, width, height, subid); }, false);
}
HstBool DialogClose(HstDialog d) { return d && D(d)->Close(); }
HstBool DialogIsOpen(HstDialog d) { return d && D(d)->IsOpen(); }

HstBool SetTitle(HstDialog d, const char* utf8)
{
  return d && Guarded([&] { return D(d)->SetTitle(Text(utf8)); }, false);
}
HstBool GroupBegin(HstDialog d, int32_t id, int32_t flags, int32_t columns, int32_t, const char*, int32_t)
{
  return d && Guarded([&] { return D(d)->BeginGroup(id, flags, columns); }, false);
}
HstBool GroupBorderNoTitle(HstDialog d, int32_t border) { return d && D(d)->SetBorder(border); }
HstBool GroupEnd(HstDialog d) { return d && D(d)->EndGroup(); }
HstGadget AddUserArea(HstDialog d, int32_t id, int32_t flags, int32_t minwidth, int32_t minheight)
{
  if (!d) return nullptr;
  return Guarded([&] { return GadgetHandle(D(d)->Add(Gadget::Kind::UserArea, id, flags, {minwidth, minheight})); },
                 HstGadget{});
}
HstGadget AddStaticText(HstDialog d, int32_t id, int32_t flags, int32_t minwidth, int32_t minheight, const char* utf8,
                        int32_t)
{
  if (!d) return nullptr;
  return Guarded(
      [&] { return GadgetHandle(D(d)->Add(Gadget::Kind::StaticText, id, flags, {minwidth, minheight}, Text(utf8))); },
      HstGadget{});
}
HstBool AttachUserArea(HstDialog d, HstUserArea area, int32_t id, int32_t)
{
  Gadget* gadget = d && area ? D(d)->FindUserArea(id) : nullptr;
  if (gadget) A(area)->Attach(*gadget);
  return gadget != nullptr;
}
HstBool SetString(HstDialog d, HstGadget g, const char* utf8)
{
  Gadget* gadget = d && g ? D(d)->FindText(reinterpret_cast<uintptr_t>(g)) : nullptr;
  return gadget && Guarded([&] { return (gadget->text = Text(utf8), true); }, false);
}

HstUserArea AreaAlloc(const HstUserAreaCallbacks* callbacks, HstPluginUserArea self)
{
  if (!callbacks || callbacks->size < sizeof *callbacks || !MayAllocate()) return nullptr;
  return Guarded([&] { return (new UserArea(*callbacks, self))->Handle(); }, HstUserArea{});
}
void AreaFree(HstUserArea a) { delete A(a); }
HstBool AreaRedraw(HstUserArea a, HstBool) { return a && A(a)->Attached(); }

// The canvas of the area's draw under way; null outside one.
Canvas* Drawing(HstUserArea a) { return a ? A(a)->Drawing() : nullptr; }

HstBool AreaOffScreenOn(HstUserArea a) { return Drawing(a) != nullptr; }
HstBool AreaSetClippingRegion(HstUserArea a, int32_t x, int32_t y, int32_t width, int32_t height)
{
  Canvas* canvas = Drawing(a);
  if (canvas) canvas->Clip({x, y, width, height});
  return canvas != nullptr;
}
HstBool AreaDrawBackground(HstUserArea a, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  Canvas* canvas = Drawing(a);
  if (canvas) canvas->Fill({x1, y1, x2 - x1 + 1, y2 - y1 + 1}, kBackground);
  return canvas != nullptr;
}
HstBool AreaDrawBitmap(HstUserArea a, HstBitmap bitmap, int32_t wx, int32_t wy, int32_t ww, int32_t wh, int32_t x,
                       int32_t y, int32_t w, int32_t h, int32_t mode)
{
  Canvas* canvas = Drawing(a);
  if (!canvas || !bitmap || mode != 0) return false;
  canvas->Blit(*Bitmap::FromHandle(bitmap), {wx, wy, ww, wh}, {x, y, w, h});
  return true;
}

HstDialogTable MakeDialogSection()
{
  HstDialogTable t{};
  t.size = sizeof t;
  t.alloc = DialogAlloc;
  t.free = DialogFree;
  t.open = DialogOpen;
  t.close = DialogClose;
  t.is_open = DialogIsOpen;
  t.set_title = SetTitle;
  t.group_begin = GroupBegin;
  t.group_border_no_title = GroupBorderNoTitle;
  t.group_end = GroupEnd;
  t.add_user_area = AddUserArea;
  t.add_static_text = AddStaticText;
  t.attach_user_area = AttachUserArea;
  t.set_string = SetString;
  t.area_alloc = AreaAlloc;
  t.area_free = AreaFree;
  t.area_redraw = AreaRedraw;
  t.area_off_screen_on = AreaOffScreenOn;
  t.area_set_clipping_region = AreaSetClippingRegion;
  t.area_draw_background = AreaDrawBackground;
  t.area_draw_bitmap = AreaDrawBitmap;
  return t;
}

}  // namespace

const HstDialogTable* DialogSection()
{
  static const HstDialogTable section = MakeDialogSection();
  return &section;
}

}  // namespace lensara
