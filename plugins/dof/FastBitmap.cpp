#include "FastBitmap.h"

#include <cstdint>
#include <cstring>

namespace {

// The byte count of a width x height image, or -1 when it is negative or reaches 2^31.
std::int64_t Bytes(Int32 width, Int32 height)
{
  if (width < 0 || height < 0) return -1;
  std::int64_t bytes = static_cast<std::int64_t>(width) * height * 3;
  return bytes < (std::int64_t(1) << 31) ? bytes : -1;
}

}  // namespace

FastBitmap::FastBitmap() = default;

FastBitmap::FastBitmap(Int32 w, Int32 h) : width(w), height(h) { Allocate(); }

FastBitmap::FastBitmap(BaseBitmap* bitmap)
{
  if (!bitmap) return;
  width = bitmap->GetBw();
  height = bitmap->GetBh();
  Allocate();
  if (!data) return;
  for (Int32 y = 0; y < height; ++y) bitmap->GetLine(y, data + static_cast<std::size_t>(y) * width * 3);
}

FastBitmap::FastBitmap(const FastBitmap* other)
{
  if (!other || !other->data) return;
  width = other->width;
  height = other->height;
  Allocate();
  other->CopyTo(this);
}

FastBitmap::~FastBitmap() { MemFree(data); }

// A zero-byte image still gets a block, so that it reads as present rather than failed.
void FastBitmap::Allocate()
{
  std::int64_t bytes = Bytes(width, height);
  if (bytes >= 0) data = static_cast<UChar*>(MemAlloc(bytes > 0 ? static_cast<std::size_t>(bytes) : 1));
}

Int32 FastBitmap::ByteCount() const { return static_cast<Int32>(Bytes(width, height)); }

void FastBitmap::CopyTo(FastBitmap* other) const
{
  if (!data || !other || !other->data || ByteCount() <= 0) return;
  std::memcpy(other->data, data, ByteCount());
}

void FastBitmap::CopyTo(BaseBitmap* bitmap) const
{
  // The host reads a whole row of the bitmap's width: a wider bitmap would read past ours.
  if (!data || !bitmap || bitmap->GetBw() != width || bitmap->GetBh() != height) return;
  for (Int32 y = 0; y < height; ++y) bitmap->SetLine(y, data + static_cast<std::size_t>(y) * width * 3, 24);
}

BaseBitmap* FastBitmap::GetBaseBitmap() const
{
  if (!data) return nullptr;
  BaseBitmap* bitmap = BaseBitmap::Alloc();
  if (!bitmap) return nullptr;
  if (!bitmap->Init(width, height, 24)) {
    BaseBitmap::Free(bitmap);
    return nullptr;
  }
  CopyTo(bitmap);
  return bitmap;
}

Bool FastBitmap::SameSize(const FastBitmap* other) const
{
  return other && width == other->width && height == other->height;
}
