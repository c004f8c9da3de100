// A Dof node created by the host from the loaded plug-in.
#include <gtest/gtest.h>

#include "PluginFolder.h"
#include "app/core/Allocations.h"
#include "app/core/Host.h"
#include "resources/description/vpdof.h"

namespace {

using lensara::Value;

class DofNode : public ::testing::Test {
protected:
  DofNode() { host.LoadPlugins(BuiltPluginFolder()); }
  ~DofNode() override { lensara::SetAllocationBudget(-1); }

  lensara::Host host;
};

TEST_F(DofNode, StartsWithExactlyTheDefaultsInOrder)
{
  std::unique_ptr<lensara::Node> node = host.CreateVideoPost(kDofId);
  ASSERT_TRUE(node);
  // Every key not listed (buffers, dilation, depth-aware, reflections, camera settings,
  // hair, camera link, live preview, exclusion list) is absent and reads as its default.
  const std::vector<lensara::Container::Entry> expected = {
      {DOF_FILTER, Value(int32_t{DOF_FILTER_GAUSSIAN})},
      {DOF_RADIUS, Value(3.0)},
      {DOF_FOCUS_DISTANCE, Value(2000.0)},
      {DOF_FRONT_START, Value(0.0)},
      {DOF_FRONT_END, Value(1000.0)},
      {DOF_REAR_START, Value(0.0)},
      {DOF_REAR_END, Value(1000.0)},
      {DOF_PASSES, Value(1.0)},
      {DOF_FRONT_BLUR, Value(int32_t{1})},
      {DOF_REAR_BLUR, Value(int32_t{1})},
      {DOF_BLUR, Value(int32_t{1})},
      {DOF_DEPTH_ANTIALIASING, Value(int32_t{DOF_DEPTH_ANTIALIASING_UNCHANGED})},
  };
  const auto& entries = node->Data().Entries();
  EXPECT_EQ(std::vector<lensara::Container::Entry>(entries.begin(), entries.end()), expected);
  EXPECT_EQ(node->Name(), "Lensara");
}

TEST_F(DofNode, NodesAreIndependent)
{
  auto a = host.CreateVideoPost(kDofId);
  auto b = host.CreateVideoPost(kDofId);
  ASSERT_TRUE(a && b);
  a->Data().Set(DOF_RADIUS, Value(9.0));
  EXPECT_EQ(b->Data().GetReal(DOF_RADIUS, 0.0), 3.0);
}

TEST_F(DofNode, IsNotCreatedWhenMemoryIsShort)
{
  lensara::SetAllocationBudget(0);
  EXPECT_EQ(host.CreateVideoPost(kDofId), nullptr);
}

}  // namespace
