/* Memory: the host's non-throwing allocator. */
#ifndef LENSARA_HST_MEMORY_H
#define LENSARA_HST_MEMORY_H

#include <stddef.h>
#include <stdint.h>

typedef struct HstMemoryTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* Returns size bytes aligned for any plain type, or null when memory is short.
     The caller owns the block and releases it with free. */
  void* (*alloc)(size_t size);
  /* Releases a block from alloc; null is ignored. */
  void (*free)(void* block);
} HstMemoryTable;

#endif
