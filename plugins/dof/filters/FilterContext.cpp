#include "FilterContext.h"

#include "host/ParallelFor.h"

namespace {

VideoPostStruct* CallOf(void* user) { return static_cast<VideoPostStruct*>(user); }

bool Stop(void* user) { return TestBreak(CallOf(user)); }

void SetValue(void* user, double value)
{
  if (RenderProgress* progress = CallOf(user)->progress) progress->SetValue(value);
}

void SetText(void* user, const char* text)
{
  if (RenderProgress* progress = CallOf(user)->progress) progress->SetText(String(text));
}

// On the threads of the calling render's limit, or the calling thread on an older host.
void Parallel(void* user, std::int64_t begin, std::int64_t end, std::int64_t grain, HstParallelBody body, void* context)
{
  ParallelFor(CallOf(user)->render, begin, end, grain, body, context);
}

}  // namespace

filters::Context FilterContext(VideoPostStruct* vps)
{
  if (!vps) return {};
  return {Stop, SetValue, SetText, vps, Parallel};
}
