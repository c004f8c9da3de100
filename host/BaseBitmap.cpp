#include "BaseBitmap.h"

HstBitmap BaseBitmap::Handle() const { return reinterpret_cast<HstBitmap>(const_cast<BaseBitmap*>(this)); }

BaseBitmap* BaseBitmap::FromHandle(HstBitmap b) { return reinterpret_cast<BaseBitmap*>(b); }

BaseBitmap* BaseBitmap::Alloc() { return FromHandle(gC4DOS->bitmap->alloc()); }

void BaseBitmap::Free(BaseBitmap*& bm)
{
  if (!bm) return;
  gC4DOS->bitmap->free(bm->Handle());
  bm = nullptr;
}

BaseBitmap* BaseBitmap::GetClone() const { return FromHandle(gC4DOS->bitmap->clone(Handle())); }

Bool BaseBitmap::Init(Int32 width, Int32 height, Int32 bits)
{
  return gC4DOS->bitmap->init(Handle(), width, height, bits);
}

Int32 BaseBitmap::GetBw() const { return gC4DOS->bitmap->width(Handle()); }

Int32 BaseBitmap::GetBh() const { return gC4DOS->bitmap->height(Handle()); }

Bool BaseBitmap::GetLine(Int32 y, UChar* rgb) const { return gC4DOS->bitmap->get_line(Handle(), y, rgb); }

Bool BaseBitmap::SetLine(Int32 y, const UChar* rgb, Int32 bits)
{
  return gC4DOS->bitmap->set_line(Handle(), y, rgb, bits);
}
