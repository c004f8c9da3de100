/* Parallel loops on the host's threads: the host owns the threads and their limit (a
   render's thread count); a plug-in starts none of its own. */
#ifndef LENSARA_HST_PARALLEL_H
#define LENSARA_HST_PARALLEL_H

#include "HstHandles.h"

/* One chunk begin .. end - 1 of a parallel loop's range; context is the loop's. */
typedef void (*HstParallelBody)(int64_t begin, int64_t end, void* context);

typedef struct HstParallelTable {
  uint32_t size; /* sizeof this section as the host built it */
  /* Calls body for disjoint chunks that together cover begin .. end - 1, each of at least
     grain indices unless the whole range is smaller (grain below 1 counts as 1), in any
     order and at once on up to the thread limit of render r (every core for a null
     render), the calling thread among them; returns when every chunk is done. body must
     not throw and must be safe to run on several threads at once. Nothing happens when
     end <= begin or body is null; end - begin must fit in int64_t. */
  void (*parallel_for)(HstRender r, int64_t begin, int64_t end, int64_t grain, HstParallelBody body, void* context);
} HstParallelTable;

#endif
