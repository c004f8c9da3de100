/* Multipass bitmaps (MultipassBitmap): an 8-bit RGB image, the composite, with layers of
   the same size, each an 8-bit RGB image too. A multipass bitmap and each of its layers are
   HstBitmap handles, so the bitmap section reads and writes their rows. A null handle, or a
   plain bitmap, reads as a multipass bitmap without layers. */
#ifndef LENSARA_HST_MULTIPASS_H
#define LENSARA_HST_MULTIPASS_H

#include "HstHandles.h"

/* Colour modes of alloc. */
enum { HST_COLOR_MODE_RGB = 4 /* 8 bits per channel, red, green and blue */ };

/* Layer parameters of get_parameter and set_parameter. */
enum {
  HST_LAYER_NAME = 1006,   /* string: the layer's name */
  HST_LAYER_WIDTH = 1100,  /* long: width in pixels */
  HST_LAYER_HEIGHT = 1101, /* long: height in pixels */
  HST_LAYER_TYPE = 1102,   /* long: buffer type (1 the image, 6 reflection, 100 a light) */
  HST_LAYER_SUB_ID = 1103  /* long: sub-id within the buffer type */
};

typedef struct HstMultipassTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* A new black multipass bitmap of width x height without layers, owned by the caller and
     released with free (or the bitmap section's free); null when mode is not
     HST_COLOR_MODE_RGB, a size is negative or memory is short. */
  HstBitmap (*alloc)(int32_t width, int32_t height, int32_t mode);
  void (*free)(HstBitmap mp);
  int32_t (*layer_count)(HstBitmap mp);
  /* Layer index (from 0), owned by mp and valid until mp is freed or rendered into again;
     null when index is out of range. The bitmap section cannot free or resize a layer. */
  HstBitmap (*layer)(HstBitmap mp, int32_t index);
  /* The first layer of that buffer type and sub-id, owned as above; type 1 with sub-id 0
     is mp's composite, mp itself. Null when there is none. */
  HstBitmap (*find_layer)(HstBitmap mp, int32_t type, int32_t sub_id);
  /* Writes a layer parameter (HST_LAYER_...) of layer (or of a multipass bitmap's
     composite) into out, which the caller owns. False (out untouched) for another id or a
     handle that is neither. */
  HstBool (*get_parameter)(HstBitmap layer, int32_t id, HstData value);
  /* Sets a layer's name (HST_LAYER_NAME) from a string value; false for other ids, values
     or handles. */
  HstBool (*set_parameter)(HstBitmap layer, int32_t id, HstData value);
} HstMultipassTable;

#endif
