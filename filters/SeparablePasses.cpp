#include "SeparablePasses.h"

#include <cstddef>
#include <cstring>

#include "ColumnSweep.h"
#include "ImageBuffer.h"

namespace filters {

namespace {

// Columns x0 .. width - 1 of every row of from into to.
void CopyColumns(const std::uint8_t* from, std::uint8_t* to, std::int32_t width, std::int32_t height, std::int32_t x0)
{
  for (std::int32_t y = 0; y < height; ++y) {
    std::ptrdiff_t at = (std::ptrdiff_t(y) * width + x0) * 3;
    std::memcpy(to + at, from + at, std::size_t(width - x0) * 3);
  }
}

}  // namespace

bool RunPasses(SeparablePasses& passes, ImageView source, ImageView target, const Context& context, double passShare)
{
  ImageBuffer copy(source.data == target.data ? source : ImageView{});
  const std::uint8_t* original = source.data == target.data ? copy.View().data : source.data;
  if (!original) return false;
  std::int32_t width = target.width;
  std::uint8_t* image = target.data;
  ColumnProgress first{0.0, passShare};
  ColumnProgress second{1.0 - 1.0 / passShare, passShare};
  SweepColumns(context, width, passes.HorizontalBlock(), &first,
               [&](std::int32_t x0, std::int32_t x1) { passes.Horizontal(original, image, x0, x1); });
  std::int32_t done = SweepColumns(context, width, passes.VerticalBlock(), &second,
                                   [&](std::int32_t x0, std::int32_t x1) { passes.Vertical(image, x0, x1); });
  if (done < width) CopyColumns(original, image, width, target.height, done);
  return true;
}

bool CanBlur(ImageView source, ImageView target, ImageView map)
{
  return source.data && target.data && map.data && SameSize(target, source) && SameSize(target, map);
}

void CopyBlock(const std::uint8_t* image, std::int32_t width, std::int32_t height, std::int32_t x0, std::int32_t bytes,
               std::uint8_t* strip)
{
  for (std::int32_t y = 0; y < height; ++y)
    std::memcpy(strip + std::ptrdiff_t(y) * bytes, image + (std::ptrdiff_t(y) * width + x0) * 3, bytes);
}

}  // namespace filters
