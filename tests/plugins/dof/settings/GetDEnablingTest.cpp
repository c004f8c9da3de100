// Which parameters the effect lets the user edit, asked through the host as the attribute
// manager asks.
#include <gtest/gtest.h>

#include "PluginFolder.h"
#include "app/core/Host.h"
#include "host/TypeIds.h"
#include "resources/description/vpdof.h"

namespace {

using lensara::Value;

class Enabling : public ::testing::Test {
protected:
  Enabling()
  {
    host.LoadPlugins(BuiltPluginFolder());
    node = host.CreateVideoPost(kDofId);
  }

  void Set(int32_t key, bool on) { node->Data().Set(key, Value(int32_t{on})); }
  bool Enabled(int32_t key) { return node->Enabled(key); }

  lensara::Host host;
  std::unique_ptr<lensara::Node> node;
};

TEST_F(Enabling, EachRuleFollowsItsSwitchesInEveryCombination)
{
  ASSERT_TRUE(node);
  const int32_t switches[] = {DOF_FRONT_BLUR, DOF_REAR_BLUR, DOF_BLUR, DOF_REFLECTIONS, DOF_HAIR, DOF_USE_CAMERA_DOF};
  for (int bits = 0; bits < 64; ++bits) {
    SCOPED_TRACE(bits);
    for (int i = 0; i < 6; ++i) Set(switches[i], (bits >> i) & 1);
    bool front = bits & 1, rear = bits & 2, blur = bits & 4, reflections = bits & 8, hair = bits & 16,
         camera = bits & 32;
    for (int32_t key : {DOF_FRONT_START, DOF_FRONT_END}) EXPECT_EQ(Enabled(key), front && !camera);
    for (int32_t key : {DOF_REAR_START, DOF_REAR_END}) EXPECT_EQ(Enabled(key), rear && !camera);
    for (int32_t key : {DOF_RADIUS, DOF_FILTER, DOF_PASSES}) EXPECT_EQ(Enabled(key), blur);
    for (int32_t key : {DOF_DILATE_DEPTH, DOF_DEPTH_AWARE}) EXPECT_EQ(Enabled(key), blur && !reflections && !hair);
    EXPECT_EQ(Enabled(DOF_FRONT_REAR_BUFFERS), !reflections && !hair);
    for (int32_t key : {DOF_FRONT_BLUR, DOF_REAR_BLUR, DOF_FOCUS_DISTANCE}) EXPECT_EQ(Enabled(key), !camera);
    for (int32_t key : {DOF_DEPTH_BUFFER, DOF_REFLECTIONS, DOF_USE_CAMERA_DOF, DOF_CAMERA, DOF_PREVIEW,
                        DOF_LIVE_PREVIEW, DOF_DEPTH_ANTIALIASING, DOF_EXCLUDE})
      EXPECT_TRUE(Enabled(key)) << key;
  }
}

TEST_F(Enabling, AbsentSwitchesReadAsOff)
{
  ASSERT_TRUE(node);
  for (int32_t key : {DOF_FRONT_BLUR, DOF_BLUR}) node->Data().Remove(key);
  Set(DOF_REAR_BLUR, true);
  EXPECT_FALSE(Enabled(DOF_FRONT_START));
  EXPECT_TRUE(Enabled(DOF_REAR_START));
  EXPECT_FALSE(Enabled(DOF_RADIUS));
  EXPECT_TRUE(Enabled(DOF_FRONT_REAR_BUFFERS));
  EXPECT_TRUE(Enabled(DOF_FOCUS_DISTANCE));
}

TEST_F(Enabling, HairFollowsTheHostsHairRendererAtEveryQuery)
{
  ASSERT_TRUE(node);
  Set(DOF_BLUR, false);
  Set(DOF_USE_CAMERA_DOF, true);
  EXPECT_FALSE(Enabled(DOF_HAIR));
  // Once a hair renderer is registered the same node offers hair, whatever else is set.
  test::TempDir dir;
  InstallHairStandIn(dir.path);
  host.LoadPlugins(dir.path);
  ASSERT_NE(host.FindVideoPost(kHairVideoPost), nullptr);
  EXPECT_TRUE(Enabled(DOF_HAIR));
  EXPECT_TRUE(Enabled(DOF_HAIR));
}

}  // namespace
