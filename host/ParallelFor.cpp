#include "ParallelFor.h"

#include "Binding.h"

void ParallelFor(Render* render, std::int64_t begin, std::int64_t end, std::int64_t grain, HstParallelBody body,
                 void* context)
{
  if (const HstParallelTable* parallel = ParallelSection())
    parallel->parallel_for(render ? render->Handle() : nullptr, begin, end, grain, body, context);
  else if (body && begin < end)
    body(begin, end, context);
}
