// The function table's bitmap and render call sections.
#include <cstring>
#include <string>

#include "Bitmap.h"
#include "FunctionTable.h"
#include "RenderCall.h"
#include "StringHandles.h"
#include "Value.h"

namespace lensara {

namespace {

Bitmap* B(HstBitmap b) { return Bitmap::FromHandle(b); }

// --- bitmaps

HstBitmap BitmapAlloc()
{
  Bitmap* bitmap = NewHostObject<Bitmap>();
  return bitmap ? bitmap->Handle() : nullptr;
}
void BitmapFree(HstBitmap b) { delete B(b); }
HstBool BitmapInit(HstBitmap b, int32_t width, int32_t height, int32_t bits)
{
  return b && MayAllocate() && B(b)->Init(width, height, bits);
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

// --- render calls

HstBool TestBreak(HstThread t) { return t && reinterpret_cast<BreakTest*>(t)->Stop(); }
void SetProgressText(HstProgress p, const char* utf8)
{
  if (p) reinterpret_cast<ProgressDisplay*>(p)->SetText(utf8 ? utf8 : "");
}
void SetProgressValue(HstProgress p, double fraction)
{
  if (p) reinterpret_cast<ProgressDisplay*>(p)->SetValue(fraction);
}
HstBool FormatNumber(HstData value, int32_t format, int32_t, HstBool, HstString out)
{
  if (!out) return format == HST_FORMAT_LONG;
  std::string& text = FromHandle(out)->text;
  text.clear();
  if (format != HST_FORMAT_LONG) return false;
  int32_t number = value ? reinterpret_cast<Value*>(value)->ToLong() : 0;
  return Guarded([&] { return (text = std::to_string(number), HstBool{true}); }, HstBool{false});
}

}  // namespace

const HstBitmapTable kBitmapTable = {BitmapAlloc,  BitmapFree,    BitmapInit,    BitmapWidth,
                                     BitmapHeight, BitmapGetLine, BitmapSetLine, BitmapClone};

const HstRenderCallTable kRenderCallTable = {TestBreak, SetProgressText, SetProgressValue, FormatNumber};

}  // namespace lensara
