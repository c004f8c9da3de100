// The depth maps of a render with the depth layers painted by the test: the front and rear
// buffers after a failed read, the reflections screened over the main map, and an empty
// exclude list.
#include <gtest/gtest.h>

#include <algorithm>

#include "EffectRender.h"
#include "app/core/Allocations.h"
#include "plugins/dof/depthpass/DepthLights.h"
#include "tests/support/FilterTest.h"

namespace {

class AssembleDepthMaps : public EffectRender {};

TEST_F(AssembleDepthMaps, AFailedReadLeavesTheFrontAndRearBuffersBothUnwritten)
{
  // Both layers painted 100 give 155 in both buffers. From the end of the depth render on,
  // the budget-th allocation and every later one fail, until the run gets through: the
  // buffers are never written when a read of the maps fails before them.
  const reference::Image painted = test::Uniform(4, 3, 100, 100, 100);
  long budget = 0;
  lensara::NestedRenderWatch watch([&](lensara::Document&, lensara::Bitmap& depth) {
    Paint(DepthLayer(depth, kFrontLightName), painted);
    Paint(DepthLayer(depth, kRearLightName), painted);
    lensara::SetAllocationBudget(budget);
  });
  for (;; ++budget) {
    SCOPED_TRACE(budget);
    ASSERT_LT(budget, 100);
    int32_t code = Render(ShellScene(1300.0, R"("DOF_BLUR": false)"));
    lensara::SetAllocationBudget(-1);
    ASSERT_EQ(code, 0);
    if (failures.empty()) break;
    EXPECT_EQ(Pixel("Lensara Depth Front"), Pixel("Lensara Depth Rear"));
  }
  EXPECT_EQ(Pixel("Lensara Depth Front"), 155);
  EXPECT_EQ(Pixel("Lensara Depth Rear"), 155);
}

TEST_F(AssembleDepthMaps, ReflectionsScreenTheirLayerOverTheMainMap)
{
  // Pixel by pixel: the main map, the reflection layer and 255 - (255 - a) x (255 - b) div 255.
  const int cases[][3] = {{0, 0, 0}, {255, 0, 255}, {0, 255, 255}, {128, 128, 192}, {200, 60, 213}, {255, 255, 255}};
  reference::Image main(4, 3), reflections(4, 3);
  for (int i = 0; i < 12; ++i) {
    std::fill_n(main.bytes.begin() + 3 * i, 3, cases[i % 6][0]);
    std::fill_n(reflections.bytes.begin() + 3 * i, 3, cases[i % 6][1]);
  }
  lensara::NestedRenderWatch watch([&](lensara::Document&, lensara::Bitmap& depth) {
    Paint(DepthLayer(depth, kMainLightName), main);
    Paint(dynamic_cast<lensara::MultipassBitmap&>(depth).FindLayer(lensara::kReflectionBuffer, 0), reflections);
  });
  // Without ranges the map keeps its polarity.
  ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_BLUR": false, "DOF_REFLECTIONS": true,
                                        "DOF_FRONT_BLUR": false, "DOF_REAR_BLUR": false)")),
            0);
  ASSERT_TRUE(failures.empty());
  for (int i = 0; i < 12; ++i) EXPECT_EQ(Pixel("Lensara Depth", i % 4, i / 4), cases[i % 6][2]) << i;
}

TEST_F(AssembleDepthMaps, AnEmptyExcludeListRemovesTheExclusionLight)
{
  bool light = true, layer = true;
  lensara::NestedRenderWatch watch([&](lensara::Document& scene, lensara::Bitmap& depth) {
    light = scene.SearchObject(kExclusionLightName) != nullptr;
    layer = DepthLayer(depth, kExclusionLightName) != nullptr;
  });
  ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_BLUR": false, "DOF_EXCLUDE": {"inexclude": []})")), 0);
  EXPECT_TRUE(failures.empty());
  EXPECT_FALSE(light);
  EXPECT_FALSE(layer);
  EXPECT_EQ(Pixel("Lensara Depth"), 255 - Byte(Clip(1300.0, true, 500, 1000, true, 1100, 1900)));
}

}  // namespace
