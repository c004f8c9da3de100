#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <type_traits>

#include "filters/BlurKernel.h"
#include "filters/FilterSum.h"
#include "filters/Filters.h"
#include "filters/SeparableBlur.h"
#include "tests/filters/FilterTest.h"

namespace {

using reference::Filter;
using reference::Image;

filters::Filter FilterOf(Filter filter)
{
  switch (filter) {
    case Filter::GaussImproved: return filters::GaussImproved;
    case Filter::GaussBlending: return filters::GaussBlending;
    case Filter::MedianLowPass: return filters::MedianLowPass;
  }
  return nullptr;
}

bool RunFilter(Filter filter, filters::ImageView source, filters::ImageView target, filters::ImageView map,
               int radius, bool depthTest, const filters::Context& context = {})
{
  return FilterOf(filter)(source, target, map, {radius, 1, depthTest, false}, context);
}

const Filter kFilters[] = {Filter::GaussImproved, Filter::GaussBlending, Filter::MedianLowPass};

class SeparableFilters : public ::testing::Test {
protected:
  // Runs filter on copies of the images, the target starting black; returns the target.
  Image Run(Filter filter, Image source, Image map, int radius, bool depthTest, const filters::Context& context = {},
            bool* result = nullptr)
  {
    Image target(source.width, source.height);
    bool ok = RunFilter(filter, test::View(source), test::View(target), test::View(map), radius, depthTest, context);
    if (result) *result = ok;
    return target;
  }

  // Every filter, with and without the depth test, at each radius equals the
  // straightforward one and reports success.
  void ExpectStraightforwardResults(const Image& source, const Image& map, std::initializer_list<int> radii)
  {
    for (int radius : radii)
      for (Filter filter : kFilters)
        for (bool depthTest : {false, true}) {
          SCOPED_TRACE(::testing::Message() << source.width << "x" << source.height << " radius " << radius
                                            << " filter " << static_cast<int>(filter) << " depth " << depthTest);
          bool ok = false;
          Image fast = Run(filter, source, map, radius, depthTest, {}, &ok);
          EXPECT_TRUE(ok);
          EXPECT_TRUE(fast == reference::Blur(filter, source, map, radius, depthTest));
        }
  }
};

TEST_F(SeparableFilters, MatchTheStraightforwardFiltersByteForByte)
{
  std::mt19937 random(1234);
  const int sizes[][2] = {{1, 1}, {1, 7}, {9, 1}, {2, 2}, {3, 5}, {23, 17}, {70, 41}};
  for (auto [w, h] : sizes) {
    Image source = test::RandomImage(random, w, h);
    Image map = test::RandomMap(random, w, h);
    ExpectStraightforwardResults(source, map, {0, 1, 2, 3, 5, 8, 16, 21, 80, 300});
  }
}

// A map whose byte 0 takes every value, neighbours far apart in value.
Image EveryMapValue(int width, int height)
{
  Image map(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) map.At(x, y)[0] = static_cast<uint8_t>((x * 37 + y * 101) % 256);
  return map;
}

// Columns and rows alternating between two colours one apart.
Image Checks(int width, int height)
{
  Image image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) image.At(x, y)[c] = static_cast<uint8_t>(100 * c + (x + y) % 2);
  return image;
}

// Under a uniform colour every weighted mean is the colour up to rounding, and the
// quotient's own rounding decides whether it truncates to the colour or one below; checks
// of two colours give means close to whole numbers too.
TEST_F(SeparableFilters, MatchTheStraightforwardFiltersWhereMeansAreNearlyWhole)
{
  const int w = 37, h = 29;
  Image map = EveryMapValue(w, h);
  for (const Image& source : {test::Uniform(w, h, 0, 1, 255), test::Uniform(w, h, 200, 13, 128), Checks(w, h)})
    ExpectStraightforwardResults(source, map, {1, 3, 6, 7, 8, 16});
}

// Pixels are computed in groups and blocks of columns: widths around their sizes leave
// partial groups and blocks at the right edge.
TEST_F(SeparableFilters, MatchTheStraightforwardFiltersAtEveryWidthAroundTheGroups)
{
  std::mt19937 random(15);
  for (int w : {7, 8, 9, 15, 16, 17, 31, 33, 127, 128, 129, 137, 255, 256, 257, 263}) {
    Image source = test::RandomImage(random, w, 6);
    Image map = test::RandomMap(random, w, 6);
    ExpectStraightforwardResults(source, map, {2, 7});
  }
}

// The columns are blurred through a window of rows that slides down tall images.
TEST_F(SeparableFilters, MatchTheStraightforwardFiltersOnTallImages)
{
  std::mt19937 random(16);
  for (int h : {63, 64, 65, 66, 130, 211}) {
    Image source = test::RandomImage(random, 11, h);
    Image map = test::RandomMap(random, 11, h);
    ExpectStraightforwardResults(source, map, {1, 2, 7, 40});
  }
}

TEST_F(SeparableFilters, MatchTheStraightforwardFiltersAtRadiiFarBeyondTheImage)
{
  std::mt19937 random(4321);
  Image source = test::RandomImage(random, 5, 3);
  Image map = test::RandomMap(random, 5, 3);
  for (Filter filter : kFilters)
    for (bool depthTest : {false, true})
      EXPECT_TRUE(Run(filter, source, map, 9000, depthTest) == reference::Blur(filter, source, map, 9000, depthTest));
}

// The mean counts the samples beyond the edge rule's reach instead of visiting them; the
// counts must come out as the visits would, on either side, in both passes and under the
// depth test.
TEST_F(SeparableFilters, MeanOfWindowsFarBeyondTheImageMatchesTheStraightforwardOne)
{
  std::mt19937 random(4322);
  Image map = test::RandomMap(random, 7, 5);
  for (const Image& source : {test::RandomImage(random, 7, 5), Checks(7, 5), test::Uniform(7, 5, 255, 1, 0)})
    for (int radius : {13, 1000, 100000})
      for (bool depthTest : {false, true}) {
        SCOPED_TRACE(::testing::Message() << "radius " << radius << " depth " << depthTest);
        EXPECT_TRUE(Run(Filter::MedianLowPass, source, map, radius, depthTest) ==
                    reference::Blur(Filter::MedianLowPass, source, map, radius, depthTest));
      }
}

// At 2^30 a window of weights alone would need 16 GB and visiting it hours: the mean
// finishes with the colour kept, as every mean of one colour must.
TEST_F(SeparableFilters, MeanOfAHugeRadiusRunsWithinTheImagesCost)
{
  std::mt19937 random(4323);
  Image source = test::Uniform(7, 5, 200, 13, 255), map = test::RandomMap(random, 7, 5);
  for (bool depthTest : {false, true}) {
    bool ok = false;
    EXPECT_TRUE(Run(Filter::MedianLowPass, source, map, 1 << 30, depthTest, {}, &ok) == source);
    EXPECT_TRUE(ok);
  }
}

// The folded Gaussian sums the weights of a window per pixel read, in another order than
// the offsets': within one unit of the straightforward blend at any radius, from windows
// inside the image to windows far past the edge rule's reach, with and without the depth
// test.
TEST_F(SeparableFilters, FoldedGaussianMatchesTheStraightforwardBlendWithinRounding)
{
  std::mt19937 random(4324);
  for (auto [w, h] : {std::pair{7, 5}, std::pair{23, 17}}) {
    Image source = test::RandomImage(random, w, h), map = test::RandomMap(random, w, h);
    for (int radius : {1, 4, 13, 40, 300})
      for (bool depthTest : {false, true}) {
        SCOPED_TRACE(::testing::Message() << w << "x" << h << " radius " << radius << " depth " << depthTest);
        Image s = source, folded(w, h), m = map;
        float sigma = 3.456f * static_cast<float>(radius);
        ASSERT_TRUE(filters::RunFoldedGaussian(radius, 2.0f * sigma * sigma, test::View(s), test::View(folded),
                                               test::View(m), depthTest, {}, 2.0));
        Image straight = reference::Blur(Filter::GaussBlending, source, map, radius, depthTest);
        for (std::size_t i = 0; i < folded.bytes.size(); ++i) EXPECT_NEAR(folded.bytes[i], straight.bytes[i], 1);
      }
  }
}

// Long tails are summed in closed form: as close to the sum of their weights as its own
// rounding.
TEST_F(SeparableFilters, GaussTailsMatchTheirSums)
{
  const std::int32_t radius = 200000;
  const double d = 2.0 * (3.456 * radius) * (3.456 * radius);
  for (std::int64_t a : {0, 20, 100000, radius - 70000, radius - 10, radius + 1}) {
    double sum = 0.0;
    for (std::int64_t k = radius; k >= a; --k) sum += filters::GaussWeight(k, d);
    EXPECT_NEAR(filters::GaussTail(a, radius, d), sum, sum * 1e-13) << a;
  }
}

// GaussBlending folds past radius 2^14 when the windows outreach the image: within
// one unit of the straightforward blend; the widest radius runs at the image's cost, a
// uniform colour losing at most one unit per pass.
TEST_F(SeparableFilters, BlendFarBeyondTheImageRunsWithinTheImagesCost)
{
  std::mt19937 random(4325);
  Image source = test::RandomImage(random, 7, 5), map = test::RandomMap(random, 7, 5);
  for (bool depthTest : {false, true}) {
    Image folded = Run(Filter::GaussBlending, source, map, 100000, depthTest);
    Image straight = reference::Blur(Filter::GaussBlending, source, map, 100000, depthTest);
    for (std::size_t i = 0; i < folded.bytes.size(); ++i) EXPECT_NEAR(folded.bytes[i], straight.bytes[i], 1);
  }
  Image uniform = test::Uniform(7, 5, 200, 13, 255);
  bool ok = false;
  Image out = Run(Filter::GaussBlending, uniform, map, 0x7fffffff, true, {}, &ok);
  EXPECT_TRUE(ok);
  for (std::size_t i = 0; i < out.bytes.size(); ++i) EXPECT_NEAR(out.bytes[i] + 1, uniform.bytes[i], 1);
}

TEST_F(SeparableFilters, ZeroOrNegativeRadiusCopiesTheSource)
{
  std::mt19937 random(7);
  Image source = test::RandomImage(random, 12, 9);
  Image map = test::RandomMap(random, 12, 9);
  for (Filter filter : kFilters)
    for (int radius : {0, -1, -40}) EXPECT_TRUE(Run(filter, source, map, radius, true) == source);
}

TEST_F(SeparableFilters, ZeroMapKeepsTheImageOnlyUnderGaussImproved)
{
  std::mt19937 random(8);
  Image source = test::RandomImage(random, 16, 16);
  Image zero(16, 16);
  EXPECT_TRUE(Run(Filter::GaussImproved, source, zero, 4, false) == source);
  EXPECT_FALSE(Run(Filter::GaussBlending, source, zero, 4, false) == source);
  EXPECT_FALSE(Run(Filter::MedianLowPass, source, zero, 4, false) == source);
}

// Each Gaussian pass may truncate a normalised sum just below the colour: one unit per pass.
TEST_F(SeparableFilters, UniformColourStaysUnderTheMeanAndLosesAtMostOnePerPassUnderGaussians)
{
  Image source = test::Uniform(20, 10, 200, 13, 255);
  std::mt19937 random(9);
  Image map = test::RandomMap(random, 20, 10);
  EXPECT_TRUE(Run(Filter::MedianLowPass, source, map, 3, false) == source);
  for (Filter filter : {Filter::GaussImproved, Filter::GaussBlending}) {
    Image out = Run(filter, source, map, 3, false);
    for (std::size_t i = 0; i < out.bytes.size(); ++i) {
      EXPECT_LE(out.bytes[i], source.bytes[i]);
      EXPECT_GE(out.bytes[i] + 2, source.bytes[i]);
    }
  }
}

// Stored in single precision, the weight sum and the colour sums round apart: a uniform 7
// under GaussBlending of radius 1 loses one in each pass, where doubles keep it.
TEST_F(SeparableFilters, SumsAreStoredInSinglePrecisionOnlyInTheMacOSBehaviour)
{
  Image source = test::Uniform(9, 4, 7, 7, 7), map(9, 4);
  int kept = std::is_same_v<filters::FilterSum, float> ? 5 : 7;
  for (bool depthTest : {false, true})
    EXPECT_TRUE(Run(Filter::GaussBlending, source, map, 1, depthTest) == test::Uniform(9, 4, kept, kept, kept))
        << depthTest;
}

// Rounding by two additions gives single precision's rounding of every sum it takes:
// normal results of random mantissas across the exponents, of either sign, ties of both
// parities and their neighbours, 0, the ends of the range and the rounding up into the
// next binade.
TEST(SingleRounded, MatchesTheConversionsToFloatAndBack)
{
  auto expectConverted = [](std::int64_t bits) {
    double t;
    std::memcpy(&t, &bits, sizeof t);
    EXPECT_EQ(filters::SingleRounded<std::int64_t>(t), static_cast<double>(static_cast<float>(t)))
        << std::hexfloat << t;
  };
  expectConverted(0);
  expectConverted(std::int64_t{1023 - 126} << 52);
  expectConverted(std::int64_t{1023 + 100} << 52);
  std::mt19937_64 random(3);
  const std::int64_t mantissa = (std::int64_t{1} << 52) - 1, kept = mantissa & ~std::int64_t{0x3FFFFFFF};
  const std::int64_t sign = std::numeric_limits<std::int64_t>::min();
  for (std::int64_t exponent = 1023 - 126; exponent <= 1023 + 99; ++exponent)
    for (std::int64_t tail : {0x10000000, 0x30000000, 0x0FFFFFFF, 0x10000001, 0x1FFFFFFF, 0x3FFFFFFF}) {
      expectConverted((exponent << 52) | kept | tail);
      expectConverted((exponent << 52) | (random() & kept) | tail);
      for (int i = 0; i < 8; ++i) expectConverted((exponent << 52) | (random() & (mantissa | sign)));
    }
}

// The centre values whose weights could leave a sum subnormal, negative or huge in
// single precision span every such row; a shared row spans all centre values or none.
TEST(BlurKernel, TinyWeightsSpanTheCentreValuesThatHaveThem)
{
  filters::BlurKernel perCentre;
  ASSERT_TRUE(perCentre.Init(2, true));
  for (std::int32_t c = 0; c < 256; ++c)
    for (std::int32_t k = -2; k <= 2; ++k) perCentre.Row(c)[k] = k == 0 ? 1.0 : c == 0 ? 0.0 : 0x1p-126;
  perCentre.Row(7)[2] = 0x1p-127;
  perCentre.Row(90)[-1] = -0.5;
  perCentre.Row(200)[1] = 0x1p41;
  perCentre.Finish();
  EXPECT_EQ(perCentre.TinyFrom(), 7);
  EXPECT_EQ(perCentre.TinyTo(), 200);
  for (double weight : {0x1p40, 0x1p-130}) {
    filters::BlurKernel shared;
    ASSERT_TRUE(shared.Init(1, false));
    for (std::int32_t k = -1; k <= 1; ++k) shared.Row(0)[k] = k == 0 ? 1.0 : weight;
    shared.Finish();
    EXPECT_EQ(shared.TinyFrom() <= shared.TinyTo(), weight < 1.0) << weight;
    if (weight < 1.0) {
      EXPECT_EQ(shared.TinyTo() - shared.TinyFrom(), 255);
    }
  }
}

TEST_F(SeparableFilters, DepthTestCountsNeighboursUpToFiveBelowTheCentre)
{
  Image source(3, 1), map(3, 1);
  const uint8_t colours[] = {10, 100, 250};
  const uint8_t depths[] = {195, 200, 194};
  for (int x = 0; x < 3; ++x) {
    source.At(x, 0)[0] = colours[x];
    map.At(x, 0)[0] = depths[x];
  }
  Image out = Run(Filter::MedianLowPass, source, map, 1, true);
  EXPECT_EQ(out.At(1, 0)[0], (10 + 100) / 2);  // 194 is left out, 195 counts
  EXPECT_EQ(out.At(0, 0)[0], (100 + 10 + 100) / 3); // higher neighbours always count
}

TEST_F(SeparableFilters, EdgesReflectWithoutRepeatingTheFirstSample)
{
  Image source(3, 1), map = test::Uniform(3, 1, 255, 255, 255);
  const uint8_t colours[] = {0, 30, 240};
  for (int x = 0; x < 3; ++x) source.At(x, 0)[0] = colours[x];
  Image out = Run(Filter::MedianLowPass, source, map, 1, false);
  EXPECT_EQ(out.At(0, 0)[0], (30 + 0 + 30) / 3);    // columns 1, 0, 1
  EXPECT_EQ(out.At(2, 0)[0], (30 + 240 + 240) / 3); // columns 1, 2, 2
}

TEST_F(SeparableFilters, MissingStorageOrDifferentSizesGiveFalseAndLeaveTheTarget)
{
  std::mt19937 random(10);
  Image image = test::RandomImage(random, 6, 5);
  Image source = image, target = image, map = image, narrow(5, 5);
  const filters::ImageView empty{nullptr, 6, 5};
  for (Filter filter : kFilters) {
    EXPECT_FALSE(RunFilter(filter, empty, test::View(target), test::View(map), 2, false));
    EXPECT_FALSE(RunFilter(filter, test::View(source), empty, test::View(map), 2, false));
    EXPECT_FALSE(RunFilter(filter, test::View(source), test::View(target), empty, 2, false));
    EXPECT_FALSE(RunFilter(filter, test::View(source), test::View(target), test::View(narrow), 2, false));
    EXPECT_FALSE(RunFilter(filter, test::View(narrow), test::View(target), test::View(map), 2, false));
    EXPECT_TRUE(target == image);
  }
}

TEST_F(SeparableFilters, StopInTheFirstPassLeavesTheSource)
{
  std::mt19937 random(11);
  Image source = test::RandomImage(random, 30, 12);
  Image map = test::RandomMap(random, 30, 12);
  for (Filter filter : kFilters) {
    test::Observer stop(7);
    bool ok = false;
    EXPECT_TRUE(Run(filter, source, map, 3, true, stop.Context(), &ok) == source);
    EXPECT_TRUE(ok);
  }
}

// A stop ends a pass before the column it is asked at. Asked once in the first pass, the
// second pass still runs and blurs the target's own pixels beyond the stop along with the
// rest; asked from a column of the second pass on, the columns before it are blurred and
// the others keep the source's pixels.
TEST_F(SeparableFilters, StoppedRunsMatchTheStraightforwardOnesStoppedAlike)
{
  std::mt19937 random(17);
  const int w = 300, h = 9;
  Image source = test::RandomImage(random, w, h);
  Image map = test::RandomMap(random, w, h);
  struct Stop {
    long at;
    bool once;
    int firstColumns, secondColumns;
  };
  const Stop stops[] = {{211, true, 211, w}, {w + 97, false, w, 97}};
  for (const Stop& s : stops)
    for (Filter filter : kFilters)
      for (bool depthTest : {false, true}) {
        SCOPED_TRACE(::testing::Message() << "stop " << s.at << " filter " << static_cast<int>(filter) << " depth "
                                          << depthTest);
        test::Observer stop(s.at, s.once);
        EXPECT_TRUE(Run(filter, source, map, 5, depthTest, stop.Context()) ==
                    reference::Blur(filter, source, Image(w, h), map, 5, depthTest, s.firstColumns, s.secondColumns));
      }
}

// The source may be the target itself: the results are those of separate images, also
// after a stop in either pass.
TEST_F(SeparableFilters, BlurTheTargetItself)
{
  std::mt19937 random(18);
  const int w = 140, h = 70;
  Image source = test::RandomImage(random, w, h);
  Image map = test::RandomMap(random, w, h);
  for (Filter filter : kFilters)
    for (long stopAt : {-1L, 30L, w + 133L}) {
      SCOPED_TRACE(::testing::Message() << "filter " << static_cast<int>(filter) << " stop " << stopAt);
      Image image = source, m = map;
      test::Observer stop(stopAt);
      EXPECT_TRUE(RunFilter(filter, test::View(image), test::View(image), test::View(m), 6, true, stop.Context()));
      int first = stopAt < 0 ? w : std::min<int>(stopAt, w), second = stopAt < 0 ? w : std::max<int>(stopAt - w, 0);
      EXPECT_TRUE(image == reference::Blur(filter, source, source, map, 6, true, first, second));
    }
}

TEST_F(SeparableFilters, AskTheBreakTestAndSetTheProgressOncePerColumn)
{
  std::mt19937 random(13);
  const int w = 80, h = 3;
  Image source = test::RandomImage(random, w, h);
  Image map = test::RandomMap(random, w, h);
  for (Filter filter : kFilters) {
    test::Observer progress;
    Run(filter, source, map, 2, false, progress.Context());
    EXPECT_EQ(progress.asked, 2 * w);
    ASSERT_EQ(progress.values.size(), 2u * w);
    bool halves = filter != Filter::MedianLowPass;
    for (int x = 0; x < w; ++x) {
      double first = halves ? x / (2.0 * w) : x / double(w);
      EXPECT_DOUBLE_EQ(progress.values[x], first);
      EXPECT_DOUBLE_EQ(progress.values[w + x], halves ? 0.5 + first : first);
    }
    EXPECT_TRUE(progress.texts.empty());
  }
}

}  // namespace
