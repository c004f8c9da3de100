// The host's parallel loop where the build has no thread library (the Windows builds: TBB is
// a Linux library here): one thread, the calling one, runs every chunk in order.
#include "ParallelFor.h"
#include "Renderer.h"

namespace lensara {

int MaxRenderThreads() { return 1; }

void RunWithinThreads(int, const std::function<void()>& f) { f(); }

void ParallelFor(int, int64_t begin, int64_t end, int64_t grain, HstParallelBody body, void* context) noexcept
{
  if (!body || end <= begin) return;
  RangeChunks chunks = SplitRange(begin, end, grain);
  for (int64_t i = 0; i < chunks.count; ++i) body(chunks.Start(i), chunks.Start(i + 1), context);
}

}  // namespace lensara
