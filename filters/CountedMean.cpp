#include <cstdint>

#include "EdgeIndex.h"
#include "LinePasses.h"
#include "SeparableBlur.h"

namespace filters {

namespace {

// With every weight 1 the colour sums and the weight sum are whole numbers, exact in any
// order, so the samples beyond the edge rule's reach are counted rather than visited:
// each pixel costs at most the reach of its line, whatever the radius.

// The truncated mean of the samples that positions from .. from + window - 1 of a line of
// n pixels read (pixel i at line + i x step, its map pixel at mapLine + i x mapStep),
// leaving out those that fail the depth test against centre when depthTest is set. The
// centre sample always passes, so the count is never 0.
class CountedMean {
public:
  explicit CountedMean(std::int32_t radius) : radius(radius) {}

  bool Ready() const { return true; }
  void Start(std::int32_t, std::int32_t, bool) {}

  void Pixel(const std::uint8_t* line, std::ptrdiff_t step, const std::uint8_t* mapLine, std::ptrdiff_t mapStep,
             std::int32_t n, std::int32_t position, std::int32_t centre, bool depthTest, std::uint8_t* out) const
  {
    std::int64_t sums[3] = {0, 0, 0}, count = 0;
    std::int64_t from = std::int64_t(position) - radius;
    ForEachReadSample(from, from + 2 * std::int64_t(radius) + 1, n, [&](std::int32_t i, std::int64_t times) {
      if (depthTest && centre > mapLine[i * mapStep] + 5) return;
      count += times;
      for (int c = 0; c < 3; ++c) sums[c] += line[i * step + c] * times;
    });
    for (int c = 0; c < 3; ++c)
      out[c] = static_cast<std::uint8_t>(
          static_cast<std::int32_t>(static_cast<double>(sums[c]) / static_cast<double>(count)));
  }

private:
  std::int32_t radius;
};

}  // namespace

bool RunCountedMean(std::int32_t radius, ImageView source, ImageView target, ImageView map, bool depthTest,
                    const Context& context)
{
  if (!CanBlur(source, target, map)) return false;
  return RunPassesOf<LinePasses<CountedMean>>(source, target, context, 1.0, map, depthTest, radius);
}

}  // namespace filters
