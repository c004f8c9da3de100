#include "ParallelFor.h"

#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "Renderer.h"
#include "app/core/Guarded.h"

namespace lensara {

namespace {

// ThreadSanitizer cannot see the synchronisation inside TBB, which is not instrumented:
// in its build this file is compiled without instrumentation (TBB's templates would
// report races inside TBB) and tells it that the calling thread's work before the loop
// happens before every chunk, and every chunk before the loop returns.
#ifdef LENSARA_TSAN
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
void Acquire(void* sync) { __tsan_acquire(sync); }
void Release(void* sync) { __tsan_release(sync); }
#else
void Acquire(void*) {}
void Release(void*) {}
#endif

// The arena of a thread limit, one for the process: TBB hands its workers to a new arena
// only once they have left the last one, so that an arena made for each loop would mostly
// leave the calling thread alone with the work.
tbb::task_arena& ArenaOf(int threads)
{
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<tbb::task_arena>> arenas;
  std::lock_guard<std::mutex> lock(mutex);
  std::unique_ptr<tbb::task_arena>& arena = arenas[RenderThreads(threads)];
  if (!arena) arena = std::make_unique<tbb::task_arena>(RenderThreads(threads));
  return *arena;
}

}  // namespace

int MaxRenderThreads() { return tbb::info::default_concurrency(); }

void RunWithinThreads(int threads, const std::function<void()>& f)
{
  tbb::task_arena arena(RenderThreads(threads));
  arena.execute(f);
}

void ParallelFor(int threads, int64_t begin, int64_t end, int64_t grain, HstParallelBody body, void* context) noexcept
{
  if (!body || end <= begin) return;
  RangeChunks chunks = SplitRange(begin, end, grain);
  std::vector<char> done;
  char started = 0, finished = 0;
  auto run = [&](int64_t i) {
    body(chunks.Start(i), chunks.Start(i + 1), context);
    done[static_cast<std::size_t>(i)] = 1;
  };
  auto task = [&](int64_t i) {
    Acquire(&started);
    run(i);
    Release(&finished);
  };
  bool parallel = Guarded([&] {
    done.assign(static_cast<std::size_t>(chunks.count), 0);
    tbb::task_arena& arena = ArenaOf(threads);
    Release(&started);
    arena.execute([&] { tbb::parallel_for(int64_t{0}, chunks.count, task); });
    return true;
  }, false);
  Acquire(&finished);
  if (parallel) return;
  if (done.empty()) return body(begin, end, context);
  for (int64_t i = 0; i < chunks.count; ++i)
    if (!done[static_cast<std::size_t>(i)]) run(i);
}

}  // namespace lensara
