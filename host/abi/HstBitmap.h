/* Bitmaps (BaseBitmap): images of 8-bit red, green and blue samples, row 0 at the top.
   A null handle reads as a 0 x 0 image and ignores writes. */
#ifndef LENSARA_HST_BITMAP_H
#define LENSARA_HST_BITMAP_H

#include "HstHandles.h"

typedef struct HstBitmapTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* A new 0 x 0 bitmap owned by the caller, released with free; null when memory is short. */
  HstBitmap (*alloc)(void);
  void (*free)(HstBitmap b);
  /* Makes b a black image of width x height at bits per pixel (24 RGB, 32 RGB with alpha).
     False (b unchanged) for other depths, negative sizes or when memory is short. */
  HstBool (*init)(HstBitmap b, int32_t width, int32_t height, int32_t bits);
  int32_t (*width)(HstBitmap b);
  int32_t (*height)(HstBitmap b);
  /* Copies row y as width x 3 bytes (red, green, blue) into rgb, which the caller owns.
     False (rgb untouched) when y is outside the image. */
  HstBool (*get_line)(HstBitmap b, int32_t y, uint8_t* rgb);
  /* Writes row y from width x 3 bytes of rgb; bits must be 24. False when y is outside the
     image or bits is not 24. */
  HstBool (*set_line)(HstBitmap b, int32_t y, const uint8_t* rgb, int32_t bits);
  /* A copy of b owned by the caller, released with free; null when memory is short. */
  HstBitmap (*clone)(HstBitmap b);
} HstBitmapTable;

#endif
