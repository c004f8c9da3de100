// Test support for the host's image code: a host bound in-process, a break test and a
// progress display that record what a render call asks, and host bitmaps of the reference
// images (the test images themselves come from tests/filters/FilterTest.h).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/Bitmap.h"
#include "app/core/Allocations.h"
#include "app/core/Host.h"
#include "app/core/RenderCall.h"
#include "host/c4d.h"
#include "tests/filters/FilterTest.h"

namespace test {

// Every test gets a host whose table the plug-in code is bound to.
class FilterTest : public ::testing::Test {
protected:
  FilterTest();
  ~FilterTest() override;

  lensara::Host host;
};

// A break test that answers as its StopCounter.
class CountingBreak : public lensara::BreakTest, public StopCounter {
public:
  using StopCounter::StopCounter;
  bool Stop() noexcept override { return Ask(); }
};

class RecordingProgress : public lensara::ProgressDisplay {
public:
  void SetText(const char* text) noexcept override { texts.push_back(text); }
  void SetValue(double fraction) noexcept override { values.push_back(fraction); }
  std::vector<std::string> texts;
  std::vector<double> values;
};

// A call record naming breakTest and progress, for as long as it lives.
class CallRecord {
public:
  explicit CallRecord(lensara::BreakTest* breakTest = nullptr, lensara::ProgressDisplay* progress = nullptr)
      : record(lensara::MakeCallRecord(breakTest, progress))
  {
  }
  VideoPostStruct* Get() { return VideoPostStruct::FromHandle(&record); }

private:
  HstVideoPostStruct record;
};

// A host bitmap holding image.
lensara::Bitmap ToBitmap(const reference::Image& image);

}  // namespace test
