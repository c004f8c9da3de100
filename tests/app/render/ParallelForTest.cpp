// The host's parallel loop keeps a render's thread limit.
#include "app/render/ParallelFor.h"

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <thread>

#include "app/render/Renderer.h"

namespace {

struct Threads {
  static void Record(int64_t, int64_t, void* threads)
  {
    auto* self = static_cast<Threads*>(threads);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));  // lets every thread of the arena take chunks
    std::lock_guard<std::mutex> lock(self->mutex);
    self->ids.insert(std::this_thread::get_id());
  }
  std::mutex mutex;
  std::set<std::thread::id> ids;
};

TEST(ParallelFor, RunsOnNoMoreThreadsThanTheRendersLimit)
{
  Threads one;
  lensara::ParallelFor(1, 0, 64, 1, Threads::Record, &one);
  EXPECT_EQ(one.ids, std::set<std::thread::id>{std::this_thread::get_id()});
  Threads every;
  lensara::ParallelFor(0, 0, 64, 1, Threads::Record, &every);
  EXPECT_LE(every.ids.size(), static_cast<std::size_t>(lensara::MaxRenderThreads()));
  EXPECT_EQ(every.ids.count(std::this_thread::get_id()), 1u);
}

}  // namespace
