// The passes of the blurs that compute every pixel from its whole line: the counted mean
// and the folded Gaussian.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Filters.h"
#include "Scratch.h"
#include "SeparablePasses.h"

namespace filters {

// Passes whose every pixel is computed from its whole line by a Mean: Start(position, n,
// vertical) readies it for the pixels at that position of the lines of n pixels, Pixel
// computes one. A pixel costs up to its line's length, so blocks are narrow: a stop is
// heeded after at most kLineBlock columns' work.
constexpr std::int32_t kLineBlock = 8;

template <class Mean>
class LinePasses : public SeparablePasses {
public:
  template <class... MeanArgs>
  LinePasses(ImageView map, bool depthTest, MeanArgs... meanArgs)
      : mean(meanArgs...), map(map.data), width(map.width), height(map.height),
        depthTest(depthTest), strip(std::int64_t(height) * kLineBlock * 3)
  {
  }

  bool Ready() const { return strip.Get() && mean.Ready(); }
  std::int32_t HorizontalBlock() const override { return kLineBlock; }
  std::int32_t VerticalBlock() const override { return kLineBlock; }

  void Horizontal(const std::uint8_t* in, std::uint8_t* out, std::int32_t x0, std::int32_t x1) override
  {
    for (std::int32_t x = x0; x < x1; ++x) {
      mean.Start(x, width, false);
      for (std::int32_t y = 0; y < height; ++y) {
        std::ptrdiff_t row = std::ptrdiff_t(y) * width * 3;
        mean.Pixel(in + row, 3, map + row, 3, width, x, map[row + x * 3], depthTest, out + row + x * 3);
      }
    }
  }

  // The block's columns are read from a copy, as the results overwrite them.
  void Vertical(std::uint8_t* image, std::int32_t x0, std::int32_t x1) override
  {
    std::int32_t bytes = (x1 - x0) * 3;
    CopyBlock(image, width, height, x0, bytes, strip.Get());
    std::ptrdiff_t rowBytes = std::ptrdiff_t(width) * 3;
    for (std::int32_t y = 0; y < height; ++y) {
      mean.Start(y, height, true);
      for (std::int32_t x = x0; x < x1; ++x)
        mean.Pixel(strip.Get() + (x - x0) * 3, bytes, map + x * 3, rowBytes, height, y, map[y * rowBytes + x * 3],
                   depthTest, image + y * rowBytes + x * 3);
    }
  }

private:
  Mean mean;
  const std::uint8_t* map;
  std::int32_t width, height;
  bool depthTest;
  Scratch<std::uint8_t> strip; // the vertical pass's block of columns
};

}  // namespace filters
