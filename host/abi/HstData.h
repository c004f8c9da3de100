/* Typed values (GeData). A null handle reads as HST_DATA_NONE and ignores writes. */
#ifndef LENSARA_HST_DATA_H
#define LENSARA_HST_DATA_H

#include "HstHandles.h"

typedef struct HstDataTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* A new value of type HST_DATA_NONE owned by the caller, released with free;
     null when memory is short. */
  HstData (*alloc)(void);
  void (*free)(HstData d);
  /* Makes dst a copy of src. */
  void (*copy)(HstData dst, HstData src);
  /* The type code of d (HST_DATA_...). */
  int32_t (*type)(HstData d);
  void (*set_long)(HstData d, int32_t v);
  void (*set_real)(HstData d, double v);
  void (*set_string)(HstData d, const char* utf8);
  /* The value converted: a real reads as a long truncated toward zero and a long as a
     real; any other type reads as 0. */
  int32_t (*get_long)(HstData d);
  double (*get_real)(HstData d);
  /* The text of a string value, valid until d is next changed or freed; "" otherwise. */
  const char* (*get_string)(HstData d);

  void (*set_vector)(HstData d, HstVector v);
  void (*set_matrix)(HstData d, HstMatrix m);
  /* The vector or matrix held; zero, or the identity, for other types. */
  HstVector (*get_vector)(HstData d);
  HstMatrix (*get_matrix)(HstData d);
  /* Makes d a link to n's identity (null: an empty link). The link does not own n. */
  void (*set_link)(HstData d, HstNode n);
  /* The node the link refers to in doc's document; null when d is no link, the link is
     empty or the node is not in that document. Owned by its document. */
  HstNode (*get_link)(HstData d, HstNode doc);
  /* Makes d a copy of container c (null: an empty container). */
  void (*set_container)(HstData d, HstContainer c);
  /* The container held, owned by d and valid until d is next changed; null otherwise. */
  HstContainer (*get_container)(HstData d);
  /* Makes d a copy of the list or gradient (null: an empty one). */
  void (*set_inexclude)(HstData d, HstInExclude l);
  void (*set_gradient)(HstData d, HstGradient g);
  /* The list or gradient held, owned by d, changeable in place and valid until d is next
     changed; null when d holds another type. */
  HstInExclude (*get_inexclude)(HstData d);
  HstGradient (*get_gradient)(HstData d);
} HstDataTable;

#endif
