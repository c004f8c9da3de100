#include "host/BaseBitmap.h"

#include <gtest/gtest.h>

#include "host/General.h"
#include "host/VideoPostStruct.h"
#include "tests/support/FilterTest.h"

namespace {

using BaseBitmapTest = test::FilterTest;

TEST_F(BaseBitmapTest, InitMakesABlackImageOfSupportedDepthsOnly)
{
  BaseBitmap* bitmap = BaseBitmap::Alloc();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetBw(), 0);
  EXPECT_TRUE(bitmap->Init(3, 2, 32));
  EXPECT_FALSE(bitmap->Init(4, 4, 16));
  EXPECT_FALSE(bitmap->Init(-1, 4, 24));
  EXPECT_EQ(bitmap->GetBw(), 3);
  EXPECT_EQ(bitmap->GetBh(), 2);
  UChar row[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  EXPECT_TRUE(bitmap->GetLine(1, row));
  for (UChar v : row) EXPECT_EQ(v, 0);
  BaseBitmap::Free(bitmap);
  EXPECT_EQ(bitmap, nullptr);
}

TEST_F(BaseBitmapTest, LinesOutsideTheImageAreRefusedAndClonesAreIndependent)
{
  BaseBitmap* bitmap = BaseBitmap::Alloc();
  ASSERT_TRUE(bitmap->Init(2, 2, 24));
  const UChar red[6] = {255, 0, 0, 255, 0, 0};
  UChar row[6] = {};
  EXPECT_TRUE(bitmap->SetLine(1, red, 24));
  EXPECT_FALSE(bitmap->SetLine(2, red, 24));
  EXPECT_FALSE(bitmap->SetLine(0, red, 32));
  EXPECT_FALSE(bitmap->GetLine(-1, row));
  BaseBitmap* clone = bitmap->GetClone();
  ASSERT_NE(clone, nullptr);
  EXPECT_TRUE(bitmap->SetLine(1, row, 24));
  EXPECT_TRUE(clone->GetLine(1, row));
  EXPECT_EQ(row[3], 255);
  BaseBitmap::Free(clone);
  BaseBitmap::Free(bitmap);
}

TEST_F(BaseBitmapTest, NullHandlesReadAsEmpty)
{
  const HstBitmapTable* table = host.Table()->bitmap;
  UChar row[3] = {};
  EXPECT_EQ(table->width(nullptr), 0);
  EXPECT_FALSE(table->init(nullptr, 1, 1, 24));
  EXPECT_FALSE(table->get_line(nullptr, 0, row));
  EXPECT_EQ(table->clone(nullptr), nullptr);
  table->free(nullptr);
  lensara::SetAllocationBudget(0);
  EXPECT_EQ(BaseBitmap::Alloc(), nullptr);
}

TEST_F(BaseBitmapTest, FormatNumberWritesIntegersInDecimal)
{
  EXPECT_STREQ(FormatNumber(GeData(12), 0x666C6E67, 0, true).GetCString(), "12");
  EXPECT_STREQ(FormatNumber(GeData(-3), 0x666C6E67, 0, true).GetCString(), "-3");
  EXPECT_STREQ(FormatNumber(GeData(12), 0x12345678, 0, true).GetCString(), "");
}

TEST_F(BaseBitmapTest, CallRecordReachesTheBreakTestAndTheProgress)
{
  test::CountingBreak stop(1);
  test::RecordingProgress progress;
  test::CallRecord call(&stop, &progress);
  EXPECT_FALSE(TestBreak(call.Get()));
  EXPECT_TRUE(TestBreak(call.Get()));
  EXPECT_FALSE(TestBreak(nullptr));
  call.Get()->progress->SetText(String("Calculating DOF"));
  call.Get()->progress->SetValue(0.25);
  EXPECT_EQ(progress.texts, std::vector<std::string>{"Calculating DOF"});
  EXPECT_EQ(progress.values, std::vector<double>{0.25});
}

}  // namespace
