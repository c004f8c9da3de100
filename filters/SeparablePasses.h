// The machinery every blur shares: two one-dimensional passes, along the rows from the
// source into the target and along the columns of the target in place, with their break
// tests and progress.
#pragma once

#include <cstdint>

#include "Filters.h"

namespace filters {

// The two passes over one image; each blurs the columns x0 .. x1 - 1 of the pass. The
// vertical pass writes its results back into the image it reads.
class SeparablePasses {
public:
  virtual ~SeparablePasses() = default;
  virtual void Horizontal(const std::uint8_t* in, std::uint8_t* out, std::int32_t x0, std::int32_t x1) = 0;
  virtual void Vertical(std::uint8_t* image, std::int32_t x0, std::int32_t x1) = 0;
  virtual std::int32_t HorizontalBlock() const = 0;
  virtual std::int32_t VerticalBlock() const = 0;
};

// Both passes with their break tests and progress: the rows of the source into the target,
// then the columns of the target in place. The result is that of passes over a working
// copy of the source that replaces the target at the end: the columns the second pass
// left undone after a stop take the source's pixels (all of them when it was told to
// stop before its first column). The source is read as it is unless it is the target
// itself, whose pixels the first pass overwrites; then a copy of it is made first.
// The progress value runs from 0 to 1 / passShare over the first pass and from
// 1 - 1 / passShare onwards in the second. False when that copy finds no memory.
bool RunPasses(SeparablePasses& passes, ImageView source, ImageView target, const Context& context, double passShare);

// True when the source, the target and the map have storage and all sizes agree.
bool CanBlur(ImageView source, ImageView target, ImageView map);

// Columns x0 .. x0 + bytes / 3 - 1 of every row of the image into strip, row after row:
// what a vertical pass reads while its results overwrite the image.
void CopyBlock(const std::uint8_t* image, std::int32_t width, std::int32_t height, std::int32_t x0, std::int32_t bytes,
               std::uint8_t* strip);

}  // namespace filters
