// The host side of a video post's render call: what answers the break test of its thread
// and what shows its progress. Their addresses are the HstThread and HstProgress handles
// of the call record.
#pragma once

#include "host/abi/HstRenderCall.h"

namespace lensara {

// 72 bytes with 64-bit pointers, 48 with 32-bit ones (Windows x86 aligns the double to 8).
static_assert(sizeof(HstVideoPostStruct) == (sizeof(void*) == 8 ? 72 : 48), "the call record crosses the boundary unchanged");

class BreakTest {
public:
  virtual ~BreakTest() = default;
  // True when the work should stop.
  virtual bool Stop() noexcept = 0;
};

class ProgressDisplay {
public:
  virtual ~ProgressDisplay() = default;
  // text is UTF-8, valid for the call only.
  virtual void SetText(const char* text) noexcept = 0;
  // fraction runs from 0 to 1.
  virtual void SetValue(double fraction) noexcept = 0;
  // The text of a step of a longer work (a frame of a sequence), which the texts of the
  // step's own work follow; by default shown as any other text.
  virtual void SetStepText(const char* text) noexcept { SetText(text); }
};

// A call record for a call outside the stage protocol (stage 0), naming only the thread's
// break test and the progress display; either may be null.
inline HstVideoPostStruct MakeCallRecord(BreakTest* breakTest, ProgressDisplay* progress)
{
  HstVideoPostStruct record{};
  record.thread = reinterpret_cast<HstThread>(breakTest);
  record.progress = reinterpret_cast<HstProgress>(progress);
  return record;
}

}  // namespace lensara
