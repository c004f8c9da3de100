#include "Bitmap.h"

#include <new>

#include "Allocations.h"

namespace lensara {

Bitmap::Bitmap(int32_t width, int32_t height)
{
  if (!Init(width, height, 24)) throw std::bad_alloc();
}

bool Bitmap::Init(int32_t w, int32_t h, int32_t b) noexcept
{
  if (w < 0 || h < 0 || (b != 24 && b != 32) || !MayAllocate()) return false;
  try {
    pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3, 0);
  } catch (const std::exception&) {
    return false;
  }
  width = w;
  height = h;
  return true;
}

bool Bitmap::operator==(const Bitmap& other) const
{
  return width == other.width && height == other.height && pixels == other.pixels;
}

}  // namespace lensara
