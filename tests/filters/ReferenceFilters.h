// Straightforward versions of the effect's filters, written from their definitions without
// any shortcut (one exp per sample, every window sample visited): the yardstick for the
// differential tests and the baseline of the benchmarks.
#pragma once

#include <cstdint>
#include <vector>

namespace reference {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes; // width x height x 3, red, green, blue

  Image() = default;
  Image(int width, int height) : width(width), height(height), bytes(std::size_t(width) * height * 3) {}
  uint8_t* At(int x, int y) { return bytes.data() + (std::size_t(y) * width + x) * 3; }
  const uint8_t* At(int x, int y) const { return bytes.data() + (std::size_t(y) * width + x) * 3; }
  bool operator==(const Image& other) const { return width == other.width && height == other.height && bytes == other.bytes; }
};

enum class Filter { GaussImproved, GaussBlending, MedianLowPass };

// One run of a single-pass filter, not stopped; returns the blurred image.
Image Blur(Filter filter, const Image& source, const Image& map, int radius, bool depthTest);

// One run whose first pass stops before column firstColumns and whose second pass stops
// before column secondColumns (the width: not stopped), on a target that holds target at
// the start; returns the target at the end.
Image Blur(Filter filter, const Image& source, const Image& target, const Image& map, int radius, bool depthTest,
           int firstColumns, int secondColumns);

// Repeated passes, then the copy or the blend by the map, starting from target.
Image Drive(Filter filter, const Image& source, const Image& target, const Image& map, int radius, int passes,
            bool depthTest, bool blend);

// The window maximum of byte 0, passes times.
Image Dilate(const Image& source, int passes, int radius);

}  // namespace reference
