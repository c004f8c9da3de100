#include "app/cli/Render.h"

#include <gtest/gtest.h>

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/core/Error.h"
#include "app/image/ImageIO.h"
#include "app/session/SceneLoading.h"
#include "tests/support/FilterTest.h"
#include "tests/support/PluginFolder.h"
#include "app/scene/SceneFile.h"
#include "tests/support/TempDir.h"

namespace {

// Two ambient lights at the centre of a sphere, one layer each.
const char* const kScene = R"({
  "objects": [
    {"type": "sphere", "name": "Shell", "data": {"radius": 500.0}},
    {"type": "light", "name": "Key Light", "data": {"ambient": 1, "brightness": 0.5}},
    {"type": "light", "name": "Fill", "data": {"ambient": 1, "brightness": 0.25, "color": [1.0, 0.0, 0.0]}}
  ],
  "render_settings": [{
    "type": "render_settings",
    "data": {"width": 6, "height": 4, "antialiasing": 0, "multipass": 1, "separate_lights": 1},
    "passes": [{"type": "pass", "data": {"pass_type": 100}}]
  }]
})";

class RenderCommand : public test::FilterTest {
protected:
  RenderCommand()
  {
    host.LoadPlugins(BuiltPluginFolder());
    std::ofstream(dir / "scene.json") << kScene;
    options.scene = dir / "scene.json";
    options.output = dir / "out";
  }

  // The channel of an EXR file by name, as 8-bit values.
  static std::vector<int> Channel(const std::filesystem::path& file, const std::string& name)
  {
    Imf::InputFile input(file.c_str());
    if (!input.header().channels().findChannel(name)) return {};
    Imath::Box2i window = input.header().dataWindow();
    int width = window.max.x - window.min.x + 1, height = window.max.y - window.min.y + 1;
    std::vector<float> values(static_cast<std::size_t>(width) * height);
    Imf::FrameBuffer buffer;
    buffer.insert(name, Imf::Slice::Make(Imf::FLOAT, values.data(), window));
    input.setFrameBuffer(buffer);
    input.readPixels(window.min.y, window.max.y);
    std::vector<int> bytes;
    for (float v : values) bytes.push_back(static_cast<int>(v * 255.0f + 0.5f));
    return bytes;
  }

  test::TempDir dir;
  lensara::RenderOptions options;
  std::ostringstream warnings;
};

TEST_F(RenderCommand, WritesTheCompositeAndEachLayerPerFrame)
{
  options.frames = {lensara::FrameRange{2, 3}};
  options.layers = true;
  test::RecordingProgress progress;
  ASSERT_EQ(lensara::RunRender(host, options, nullptr, &progress, warnings), lensara::RenderStatus::Done);
  for (const char* file : {"image.0002.png", "image.0003.exr", "key-light.0003.png", "fill.0002.png"})
    EXPECT_TRUE(std::filesystem::exists(options.output / file)) << file;
  EXPECT_FALSE(std::filesystem::exists(options.output / "image.png"));
  EXPECT_EQ(progress.values.back(), 1.0);

  lensara::Bitmap png = lensara::ReadImage(options.output / "image.0002.png");
  EXPECT_EQ(png.Row(0)[0], 191);
  std::filesystem::path exr = options.output / "image.0002.exr";
  EXPECT_EQ(Channel(exr, "R"), std::vector<int>(24, 191));
  EXPECT_EQ(Channel(exr, "G"), std::vector<int>(24, 128));
  EXPECT_EQ(Channel(exr, "Key Light.B"), std::vector<int>(24, 128));
  EXPECT_EQ(Channel(exr, "Fill.R"), std::vector<int>(24, 64));
  EXPECT_EQ(Channel(exr, "Fill.G"), std::vector<int>(24, 0));
}

// A ball, its material, a light and the effect's focus keyed; the data holds each value at
// frame 5, so that without its tracks the scene is the still of frame 5.
const char* const kKeyedScene = R"({
  "objects": [
    {"type": "camera", "name": "Camera", "position": [0, 0, -600]},
    {"type": "floor", "name": "Floor", "position": [0, -120, 0]},
    {"type": "light", "name": "Key", "position": [-300, 300, -300], "data": {"brightness": 0.9},
     "tracks": [{"parameter": "brightness", "keys": [
       {"frame": 0, "value": 0.3, "interpolation": "step"}, {"frame": 3, "value": 0.9}]}]},
    {"type": "sphere", "name": "Ball", "position": [25, 0, 300], "data": {"radius": 120},
     "tags": [{"type": "texture", "data": {"material": {"link": "Paint"}}}],
     "tracks": [{"parameter": "position.x", "keys": [
       {"frame": 0, "value": -100.0, "interpolation": "linear"}, {"frame": 8, "value": 100.0}]}]}
  ],
  "materials": [{"type": "standard", "name": "Paint", "data": {"color": [0, 0, 1]},
    "tracks": [{"parameter": "color", "keys": [
      {"frame": 0, "value": [1, 0, 0], "interpolation": "step"}, {"frame": 4, "value": [0, 0, 1]}]}]}],
  "render_settings": [{"type": "render_settings", "data": {"width": 48, "height": 36},
    "video_posts": [{"type": "Lensara",
      "data": {"DOF_FOCUS_DISTANCE": 900.0, "DOF_DEPTH_BUFFER": true, "DOF_FRONT_REAR_BUFFERS": true},
      "tracks": [{"parameter": "DOF_FOCUS_DISTANCE", "keys": [
        {"frame": 0, "value": 300.0, "interpolation": "linear"}, {"frame": 10, "value": 1500.0}]}]}]}]
})";

void EraseTracks(nlohmann::json& j)
{
  if (j.is_object()) j.erase("tracks");
  if (j.is_structured())
    for (auto& inner : j) EraseTracks(inner);
}

std::string Bytes(const std::filesystem::path& file)
{
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(RenderCommand, EachFrameRendersAsTheStillSceneOfItsValues)
{
  std::ofstream(dir / "keyed.json") << kKeyedScene;
  nlohmann::json still = nlohmann::json::parse(kKeyedScene);
  EraseTracks(still);
  std::ofstream(dir / "still.json") << still.dump();
  options.scene = dir / "keyed.json";
  options.frames = {{0, 0, 1}, {5, 9, 5}};
  test::RecordingProgress progress;
  ASSERT_EQ(lensara::RunRender(host, options, nullptr, &progress, warnings), lensara::RenderStatus::Done) << warnings.str();
  EXPECT_NE(std::find(progress.texts.begin(), progress.texts.end(), "Rendering frame 5 (2 of 2)"), progress.texts.end());
  options.scene = dir / "still.json";
  options.frames.clear();
  ASSERT_EQ(lensara::RunRender(host, options, nullptr, nullptr, warnings), lensara::RenderStatus::Done) << warnings.str();
  // The depth maps of frame 5 are those of focus 900 with the ball at x = 25: the effect's
  // depth scene, prepared with white materials and its own lights, is not re-animated.
  for (std::string name : {"image", "lensara-depth", "lensara-depth-front", "lensara-depth-rear"}) {
    std::string still = Bytes(options.output / (name + ".png"));
    EXPECT_TRUE(Bytes(options.output / (name + ".0005.png")) == still) << name;
    EXPECT_FALSE(Bytes(options.output / (name + ".0000.png")) == still) << name;
  }
}

// The bundled rack focus: the blur map is black on the red ball in front at the first frame
// and on the blue ball behind at the last, and the other ball is blurred in each.
TEST_F(RenderCommand, TheRackFocusExampleMovesTheSharpZoneFromTheNearBallToTheFarOne)
{
  options.scene = std::filesystem::path(LENSARA_SOURCE_DIR) / "examples/rack-focus.json";
  options.sets = {"width=160", "height=120", "antialiasing=0"};
  options.frames = {{0, 47, 47}};
  ASSERT_EQ(lensara::RunRender(host, options, nullptr, nullptr, warnings), lensara::RenderStatus::Done) << warnings.str();
  auto blurAt = [&](int frame, int x, int y) {
    char name[32];
    std::snprintf(name, sizeof name, "lensara-depth.%04d.png", frame);
    return lensara::ReadImage(options.output / name).Row(y)[3 * x];
  };
  const int nearX = 25, nearY = 78, farX = 51, farY = 42;  // the balls' centres in both frames
  EXPECT_LT(blurAt(0, nearX, nearY), 20);
  EXPECT_GT(blurAt(0, farX, farY), 200);
  EXPECT_GT(blurAt(47, nearX, nearY), 200);
  EXPECT_LT(blurAt(47, farX, farY), 20);
}

// Every file under folder by its name relative to folder, with its bytes.
std::map<std::string, std::string> Contents(const std::filesystem::path& folder)
{
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files[entry.path().lexically_relative(folder).string()] = Bytes(entry.path());
  return files;
}

TEST_F(RenderCommand, ChunksRenderedAtAnyThreadCountGiveTheBytesOfTheWholeRange)
{
  std::ofstream(dir / "keyed.json") << kKeyedScene;
  options.scene = dir / "keyed.json";
  options.frames = {{0, 6, 1}, {9, 9, 1}};
  options.threads = 1;
  ASSERT_EQ(lensara::RunRender(host, options, nullptr, nullptr, warnings), lensara::RenderStatus::Done) << warnings.str();
  lensara::RenderOptions part = options;
  part.output = dir / "parts";
  for (int32_t k : {2, 0, 1}) {
    part.chunk = lensara::FrameChunk{k, 3};
    part.threads = k + 1;
    ASSERT_EQ(lensara::RunRender(host, part, nullptr, nullptr, warnings), lensara::RenderStatus::Done) << warnings.str();
  }
  std::map<std::string, std::string> whole = Contents(options.output);
  EXPECT_EQ(whole.size(), 8u * 6u);  // image, EXR, three depth layers, record
  EXPECT_TRUE(Contents(part.output) == whole);
}

// Frame 0 is complete; frame 1 lost a file; frame 2's files are there but its record is
// not (a render killed before renaming it into place, its temporary left behind).
TEST_F(RenderCommand, SkipExistingRendersOnlyTheFramesWhoseFilesAreIncomplete)
{
  options.frames = {{0, 2, 1}};
  options.layers = true;
  ASSERT_EQ(lensara::RunRender(host, options, nullptr, nullptr, warnings), lensara::RenderStatus::Done);
  std::ofstream(options.output / "image.0000.png") << "kept";
  std::filesystem::remove(options.output / "fill.0001.png");
  std::filesystem::rename(options.output / ".image.0002.complete", options.output / ".image.0002.complete.99-0.tmp");
  options.skipExisting = true;
  std::ostringstream log;
  ASSERT_EQ(lensara::RunRender(host, options, nullptr, nullptr, log), lensara::RenderStatus::Done);
  EXPECT_NE(log.str().find("Skipped frame 0: its files are complete\n"), std::string::npos) << log.str();
  for (const char* rendered : {"Rendered frame 1 in ", "Rendered frame 2 in "})
    EXPECT_NE(log.str().find(rendered), std::string::npos) << log.str();
  EXPECT_EQ(Bytes(options.output / "image.0000.png"), "kept");
  EXPECT_TRUE(std::filesystem::exists(options.output / "fill.0001.png"));

  // A render of frame 1 stopped before its files are replaced leaves it incomplete.
  options.frames = {{1, 1, 1}};
  options.skipExisting = false;
  test::CountingBreak stop(0);
  ASSERT_EQ(lensara::RunRender(host, options, &stop, nullptr, log), lensara::RenderStatus::Stopped);
  options.frames = {{0, 2, 1}};
  options.skipExisting = true;
  log.str("");
  ASSERT_EQ(lensara::RunRender(host, options, nullptr, nullptr, log), lensara::RenderStatus::Done);
  EXPECT_NE(log.str().find("Rendered frame 1 in "), std::string::npos) << log.str();
  EXPECT_NE(log.str().find("Skipped frame 2"), std::string::npos) << log.str();
}

TEST_F(RenderCommand, StoppedRenderWritesNothing)
{
  test::CountingBreak stop(0);
  EXPECT_EQ(lensara::RunRender(host, options, &stop, nullptr, warnings), lensara::RenderStatus::Stopped);
  EXPECT_FALSE(std::filesystem::exists(options.output / "image.png"));
  EXPECT_FALSE(std::filesystem::exists(options.output / "image.exr"));
}

TEST_F(RenderCommand, TheEffectsBuffersAndDepthScenesAreWritten)
{
  options.scene = lensara::DemoScene();
  options.sets = {"width=32", "height=24", "DOF_DEPTH_BUFFER=true", "DOF_FRONT_REAR_BUFFERS=true"};
  options.depthScene = dir / "depth" / "scene.json";
  options.depthLayers = dir / "layers";
  std::filesystem::create_directory(dir / "depth");
  ASSERT_EQ(lensara::RunRender(host, options, nullptr, nullptr, warnings), lensara::RenderStatus::Done) << warnings.str();
  for (const char* file : {"lensara-depth.png", "lensara-depth-front.png", "lensara-depth-rear.png"})
    EXPECT_TRUE(std::filesystem::exists(options.output / file)) << file;
  EXPECT_EQ(Channel(options.output / "image.exr", "Lensara Depth.R").size(), 32u * 24u);
  EXPECT_TRUE(std::filesystem::exists(options.depthLayers / "light-021006-qorvel.png"));
  std::unique_ptr<lensara::Document> depth = lensara::LoadScene(options.depthScene);
  EXPECT_NE(depth->SearchObject("Light__021006_qorvel"), nullptr);
  EXPECT_EQ(depth->SearchObject("Key Light"), nullptr);
}

TEST_F(RenderCommand, AStopDuringTheBlurWritesNothing)
{
  struct StopAtBlur : lensara::BreakTest, lensara::ProgressDisplay {
    bool Stop() noexcept override { return blurring; }
    void SetText(const char* text) noexcept override
    {
      blurring = blurring || std::string(text).rfind("Gaussian Filter", 0) == 0;
    }
    void SetValue(double) noexcept override {}
    std::atomic<bool> blurring{false};  // read by the break test on the filters' threads
  } stop;
  options.scene = lensara::DemoScene();
  options.sets = {"width=32", "height=24"};
  EXPECT_EQ(lensara::RunRender(host, options, &stop, &stop, warnings), lensara::RenderStatus::Stopped);
  EXPECT_TRUE(stop.blurring);
  EXPECT_FALSE(std::filesystem::exists(options.output / "image.png"));
}

TEST_F(RenderCommand, ErrorsNameTheSceneAndTheProblem)
{
  EXPECT_TRUE(std::filesystem::exists(lensara::DemoScene()));
  std::ofstream(dir / "big.json") << R"({"render_settings": [{"type": "render_settings", "data": {"width": 20000}}]})";
  options.scene = dir / "big.json";
  try {
    lensara::RunRender(host, options, nullptr, nullptr, warnings);
    ADD_FAILURE() << "no error";
  } catch (const lensara::Error& e) {
    EXPECT_NE(std::string(e.what()).find("big.json"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("20000"), std::string::npos) << e.what();
  }
  options.scene = dir / "missing.json";
  EXPECT_THROW(lensara::RunRender(host, options, nullptr, nullptr, warnings), lensara::Error);
  options.frames = {lensara::FrameRange{3, 2}};
  EXPECT_THROW(lensara::RunRender(host, options, nullptr, nullptr, warnings), lensara::UsageError);
  options.frames.clear();
  options.scene = lensara::DemoScene();
  for (const char* set : {"DOF_RADIU=3", "DOF_FILTER=DOF_FILTER_BOX", "width=0", "DOF_CAMERA=Nobody", "width"}) {
    options.sets = {set};
    EXPECT_THROW(lensara::RunRender(host, options, nullptr, nullptr, warnings), lensara::UsageError) << set;
  }
}

}  // namespace
