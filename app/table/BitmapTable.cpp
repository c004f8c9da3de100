// The bitmap section (BaseBitmap): 8-bit RGB images, read and written row by row.
#include <cstring>

#include "Sections.h"
#include "TableHandles.h"

namespace lensara {

namespace {

HstBitmap BitmapAlloc()
{
  Bitmap* bitmap = NewHostObject<Bitmap>();
  return bitmap ? bitmap->Handle() : nullptr;
}
void BitmapFree(HstBitmap b)
{
  if (!IsOwnedLayer(b)) delete B(b);
}
HstBool BitmapInit(HstBitmap b, int32_t width, int32_t height, int32_t bits)
{
  return b && !IsOwnedLayer(b) && B(b)->Init(width, height, bits);
}
int32_t BitmapWidth(HstBitmap b) { return b ? B(b)->Width() : 0; }
int32_t BitmapHeight(HstBitmap b) { return b ? B(b)->Height() : 0; }
bool HasRow(HstBitmap b, int32_t y) { return b && y >= 0 && y < B(b)->Height(); }
std::size_t RowBytes(HstBitmap b) { return static_cast<std::size_t>(B(b)->Width()) * 3; }
HstBool BitmapGetLine(HstBitmap b, int32_t y, uint8_t* rgb)
{
  if (!HasRow(b, y) || !rgb) return false;
  if (RowBytes(b) > 0) std::memcpy(rgb, B(b)->Row(y), RowBytes(b));
  return true;
}
HstBool BitmapSetLine(HstBitmap b, int32_t y, const uint8_t* rgb, int32_t bits)
{
  if (!HasRow(b, y) || !rgb || bits != 24) return false;
  if (RowBytes(b) > 0) std::memcpy(B(b)->Row(y), rgb, RowBytes(b));
  return true;
}
HstBitmap BitmapClone(HstBitmap b)
{
  if (!b || !MayAllocate()) return nullptr;
  return Guarded([b] { return (new Bitmap(*B(b)))->Handle(); }, HstBitmap{});
}

HstBitmapTable MakeBitmapSection()
{
  HstBitmapTable t{};
  t.size = sizeof t;
  t.alloc = BitmapAlloc;
  t.free = BitmapFree;
  t.init = BitmapInit;
  t.width = BitmapWidth;
  t.height = BitmapHeight;
  t.get_line = BitmapGetLine;
  t.set_line = BitmapSetLine;
  t.clone = BitmapClone;
  return t;
}

}  // namespace

const HstBitmapTable* BitmapSection()
{
  static const HstBitmapTable section = MakeBitmapSection();
  return &section;
}

}  // namespace lensara
