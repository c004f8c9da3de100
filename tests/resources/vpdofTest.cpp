// The effect's description agrees with the ids the code uses and with what Init stores.
#include <gtest/gtest.h>

#include "PluginFolder.h"
#include "app/core/Description.h"
#include "app/core/Host.h"
#include "resources/description/vpdof.h"

namespace {

using lensara::Description;
using lensara::ParameterDescription;
using Type = ParameterDescription::Type;

Description Load() { return Description::Load(BuiltLensaraFolder() / "res" / "description" / "vpdof.json"); }

TEST(Vpdof, DeclaresEveryParameterUnderItsCodeName)
{
  Description d = Load();
  EXPECT_EQ(d.Name(), "vpdof");
  const std::pair<int32_t, const char*> parameters[] = {
#define PARAMETER(name) {name, #name}
      PARAMETER(DOF_FRONT_BLUR),   PARAMETER(DOF_REAR_BLUR),        PARAMETER(DOF_FRONT_START),
      PARAMETER(DOF_FRONT_END),    PARAMETER(DOF_REAR_START),       PARAMETER(DOF_REAR_END),
      PARAMETER(DOF_RADIUS),       PARAMETER(DOF_DEPTH_BUFFER),     PARAMETER(DOF_BLUR),
      PARAMETER(DOF_FILTER),       PARAMETER(DOF_FRONT_REAR_BUFFERS), PARAMETER(DOF_PASSES),
      PARAMETER(DOF_DILATE_DEPTH), PARAMETER(DOF_DEPTH_AWARE),      PARAMETER(DOF_REFLECTIONS),
      PARAMETER(DOF_USE_CAMERA_DOF), PARAMETER(DOF_FOCUS_DISTANCE), PARAMETER(DOF_HAIR),
      PARAMETER(DOF_CAMERA),       PARAMETER(DOF_PREVIEW),          PARAMETER(DOF_LIVE_PREVIEW),
      PARAMETER(DOF_DEPTH_ANTIALIASING), PARAMETER(DOF_EXCLUDE),
#undef PARAMETER
  };
  for (const auto& [id, name] : parameters) {
    const ParameterDescription* p = d.Find(id);
    ASSERT_NE(p, nullptr) << name;
    EXPECT_EQ(p->name, name);
  }
  EXPECT_EQ(d.Parameters().size(), std::size(parameters));
}

TEST(Vpdof, DeclaresTheCycleValues)
{
  Description d = Load();
  auto ids = [](const ParameterDescription* p) {
    std::vector<std::pair<int32_t, std::string>> out;
    for (const auto& c : p->cycle) out.emplace_back(c.id, c.name);
    return out;
  };
  using Values = std::vector<std::pair<int32_t, std::string>>;
  EXPECT_EQ(ids(d.Find(DOF_FILTER)), (Values{{DOF_FILTER_MEDIAN, "DOF_FILTER_MEDIAN"},
                                             {DOF_FILTER_GAUSSIAN, "DOF_FILTER_GAUSSIAN"},
                                             {DOF_FILTER_GAUSSIAN_BLEND, "DOF_FILTER_GAUSSIAN_BLEND"}}));
  EXPECT_EQ(ids(d.Find(DOF_DEPTH_ANTIALIASING)),
            (Values{{DOF_DEPTH_ANTIALIASING_UNCHANGED, "DOF_DEPTH_ANTIALIASING_UNCHANGED"},
                    {DOF_DEPTH_ANTIALIASING_NONE, "DOF_DEPTH_ANTIALIASING_NONE"}}));
  EXPECT_EQ(d.Find(DOF_CAMERA)->type, Type::Link);
  EXPECT_EQ(d.Find(DOF_EXCLUDE)->type, Type::InExclude);
  EXPECT_EQ(d.Find(DOF_PREVIEW)->type, Type::Button);
}

TEST(Vpdof, EveryDefaultHasTheDeclaredType)
{
  lensara::Host host;
  host.LoadPlugins(BuiltPluginFolder());
  auto node = host.CreateVideoPost(kDofId);
  ASSERT_TRUE(node);
  const Description& d = host.FindVideoPost(kDofId)->description;
  for (const auto& [key, value] : node->Data().Entries()) {
    const ParameterDescription* p = d.Find(key);
    ASSERT_NE(p, nullptr) << key;
    switch (p->type) {
      case Type::Bool: EXPECT_TRUE(value.IsLong() && (value.ToLong() == 0 || value.ToLong() == 1)) << p->name; break;
      case Type::Real: EXPECT_TRUE(value.IsReal()) << p->name; break;
      case Type::Cycle: {
        ASSERT_TRUE(value.IsLong()) << p->name;
        bool listed = false;
        for (const auto& c : p->cycle) listed = listed || c.id == value.ToLong();
        EXPECT_TRUE(listed) << p->name;
        break;
      }
      default: ADD_FAILURE() << p->name << " has a default of type " << lensara::TypeName(p->type);
    }
  }
}

}  // namespace
