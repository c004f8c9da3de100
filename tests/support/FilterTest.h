// Test support for the effect's image code: a host bound in-process, a break test and a
// progress display that record what the filters ask, and conversions between FastBitmaps
// and the reference images.
#pragma once

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/core/Bitmap.h"
#include "app/core/Allocations.h"
#include "app/core/Host.h"
#include "app/core/RenderCall.h"
#include "plugins/dof/FastBitmap.h"
#include "tests/support/ReferenceFilters.h"

namespace test {

// Every test gets a host whose table the plug-in code is bound to.
class FilterTest : public ::testing::Test {
protected:
  FilterTest();
  ~FilterTest() override;

  lensara::Host host;
};

// A break test that answers true from its stopAt-th question on (counting from 0), or at
// that question only when once is set; never when stopAt is negative.
class CountingBreak : public lensara::BreakTest {
public:
  explicit CountingBreak(long stopAt = -1, bool once = false) : stopAt(stopAt), once(once) {}
  bool Stop() noexcept override
  {
    bool stop = stopAt >= 0 && (once ? asked == stopAt : asked >= stopAt);
    ++asked;
    return stop;
  }
  long asked = 0;

private:
  long stopAt;
  bool once;
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

// A FastBitmap holding image, and back.
void Fill(FastBitmap& bitmap, const reference::Image& image);
reference::Image ToImage(const FastBitmap& bitmap);
// A host bitmap holding image.
lensara::Bitmap ToBitmap(const reference::Image& image);

// Random images: colours uniformly, maps in smooth patches with noise and runs of 0 and 255,
// so that depth tests, zero centres and full blur all occur.
reference::Image RandomImage(std::mt19937& random, int width, int height);
reference::Image RandomMap(std::mt19937& random, int width, int height);
// Every pixel (r, g, b).
reference::Image Uniform(int width, int height, uint8_t r, uint8_t g, uint8_t b);

}  // namespace test
