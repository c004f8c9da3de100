#include "app/cli/Blur.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/core/Error.h"
#include "app/image/ImageIO.h"
#include "tests/support/FilterTest.h"
#include "tests/support/PngHeader.h"
#include "tests/support/TempDir.h"

namespace {

using reference::Filter;
using reference::Image;

using test::ToBitmap;

class BlurCommand : public test::FilterTest {
protected:
  BlurCommand()
  {
    std::mt19937 random(41);
    image = test::RandomImage(random, 31, 17);
    map = test::RandomMap(random, 31, 17);
    lensara::WriteImage(dir / "image.png", ToBitmap(image));
    lensara::WriteImage(dir / "map.png", ToBitmap(map));
    options.image = dir / "image.png";
    options.map = dir / "map.png";
    options.output = dir / "out.png";
  }

  test::TempDir dir;
  Image image, map;
  lensara::BlurOptions options;
};

TEST_F(BlurCommand, WritesTheDriversResult)
{
  const std::pair<const char*, Filter> filters[] = {
      {"median", Filter::MedianLowPass}, {"gaussian", Filter::GaussImproved}, {"gaussian-blend", Filter::GaussBlending}};
  for (auto [name, filter] : filters) {
    options.filter = name;
    options.radius = 4;
    options.passes = 2;
    options.depthAware = true;
    options.blend = filter != Filter::GaussImproved;
    test::RecordingProgress progress;
    ASSERT_TRUE(lensara::RunBlur(options, nullptr, &progress));
    Image expected = reference::Drive(filter, image, Image(31, 17), map, 4, 2, true, options.blend);
    EXPECT_TRUE(lensara::ReadImage(options.output) == ToBitmap(expected)) << name;
    EXPECT_FALSE(progress.texts.empty());
  }
}

TEST_F(BlurCommand, RefusesMismatchedImagesAndUnknownFilters)
{
  lensara::WriteImage(dir / "small.png", lensara::Bitmap(30, 17));
  options.map = dir / "small.png";
  EXPECT_THROW(lensara::RunBlur(options, nullptr, nullptr), lensara::Error);
  options.map = dir / "map.png";
  options.filter = "box";
  EXPECT_THROW(lensara::RunBlur(options, nullptr, nullptr), lensara::Error);
  EXPECT_FALSE(std::filesystem::exists(options.output));
}

TEST_F(BlurCommand, MapOfAnotherSizeIsRefusedBeforeDecoding)
{
  test::WritePngHeader(dir / "wide.png", 20000, 17);
  options.map = dir / "wide.png";
  try {
    lensara::RunBlur(options, nullptr, nullptr);
    ADD_FAILURE();
  } catch (const lensara::Error& e) {
    EXPECT_EQ(std::string(e.what()), options.map.string() + ": the blur map is 20000 x 17 but the image " +
                                         options.image.string() + " is 31 x 17");
  }
}

TEST_F(BlurCommand, ZeroPassesLeaveTheImageAsItWas)
{
  options.passes = 0;
  ASSERT_TRUE(lensara::RunBlur(options, nullptr, nullptr));
  EXPECT_TRUE(lensara::ReadImage(options.output) == ToBitmap(image));
}

TEST_F(BlurCommand, StoppedRunWritesNothing)
{
  test::CountingBreak stop(5);
  EXPECT_FALSE(lensara::RunBlur(options, &stop, nullptr));
  EXPECT_FALSE(std::filesystem::exists(options.output));
}

}  // namespace
