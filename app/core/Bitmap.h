// An image of the host: 8-bit red, green and blue samples, rows top to bottom, each row
// width x 3 bytes. It stands behind the plug-in's BaseBitmap handles.
#pragma once

#include <cstdint>
#include <vector>

#include "Allocations.h"
#include "host/abi/HstHandles.h"

namespace lensara {

class Bitmap {
public:
  using Bytes = std::vector<uint8_t, ImageAllocator<uint8_t>>;

  Bitmap() = default;
  virtual ~Bitmap() = default;
  Bitmap(const Bitmap&) = default;
  Bitmap& operator=(const Bitmap&) = default;
  Bitmap(Bitmap&&) = default;
  Bitmap& operator=(Bitmap&&) = default;
  // A black image; throws std::bad_alloc when memory is short.
  Bitmap(int32_t width, int32_t height);

  // Makes this a black image of width x height at bits (24, or 32 with an alpha the host
  // does not keep); false, and no change, for other depths, negative sizes or short memory.
  bool Init(int32_t width, int32_t height, int32_t bits) noexcept;

  int32_t Width() const { return width; }
  int32_t Height() const { return height; }
  uint8_t* Row(int32_t y) { return pixels.data() + RowOffset(y); }
  const uint8_t* Row(int32_t y) const { return pixels.data() + RowOffset(y); }
  const Bytes& Pixels() const { return pixels; }
  bool operator==(const Bitmap& other) const;

  HstBitmap Handle() { return reinterpret_cast<HstBitmap>(this); }
  static Bitmap* FromHandle(HstBitmap b) { return reinterpret_cast<Bitmap*>(b); }

private:
  std::size_t RowOffset(int32_t y) const { return static_cast<std::size_t>(y) * width * 3; }

  int32_t width = 0;
  int32_t height = 0;
  Bytes pixels;
};

}  // namespace lensara
