#include "FilterContext.h"

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

}  // namespace

filters::Context FilterContext(VideoPostStruct* vps)
{
  if (!vps) return {};
  return {Stop, SetValue, SetText, vps};
}
