#include <gtest/gtest.h>

#include <limits>

#include "filters/Filters.h"
#include "tests/filters/FilterTest.h"

namespace {

using reference::Image;

Image Dilated(Image source, Image target, int passes, int radius, const filters::Context& context = {})
{
  EXPECT_TRUE(filters::Dilate(test::View(source), test::View(target), {}, {radius, passes}, context));
  return target;
}

TEST(DilateTest, SpreadsOnePixelByTheRadiusPerPass)
{
  Image dot(15, 15);
  dot.At(7, 7)[0] = 255;
  for (int passes = 1; passes <= 3; ++passes) {
    Image out = Dilated(dot, Image(15, 15), passes, 1);
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 15; ++x) {
        bool inside = std::abs(x - 7) <= passes && std::abs(y - 7) <= passes;
        ASSERT_EQ(out.At(x, y)[0], inside ? 255 : 0) << passes << ": " << x << "," << y;
        ASSERT_EQ(out.At(x, y)[2], out.At(x, y)[0]);
      }
  }
}

// Lines of one pixel, sizes that end in part of a block of columns, and radii up to past
// the image; the source may be the target.
TEST(DilateTest, MatchesTheStraightforwardWindowMaximum)
{
  std::mt19937 random(31);
  for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 6}, std::pair{5, 2}, std::pair{33, 19}, std::pair{1, 45},
                      std::pair{70, 1}, std::pair{131, 37}}) {
    Image source = test::RandomImage(random, w, h);
    Image target = test::RandomImage(random, w, h);
    for (int passes : {1, 2, 3})
      for (int radius : {0, 1, 2, 3, 7, 8, 16, 50}) {
        SCOPED_TRACE(::testing::Message() << w << "x" << h << " passes " << passes << " radius " << radius);
        Image expected = reference::Dilate(source, passes, radius);
        EXPECT_TRUE(Dilated(source, target, passes, radius) == expected);
        Image inPlace = source;
        EXPECT_TRUE(filters::Dilate(test::View(inPlace), test::View(inPlace), {}, {radius, passes}, {}));
        EXPECT_TRUE(inPlace == expected);
      }
  }
  // Rows wider than two tiles of the pass along the rows, and more than one block of rows.
  Image wide = test::RandomImage(random, 531, 67);
  for (int radius : {1, 8})
    EXPECT_TRUE(Dilated(wide, Image(531, 67), 1, radius) == reference::Dilate(wide, 1, radius));
}

// Windows wider than the image reach no further samples: the straightforward maximum at
// radius 1000 on a tiny image, and the same at 2^30, where visiting every offset of the
// window would not finish.
TEST(DilateTest, RadiiFarBeyondTheImageTakeTheMaximumOfWhatTheEdgeRuleReaches)
{
  std::mt19937 random(34);
  Image source = test::RandomImage(random, 7, 5), target = test::RandomImage(random, 7, 5);
  Image expected = reference::Dilate(source, 2, 1000);
  EXPECT_TRUE(Dilated(source, target, 2, 1000) == expected);
  EXPECT_TRUE(Dilated(source, target, 2, 1 << 30) == expected);
}

TEST(DilateTest, ZeroPassesKeepTheTargetAndNegativeRadiusSpreadsByteZero)
{
  std::mt19937 random(32);
  Image source = test::RandomImage(random, 9, 4), target = test::RandomImage(random, 9, 4);
  EXPECT_TRUE(Dilated(source, target, 0, 1) == target);
  EXPECT_TRUE(Dilated(source, target, 1, -2) == reference::Dilate(source, 1, 0));
}

TEST(DilateTest, StopsAtTheBreakAndStillAlternatesTheBuffers)
{
  std::mt19937 random(33);
  // The stop falls inside the second block of 64 columns.
  const int w = 131, h = 6, stopColumn = 70;
  Image source = test::RandomImage(random, w, h), target = test::RandomImage(random, w, h);
  {
    test::Observer stop(stopColumn);
    Image out = Dilated(source, target, 1, 1, stop.Context());
    Image full = reference::Dilate(source, 1, 1);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(out.At(x, y)[0], (x < stopColumn ? full : target).At(x, y)[0]);
  }
  test::Observer stop(stopColumn);
  // Two passes, the second stopped at once: the untouched working copy lands in the target.
  EXPECT_TRUE(Dilated(source, target, 2, 1, stop.Context()) == source);
  EXPECT_EQ(stop.asked, stopColumn + 2);
  ASSERT_EQ(stop.values.size(), std::size_t(stopColumn));
  EXPECT_DOUBLE_EQ(stop.values.back(), (stopColumn - 1) / double(w));
}

TEST(DilateTest, AStopEndsEvenAHugeCountOfPasses)
{
  std::mt19937 random(34);
  const int stopColumn = 5;
  Image source = test::RandomImage(random, 9, 4), target = test::RandomImage(random, 9, 4);
  test::Observer stop(stopColumn);
  EXPECT_TRUE(Dilated(source, target, std::numeric_limits<int>::max() - 1, 1, stop.Context()) == source);
  EXPECT_EQ(stop.asked, stopColumn + 2);
}

TEST(DilateTest, MissingStorageOrDifferentSizesGiveFalse)
{
  Image source(4, 4), target(4, 4), other(4, 5);
  const filters::ImageView empty{nullptr, 4, 4};
  const filters::Parameters once{1, 1};
  EXPECT_FALSE(filters::Dilate(empty, test::View(target), {}, once, {}));
  EXPECT_FALSE(filters::Dilate(test::View(source), empty, {}, once, {}));
  EXPECT_FALSE(filters::Dilate(test::View(source), test::View(other), {}, once, {}));
  EXPECT_FALSE(filters::Dilate(test::View(source), {}, {}, once, {}));
}

}  // namespace
