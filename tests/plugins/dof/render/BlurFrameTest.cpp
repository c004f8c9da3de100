// The frame's blur through a render whose image and depth layers the test paints, against
// the reference filters: the two passes over the rear and the front map, the single pass's
// blend, and a missing front map.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "EffectRender.h"
#include "plugins/dof/depthpass/DepthLights.h"
#include "resources/description/vpdof.h"
#include "tests/support/FilterTest.h"

namespace {

constexpr int kWidth = 24, kHeight = 16;

// The reference filters, named only here: the passes of filter (a DOF_FILTER value) from
// target, and the window maximum of radius 1.
reference::Image Drive(int32_t filter, const reference::Image& source, const reference::Image& target,
                       const reference::Image& map, int radius, int passes, bool depthTest, bool blend)
{
  reference::Filter f = filter == DOF_FILTER_MEDIAN     ? reference::Filter::MedianLowPass
                        : filter == DOF_FILTER_GAUSSIAN ? reference::Filter::GaussImproved
                                                        : reference::Filter::GaussBlending;
  return reference::Drive(f, source, target, map, radius, passes, depthTest, blend);
}
reference::Image Dilate(const reference::Image& map, int passes) { return reference::Dilate(map, passes, 1); }

// Every byte 255 - b, as the front, rear and main maps are inverted when ranges are in use.
reference::Image Inverted(reference::Image map)
{
  for (uint8_t& b : map.bytes) b = static_cast<uint8_t>(255 - b);
  return map;
}

struct Blur {
  int32_t filter;
  int radius, passes;
  bool depthAware;
  int dilations;  // -1: no dilation

  std::string Effect() const
  {
    return R"("DOF_FILTER": )" + std::to_string(filter) + R"(, "DOF_RADIUS": )" + std::to_string(radius) +
           R"(.0, "DOF_PASSES": )" + std::to_string(passes) + R"(.0, "DOF_DEPTH_AWARE": )" +
           (depthAware ? "true" : "false") + R"(, "DOF_DILATE_DEPTH": )" + (dilations >= 0 ? "true" : "false");
  }
};

// The two passes: the rear map (depth-tested when depth-aware) over a black target, blended;
// the front map dilated and smoothed when asked; the front map over a copy of the result.
reference::Image TwoPasses(const Blur& b, const reference::Image& source, const reference::Image& rear,
                           reference::Image front)
{
  reference::Image first = Drive(b.filter, source, reference::Image(kWidth, kHeight), rear, b.radius, b.passes,
                                 b.depthAware, true);
  if (b.dilations >= 0) {
    reference::Image wide = Dilate(front, b.dilations);
    front = Drive(b.filter, wide, front, wide, b.radius, b.passes, false, false);
  }
  return Drive(b.filter, first, first, front, b.radius, b.passes, false, true);
}

class BlurFrame : public EffectRender {
protected:
  explicit BlurFrame(int32_t productKind = 1) : EffectRender(productKind) {}

  // Renders the shell scene with effect at kWidth x kHeight; when the depth render is done,
  // the frame's image is painted with frame and paint gets the depth render.
  int32_t RenderPainted(const std::string& effect, const std::function<void(lensara::Bitmap&)>& paint,
                        lensara::FrameRenderOptions options = {})
  {
    lensara::NestedRenderWatch watch([&](lensara::Document&, lensara::Bitmap& depth) {
      Paint(&image, frame);
      paint(depth);
    });
    return Render(ShellScene(1300.0, effect), options,
                  {"width=" + std::to_string(kWidth), "height=" + std::to_string(kHeight)});
  }

  std::mt19937 random{11};
  reference::Image frame = test::RandomImage(random, kWidth, kHeight);
};

TEST_F(BlurFrame, TwoPassBlursRearWithDepthTestThenFrontOntoPass1)
{
  // Dilation passes: R + (R x P) div 4.
  const Blur blurs[] = {{DOF_FILTER_GAUSSIAN, 2, 1, true, -1},
                        {DOF_FILTER_MEDIAN, 3, 2, false, 4},
                        {DOF_FILTER_GAUSSIAN_BLEND, 2, 2, true, 3}};
  for (const Blur& b : blurs) {
    SCOPED_TRACE(b.Effect());
    reference::Image rear = test::RandomMap(random, kWidth, kHeight), front = test::RandomMap(random, kWidth, kHeight);
    ASSERT_EQ(RenderPainted(b.Effect(),
                            [&](lensara::Bitmap& depth) {
                              Paint(DepthLayer(depth, kRearLightName), rear);
                              Paint(DepthLayer(depth, kFrontLightName), front);
                            }),
              0);
    EXPECT_TRUE(failures.empty());
    reference::Image expected = TwoPasses(b, frame, Inverted(rear), Inverted(front));
    EXPECT_TRUE(Composite() == expected);
    if (b.dilations > 0) {
      Blur more = b;
      ++more.dilations;
      EXPECT_FALSE(TwoPasses(more, frame, Inverted(rear), Inverted(front)) == expected);
    }
  }
}

TEST_F(BlurFrame, OnePassBlendsForMedianAndGaussianBlendAndNotForGaussianNorForDepthAwareReflections)
{
  struct OnePass {
    int32_t filter;
    bool blend;
    std::string more;
  };
  const OnePass cases[] = {{DOF_FILTER_MEDIAN, true, ""},
                           {DOF_FILTER_GAUSSIAN_BLEND, true, ""},
                           {DOF_FILTER_GAUSSIAN, false, ""},
                           {DOF_FILTER_GAUSSIAN, false, R"(, "DOF_REFLECTIONS": true, "DOF_DEPTH_AWARE": true)"}};
  for (const OnePass& c : cases) {
    SCOPED_TRACE(c.filter);
    SCOPED_TRACE(c.more);
    reference::Image main = test::RandomMap(random, kWidth, kHeight);
    ASSERT_EQ(RenderPainted(Blur{c.filter, 2, 2, false, -1}.Effect() + c.more,
                            [&](lensara::Bitmap& depth) { Paint(DepthLayer(depth, kMainLightName), main); }),
              0);
    EXPECT_TRUE(failures.empty());
    EXPECT_TRUE(Composite() ==
                Drive(c.filter, frame, reference::Image(kWidth, kHeight), Inverted(main), 2, 2, false, c.blend));
  }
}

class BlurFrameOnTheRenderFarm : public BlurFrame {
protected:
  BlurFrameOnTheRenderFarm() : BlurFrame(8) {}
};

TEST_F(BlurFrameOnTheRenderFarm, AMissingFrontLayerFailsAfterTheRearPassAndKeepsTheFrame)
{
  // The composite kinds render no front or rear layer; a rear layer added to the depth
  // render lets the first pass run.
  test::RecordingProgress progress;
  lensara::FrameRenderOptions options;
  options.progress = &progress;
  reference::Image rear = test::RandomMap(random, kWidth, kHeight);
  ASSERT_EQ(RenderPainted(
                R"("DOF_DEPTH_AWARE": true)",
                [&](lensara::Bitmap& depth) {
                  Paint(&dynamic_cast<lensara::MultipassBitmap&>(depth).AddLayer(kRearLightName, lensara::kLightBuffer, 9),
                        rear);
                },
                options),
            0);
  EXPECT_EQ(failures, std::vector<int32_t>{1});
  EXPECT_EQ(std::count(progress.texts.begin(), progress.texts.end(), "Gaussian Filter "), 1);
  EXPECT_TRUE(Composite() == frame);
}

}  // namespace
