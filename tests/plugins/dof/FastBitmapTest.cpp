#include "plugins/dof/FastBitmap.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/core/Bitmap.h"
#include "filters/Filters.h"
#include "tests/support/FilterTest.h"

namespace {

using FastBitmapTest = test::FilterTest;

// A host bitmap with a distinct value in every byte.
lensara::Bitmap Pattern(int width, int height)
{
  lensara::Bitmap bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int i = 0; i < width * 3; ++i) bitmap.Row(y)[i] = static_cast<uint8_t>(y * 31 + i * 7);
  return bitmap;
}

BaseBitmap* AsBase(lensara::Bitmap& b) { return BaseBitmap::FromHandle(b.Handle()); }

TEST_F(FastBitmapTest, ReadsAHostBitmapRowByRowAndWritesItBackUnchanged)
{
  lensara::Bitmap host = Pattern(7, 5);
  FastBitmap fast(AsBase(host));
  ASSERT_NE(fast.GetData(), nullptr);
  EXPECT_EQ(fast.GetWidth(), 7);
  EXPECT_EQ(fast.GetHeight(), 5);
  EXPECT_EQ(fast.GetData()[(2 * 7 + 3) * 3 + 1], host.Row(2)[3 * 3 + 1]);
  lensara::Bitmap back(7, 5);
  fast.CopyTo(AsBase(back));
  EXPECT_TRUE(back == host);
  BaseBitmap* made = fast.GetBaseBitmap();
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(*lensara::Bitmap::FromHandle(made->Handle()) == host);
  BaseBitmap::Free(made);
  EXPECT_EQ(made, nullptr);
}

TEST_F(FastBitmapTest, CopiesAreDeepAndKeepTheTargetsSize)
{
  lensara::Bitmap host = Pattern(4, 3);
  FastBitmap original(AsBase(host));
  FastBitmap copy(&original);
  ASSERT_NE(copy.GetData(), original.GetData());
  lensara::Bitmap back(4, 3);
  copy.CopyTo(AsBase(back));
  EXPECT_TRUE(back == host);
  FastBitmap other(4, 3);
  original.CopyTo(&other);
  EXPECT_EQ(std::memcmp(other.GetData(), original.GetData(), 4 * 3 * 3), 0);
  EXPECT_EQ(other.GetWidth(), 4);
}

TEST_F(FastBitmapTest, EmptyBuffersStayEmptyThroughCopies)
{
  FastBitmap empty;
  FastBitmap copy(&empty);
  FastBitmap copyOfCopy(&copy);
  FastBitmap fromNull(static_cast<BaseBitmap*>(nullptr));
  for (const FastBitmap* b : {&empty, &copy, &copyOfCopy, &fromNull}) {
    EXPECT_EQ(b->GetData(), nullptr);
    EXPECT_EQ(b->GetWidth(), 0);
    EXPECT_EQ(b->GetHeight(), 0);
  }
  EXPECT_EQ(empty.GetBaseBitmap(), nullptr);
}

TEST_F(FastBitmapTest, ZeroSizedImagesHaveStorageAndCopyNothing)
{
  lensara::Bitmap host(0, 4);
  FastBitmap fast(AsBase(host));
  EXPECT_NE(fast.GetData(), nullptr);
  EXPECT_EQ(fast.GetWidth(), 0);
  EXPECT_EQ(fast.GetHeight(), 4);
  FastBitmap other(0, 4);
  fast.CopyTo(&other);
  EXPECT_TRUE(filters::GaussianBlur(fast.View(), other.View(), fast.View(), {3, 2, true, true}, {}));
}

TEST_F(FastBitmapTest, FailedOrOversizedAllocationsKeepTheSizeWithoutStorage)
{
  lensara::Bitmap host = Pattern(5, 5);
  lensara::SetAllocationBudget(0);
  FastBitmap failed(AsBase(host));
  lensara::SetAllocationBudget(-1);
  EXPECT_EQ(failed.GetData(), nullptr);
  EXPECT_EQ(failed.GetWidth(), 5);
  EXPECT_EQ(failed.GetHeight(), 5);
  lensara::Bitmap untouched(5, 5);
  failed.CopyTo(AsBase(untouched));
  EXPECT_TRUE(untouched == lensara::Bitmap(5, 5));
  FastBitmap fine(AsBase(host));
  EXPECT_FALSE(filters::GaussImproved(fine.View(), fine.View(), failed.View(), {1}, {}));
  EXPECT_FALSE(filters::Dilate(failed.View(), fine.View(), {}, {1, 1}, {}));

  FastBitmap huge(30000, 30000); // 2.7e9 bytes: beyond 2^31
  EXPECT_EQ(huge.GetData(), nullptr);
  EXPECT_EQ(huge.GetWidth(), 30000);
  FastBitmap negative(-2, 4);
  EXPECT_EQ(negative.GetData(), nullptr);
}

}  // namespace
