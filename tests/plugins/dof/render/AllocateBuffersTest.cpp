// The buffers the effect asks a render for, and which of them are shown.
#include <gtest/gtest.h>

#include "EffectRender.h"

namespace {

class AllocateBuffers : public EffectRender {};

TEST_F(AllocateBuffers, ShowTheDepthBufferWhenAskedAndFrontAndRearWhenAskedWithoutReflections)
{
  auto set = [](const char* name, bool on) { return std::string(name) + (on ? "=true" : "=false"); };
  for (int switches = 0; switches < 8; ++switches) {
    bool depth = switches & 1, frontRear = switches & 2, reflections = switches & 4;
    SCOPED_TRACE(switches);
    ASSERT_EQ(Render(ShellScene(1300.0, R"("DOF_BLUR": false)"), {},
                     {set("DOF_DEPTH_BUFFER", depth), set("DOF_FRONT_REAR_BUFFERS", frontRear),
                      set("DOF_REFLECTIONS", reflections)}),
              0);
    // "Lensara Depth", or an unseen stand-in.
    lensara::Layer* shown = image.FindLayer(111, 1020103);
    lensara::Layer* hidden = image.FindLayer(100, 0);
    EXPECT_EQ(shown && shown->Visible(), depth);
    EXPECT_EQ(hidden && !hidden->Visible(), !depth);
    for (int32_t subId : {1020104, 1020105}) {
      lensara::Layer* layer = image.FindLayer(111, subId);
      ASSERT_NE(layer, nullptr);
      EXPECT_EQ(layer->Visible(), frontRear && !reflections);
    }
  }
}

}  // namespace
