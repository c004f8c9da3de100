#include <gtest/gtest.h>

#include <limits>

#include "filters/Filters.h"
#include "tests/filters/FilterTest.h"

namespace {

using reference::Filter;
using reference::Image;

struct DriverCase {
  filters::Filter driver;
  Filter filter;
  const char* label;
};

const DriverCase kDrivers[] = {{filters::MedianBlur, Filter::MedianLowPass, "Median Filter "},
                               {filters::GaussianBlur, Filter::GaussImproved, "Gaussian Filter "},
                               {filters::GaussianBlend, Filter::GaussBlending, "Gaussian Filter "}};

class PassDrivers : public ::testing::Test {
protected:
  ~PassDrivers() override { test::SetAllocationBudget(-1); }

  // Runs driver on copies of the images; returns the target.
  Image Run(filters::Filter driver, Image source, Image target, Image map, int radius, int passes, bool depthTest,
            bool blend, const filters::Context& context = {}, bool* result = nullptr)
  {
    bool ok = driver(test::View(source), test::View(target), test::View(map), {radius, passes, depthTest, blend},
                     context);
    if (result) *result = ok;
    return target;
  }
};

TEST_F(PassDrivers, MatchTheStraightforwardPassesAndBlend)
{
  std::mt19937 random(21);
  for (auto [w, h] : {std::pair{1, 1}, std::pair{4, 9}, std::pair{37, 23}}) {
    Image source = test::RandomImage(random, w, h);
    Image target = test::RandomImage(random, w, h);
    Image map = test::RandomMap(random, w, h);
    for (const DriverCase& d : kDrivers)
      for (int passes : {-1, 0, 1, 3})
        for (bool blend : {false, true})
          for (bool depthTest : {false, true}) {
            SCOPED_TRACE(::testing::Message() << w << "x" << h << " " << d.label << static_cast<int>(d.filter)
                                              << " passes " << passes << " blend " << blend << " depth " << depthTest);
            bool ok = false;
            Image fast = Run(d.driver, source, target, map, 3, passes, depthTest, blend, {}, &ok);
            EXPECT_TRUE(ok);
            EXPECT_TRUE(fast == reference::Drive(d.filter, source, target, map, 3, passes, depthTest, blend));
          }
  }
}

TEST_F(PassDrivers, BlendKeepsTheSourceWhereTheMapIsZeroAndTheFilteredImageWhereItIsFull)
{
  std::mt19937 random(22);
  Image source = test::RandomImage(random, 25, 14);
  Image black(25, 14);
  Image zero(25, 14), full = test::Uniform(25, 14, 255, 255, 255);
  for (const DriverCase& d : kDrivers) {
    EXPECT_TRUE(Run(d.driver, source, black, zero, 3, 2, false, true) == source);
    EXPECT_TRUE(Run(d.driver, source, black, full, 3, 2, false, true) ==
                Run(d.driver, source, black, full, 3, 2, false, false));
  }
}

TEST_F(PassDrivers, BlendReadsTheMeanOfTheMapBytes)
{
  Image source = test::Uniform(4, 4, 0, 0, 0);
  Image target = test::Uniform(4, 4, 90, 90, 90);
  Image map = test::Uniform(4, 4, 255, 0, 0);
  // No pass: the target's own contents are blended with F = 1/3.
  Image out = Run(filters::MedianBlur, source, target, map, 1, 0, false, true);
  EXPECT_EQ(out.At(2, 2)[0], static_cast<int>(90 * ((255.0 / 3.0) / 255.0)));
}

TEST_F(PassDrivers, ProgressTextNamesThePassOnlyWhenThereAreSeveral)
{
  std::mt19937 random(23);
  Image image = test::RandomImage(random, 6, 6);
  test::Observer three, one;
  Run(filters::MedianBlur, image, image, image, 1, 3, false, false, three.Context());
  Run(filters::GaussianBlend, image, image, image, 1, 1, false, true, one.Context());
  EXPECT_EQ(three.texts,
            (std::vector<std::string>{"Median Filter 1", "", "Median Filter 2", "", "Median Filter 3", ""}));
  EXPECT_EQ(one.texts, (std::vector<std::string>{"Gaussian Filter ", ""}));
  EXPECT_EQ(three.values.size(), 3u * 2 * 6); // the filter's values; the driver sets none
}

TEST_F(PassDrivers, FailingPassLeavesTheTargetAndGivesFalse)
{
  std::mt19937 random(24);
  Image source = test::RandomImage(random, 8, 8), target = test::RandomImage(random, 8, 8);
  Image t = target, smallMap(4, 8);
  const filters::ImageView s = test::View(source), noMap{nullptr, 8, 8};
  for (const DriverCase& d : kDrivers) {
    EXPECT_FALSE(d.driver(s, test::View(t), noMap, {2, 2, false, false}, {}));
    EXPECT_FALSE(d.driver(s, test::View(t), test::View(smallMap), {2, 1, false, true}, {}));
    EXPECT_FALSE(d.driver(s, test::View(t), test::View(smallMap), {2, 0, false, true}, {}));
    EXPECT_FALSE(d.driver(s, test::View(t), {}, {2, 0, false, false}, {}));
    EXPECT_TRUE(t == target);
  }
}

TEST_F(PassDrivers, FailedWorkingCopiesGiveFalse)
{
  std::mt19937 random(25);
  Image image = test::RandomImage(random, 8, 8);
  Image s = image, t = image, m = image;
  for (long budget : {0, 1, 2, 3, 4}) {
    test::SetAllocationBudget(budget);
    EXPECT_FALSE(filters::GaussianBlur(test::View(s), test::View(t), test::View(m), {2, 1, false, true}, {}))
        << budget;
  }
  // A single pass without the blend takes no working copy, only the filter's own memory.
  for (long budget : {0, 1, 2, 3}) {
    test::SetAllocationBudget(budget);
    EXPECT_FALSE(filters::GaussianBlur(test::View(s), test::View(t), test::View(m), {2, 1, false, false}, {}))
        << budget;
  }
  test::SetAllocationBudget(-1);
  EXPECT_TRUE(t == image);
}

TEST_F(PassDrivers, SourceMayBeTheTarget)
{
  std::mt19937 random(27);
  Image source = test::RandomImage(random, 19, 11), map = test::RandomMap(random, 19, 11);
  for (const DriverCase& d : kDrivers)
    for (int passes : {1, 2})
      for (bool blend : {false, true}) {
        Image image = source;
        EXPECT_TRUE(d.driver(test::View(image), test::View(image), test::View(map), {2, passes, false, blend}, {}));
        EXPECT_TRUE(image == reference::Drive(d.filter, source, source, map, 2, passes, false, blend))
            << d.label << passes << blend;
      }
}

TEST_F(PassDrivers, StoppedBlendLeavesTheLaterColumnsAsTheyWere)
{
  std::mt19937 random(26);
  const int w = 90, h = 5, stopColumn = 70;
  Image source = test::RandomImage(random, w, h), target = test::RandomImage(random, w, h);
  Image map = test::RandomMap(random, w, h);
  test::Observer stop(stopColumn);
  bool ok = false;
  Image out = Run(filters::GaussianBlur, source, target, map, 2, 0, false, true, stop.Context(), &ok);
  Image full = reference::Drive(Filter::GaussImproved, source, target, map, 2, 0, false, true);
  EXPECT_TRUE(ok);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(out.At(x, y)[1], (x < stopColumn ? full : target).At(x, y)[1]);
}

}  // namespace

// A stop ends the passes: no pass starts after it, so a huge pass count ends at once, with
// no progress text after the stop.
TEST_F(PassDrivers, StopEndsThePasses)
{
  std::mt19937 random(27);
  Image image = test::RandomImage(random, 6, 6);
  for (const DriverCase& d : kDrivers) {
    test::Observer stop(30);  // in the third pass: the first two ask 13 questions each
    bool ok = false;
    Run(d.driver, image, image, image, 1, std::numeric_limits<int32_t>::max(), false, false, stop.Context(), &ok);
    EXPECT_TRUE(ok);
    EXPECT_LT(stop.asked, 40);
    const std::string label = d.label;
    EXPECT_EQ(stop.texts, (std::vector<std::string>{label + "1", "", label + "2", "", label + "3", ""}));
  }
}
