// Test support for the filters library: a context that records what the filters ask and
// show, images in the filters' view, random test images, and the library's allocations
// made to fail.
#pragma once

#include <atomic>
#include <random>
#include <string>
#include <vector>

#include "filters/Filters.h"
#include "tests/filters/ReferenceFilters.h"

namespace test {

// Answers a break test true from its stopAt-th question on (counting from 0), or at that
// question only when once is set; never when stopAt is negative. Safe on several threads.
class StopCounter {
public:
  explicit StopCounter(long stopAt = -1, bool once = false) : stopAt(stopAt), once(once) {}
  bool Ask()
  {
    long question = asked++;
    return stopAt >= 0 && (once ? question == stopAt : question >= stopAt);
  }
  std::atomic<long> asked{0};

private:
  long stopAt;
  bool once;
};

// The filters' context over a StopCounter, recording the progress texts and values; with
// threads above 0, its parallel loop runs the chunks of grain indices on that many threads
// (the calling one among them), taking the next chunk as each thread gets free.
class Observer : public StopCounter {
public:
  using StopCounter::StopCounter;
  Observer(long stopAt, bool once, int threads) : StopCounter(stopAt, once), threads(threads) {}
  Observer(const Observer&) = delete;
  Observer& operator=(const Observer&) = delete;

  // Valid while this observer lives.
  filters::Context Context();

  std::vector<std::string> texts;
  std::vector<double> values;
  int threads = 0;
};

// The bytes of image as the filters take them.
filters::ImageView View(reference::Image& image);

// Random images: colours uniformly, maps in smooth patches with noise and runs of 0 and 255,
// so that depth tests, zero centres and full blur all occur.
reference::Image RandomImage(std::mt19937& random, int width, int height);
reference::Image RandomMap(std::mt19937& random, int width, int height);
// Every pixel (r, g, b).
reference::Image Uniform(int width, int height, uint8_t r, uint8_t g, uint8_t b);

// The next count allocations of the filters library succeed and every later one fails; a
// negative count lifts the limit (tests/filters/AllocationBudget.cpp, in the library's
// test program only).
void SetAllocationBudget(long count);

}  // namespace test
