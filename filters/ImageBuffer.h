// A working copy of an image, owned by the filter that makes it.
#pragma once

#include <cstdint>

#include "Filters.h"
#include "Scratch.h"

namespace filters {

class ImageBuffer {
public:
  // A copy of image; no storage when image has none or memory is short.
  explicit ImageBuffer(ImageView image);

  // The copy, with null data when it has no storage.
  ImageView View() const { return {present ? bytes.Get() : nullptr, width, height}; }
  // Copies the bytes into image, which has room for them; nothing without storage.
  void CopyTo(ImageView image) const;

private:
  std::int32_t width, height;
  bool present;
  Scratch<std::uint8_t> bytes;
};

// The bytes of an image.
std::int64_t ByteCount(ImageView image);
// True when the images have the same width and height.
bool SameSize(ImageView a, ImageView b);

}  // namespace filters
