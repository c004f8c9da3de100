// `lensara info`: what it reports of the loaded plug-ins.
#include "app/cli/Info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "PluginFolder.h"

namespace {

using ::testing::HasSubstr;

std::string Info(lensara::Host& host, bool json)
{
  std::ostringstream out;
  lensara::WriteInfo(host, json, out);
  return out.str();
}

TEST(Info, JsonListsTheEffectWithExactlyItsDefaults)
{
  lensara::Host host;
  host.LoadPlugins(BuiltPluginFolder());
  std::string library = (BuiltLensaraFolder() / "liblensara.so").string();
  EXPECT_EQ(Info(host, true),
            "{\"version\":12000,\"product_kind\":1,\"plugins\":[{\"id\":1020104,\"name\":\"Lensara\","
            "\"library\":\"" + library + "\",\"parameters\":{"
            "\"DOF_FILTER\":1012,\"DOF_RADIUS\":3.0,\"DOF_FOCUS_DISTANCE\":2000.0,"
            "\"DOF_FRONT_START\":0.0,\"DOF_FRONT_END\":1000.0,\"DOF_REAR_START\":0.0,\"DOF_REAR_END\":1000.0,"
            "\"DOF_PASSES\":1.0,\"DOF_FRONT_BLUR\":true,\"DOF_REAR_BLUR\":true,\"DOF_BLUR\":true,"
            "\"DOF_DEPTH_ANTIALIASING\":1026}}],"
            "\"libraries\":[\"" + library + "\"],\"failed\":[],\"warnings\":[]}\n");
}

TEST(Info, ReportsTheProductKindAndPluginsThatFailed)
{
  lensara::Host host({10999, 10});
  host.LoadPlugins(BuiltPluginFolder());
  std::string text = Info(host, false);
  EXPECT_THAT(text, HasSubstr("host version 10999, product kind 10"));
  EXPECT_THAT(text, HasSubstr("not loaded: " + (BuiltLensaraFolder() / "liblensara.so").string()));
  EXPECT_THAT(Info(host, true), HasSubstr("\"failed\":[{\"library\":"));
}

TEST(Info, TextListsEachParameterWithItsValue)
{
  lensara::Host host;
  host.LoadPlugins(BuiltPluginFolder());
  std::string text = Info(host, false);
  EXPECT_THAT(text, HasSubstr("video post 1020104 \"Lensara\""));
  EXPECT_THAT(text, HasSubstr("  DOF_RADIUS = 3.0\n"));
  EXPECT_THAT(text, HasSubstr("  DOF_BLUR = true\n"));
}

}  // namespace
