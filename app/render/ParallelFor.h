// The host's parallel loop, which the function table offers plug-ins: chunks of a range on
// the threads of a render's limit.
#pragma once

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>

#include "host/abi/HstParallel.h"

namespace lensara {

// count equal chunks of a range, the first ones an index longer where it does not divide.
struct RangeChunks {
  int64_t begin, count, length, longer;

  int64_t Start(int64_t i) const { return begin + i * length + std::min(i, longer); }
};

// The chunks of begin .. end - 1 (end > begin) that ParallelFor hands out: as many as grain
// allows, each of at least grain indices unless the range is smaller.
inline RangeChunks SplitRange(int64_t begin, int64_t end, int64_t grain)
{
  int64_t size = end - begin;
  int64_t count = std::max<int64_t>(1, size / std::max<int64_t>(grain, 1));
  return {begin, count, size / count, size % count};
}

// Runs f on the calling thread, the parallel work it starts (Embree building its scene)
// on at most RenderThreads(threads) threads.
void RunWithinThreads(int threads, const std::function<void()>& f);

// Splits begin .. end - 1 into chunks of at least grain indices (fewer only when the range
// is smaller; grain below 1 counts as 1), as many as grain allows, and calls
// body(chunkBegin, chunkEnd, context) for each on a TBB arena of RenderThreads(threads)
// threads, the calling thread among them; returns when all are done. Chunks the arena
// could not start (memory) run afterwards on the calling thread. Never throws. A build
// without TBB (CallingThreadLoop.cpp) runs the chunks one after another on the calling
// thread.
void ParallelFor(int threads, int64_t begin, int64_t end, int64_t grain, HstParallelBody body, void* context) noexcept;

// The same with f(chunkBegin, chunkEnd); the first exception f throws is thrown again once
// every chunk is done.
template <class F>
void ParallelFor(int threads, int64_t begin, int64_t end, int64_t grain, const F& f)
{
  struct Run {
    const F& f;
    std::mutex mutex;
    std::exception_ptr failure;
  } run{f, {}, nullptr};
  auto body = [](int64_t b, int64_t e, void* context) {
    auto& r = *static_cast<Run*>(context);
    try {
      r.f(b, e);
    } catch (...) {
      std::lock_guard<std::mutex> lock(r.mutex);
      if (!r.failure) r.failure = std::current_exception();
    }
  };
  ParallelFor(threads, begin, end, grain, body, &run);
  if (run.failure) std::rethrow_exception(run.failure);
}

}  // namespace lensara
