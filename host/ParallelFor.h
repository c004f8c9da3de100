// Parallel loops on the host's threads (host/abi/HstParallel.h): the plug-in starts no
// threads of its own.
#pragma once

#include <cstdint>

#include "Render.h"
#include "abi/HstParallel.h"

// Calls body for chunks of begin .. end - 1 of at least grain indices on the threads of
// render's limit (every core for a null render), possibly at once; returns when all are
// done. A host without the parallel section (an older one) gets body(begin, end, context)
// once on the calling thread. body must not throw.
void ParallelFor(Render* render, std::int64_t begin, std::int64_t end, std::int64_t grain, HstParallelBody body,
                 void* context);
