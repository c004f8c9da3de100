// Dilate: the window maximum of a grey map, repeated.
#include <algorithm>
#include <utility>

#include "ColumnSweep.h"
#include "EdgeIndex.h"
#include "Filters.h"
#include "ImageBuffer.h"
#include "Scratch.h"

namespace filters {

namespace {

// The radius beyond which a window along a line of n samples reaches no further sample: at
// n - 1 every window already covers the whole line, and positions beyond it only read
// samples of the line again. The maximum over the window is the same for both radii.
std::int32_t ReachableRadius(std::int32_t radius, std::int32_t n) { return std::min(radius, std::max(n - 1, 0)); }

// One pass over columns x0 .. x1 - 1. The square's maximum is the maximum over its rows of
// each row's maximum, so every column first takes the row maxima (rowMax, one per row).
void DilateColumns(const std::uint8_t* in, std::uint8_t* out, std::int32_t width, std::int32_t height,
                   std::int32_t radius, std::uint8_t* rowMax, std::int32_t x0, std::int32_t x1)
{
  const std::int32_t across = ReachableRadius(radius, width), down = ReachableRadius(radius, height);
  for (std::int32_t x = x0; x < x1; ++x) {
    for (std::int32_t y = 0; y < height; ++y) {
      const std::uint8_t* row = in + std::ptrdiff_t(y) * width * 3;
      std::uint8_t m = row[x * 3];
      for (std::int32_t dx = -across; dx <= across; ++dx)
        m = std::max(m, row[EdgeIndex(std::int64_t(x) + dx, width) * 3]);
      rowMax[y] = m;
    }
    for (std::int32_t y = 0; y < height; ++y) {
      std::uint8_t m = rowMax[y];
      for (std::int32_t dy = -down; dy <= down; ++dy) m = std::max(m, rowMax[EdgeIndex(std::int64_t(y) + dy, height)]);
      std::uint8_t* o = out + (std::ptrdiff_t(y) * width + x) * 3;
      o[0] = o[1] = o[2] = m;
    }
  }
}

}  // namespace

bool Dilate(ImageView source, ImageView target, ImageView, const Parameters& parameters, const Context& context)
{
  ImageBuffer work(source);
  if (!work.View().data || !target.data || !SameSize(target, source)) return false;
  std::int32_t width = target.width;
  std::int32_t height = target.height;
  Scratch<std::uint8_t> rowMax(height);
  if (!rowMax.Get()) return false;
  std::int32_t radius = std::max(parameters.radius, 0);
  const ColumnProgress progress{0.0, 1.0};
  std::uint8_t* in = work.View().data;
  std::uint8_t* out = target.data;
  // A stop ends the passes (the first asks at its columns): each would return at once.
  for (std::int32_t pass = 0; pass < parameters.passes && (pass == 0 || !StopAsked(context)); ++pass) {
    SweepColumns(context, width, 1, &progress, [&](std::int32_t x0, std::int32_t x1) {
      DilateColumns(in, out, width, height, radius, rowMax.Get(), x0, x1);
    });
    std::swap(in, out);
  }
  if (parameters.passes > 0 && parameters.passes % 2 == 0) work.CopyTo(target);
  return true;
}

}  // namespace filters
