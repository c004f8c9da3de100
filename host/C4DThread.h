// C4DThread: the base of a plug-in's thread classes. The effect runs its thread object's
// Main on the calling thread, so the class needs nothing of the host.
#pragma once

#include "Types.h"

class C4DThread {
public:
  virtual ~C4DThread() = default;
  // Whether the thread should stop at once. Base: false.
  virtual Bool TestDBreak() { return false; }
  // The thread's work.
  virtual void Main() = 0;
  virtual const char* GetThreadName() = 0;
};
