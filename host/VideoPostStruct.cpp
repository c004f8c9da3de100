#include "VideoPostStruct.h"

Bool BaseThread::TestBreak() { return gC4DOS->render_call->test_break(Handle()); }

HstThread BaseThread::Handle() const { return reinterpret_cast<HstThread>(const_cast<BaseThread*>(this)); }

void RenderProgress::SetText(const String& text)
{
  gC4DOS->render_call->set_progress_text(Handle(), text.GetCString());
}

void RenderProgress::SetValue(Float fraction) { gC4DOS->render_call->set_progress_value(Handle(), fraction); }

HstProgress RenderProgress::Handle() const
{
  return reinterpret_cast<HstProgress>(const_cast<RenderProgress*>(this));
}

Bool TestBreak(VideoPostStruct* vps) { return vps && vps->thread && vps->thread->TestBreak(); }
