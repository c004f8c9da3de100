// The plain mean without the depth test as running integer sums of the bytes, along the
// rows and down the columns.
#include <algorithm>
#include <cstring>

#include "EdgeIndex.h"
#include "InstructionSets.h"
#include "Scratch.h"
#include "SeparableBlur.h"
#include "SeparablePasses.h"

namespace filters {

namespace {

// Columns per block: a pass asks the break test for every column of a block and then
// works through the block row by row.
constexpr std::int32_t kBoxRowBlock = 256;
constexpr std::int32_t kBoxColumnBlock = 128;

// floor(sum / window) for every sum, exactly: (sum + 0.5) / window lies at least
// 0.5 / window away from every integer, while the rounding of the multiplication moves it
// by at most 2 x 2^-24 x 256 in float (so float serves windows below 2^14) and far less
// in double.
constexpr std::int32_t kFloatWindowLimit = 1 << 14;

template <class Real>
LENSARA_INLINE void StoreQuotientsIn(const std::int32_t* sums, std::int32_t count, Real inverse, std::uint8_t* out)
{
  for (std::int32_t j = 0; j < count; ++j)
    out[j] = static_cast<std::uint8_t>(static_cast<std::int32_t>((static_cast<Real>(sums[j]) + Real(0.5)) * inverse));
}

LENSARA_CLONES void StoreQuotients(const std::int32_t* sums, std::int32_t count, std::int32_t window, std::uint8_t* out)
{
  if (window < kFloatWindowLimit)
    StoreQuotientsIn(sums, count, 1.0f / static_cast<float>(window), out);
  else
    StoreQuotientsIn(sums, count, 1.0 / static_cast<double>(window), out);
}

LENSARA_CLONES void AddBytes(std::int32_t* sums, const std::uint8_t* add, std::int32_t count, std::int32_t times)
{
  for (std::int32_t j = 0; j < count; ++j) sums[j] += add[j] * times;
}

LENSARA_CLONES void SlideBytes(std::int32_t* sums, const std::uint8_t* add, const std::uint8_t* remove,
                               std::int32_t count)
{
  for (std::int32_t j = 0; j < count; ++j) sums[j] += add[j] - remove[j];
}

// The window sums of count pixels of a segment that starts with the first pixel's window.
LENSARA_CLONES void RunningSums(const std::uint8_t* segment, std::int32_t count, std::int32_t window,
                                std::int32_t* sums)
{
  std::int32_t run[3] = {0, 0, 0};
  for (std::int32_t j = 0; j < window; ++j)
    for (int c = 0; c < 3; ++c) run[c] += segment[j * 3 + c];
  const std::uint8_t* add = segment + window * 3;
  for (std::int32_t i = 0; i < count * 3; i += 3)
    for (int c = 0; c < 3; ++c) {
      sums[i + c] = run[c];
      run[c] += add[i + c] - segment[i + c];
    }
}

// RunningSums for windows that reach beyond the reflected samples of the row: the first
// window's sum counts the samples it reads, each slide reads the two samples directly.
LENSARA_CLONES void FarRunningSums(const std::uint8_t* row, std::int32_t width, std::int64_t from, std::int32_t count,
                                   std::int32_t window, std::int32_t* sums)
{
  std::int32_t run[3] = {0, 0, 0};
  ForEachReadSample(from, from + window, width, [&](std::int32_t i, std::int64_t times) {
    for (int c = 0; c < 3; ++c) run[c] += row[i * 3 + c] * static_cast<std::int32_t>(times);
  });
  for (std::int32_t j = 0; j < count; ++j) {
    const std::uint8_t* add = row + EdgeIndex(from + window + j, width) * 3;
    const std::uint8_t* remove = row + EdgeIndex(from + j, width) * 3;
    for (int c = 0; c < 3; ++c) {
      sums[j * 3 + c] = run[c];
      run[c] += add[c] - remove[c];
    }
  }
}

class BoxPasses : public SeparablePasses {
public:
  BoxPasses(std::int32_t radius, std::int32_t width, std::int32_t height)
      : radius(radius), width(width), height(height), window(2 * radius + 1),
        segment(std::min(std::int64_t(std::min(kBoxRowBlock, width)) + 2 * std::int64_t(radius) + 1,
                         ReflectedSpan(width)) * 3),
        sums(std::int64_t(std::max(kBoxRowBlock, kBoxColumnBlock)) * 3),
        strip(std::int64_t(height) * kBoxColumnBlock * 3)
  {
  }

  bool Ready() const { return segment.Get() && sums.Get() && strip.Get(); }
  std::int32_t HorizontalBlock() const override { return kBoxRowBlock; }
  std::int32_t VerticalBlock() const override { return kBoxColumnBlock; }

  // Per row: the reflected segment, then its running sums, then the quotients. Windows
  // reaching further than the reflection read the row itself instead of a segment.
  void Horizontal(const std::uint8_t* in, std::uint8_t* out, std::int32_t x0, std::int32_t x1) override
  {
    std::int32_t count = x1 - x0;
    std::int64_t from = std::int64_t(x0) - radius;
    bool segmentFits = count + window <= ReflectedSpan(width);
    for (std::int32_t y = 0; y < height; ++y) {
      const std::uint8_t* row = in + std::ptrdiff_t(y) * width * 3;
      if (segmentFits) {
        FillSegment(row, from, count + window);
        RunningSums(segment.Get(), count, window, sums.Get());
      } else {
        FarRunningSums(row, width, from, count, window, sums.Get());
      }
      StoreQuotients(sums.Get(), count * 3, window, out + (std::ptrdiff_t(y) * width + x0) * 3);
    }
  }

  // Column sums of the block's bytes, carried down the rows. The rows are read from a copy
  // of the block, as the results overwrite them.
  void Vertical(std::uint8_t* image, std::int32_t x0, std::int32_t x1) override
  {
    std::int32_t bytes = (x1 - x0) * 3;
    CopyBlock(image, width, height, x0, bytes, strip.Get());
    std::int32_t* s = sums.Get();
    std::fill(s, s + bytes, 0);
    ForEachReadSample(-std::int64_t(radius), std::int64_t(radius) + 1, height,
                      [&](std::int32_t row, std::int64_t times) {
                        AddBytes(s, strip.Get() + std::ptrdiff_t(row) * bytes, bytes, static_cast<std::int32_t>(times));
                      });
    for (std::int32_t y = 0; y < height; ++y) {
      StoreQuotients(s, bytes, window, image + (std::ptrdiff_t(y) * width + x0) * 3);
      SlideBytes(s, StripRow(std::int64_t(y) + radius + 1, bytes), StripRow(std::int64_t(y) - radius, bytes), bytes);
    }
  }

private:
  // Row y of the copied block (bytes per row), reflected into the image.
  const std::uint8_t* StripRow(std::int64_t y, std::int32_t bytes) const
  {
    return strip.Get() + std::ptrdiff_t(EdgeIndex(y, height)) * bytes;
  }

  // Pixels from .. from + count - 1 of a row, reflected at its ends: the part inside the
  // row in one copy.
  void FillSegment(const std::uint8_t* row, std::int64_t from, std::int32_t count)
  {
    std::uint8_t* seg = segment.Get();
    std::int64_t inside = std::max<std::int64_t>(from, 0);
    std::int64_t end = std::min<std::int64_t>(from + count, width);
    for (std::int64_t j = from; j < std::min(inside, from + count); ++j) CopyPixel(row, j, seg + (j - from) * 3);
    if (end > inside) std::memcpy(seg + (inside - from) * 3, row + inside * 3, (end - inside) * 3);
    for (std::int64_t j = std::max(end, inside); j < from + count; ++j) CopyPixel(row, j, seg + (j - from) * 3);
  }

  void CopyPixel(const std::uint8_t* row, std::int64_t position, std::uint8_t* to) const
  {
    std::memcpy(to, row + EdgeIndex(position, width) * 3, 3);
  }

  std::int32_t radius, width, height, window;
  Scratch<std::uint8_t> segment;
  Scratch<std::int32_t> sums;
  Scratch<std::uint8_t> strip; // the vertical pass's block of columns
};

}  // namespace

bool RunBoxBlur(std::int32_t radius, ImageView source, ImageView target, ImageView map, const Context& context)
{
  if (!CanBlur(source, target, map)) return false;
  return RunPassesOf<BoxPasses>(source, target, context, 1.0, radius, target.width, target.height);
}

}  // namespace filters
