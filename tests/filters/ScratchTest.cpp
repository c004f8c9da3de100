// The filters' blocks of memory: a count whose bytes the address space cannot hold gives no
// block instead of a wrapped, too small one.
#include <gtest/gtest.h>

#include <cstdint>

#include "filters/Scratch.h"

namespace {

TEST(Scratch, ACountBeyondTheAddressSpaceGivesNoBlock)
{
  // 2^61 doubles are 2^64 bytes: 64 bytes once wrapped, on every platform.
  EXPECT_EQ(filters::Scratch<double>(std::int64_t(1) << 61).Get(), nullptr);
  // 2^30 doubles wrap a 32-bit size_t to 64 bytes.
  if (sizeof(std::size_t) == 4) {
    EXPECT_EQ(filters::Scratch<double>(std::int64_t(1) << 30).Get(), nullptr);
  }
  EXPECT_NE(filters::Scratch<double>(1000).Get(), nullptr);
}

}  // namespace
