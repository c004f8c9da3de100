// FastBitmap: the effect's own RGB image, one flat array that the filters library reads and
// writes through View().
//
// Sample c (0 red, 1 green, 2 blue) of pixel (x, y) lies at (y * width + x) * 3 + c.
// The storage is null when the buffer is empty or its allocation failed (width and height
// then keep the requested size); every user tests GetData() before touching pixels.
// Images of 2^31 bytes or more are refused like a failed allocation.
#pragma once

#include "filters/Filters.h"
#include "host/c4d.h"

class FastBitmap {
public:
  // Empty: no storage, 0 x 0.
  FastBitmap();
  // width x height with undefined contents.
  FastBitmap(Int32 width, Int32 height);
  // The rows of a host bitmap; a null bitmap gives an empty buffer.
  explicit FastBitmap(BaseBitmap* bitmap);
  // A deep copy; a copy of an empty buffer is empty.
  explicit FastBitmap(const FastBitmap* other);
  ~FastBitmap();
  FastBitmap(const FastBitmap&) = delete;
  FastBitmap& operator=(const FastBitmap&) = delete;

  UChar* GetData() const { return data; }
  Int32 GetWidth() const { return width; }
  Int32 GetHeight() const { return height; }
  // The image as the filters take it; null data without storage.
  filters::ImageView View() const { return {data, width, height}; }
  // Copies this buffer's bytes into other's storage; the caller guarantees that other holds
  // at least as many. Nothing happens when either has no storage.
  void CopyTo(FastBitmap* other) const;
  // Writes the rows into a host bitmap of the same size at 24 bits; nothing without storage
  // or when the sizes differ.
  void CopyTo(BaseBitmap* bitmap) const;
  // A new 24-bit host bitmap holding this image, owned by the caller (BaseBitmap::Free);
  // null without storage or when the host cannot make one.
  BaseBitmap* GetBaseBitmap() const;
  // True when other has the same width and height.
  Bool SameSize(const FastBitmap* other) const;

private:
  void Allocate();
  Int32 ByteCount() const;

  UChar* data = nullptr;
  Int32 width = 0;
  Int32 height = 0;
};
