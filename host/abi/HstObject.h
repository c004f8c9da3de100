/* Objects (BaseObject): placement. Their tags and children are node branches. */
#ifndef LENSARA_HST_OBJECT_H
#define LENSARA_HST_OBJECT_H

#include "HstHandles.h"

enum {
  HST_MATRIX_LOCAL = 0,  /* relative to the parent object */
  HST_MATRIX_GLOBAL = 1  /* in the world */
};

enum {
  HST_PLACEMENT_POSITION = 0, /* relative to the parent, centimetres */
  HST_PLACEMENT_ROTATION = 1, /* heading, pitch, bank in radians */
  HST_PLACEMENT_SCALE = 2
};

typedef struct HstObjectTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* The object's matrix (HST_MATRIX_...); the identity for a null node. Setting a global
     matrix keeps the object where it is in the world whatever its parent. */
  HstMatrix (*get_matrix)(HstNode op, int32_t which);
  void (*set_matrix)(HstNode op, int32_t which, HstMatrix m);
  /* Position, rotation or scale (HST_PLACEMENT_...); zero for a null node. */
  HstVector (*get_placement)(HstNode op, int32_t which);
  void (*set_placement)(HstNode op, int32_t which, HstVector v);
} HstObjectTable;

#endif
