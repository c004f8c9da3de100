/* Containers (BaseContainer): ordered key -> value maps. A null handle reads as empty
   and ignores writes. Typed getters return the default when the key is absent or holds
   a value of another kind; a long and a real convert into each other. */
#ifndef LENSARA_HST_CONTAINER_H
#define LENSARA_HST_CONTAINER_H

#include "HstHandles.h"

typedef struct HstContainerTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* A new empty container owned by the caller, released with free; null when memory is short. */
  HstContainer (*alloc)(void);
  void (*free)(HstContainer c);
  /* Makes dst a copy of src (every key, in order). */
  void (*copy)(HstContainer dst, HstContainer src);
  int32_t (*get_long)(HstContainer c, int32_t key, int32_t preset);
  double (*get_real)(HstContainer c, int32_t key, double preset);
  /* Setting a key that exists replaces its value in place; a new key goes last. */
  void (*set_long)(HstContainer c, int32_t key, int32_t v);
  void (*set_real)(HstContainer c, int32_t key, double v);
  /* Copies the value at key into out; false (out untouched) when the key is absent. */
  HstBool (*get_data)(HstContainer c, int32_t key, HstData out);
  void (*set_data)(HstContainer c, int32_t key, HstData v);
  /* Removes key; false when it was absent. */
  HstBool (*remove)(HstContainer c, int32_t key);
  /* Number of keys, and the key at index (0 .. count - 1; out of range: 0). */
  int32_t (*count)(HstContainer c);
  int32_t (*key_at)(HstContainer c, int32_t index);

  /* The value at key in place, owned by c: a container, an in/exclude list or a gradient.
     Null when the key is absent or holds another type. Valid until the key is set again
     or any key is removed from c. */
  HstContainer (*get_container_instance)(HstContainer c, int32_t key);
  HstInExclude (*get_inexclude)(HstContainer c, int32_t key);
  HstGradient (*get_gradient)(HstContainer c, int32_t key);
} HstContainerTable;

#endif
