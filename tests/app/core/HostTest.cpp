// Loading plug-in libraries: the real plug-in, and libraries that cannot be used.
#include "app/core/Host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "PluginFolder.h"

namespace {

using ::testing::HasSubstr;

TEST(Host, LoadsTheBuiltPluginAndItsEffect)
{
  lensara::Host host;
  host.LoadPlugins(BuiltPluginFolder());
  EXPECT_TRUE(host.Failures().empty());
  EXPECT_TRUE(host.Warnings().empty());
  ASSERT_EQ(host.Libraries().size(), 1u);
  ASSERT_EQ(host.VideoPosts().size(), 1u);
  const lensara::VideoPostClass& dof = *host.VideoPosts()[0];
  EXPECT_EQ(dof.id, 1020104);
  EXPECT_EQ(dof.name, "Lensara");
  EXPECT_EQ(dof.description.Name(), "vpdof");
  EXPECT_EQ(dof.library->File(), BuiltLensaraFolder() / "liblensara.so");
}

TEST(Host, ReportsUnusableLibrariesAndLoadsTheRest)
{
  test::TempDir dir;
  CopyLensara(dir.path);
  WriteFile(dir.path / "broken.so", "not a library");
  std::filesystem::copy(LENSARA_TEST_NOENTRY_LIBRARY, dir.path / "noentry.so");

  lensara::Host host;
  host.LoadPlugins(dir.path);
  ASSERT_EQ(host.Failures().size(), 2u);
  EXPECT_EQ(host.Failures()[0].library, dir.path / "broken.so");
  EXPECT_THAT(host.Failures()[0].reason, HasSubstr("cannot be loaded"));
  EXPECT_EQ(host.Failures()[1].library, dir.path / "noentry.so");
  EXPECT_THAT(host.Failures()[1].reason, HasSubstr("no c4d_main"));
  ASSERT_EQ(host.VideoPosts().size(), 1u);
  EXPECT_EQ(host.VideoPosts()[0]->name, "Lensara");
}

TEST(Host, RegistrationsShorterThanTheHostReadsAreRefusedWithTheReason)
{
  test::TempDir dir;
  std::filesystem::copy(LENSARA_TEST_OLD_LIBRARY, dir.path / "old.so");

  lensara::Host host;
  host.LoadPlugins(dir.path);
  ASSERT_EQ(host.Failures().size(), 1u);
  EXPECT_EQ(host.Failures()[0].library, dir.path / "old.so");
  const std::string& reason = host.Failures()[0].reason;
  EXPECT_THAT(reason, HasSubstr("failed to register: its video post registration has " +
                                std::to_string(offsetof(HstVideoPostRegistration, video_post)) +
                                " bytes where this host reads " + std::to_string(sizeof(HstVideoPostRegistration))));
  EXPECT_THAT(reason, HasSubstr("; its node class has " + std::to_string(offsetof(HstNodeClass, get_enabling))));
  EXPECT_THAT(reason, HasSubstr("built against an older plug-in interface"));
  EXPECT_TRUE(host.VideoPosts().empty());
}

TEST(Host, AnOldHostIsRefusedByThePlugin)
{
  lensara::Host host({10999, 1});
  host.LoadPlugins(BuiltPluginFolder());
  ASSERT_EQ(host.Failures().size(), 1u);
  EXPECT_EQ(host.Failures()[0].library, BuiltLensaraFolder() / "liblensara.so");
  EXPECT_THAT(host.Failures()[0].reason, HasSubstr("-3"));
  EXPECT_TRUE(host.Libraries().empty());
  EXPECT_TRUE(host.VideoPosts().empty());
}

TEST(Host, APluginWithoutItsDisplayNameLoadsButOffersNothing)
{
  test::TempDir dir;
  std::filesystem::path folder = CopyLensara(dir.path);
  WriteFile(folder / "res" / "strings.json", "{}");

  lensara::Host host;
  host.LoadPlugins(dir.path);
  EXPECT_TRUE(host.Failures().empty());
  EXPECT_EQ(host.Libraries().size(), 1u);
  EXPECT_TRUE(host.VideoPosts().empty());
}

TEST(Host, APluginWithoutResourcesLoadsWithAWarning)
{
  test::TempDir dir;
  std::filesystem::path folder = CopyLensara(dir.path);
  std::filesystem::remove_all(folder / "res");

  lensara::Host host;
  host.LoadPlugins(dir.path);
  EXPECT_TRUE(host.Failures().empty());
  ASSERT_EQ(host.Warnings().size(), 1u);
  EXPECT_THAT(host.Warnings()[0].reason, HasSubstr("resources could not be loaded"));
  EXPECT_TRUE(host.VideoPosts().empty());
}

TEST(Host, AMissingOrBrokenDescriptionFailsTheRegistration)
{
  for (const char* text : {"", "{\"name\": \"vpdof\", \"groups\": [{\"parameters\": [{\"id\": 1}]}]}"}) {
    test::TempDir dir;
    std::filesystem::path file = CopyLensara(dir.path) / "res" / "description" / "vpdof.json";
    std::filesystem::remove(file);
    if (*text) WriteFile(file, text);

    lensara::Host host;
    host.LoadPlugins(dir.path);
    ASSERT_EQ(host.Failures().size(), 1u) << text;
    EXPECT_THAT(host.Failures()[0].reason, HasSubstr("failed to register"));
    EXPECT_THAT(host.Failures()[0].reason, HasSubstr(file.string()));
    EXPECT_TRUE(host.VideoPosts().empty());
  }
}

TEST(Host, AMissingPluginFolderIsReported)
{
  lensara::Host host;
  host.LoadPlugins("/nonexistent/plugins");
  ASSERT_EQ(host.Failures().size(), 1u);
  EXPECT_THAT(host.Failures()[0].reason, HasSubstr("no such plug-in folder"));
}

TEST(Host, UnknownVideoPostsAreNotCreated)
{
  lensara::Host host;
  host.LoadPlugins(BuiltPluginFolder());
  EXPECT_EQ(host.CreateVideoPost(42), nullptr);
}

}  // namespace
