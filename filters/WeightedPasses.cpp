// The weighted blurs' passes: rows converted into planes of doubles, then blurred by the
// weighted sums, along the rows and down a sliding window of rows.
#include <algorithm>
#include <cstring>

#include "EdgeIndex.h"
#include "Lanes.h"
#include "Scratch.h"
#include "SeparableBlur.h"
#include "SeparablePasses.h"

namespace filters {

namespace {

// Columns per block. A pass asks the break test for every column of a block and then
// works through the block row by row (kColumnBlock: the vertical pass's blocks).
constexpr std::int32_t kRowBlock = 256;

class WeightedPasses : public SeparablePasses {
public:
  WeightedPasses(const BlurKernel& kernel, ImageView map, bool depthTest)
      : kernel(kernel), map(map.data), width(map.width), height(map.height), radius(kernel.GetRadius()),
        depthTest(depthTest), windowRows(std::min<std::int64_t>(height, kSpareRows) + 2 * std::int64_t(radius)),
        length(RoundToGroups(std::max<std::int64_t>(
            std::min(kRowBlock, width) + 2 * std::int64_t(radius) + kGroupPixels, windowRows * kWindowStride))),
        samples(length * 3), values(length), slots(std::int64_t(kernel.SlotCount()) * kLanes * kGroups)
  {
  }

  bool Ready() const { return samples.Get() && values.Get() && slots.Get(); }
  std::int32_t HorizontalBlock() const override { return kRowBlock; }
  std::int32_t VerticalBlock() const override { return kColumnBlock; }

  void Horizontal(const std::uint8_t* in, std::uint8_t* out, std::int32_t x0, std::int32_t x1) override
  {
    std::int32_t count = x1 - x0;
    for (std::int32_t y = 0; y < height; ++y) {
      ConvertRow(in, map, width, height, y, std::int64_t(x0) - radius, count + 2 * radius, RoundToGroups(count) - count,
                 GetPlanes());
      BlurPixelsInto(kernel, GetPlanes().At(radius), false, depthTest, count, Slots(),
                     out + (std::ptrdiff_t(y) * width + x0) * 3);
    }
  }

  // Row y of the result needs image rows y - radius .. y + radius; the window holds image
  // rows first .. first + windowRows - 1 of the block, row i at (i - first) x kWindowStride.
  // Results go into the image row by row, each after the last row it needs is converted;
  // rows past the bottom reflect rows that may already hold results, so they are copied
  // from the window, which still holds those rows as they were.
  void Vertical(std::uint8_t* image, std::int32_t x0, std::int32_t x1) override
  {
    std::int32_t lanes = x1 - x0;
    std::int64_t first = -radius;
    for (std::int64_t i = first; i < radius; ++i)
      ConvertBlockRow(image, map, width, height, i, x0, lanes, GetPlanes(), (i - first) * kWindowStride);
    for (std::int32_t y = 0; y < height; ++y) {
      std::int64_t last = std::int64_t(y) + radius;
      if (last - first >= windowRows) first = SlideWindow(first, y - std::int64_t(radius));
      if (last < height)
        ConvertBlockRow(image, map, width, height, last, x0, lanes, GetPlanes(), (last - first) * kWindowStride);
      else
        CopyWindowRow(EdgeIndex(last, height) - first, last - first);
      Planes centre = GetPlanes().At((y - first) * kWindowStride);
      BlurPixelsInto(kernel, centre, true, depthTest, lanes, Slots(),
                     image + (std::ptrdiff_t(y) * width + x0) * 3);
    }
  }

private:
  // Moves the window's rows from image row to on to its start; returns the new first row.
  std::int64_t SlideWindow(std::int64_t first, std::int64_t to)
  {
    MoveWindowRows(to - first, 0, first + windowRows - to);
    return to;
  }

  void CopyWindowRow(std::int64_t from, std::int64_t to) { MoveWindowRows(from, to, 1); }

  // rows rows of the window from row from on to row to on.
  void MoveWindowRows(std::int64_t from, std::int64_t to, std::int64_t rows)
  {
    Planes planes = GetPlanes();
    std::ptrdiff_t at = from * kWindowStride, into = to * kWindowStride, count = rows * kWindowStride;
    for (double* colour : planes.colour) std::memmove(colour + into, colour + at, count * sizeof(double));
    std::memmove(planes.map + into, planes.map + at, count * sizeof(std::int32_t));
  }

  Planes GetPlanes() const
  {
    double* s = samples.Get();
    return {{s, s + length, s + 2 * length}, values.Get()};
  }
  SumVector* Slots() const { return reinterpret_cast<SumVector*>(slots.Get()); }

  const BlurKernel& kernel;
  const std::uint8_t* map;
  std::int32_t width, height, radius;
  bool depthTest;
  std::int64_t windowRows; // rows of the vertical pass's window
  std::int64_t length;     // samples per plane, whole vectors
  Scratch<double> samples; // three colour planes
  Scratch<std::int32_t> values;   // the map plane
  Scratch<double> slots;   // the kernel's slots of one vector of lanes
};

}  // namespace

bool RunWeightedBlur(const BlurKernel& kernel, ImageView source, ImageView target, ImageView map, bool depthTest,
                     const Context& context, double passShare)
{
  if (!CanBlur(source, target, map)) return false;
  return RunPassesOf<WeightedPasses>(source, target, context, passShare, kernel, map, depthTest);
}

}  // namespace filters
