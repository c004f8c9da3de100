// The filters' context of a render call: the host's parallel loop, and the calling thread
// alone on an older host without one.
#include "plugins/dof/filters/FilterContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

#include "host/ParallelFor.h"
#include "tests/support/FilterTest.h"

namespace {

struct Chunk {
  int64_t begin, end;
  std::thread::id thread;
  bool operator<(const Chunk& other) const { return begin < other.begin; }
};

// The chunks a parallel loop called, in order.
struct Chunks {
  static void Record(int64_t begin, int64_t end, void* chunks)
  {
    auto* self = static_cast<Chunks*>(chunks);
    std::lock_guard<std::mutex> lock(self->mutex);
    self->called.push_back({begin, end, std::this_thread::get_id()});
  }
  std::vector<Chunk> Sorted()
  {
    std::sort(called.begin(), called.end());
    return called;
  }
  std::mutex mutex;
  std::vector<Chunk> called;
};

class HostLoop : public test::FilterTest {
protected:
  // Binds a copy of the host's table as an older host built it: it ends before the parallel
  // section, or has it null.
  void BindOlderHost(bool shorter)
  {
    older = *host.Table();
    if (shorter)
      older.size = offsetof(C4DOS, parallel);
    else
      older.parallel = nullptr;
    InitOS(&older);
  }

  C4DOS older{};
};

TEST_F(HostLoop, TheHostsLoopCoversTheRangeInChunksOfAtLeastTheGrain)
{
  Chunks chunks;
  ParallelFor(nullptr, 3, 1003, 100, Chunks::Record, &chunks);
  std::vector<Chunk> called = chunks.Sorted();
  ASSERT_EQ(called.size(), 10u);
  for (std::size_t i = 0; i < called.size(); ++i) {
    EXPECT_EQ(called[i].begin, i ? called[i - 1].end : 3);
    EXPECT_GE(called[i].end - called[i].begin, 100);
  }
  EXPECT_EQ(called.back().end, 1003);
}

TEST_F(HostLoop, AnOlderHostRunsTheWholeRangeOnTheCallingThread)
{
  for (bool shorter : {true, false}) {
    BindOlderHost(shorter);
    Chunks chunks;
    ParallelFor(nullptr, 3, 1003, 100, Chunks::Record, &chunks);
    ASSERT_EQ(chunks.called.size(), 1u);
    EXPECT_EQ(std::tie(chunks.called[0].begin, chunks.called[0].end), std::make_tuple(int64_t{3}, int64_t{1003}));
    EXPECT_EQ(chunks.called[0].thread, std::this_thread::get_id());
  }
}

TEST_F(HostLoop, TheBlurGivesTheSameBytesWithAndWithoutTheHostsLoop)
{
  std::mt19937 random(41);
  reference::Image source = test::RandomImage(random, 301, 40);
  reference::Image map = test::RandomMap(random, 301, 40);
  reference::Image expected = reference::Drive(reference::Filter::GaussImproved, source, source, map, 8, 2, false, false);
  for (bool older : {false, true}) {
    SCOPED_TRACE(older);
    if (older) BindOlderHost(true);
    test::CallRecord call;
    reference::Image target(source.width, source.height);
    EXPECT_TRUE(filters::GaussianBlur(test::View(source), test::View(target), test::View(map), {8, 2, false, false},
                                      ::FilterContext(call.Get())));
    EXPECT_TRUE(target == expected);
  }
}

}  // namespace
