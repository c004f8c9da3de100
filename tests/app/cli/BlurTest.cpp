#include "app/cli/Blur.h"

#include <gtest/gtest.h>

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <Imath/half.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/cli/Render.h"
#include "app/core/Error.h"
#include "app/image/ExrImage.h"
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

// The distances of WriteDepth's columns as a grey 16-bit PNG of value = distance x 4 and a
// TIFF of 32-bit floats.
std::vector<float> ColumnDistances()
{
  std::vector<float> z(kWidth * kHeight);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = kDistances[i % kWidth * std::size(kDistances) / kWidth];
  return z;
}

void WriteDepthPng(const std::filesystem::path& file)
{
  std::vector<uint16_t> values;
  for (float d : ColumnDistances()) values.push_back(uint16_t(d * 4));
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kWidth;
  image.height = kHeight;
  image.format = PNG_FORMAT_LINEAR_Y;
  ASSERT_TRUE(png_image_write_to_file(&image, file.c_str(), 0, values.data(), 0, nullptr));
}

void WriteDepthTiff(const std::filesystem::path& file)
{
  std::vector<float> z = ColumnDistances();
  TIFF* tiff = TIFFOpen(file.c_str(), "w");
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(kWidth));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(kHeight));
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 32);
  TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  for (int y = 0; y < kHeight; ++y) TIFFWriteScanline(tiff, z.data() + y * kWidth, uint32_t(y), 0);
  TIFFClose(tiff);
}

TEST_F(DepthBlur, ReadsDepthFromFloatTiffsAndScaledIntegerPngs)
{
  const char* const files[] = {"lensara-depth.png", "lensara-depth-front.png", "lensara-depth-rear.png"};
  WriteDepthPng(dir / "depth.png");
  WriteDepthTiff(dir / "depth.tif");
  options.depth = dir / "depth.png";
  EXPECT_THROW(Run({"--focus", "--front", "--rear"}), lensara::UsageError);  // integers need a scale
  for (auto [depth, scale] : {std::pair{"depth.png", 0.25}, std::pair{"depth.tif", 0.0}}) {
    options.depth = dir / depth;
    options.depthScale = scale;
    ASSERT_TRUE(Run({"--focus", "--front", "--rear"}));
    for (int which = 0; which < 3; ++which)
      EXPECT_TRUE(lensara::ReadImage(dir / files[which]) == ToBitmap(ExpectedMap(which))) << depth << files[which];
  }
}

// An image of several layers and pixel types: R, G, B and A as halves, an object id as
// unsigned integers, the picture as "diffuse.R", .G and .B of floats.
void WriteLayeredExr(const std::filesystem::path& file, const Image& diffuse)
{
  std::vector<Imath::half> halves(kWidth * kHeight * 4, Imath::half(0.25f));
  std::vector<uint32_t> ids(kWidth * kHeight);
  std::vector<float> colour(kWidth * kHeight * 3);
  for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = uint32_t(i * 1000003);
  for (std::size_t i = 0; i < colour.size(); ++i) colour[i] = diffuse.At(0, 0)[i] / 255.0f;
  Imf::Header header(kWidth, kHeight);
  Imf::FrameBuffer buffer;
  auto add = [&](const std::string& name, Imf::PixelType type, char* base, std::size_t size, std::size_t stride) {
    header.channels().insert(name, Imf::Channel(type));
    buffer.insert(name, Imf::Slice(type, base, size * stride, size * stride * kWidth));
  };
  const char* const rgba[] = {"R", "G", "B", "A"};
  for (std::size_t c = 0; c < 4; ++c) add(rgba[c], Imf::HALF, reinterpret_cast<char*>(halves.data() + c), 2, 4);
  for (std::size_t c = 0; c < 3; ++c)
    add(std::string("diffuse.") + rgba[c], Imf::FLOAT, reinterpret_cast<char*>(colour.data() + c), 4, 3);
  add("id", Imf::UINT, reinterpret_cast<char*>(ids.data()), 4, 1);
  Imf::OutputFile output(file.c_str(), header);
  output.setFrameBuffer(buffer);
  output.writePixels(kHeight);
}

TEST_F(DepthBlur, KeepsAnExrImagesOtherLayersAndAddsTheMaps)
{
  WriteDepth(options.depth, "Z", false);
  ASSERT_TRUE(Run({"--focus", "--front", "--rear"}));  // the picture as a PNG: out.png
  WriteLayeredExr(dir / "layered.exr", image);
  options.image = dir / "layered.exr";
  options.output = dir / "out.exr";
  options.layer = "diffuse";
  ASSERT_TRUE(Run({"--focus", "--front", "--rear"}));

  EXPECT_TRUE(lensara::ReadLayeredImage(options.output, "diffuse").picture == lensara::ReadImage(dir / "out.png"));
  EXPECT_TRUE(lensara::ReadLayeredImage(options.output, "Lensara Depth Rear").picture == ToBitmap(ExpectedMap(2)));
  std::vector<lensara::ExrChannel> in = lensara::ExrImage(options.image).ReadChannels();
  std::vector<lensara::ExrChannel> out = lensara::ExrImage(options.output).ReadChannels();
  for (const lensara::ExrChannel& kept : in) {
    auto found = std::find_if(out.begin(), out.end(), [&](const lensara::ExrChannel& c) { return c.name == kept.name; });
    ASSERT_NE(found, out.end()) << kept.name;
    EXPECT_EQ(found->type, kept.type) << kept.name;
    bool picture = kept.name.rfind("diffuse.", 0) == 0;
    EXPECT_TRUE(picture || found->samples == kept.samples) << kept.name;
  }
  EXPECT_EQ(out.size(), in.size() + 9);  // the three maps' R, G and B

  options.layer = "specular";
  try {
    Run({});
    FAIL();
  } catch (const lensara::Error& e) {
    EXPECT_NE(std::string(e.what()).find("has no layer \"specular\" with R, G and B (its layers: diffuse)"),
              std::string::npos) << e.what();
  }
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

namespace {

// Three balls before, at and behind the focus, lit by one light: the effect with
// both ranges, its maps as buffers, its depth render anti-aliased as the frame (its default).
const char* const kBallsScene = R"({
  "active_camera": "Camera",
  "objects": [
    {"type": "camera", "name": "Camera", "position": [0, 0, 0]},
    {"type": "light", "name": "Key", "position": [-300, 400, -200], "data": {"brightness": 1.0}},
    {"type": "sphere", "name": "Near", "position": [-120, 0, 350], "data": {"radius": 80}},
    {"type": "sphere", "name": "Mid", "position": [60, 0, 700], "data": {"radius": 120}},
    {"type": "sphere", "name": "Far", "position": [250, 50, 1400], "data": {"radius": 200}}
  ],
  "render_settings": [{"type": "render_settings", "data": {"width": 64, "height": 48},
    "video_posts": [{"type": "Lensara", "data": {"DOF_USE_CAMERA_DOF": false, "DOF_FOCUS_DISTANCE": 700.0,
      "DOF_FRONT_BLUR": true, "DOF_FRONT_START": 100.0, "DOF_FRONT_END": 300.0,
      "DOF_REAR_BLUR": true, "DOF_REAR_START": 100.0, "DOF_REAR_END": 600.0,
      "DOF_DEPTH_BUFFER": true, "DOF_FRONT_REAR_BUFFERS": true, "DOF_RADIUS": 4.0, "DOF_PASSES": 2.0}}]}]
})";

// Whether pixel i of a width-wide depth lies at a depth edge: a neighbour's distance differs
// by more than 5 per cent, or only one of them hits a surface.
bool AtEdge(const std::vector<float>& z, int width, int i)
{
  int x = i % width, y = i / width, height = int(z.size()) / width;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      int nx = x + dx, ny = y + dy;
      if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
      float a = z[std::size_t(i)], b = z[std::size_t(ny * width + nx)];
      if (std::isinf(a) != std::isinf(b) || std::fabs(a - b) > 0.05f * std::min(a, b)) return true;
    }
  return false;
}

// The largest difference of two pictures' values at the pixels that at(pixel) admits.
int Worst(const lensara::Bitmap& a, const lensara::Bitmap& b, const std::function<bool(std::size_t)>& at)
{
  int worst = 0;
  for (std::size_t i = 0; i < a.Pixels().size(); ++i)
    if (at(i / 3)) worst = std::max(worst, std::abs(a.Pixels()[i] - b.Pixels()[i]));
  return worst;
}

// The share of two pictures' values that differ by more than tolerance.
double ShareBeyond(const lensara::Bitmap& a, const lensara::Bitmap& b, int tolerance)
{
  std::size_t count = 0;
  for (std::size_t i = 0; i < a.Pixels().size(); ++i) count += std::abs(a.Pixels()[i] - b.Pixels()[i]) > tolerance;
  return double(count) / double(a.Pixels().size());
}

// A render's depth pass blurred with the scene's effect gives the render with the effect.
// Without anti-aliasing the effect's depth render samples each pixel's centre, as the depth
// pass does: maps and picture are the same bytes. With it (the scene's default) the depth
// render's maps are means of 2 x 2 samples and the depth pass holds the centre's: away from
// depth edges they differ by that mean's rounding, at most 1; at an edge by up to 255 (128
// here), and the picture, blurred by them, near the edges too: at most 5 % of its values
// may differ by more than 2 (1.8 % here, by up to 52).
TEST_F(DepthBlur, GivesTheRendersPictureAndMapsFromItsDepthPass)
{
  std::ofstream(dir / "balls.json") << kBallsScene;
  options.image = options.depth = dir / "sharp" / "image.exr";
  options.params = dir / "balls.json";
  for (bool antialiased : {false, true}) {
    lensara::RenderOptions render;
    render.scene = dir / "balls.json";
    render.output = dir / "effect";
    render.sets = {antialiased ? "antialiasing=1" : "antialiasing=0"};
    std::ostringstream messages;
    ASSERT_EQ(lensara::RunRender(host, render, nullptr, nullptr, messages), lensara::RenderStatus::Done);
    render.output = dir / "sharp";
    render.sets.push_back("DOF_BLUR=0");
    render.depthPass = true;
    ASSERT_EQ(lensara::RunRender(host, render, nullptr, nullptr, messages), lensara::RenderStatus::Done);
    ASSERT_TRUE(Run({}));

    std::vector<float> z = lensara::ExrImage(options.depth).ReadChannel("Z");
    auto inside = [&](std::size_t i) { return !antialiased || !AtEdge(z, 64, int(i)); };
    for (const char* file : {"lensara-depth.png", "lensara-depth-front.png", "lensara-depth-rear.png"})
      EXPECT_LE(Worst(lensara::ReadImage(dir / "effect" / file), lensara::ReadImage(dir / file), inside),
                antialiased ? 1 : 0) << file;
    double share = ShareBeyond(lensara::ReadImage(dir / "effect" / "image.png"), lensara::ReadImage(options.output),
                               antialiased ? 2 : 0);
    EXPECT_LE(share, antialiased ? 0.05 : 0.0);
  }
}

}  // namespace
