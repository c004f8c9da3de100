#include "app/core/Allocations.h"

#include <gtest/gtest.h>

#include <string>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace lensara {
namespace {

#ifdef MADV_HUGEPAGE
// The kept block comes back as it was left: the system's allocator would have reused its
// first bytes for its own bookkeeping, or handed out fresh zero pages.
TEST(ImageBlocks, AFreedLargeBlockIsKeptForTheNextOfItsSizeOnly)
{
  constexpr std::size_t kTwoPages = std::size_t(3) << 20; // rounds up to two 2 MB pages
  const std::string mark(64, 'L');
  auto* first = static_cast<char*>(AllocateImageBlock(kTwoPages));
  ASSERT_NE(first, nullptr);
  mark.copy(first, mark.size());
  FreeImageBlock(first);
  void* larger = AllocateImageBlock(kTwoPages * 2);
  auto* again = static_cast<char*>(AllocateImageBlock(kTwoPages + 1000));
  EXPECT_NE(larger, first);
  ASSERT_EQ(again, first);
  EXPECT_EQ(std::string(again, mark.size()), mark);
  again[kTwoPages + 999] = 1; // the whole block is usable again
  FreeImageBlock(larger);
  FreeImageBlock(again);
  FreeImageBlock(nullptr);
}
#endif

}  // namespace
}  // namespace lensara
