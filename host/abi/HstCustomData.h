/* Custom data: in/exclude lists (InExcludeData, 1009290) and gradients (Gradient,
   1000481). Both live inside a container or a value (see get_inexclude and get_gradient
   there); a null handle reads as empty and ignores writes. */
#ifndef LENSARA_HST_CUSTOM_DATA_H
#define LENSARA_HST_CUSTOM_DATA_H

#include "HstHandles.h"

typedef struct HstCustomDataTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* The number of entries. */
  int32_t (*inexclude_count)(HstInExclude l);
  /* The node of entry index in doc's document: null when index is out of range or the
     node is not in that document. Owned by its document. */
  HstNode (*inexclude_object)(HstInExclude l, HstNode doc, int32_t index);
  /* The flags of entry index; 0 out of range. */
  int32_t (*inexclude_flags)(HstInExclude l, int32_t index);
  /* Lists n with flags after the last entry; a node already listed keeps its place and
     takes the new flags. False when l or n is null. */
  HstBool (*inexclude_insert)(HstInExclude l, HstNode n, int32_t flags);
  /* Removes entry index; false when out of range. */
  HstBool (*inexclude_delete)(HstInExclude l, int32_t index);

  int32_t (*gradient_knot_count)(HstGradient g);
  /* Knot index; a zero knot when out of range. */
  HstGradientKnot (*gradient_knot)(HstGradient g, int32_t index);
  /* Adds the knot after the last; returns its index, -1 when g is null. */
  int32_t (*gradient_insert_knot)(HstGradient g, HstGradientKnot k);
  /* Removes knot index; false when out of range. */
  HstBool (*gradient_remove_knot)(HstGradient g, int32_t index);
} HstCustomDataTable;

#endif
