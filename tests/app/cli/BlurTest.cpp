#include "app/cli/Blur.h"

#include <gtest/gtest.h>

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <sstream>

#include "app/core/Error.h"
#include "app/image/ImageIO.h"
#include "app/session/DepthMaps.h"
#include "tests/support/FilterTest.h"
#include "tests/support/PluginFolder.h"
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

namespace {

// Columns of surfaces at these distances (0: none) in a picture of kWidth x kHeight: away from
// the ramps' ends, so that no value lies at a rounding's half.
const float kDistances[] = {150.0f, 250.0f, 500.0f, 660.0f, 1000.0f, 0.0f};
constexpr int kWidth = 12, kHeight = 6;
constexpr double kTanHalfWidth = 0.57735026918962573;  // 60 degrees of horizontal view

// The offset of pixel (x, y)'s ray from the view axis, per unit along it.
double RayOffset(int x, int y)
{
  double pixel = 2.0 * kTanHalfWidth / kWidth, sx = (x + 0.5) * pixel - kTanHalfWidth, sy = (kHeight * 0.5 - y - 0.5) * pixel;
  return std::sqrt(1.0 + sx * sx + sy * sy);
}

void WriteDepth(const std::filesystem::path& file, const std::string& channel, bool planar)
{
  std::vector<float> z(kWidth * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      float d = kDistances[x * std::size(kDistances) / kWidth];
      z[y * kWidth + x] = planar ? float(d / RayOffset(x, y)) : d;
    }
  Imf::Header header(kWidth, kHeight);
  header.channels().insert(channel, Imf::Channel(Imf::FLOAT));
  header.channels().insert("R", Imf::Channel(Imf::FLOAT));
  Imf::FrameBuffer buffer;
  buffer.insert(channel, Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(z.data()), sizeof(float), sizeof(float) * kWidth));
  Imf::OutputFile output(file.c_str(), header);
  output.setFrameBuffer(buffer);
  output.writePixels(kHeight);
}

// The clip ramps of focus 500, front 100-300 and rear 100-400: near 200 to 400, far 600 to 900.
double Near(double d) { return d <= 200 ? 0.0 : d < 400 ? (d - 200) / 200 : 1.0; }
double Far(double d) { return d >= 900 ? 0.0 : d > 600 ? (900 - d) / 300 : 1.0; }
int Byte(double f) { return int(std::lround(255 * f)); }

// main, front and rear map values of a distance (0: no surface, which the main and rear
// lights do not light in the depth scene).
std::array<int, 3> Expected(double d)
{
  if (d == 0) return {255, 0, 255};
  return {255 - Byte(Near(d) * Far(d)), 255 - Byte(Near(d)), 255 - Byte(Far(d))};
}

reference::Image ExpectedMap(int which)
{
  reference::Image map(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      std::fill_n(map.At(x, y), 3, uint8_t(Expected(kDistances[x * std::size(kDistances) / kWidth])[which]));
  return map;
}

class DepthBlur : public test::FilterTest {
protected:
  DepthBlur()
  {
    host.LoadPlugins(BuiltPluginFolder());
    std::mt19937 random(7);
    image = test::RandomImage(random, kWidth, kHeight);
    lensara::WriteImage(dir / "image.png", ToBitmap(image));
    options.image = dir / "image.png";
    options.depth = dir / "depth.exr";
    options.output = dir / "out.png";
    options.saveMaps = dir / "";
    options.focus = "500";
    options.front = "100-300";
    options.rear = "100-400";
    options.radius = 3;
    options.passes = 2;
  }

  bool Run(const std::vector<const char*>& given)
  {
    auto edits = lensara::DepthBlurEdits(options, [&](const char* name) {
      return std::find_if(given.begin(), given.end(), [name](const char* g) { return std::strcmp(g, name) == 0; }) != given.end();
    });
    std::ostringstream messages;
    return lensara::RunDepthBlur(host, options, edits, nullptr, nullptr, messages);
  }

  test::TempDir dir;
  Image image;
  lensara::BlurOptions options;
};

TEST_F(DepthBlur, MapsFollowTheDepthLightsClipsForRadialAndPlanarDepth)
{
  const char* const files[] = {"lensara-depth.png", "lensara-depth-front.png", "lensara-depth-rear.png"};
  for (bool planar : {false, true}) {
    WriteDepth(options.depth, planar ? "depth.Z" : "Z", planar);
    options.depthKind = planar ? "planar" : "radial";
    options.fov = 60.0;
    ASSERT_TRUE(Run({"--focus", "--front", "--rear"}));
    for (int which = 0; which < 3; ++which)
      EXPECT_TRUE(lensara::ReadImage(dir / files[which]) == ToBitmap(ExpectedMap(which))) << files[which] << planar;
  }
}

TEST_F(DepthBlur, BlursAsTheFrameRenderDoesInOneOrTwoPasses)
{
  WriteDepth(options.depth, "Z", false);
  ASSERT_TRUE(Run({"--focus", "--front", "--rear", "--radius", "--passes", "--filter"}));
  Image one = reference::Drive(Filter::GaussImproved, image, Image(kWidth, kHeight), ExpectedMap(0), 3, 2, false, false);
  EXPECT_TRUE(lensara::ReadImage(options.output) == ToBitmap(one));

  options.depthAware = true;
  options.filter = "median";
  ASSERT_TRUE(Run({"--focus", "--front", "--rear", "--radius", "--passes", "--depth-aware", "--filter"}));
  Image rear = reference::Drive(Filter::MedianLowPass, image, Image(kWidth, kHeight), ExpectedMap(2), 3, 2, true, true);
  Image two = reference::Drive(Filter::MedianLowPass, rear, rear, ExpectedMap(1), 3, 2, false, true);
  EXPECT_TRUE(lensara::ReadImage(options.output) == ToBitmap(two));
}

TEST(DepthPicture, PlanarDepthBecomesTheDistanceAlongEachRay)
{
  lensara::DepthPicture depth{kWidth, kHeight, std::vector<float>(kWidth * kHeight, 100.0f)};
  lensara::MakeRadial(depth, kTanHalfWidth);
  // The corner pixel's ray leaves the axis by the angle whose cosine is 1 / RayOffset.
  double angle = std::atan(std::hypot(kTanHalfWidth * (1 - 1.0 / kWidth), kTanHalfWidth * (kHeight - 1.0) / kWidth));
  EXPECT_NEAR(depth.distance[0], 100.0 / std::cos(angle), 1e-3);
  EXPECT_NEAR(depth.distance[kWidth * kHeight - 1], 100.0 / std::cos(angle), 1e-3);
}

TEST_F(DepthBlur, NamesWhatTheDepthFileLacks)
{
  WriteDepth(options.depth, "depth.Y", false);
  options.depthChannel = "";
  try {
    Run({});
    FAIL();
  } catch (const lensara::Error& e) {
    EXPECT_NE(std::string(e.what()).find("its channels: R, depth.Y"), std::string::npos) << e.what();
  }
  options.depthChannel = "R";
  EXPECT_THROW(Run({}), lensara::Error);  // R holds no usable value
  lensara::WriteImage(dir / "image.png", lensara::Bitmap(5, 5));
  WriteDepth(options.depth, "Z", false);
  options.depthChannel = "";
  EXPECT_THROW(Run({}), lensara::Error);
}

}  // namespace
