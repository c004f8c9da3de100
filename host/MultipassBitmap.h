// MultipassBitmap: a host image (its composite) with layers of the same size, such as the
// light and reflection passes of a render. It is a BaseBitmap: the composite's rows are
// read and written like any bitmap's, and so are each layer's.
//
// A MultipassBitmap pointer is a host handle: it comes from Alloc, is owned by the caller
// and released with Free. Layers are owned by their multipass bitmap.
#pragma once

#include "BaseBitmap.h"
#include "GeData.h"

constexpr Int32 COLORMODE_RGB = HST_COLOR_MODE_RGB;
constexpr Int32 MPBTYPE_NAME = HST_LAYER_NAME;
constexpr Int32 MPBTYPE_WIDTH = HST_LAYER_WIDTH;
constexpr Int32 MPBTYPE_HEIGHT = HST_LAYER_HEIGHT;
constexpr Int32 MPBTYPE_BUFFER_TYPE = HST_LAYER_TYPE;
constexpr Int32 MPBTYPE_BUFFER_SUB_ID = HST_LAYER_SUB_ID;

class MultipassBitmap : public BaseBitmap {
public:
  // A black image of width x height without layers in colour mode (COLORMODE_RGB); null
  // for another mode or when memory is short.
  static MultipassBitmap* Alloc(Int32 width, Int32 height, Int32 mode);
  // Releases mp and clears the pointer; null is ignored.
  static void Free(MultipassBitmap*& mp);

  Int32 GetLayerCount() const;
  // Layer index from 0, owned by this bitmap until it is freed or rendered into again;
  // null when out of range.
  MultipassBitmap* GetLayerNum(Int32 index) const;
  // The first layer of buffer type and sub-id (type 1, sub-id 0: this bitmap); null when none.
  MultipassBitmap* FindUserLayer(Int32 type, Int32 subId) const;
  // A layer parameter (MPBTYPE_...); a value of type DA_NIL when there is none.
  GeData GetParameter(Int32 id) const;
  // Sets a layer parameter; only MPBTYPE_NAME with a string can be set.
  Bool SetParameter(Int32 id, const GeData& value);

  static MultipassBitmap* FromHandle(HstBitmap b) { return static_cast<MultipassBitmap*>(BaseBitmap::FromHandle(b)); }

  MultipassBitmap() = delete;
  ~MultipassBitmap() = delete;
};
