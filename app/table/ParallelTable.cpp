// The parallel section: loops on the threads of the calling render's limit.
#include "Sections.h"
#include "app/render/FrameRender.h"
#include "app/render/ParallelFor.h"

namespace lensara {

namespace {

void ParallelLoop(HstRender r, int64_t begin, int64_t end, int64_t grain, HstParallelBody body, void* context)
{
  ParallelFor(r ? FrameRender::FromHandle(r)->Threads() : 0, begin, end, grain, body, context);
}

HstParallelTable MakeParallelSection()
{
  HstParallelTable t{};
  t.size = sizeof t;
  t.parallel_for = ParallelLoop;
  return t;
}

}  // namespace

const HstParallelTable* ParallelSection()
{
  static const HstParallelTable section = MakeParallelSection();
  return &section;
}

}  // namespace lensara
