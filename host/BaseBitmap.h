// BaseBitmap: a host image of 8-bit red, green and blue samples, row 0 at the top.
//
// A BaseBitmap pointer is a host handle: bitmaps come from Alloc or GetClone, owned by the
// caller and released with Free.
#pragma once

#include "Binding.h"
#include "Types.h"

class BaseBitmap {
public:
  // A new 0 x 0 bitmap; null when memory is short.
  static BaseBitmap* Alloc();
  // Releases bm and clears the pointer; null is ignored.
  static void Free(BaseBitmap*& bm);
  // A copy owned by the caller; null when memory is short.
  BaseBitmap* GetClone() const;

  // Makes this a black image of width x height at bits per pixel (24, or 32 with alpha);
  // false when the host cannot.
  Bool Init(Int32 width, Int32 height, Int32 bits);
  Int32 GetBw() const;
  Int32 GetBh() const;
  // Row y as GetBw() x 3 bytes red, green, blue into rgb; false when y is outside.
  Bool GetLine(Int32 y, UChar* rgb) const;
  // Writes row y from GetBw() x 3 bytes of rgb at bits 24; false when y is outside.
  Bool SetLine(Int32 y, const UChar* rgb, Int32 bits);

  HstBitmap Handle() const;
  static BaseBitmap* FromHandle(HstBitmap b);

  BaseBitmap() = delete;
  ~BaseBitmap() = delete;
};
