// The render call record a video post receives with each render call, and the host
// objects it names: the render thread with its break test and the progress display.
#pragma once

#include <cstddef>

#include "Binding.h"
#include "String.h"
#include "Types.h"

class BaseDocument;
class Render;

// The thread of a render. A pointer is a host handle owned by the host.
class BaseThread {
public:
  // True when the host wants the work stopped.
  Bool TestBreak();

  HstThread Handle() const;

  BaseThread() = delete;
  ~BaseThread() = delete;
};

// A render's progress display. A pointer is a host handle owned by the host.
class RenderProgress {
public:
  void SetText(const String& text);
  // fraction runs from 0 to 1.
  void SetValue(Float fraction);

  HstProgress Handle() const;

  RenderProgress() = delete;
  ~RenderProgress() = delete;
};

// The host's HstVideoPostStruct seen with typed pointers; valid for one call. Pointers may
// be null: a render without a progress display, a call outside a render.
struct VideoPostStruct {
  Int32 stage;              // 1 sequence, 2 frame, 3 sub-frame, 4 render, 5 inner
  Bool open;                // true when the stage opens
  Int32* result;            // the render's current result code; non-zero: already failed
  BaseDocument* doc;        // the document being rendered
  Render* render;           // the render calling
  BaseThread* thread;       // the render thread
  RenderProgress* progress; // the progress display
  Int32 flags;              // bit 0: a final render
  Float time;               // the frame's time in seconds
  Int32 editor;             // 0 for a final render, 1 for viewport renders

  static VideoPostStruct* FromHandle(HstVideoPostStruct* vps) { return reinterpret_cast<VideoPostStruct*>(vps); }
};

static_assert(sizeof(VideoPostStruct) == sizeof(HstVideoPostStruct), "call record layout");
static_assert(offsetof(VideoPostStruct, result) == offsetof(HstVideoPostStruct, result), "call record layout");
static_assert(offsetof(VideoPostStruct, progress) == offsetof(HstVideoPostStruct, progress), "call record layout");
static_assert(offsetof(VideoPostStruct, time) == offsetof(HstVideoPostStruct, time), "call record layout");
static_assert(offsetof(VideoPostStruct, editor) == offsetof(HstVideoPostStruct, editor), "call record layout");

// True when the call's thread wants the work stopped; false without a call or thread.
Bool TestBreak(VideoPostStruct* vps);
