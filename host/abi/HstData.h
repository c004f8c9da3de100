/* Typed values (GeData). A null handle reads as HST_DATA_NONE and ignores writes. */
#ifndef LENSARA_HST_DATA_H
#define LENSARA_HST_DATA_H

#include "HstHandles.h"

typedef struct HstDataTable {
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
} HstDataTable;

#endif
