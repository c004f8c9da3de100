// The separable filters' passes on several threads of the context's parallel loop.
#include <gtest/gtest.h>

#include "filters/Filters.h"
#include "tests/filters/FilterTest.h"

namespace {

using reference::Filter;
using reference::Image;

struct FilterCase {
  Filter filter;
  filters::Filter run;
};

const FilterCase kFilters[] = {{Filter::GaussImproved, filters::GaussImproved},
                               {Filter::GaussBlending, filters::GaussBlending},
                               {Filter::MedianLowPass, filters::MedianLowPass}};

class ColumnChunks : public ::testing::Test {
protected:
  ~ColumnChunks() override { test::SetAllocationBudget(-1); }

  // Runs filter from source into a black target on threads threads; returns the target.
  static Image Run(filters::Filter filter, Image source, Image map, int radius, bool depthTest, test::Observer& observer,
                   bool* result = nullptr)
  {
    Image target(source.width, source.height);
    bool ok = filter(test::View(source), test::View(target), test::View(map), {radius, 1, depthTest, false},
                     observer.Context());
    if (result) *result = ok;
    return target;
  }

  std::mt19937 random{31};
  const int w = 300, h = 23;
  Image source = test::RandomImage(random, w, h);
};

// Weighted, box, counted and folded passes alike, with their scratch per chunk.
TEST_F(ColumnChunks, AnyThreadCountGivesTheStraightforwardBytes)
{
  Image map = test::RandomMap(random, w, h);
  for (const FilterCase& f : kFilters)
    for (bool depthTest : {false, true})
      for (int radius : {3, 8, 400}) {
        Image expected = reference::Blur(f.filter, source, map, radius, depthTest);
        for (int threads : {1, 2, 4}) {
          SCOPED_TRACE(::testing::Message() << "filter " << static_cast<int>(f.filter) << " depth " << depthTest
                                            << " radius " << radius << " threads " << threads);
          test::Observer observer(-1, false, threads);
          EXPECT_TRUE(Run(f.run, source, map, radius, depthTest, observer) == expected);
          EXPECT_EQ(observer.asked, 2 * w);
        }
      }
}

// The blend by the map runs in chunks too.
TEST_F(ColumnChunks, TheDriversPassesAndBlendGiveTheStraightforwardBytesOnAnyThreads)
{
  Image map = test::RandomMap(random, w, h);
  Image target = test::RandomImage(random, w, h);
  Image expected = reference::Drive(Filter::GaussBlending, source, target, map, 4, 2, false, true);
  for (int threads : {2, 4}) {
    test::Observer observer(-1, false, threads);
    Image out = target;
    EXPECT_TRUE(filters::GaussianBlend(test::View(source), test::View(out), test::View(map), {4, 2, false, true},
                                       observer.Context()));
    EXPECT_TRUE(out == expected) << threads;
  }
}

// A chunk that finds no memory for its scratch leaves its blocks to the calling thread.
TEST_F(ColumnChunks, ChunksShortOfMemoryStillGiveTheSameBytesOrTheTargetUntouched)
{
  Image map = test::RandomMap(random, w, h);
  Image expected = reference::Blur(Filter::GaussImproved, source, map, 8, true);
  for (long budget = 0; budget < 30; ++budget) {
    SCOPED_TRACE(budget);
    test::Observer observer(-1, false, 4);
    test::SetAllocationBudget(budget);
    bool ok = false;
    Image out = Run(filters::GaussImproved, source, map, 8, true, observer, &ok);
    test::SetAllocationBudget(-1);
    EXPECT_TRUE(out == (ok ? expected : Image(w, h)));
  }
}

// Every column done was asked for and answered no: a stop in the second pass leaves exactly
// the columns answered before it blurred, the rest the source's, however the chunks fell;
// a stop in the first pass leaves the source, each thread asking at most once more.
TEST_F(ColumnChunks, AStopIsHeededAtEveryThreadsNextColumn)
{
  Image map = test::Uniform(w, h, 200, 200, 200);
  Image blurred = reference::Blur(Filter::GaussBlending, source, map, 5, false);
  for (int threads : {2, 4}) {
    SCOPED_TRACE(threads);
    const long answered = 97;
    test::Observer second(w + answered, false, threads);
    Image out = Run(filters::GaussBlending, source, map, 5, false, second);
    long done = 0;
    for (int x = 0; x < w; ++x) {
      bool same = true, kept = true;
      for (int y = 0; y < h; ++y) {
        same = same && std::equal(out.At(x, y), out.At(x, y) + 3, blurred.At(x, y));
        kept = kept && std::equal(out.At(x, y), out.At(x, y) + 3, source.At(x, y));
      }
      ASSERT_TRUE(same || kept) << x;
      done += same;
    }
    EXPECT_EQ(done, answered);

    test::Observer first(answered, false, threads);
    EXPECT_TRUE(Run(filters::GaussBlending, source, map, 5, false, first) == source);
    EXPECT_LE(first.asked, answered + 2 * threads);
  }
}

}  // namespace
