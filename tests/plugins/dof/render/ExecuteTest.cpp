// The effect in a frame render through the host: depth maps by the clip formula and the
// polarity, exclusion, the blur and its write-back, the stage gate and the failures that
// leave the frame as rendered.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include "EffectRender.h"
#include "PluginFolder.h"
#include "app/core/Allocations.h"
#include "app/core/Host.h"
#include "app/render/FrameRender.h"
#include "app/scene/SceneFile.h"
#include "plugins/dof/PlatformBehaviour.h"
#include "resources/description/vpdof.h"
#include "tests/filters/ReferenceFilters.h"
#include "tests/support/FilterTest.h"
#include "tests/support/TempDir.h"

namespace {

using lensara::FrameRender;
using lensara::FrameRenderOptions;
using lensara::MultipassBitmap;

TEST_F(EffectRender, DepthMapsFollowTheClipFormulaAndThePolarity)
{
  // Front 500 .. 1000, rear 1100 .. 1900; the front light clips only near, the rear light only
  // far; a range in use inverts the maps.
  for (double d : {600.0, 1050.0, 1300.0, 2500.0}) {
    SCOPED_TRACE(d);
    ASSERT_EQ(Render(ShellScene(d, R"("DOF_BLUR": false)")), 0);
    EXPECT_EQ(Pixel("Lensara Depth"), 255 - Byte(Clip(d, true, 500, 1000, true, 1100, 1900)));
    EXPECT_EQ(Pixel("Lensara Depth Front"), 255 - Byte(Clip(d, true, 500, 1000, false, 0, 0)));
    EXPECT_EQ(Pixel("Lensara Depth Rear"), 255 - Byte(Clip(d, false, 1050, 1050, true, 1100, 1900)));
  }
  // Without ranges the main light falls off linearly to 0 at the focus distance, uninverted.
  ASSERT_EQ(Render(ShellScene(600.0, R"("DOF_BLUR": false, "DOF_FRONT_BLUR": false, "DOF_REAR_BLUR": false)")), 0);
  EXPECT_EQ(Pixel("Lensara Depth"), Byte(1.0 - 600.0 / 1000.0));
}

TEST_F(EffectRender, ExcludedObjectsAreSharpWithEitherPolarity)
{
  const std::string exclude = R"("DOF_BLUR": false, "DOF_EXCLUDE": {"inexclude": [{"link": "Shell"}]})";
  ASSERT_EQ(Render(ShellScene(1300.0, exclude)), 0);
  EXPECT_EQ(Pixel("Lensara Depth"), 0);
  ASSERT_EQ(Render(ShellScene(1300.0, exclude + R"(, "DOF_FRONT_BLUR": false, "DOF_REAR_BLUR": false)")), 0);
  EXPECT_EQ(Pixel("Lensara Depth"), 0);
}

TEST_F(EffectRender, EveryEffectsDepthSceneListsTheFirstEffectsExcludedObjects)
{
  // The second effect writes the depth buffer last; its depth scene's exclusion light lists
  // the first effect's objects (the camera alone), so the shell it excludes itself is blurred.
  auto scene = [](const char* excluded) {
    return ShellScene(1300.0, R"("DOF_BLUR": false, "DOF_EXCLUDE": {"inexclude": [{"link": ")" + std::string(excluded) + "\"}]}");
  };
  std::string twoEffects = scene("Camera"), second = scene("Shell");
  size_t post = second.find(R"({"type": "Lensara")"), end = second.rfind("]}]}");
  twoEffects.insert(twoEffects.rfind("]}]}"), ", " + second.substr(post, end - post));
  ASSERT_EQ(Render(twoEffects), 0);
  EXPECT_EQ(Pixel("Lensara Depth"), 255 - Byte(Clip(1300.0, true, 500, 1000, true, 1100, 1900)));
}

TEST_F(EffectRender, DefaultSettingsBlurByOneGaussianPassWithoutBlend)
{
  // A checkered floor under the camera gives the image detail and the map a gradient.
  auto scene = [](const std::string& effect) {
    return R"({"active_camera": "Camera", "objects": [
      {"type": "camera", "name": "Camera", "position": [0, 100, 0], "rotation": [0, 10, 0]},
      {"type": "floor", "name": "Floor", "tags": [{"type": "texture", "data": {"material": {"link": "Checks"}}}]}],
      "materials": [{"type": "standard", "name": "Checks", "data": {"color_shader": {"link": "Board"}},
        "shaders": [{"type": "checkerboard", "name": "Board", "data": {"u_frequency": 40.0, "v_frequency": 40.0}}]}],
      "render_settings": [{"type": "render_settings", "data": {"width": 48, "height": 32, "antialiasing": 0},
        "video_posts": [{"type": "Lensara", "data": {"DOF_FOCUS_DISTANCE": 800.0, "DOF_DEPTH_BUFFER": true)" +
           effect + "}}]}]}";
  };
  ASSERT_EQ(Render(scene(R"(, "DOF_BLUR": false)")), 0);
  reference::Image sharp = Composite();
  reference::Image map(image.Width(), image.Height());
  for (int32_t i = 0; i < image.LayerCount(); ++i)
    if (image.LayerAt(i)->Name() == "Lensara Depth") std::memcpy(map.bytes.data(), image.LayerAt(i)->Row(0), map.bytes.size());
  ASSERT_EQ(Render(scene("")), 0);
  reference::Image expected =
      reference::Drive(reference::Filter::GaussImproved, sharp, reference::Image(48, 32), map, 3, 1, false, false);
  EXPECT_TRUE(Composite().bytes == expected.bytes);
  EXPECT_FALSE(Composite().bytes == sharp.bytes);
}

TEST_F(EffectRender, FailuresAndSkippedRunsLeaveTheFrameAsRendered)
{
  ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_BLUR": false)")), 0);
  reference::Image rendered = Composite();
  int depth = Pixel("Lensara Depth");

  // A viewport render (flag bit 0 clear) does not pass the gate: no depth map, no blur.
  FrameRenderOptions viewport;
  viewport.flags = 0;
  ASSERT_EQ(Render(ShellScene(1300.0, ""), viewport), 0);
  EXPECT_EQ(Pixel("Lensara Depth"), 0);
  EXPECT_TRUE(Composite().bytes == rendered.bytes);

  // Zero passes and a filter the description does not offer keep the rendered image.
  // Scene files clamp the passes and refuse such a filter; a host may hand them all the same.
  for (double passes : {0.4, std::nan("")}) {
    ASSERT_EQ(RenderWith(ShellScene(1300.0, ""), {{DOF_PASSES, lensara::Value(passes)}}), 0);
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(Pixel("Lensara Depth"), depth);
    EXPECT_TRUE(Composite().bytes == rendered.bytes);
  }
  ASSERT_EQ(RenderWith(ShellScene(1300.0, ""), {{DOF_FILTER, lensara::Value(1014)}}), 0);
  EXPECT_EQ(failures, std::vector<int32_t>{1});
  EXPECT_TRUE(Composite().bytes == rendered.bytes);
}

TEST_F(EffectRender, AStopEndsEvenTheMostPassesARealCanAskFor)
{
  // The break test turns true once the third pass of the Gaussian filter starts.
  struct StopAtThirdPass : lensara::BreakTest, lensara::ProgressDisplay {
    bool Stop() noexcept override { return third; }
    void SetText(const char* text) noexcept override
    {
      textsAfterStop += third && *text;
      third = third || std::strcmp(text, "Gaussian Filter 3") == 0;
    }
    void SetValue(double) noexcept override {}
    std::atomic<bool> third{false};  // read by the break test on the filters' threads
    int textsAfterStop = 0;
  };
  // 1e10 passes, saturated to 2^31 - 1, dilating the front map r + r x passes / 4 times.
  for (const char* dilate : {"false", "true"}) {
    SCOPED_TRACE(dilate);
    StopAtThirdPass stop;
    FrameRenderOptions options;
    options.breakTest = &stop;
    options.progress = &stop;
    RenderWith(ShellScene(1300.0, std::string(R"("DOF_DILATE_DEPTH": )") + dilate),
               {{DOF_PASSES, lensara::Value(1e10)}, {DOF_RADIUS, lensara::Value(3.0)}}, options);
    EXPECT_TRUE(stop.third);
    EXPECT_EQ(stop.textsAfterStop, 0);
  }
}

TEST_F(EffectRender, AStopDuringTheDepthRenderAnswersItsOwnCode)
{
  // The break test turns true once the effect shows "Calculating DOF".
  struct StopAtDepth : lensara::BreakTest, lensara::ProgressDisplay {
    bool Stop() noexcept override { return depth; }
    void SetText(const char* text) noexcept override { depth = depth || std::strcmp(text, "Calculating DOF") == 0; }
    void SetValue(double) noexcept override {}
    std::atomic<bool> depth{false};
  } stop;
  ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_BLUR": false)")), 0);
  reference::Image rendered = Composite();
  FrameRenderOptions options;
  options.breakTest = &stop;
  options.progress = &stop;
  ASSERT_EQ(Render(ShellScene(1300.0, ""), options), 0);
  EXPECT_EQ(failures, std::vector<int32_t>{HST_RENDER_USER_BREAK});
  EXPECT_TRUE(Composite().bytes == rendered.bytes);
}

TEST_F(EffectRender, TheDepthRenderKeepsTheRendersThreadLimit)
{
  // Every render asks the break test before each tile, on the thread that takes the tile.
  struct Threads : lensara::BreakTest {
    bool Stop() noexcept override
    {
      std::lock_guard<std::mutex> lock(mutex);
      seen.insert(std::this_thread::get_id());
      return false;
    }
    std::mutex mutex;
    std::set<std::thread::id> seen;
  } threads;
  FrameRenderOptions options;
  options.threads = 1;
  options.breakTest = &threads;
  // 300 tiles: where a second core is free, an unlimited depth render hands it some.
  ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_BLUR": false)"), options, {"width=640", "height=480"}), 0);
  EXPECT_EQ(threads.seen.size(), 1u);
}

TEST_F(EffectRender, ShortMemoryAtAnyAllocationKeepsTheFrameOrFailsTheRender)
{
  ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_BLUR": false)")), 0);
  reference::Image rendered = Composite();
  ASSERT_EQ(Render(ShellScene(1300.0, "")), 0);
  reference::Image blurred = Composite();
  // Every allocation in turn fails, until the frame and the effect both get through.
  for (long budget = 0;; ++budget) {
    SCOPED_TRACE(budget);
    ASSERT_LT(budget, 5000);
    doc = lensara::ReadScene(ShellScene(1300.0, ""), "effect.json");
    FrameRender render(*doc, {});
    image = MultipassBitmap();
    lensara::SetAllocationBudget(budget);
    int32_t code = render.RenderFrame(0.0, image).code;
    lensara::SetAllocationBudget(-1);
    if (code != 0) continue;
    if (render.Failures().empty()) {
      EXPECT_TRUE(Composite().bytes == blurred.bytes);
      break;
    }
    EXPECT_TRUE(Composite().bytes == rendered.bytes);
  }
}

TEST_F(EffectRender, ReflectionsScreenTheirLayerAndWriteNoFrontOrRearMaps)
{
  // The depth materials are white without reflection: the screened layer is black and
  // the map is the main light's alone.
  ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_BLUR": false, "DOF_REFLECTIONS": true)")), 0);
  EXPECT_EQ(Pixel("Lensara Depth"), 255 - Byte(Clip(1300.0, true, 500, 1000, true, 1100, 1900)));
  EXPECT_EQ(Pixel("Lensara Depth Front"), 0);
  EXPECT_EQ(Pixel("Lensara Depth Rear"), 0);
}

TEST_F(EffectRender, TheStageGateLetsOnlyTheClosingInnerStageOfAFinalRenderThrough)
{
  doc = lensara::ReadScene(ShellScene(1300.0, R"("DOF_BLUR": false)"), "gate.json");
  lensara::Node* effect = doc->ActiveRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS);
  int depthRenders = 0;
  lensara::NestedRenderWatch watch([&](lensara::Document&, lensara::Bitmap&) { ++depthRenders; });
  test::CountingBreak stopped(0);
  FrameRender render(*doc, {});
  int32_t result = 0;
  // editor is the call record's word for the macOS behaviour; the host sets it to 1 for
  // viewport renders, where flag bit 0 is clear.
  auto call = [&](int32_t stage, bool open, int32_t flags = 1, lensara::BreakTest* stop = nullptr,
                  int32_t editor = 0) {
    HstVideoPostStruct record{};
    record.stage = stage;
    record.open = open;
    record.result = &result;
    record.document = doc->Handle();
    record.render = render.Handle();
    record.thread = reinterpret_cast<HstThread>(stop);
    record.flags = flags;
    record.editor = editor;
    return effect->Execute(record);
  };
  EXPECT_EQ(call(5, false), 0);  // no depth scene before stage 4 opens
  call(4, true);
  call(4, false);
  call(5, true);
  call(5, false, 0, nullptr, 1);
  call(5, false, 1, &stopped);
  result = 2;
  call(5, false);
  EXPECT_EQ(depthRenders, 0);
  result = 0;
  EXPECT_EQ(call(5, false), 0);
  EXPECT_EQ(depthRenders, 1);
  EXPECT_EQ(call(5, false), 0);  // a finished run freed the depth scene
  EXPECT_EQ(depthRenders, 1);

  // Flag bit 0 decides, or the editor word alone in the macOS behaviour.
  call(4, true);
  call(5, false, 1, nullptr, 1);
  EXPECT_EQ(depthRenders, kMacOSBehaviour ? 1 : 2);
  call(4, true);
  call(5, false, 0, nullptr, 0);
  EXPECT_EQ(depthRenders, 2);
}

TEST_F(EffectRender, BuffersAreRequestedAt16BitsOr32InTheMacOSBehaviour)
{
  ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_BLUR": false)")), 0);
  int buffers = 0;
  for (int32_t i = 0; i < image.LayerCount(); ++i)
    if (image.LayerAt(i)->Name().rfind("Lensara Depth", 0) == 0) {
      ++buffers;
      EXPECT_EQ(image.LayerAt(i)->Bits(), kMacOSBehaviour ? 32 : 16) << image.LayerAt(i)->Name();
    }
  EXPECT_EQ(buffers, 3);
}

TEST_F(EffectRender, TheDepthSceneKeepsForegroundsOnlyInTheMacOSBehaviour)
{
  std::string scene = ShellScene(1300.0, R"("DOF_BLUR": false)");
  scene.insert(scene.find(R"({"type": "sphere")"), R"({"type": "foreground", "name": "Front"}, )");
  bool kept = !kMacOSBehaviour;
  lensara::NestedRenderWatch watch([&](lensara::Document& d, lensara::Bitmap&) { kept = d.SearchObject("Front"); });
  ASSERT_EQ(Render(scene), 0);
  EXPECT_EQ(kept, kMacOSBehaviour);
}

TEST(HairEffect, TheDepthRendersCompositeIsTheMainMapWithoutFrontOrRearMaps)
{
  // The plug-in folder: Lensara and a stand-in hair renderer.
  test::TempDir dir;
  CopyLensara(dir.path);
  InstallHairStandIn(dir.path);
  lensara::Host host;
  host.LoadPlugins(dir.path);
  ASSERT_NE(host.FindVideoPost(kHairVideoPost), nullptr);
  std::unique_ptr<lensara::Document> doc =
      lensara::ReadScene(ShellScene(1300.0, R"("DOF_BLUR": false, "DOF_HAIR": true)"), "hair.json");
  doc->ActiveRenderData()->Branch(HST_BRANCH_VIDEO_POSTS).Append(host.CreateVideoPost(kHairVideoPost));
  FrameRender render(*doc, {});
  MultipassBitmap image;
  ASSERT_EQ(render.RenderFrame(0.0, image).code, 0);
  ASSERT_TRUE(render.Failures().empty());
  auto pixel = [&image](const std::string& name) {
    for (int32_t i = 0; i < image.LayerCount(); ++i)
      if (image.LayerAt(i)->Name() == name) return int{image.LayerAt(i)->Row(0)[0]};
    return -1;
  };
  EXPECT_EQ(pixel("Lensara Depth"), 255 - Byte(Clip(1300.0, true, 500, 1000, true, 1100, 1900)));
  EXPECT_EQ(pixel("Lensara Depth Front"), 0);
}

class RenderFarmEffect : public EffectRender {
protected:
  RenderFarmEffect() : EffectRender(8) {}
};

// Kinds with bit 2 or 3 set render the composite in the macOS behaviour; elsewhere 8 to 10.
class ProductKindEffect : public EffectRender, public ::testing::WithParamInterface<int32_t> {
protected:
  ProductKindEffect() : EffectRender(GetParam()) {}
};

TEST_P(ProductKindEffect, RendersTheCompositeOnTheBuildsCompositeKinds)
{
  int32_t kind = GetParam();
  bool composite = kMacOSBehaviour ? kind != 2 : kind == 8;
  ASSERT_EQ(Render(ShellScene(600.0, R"("DOF_BLUR": false)")), 0);
  EXPECT_EQ(Pixel("Lensara Depth Front"), composite ? 0 : 255 - Byte(Clip(600.0, true, 500, 1000, false, 0, 0)));
}

INSTANTIATE_TEST_SUITE_P(Kinds, ProductKindEffect, ::testing::Values(2, 4, 8, 12));

TEST_F(RenderFarmEffect, UsesTheCompositeAndFailsTheTwoPassBlur)
{
  // The main map is the composite of the depth render: the main light alone, inverted.
  ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_BLUR": false)")), 0);
  EXPECT_EQ(Pixel("Lensara Depth"), 255 - Byte(Clip(1300.0, true, 500, 1000, true, 1100, 1900)));
  EXPECT_EQ(Pixel("Lensara Depth Front"), 0);
  reference::Image rendered = Composite();
  ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_DEPTH_AWARE": true)")), 0);
  EXPECT_EQ(failures, std::vector<int32_t>{1});
  EXPECT_TRUE(Composite().bytes == rendered.bytes);
}

}  // namespace
