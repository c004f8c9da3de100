// The interface library's plug-in entry: the start count, the table binding, the plug-in
// folder and the release at the last end, whatever the plug-in's hooks.
#include "host/PluginEntry.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "tests/support/EntryFixture.h"

namespace {

using PluginEntry = test::Entry;
using test::HostFilename;

TEST_F(PluginEntry, StartKeepsThePluginFolderAndTheLastEndReleasesIt)
{
  EXPECT_EQ(Start(), 1);
  EXPECT_EQ(std::filesystem::path(GeGetPluginPath().GetCString()), BuiltLensaraFolder());
  EXPECT_EQ(Message(1), 1);
  EXPECT_STREQ(GeLoadString(10000).GetCString(), "Lensara");

  EXPECT_EQ(End(), 1);
  EXPECT_FALSE(GeGetPluginPath().Content());
  EXPECT_FALSE(GeLoadString(10000).Content());
}

TEST_F(PluginEntry, NestedStartsAndEndsOnlyCount)
{
  ASSERT_EQ(Start(), 1);
  ASSERT_EQ(Message(1), 1);
  HostFilename other(host.Table(), "/elsewhere");
  EXPECT_EQ(Start(host.Table(), other.Handle()), 1);
  EXPECT_EQ(std::filesystem::path(GeGetPluginPath().GetCString()), BuiltLensaraFolder());

  EXPECT_EQ(End(), 1);  // back to 1: nothing is released
  EXPECT_TRUE(GeGetPluginPath().Content());
  EXPECT_STREQ(GeLoadString(10000).GetCString(), "Lensara");
  EXPECT_EQ(End(), 1);
  EXPECT_FALSE(GeGetPluginPath().Content());
}

TEST_F(PluginEntry, StartWithoutAPluginFolderIsRefused)
{
  EXPECT_EQ(Start(host.Table(), nullptr), HST_ENTRY_REFUSED);
  EXPECT_EQ(Message(1), HST_ENTRY_NOT_HANDLED);  // no folder, so no resources
}

// The parallel section alone is optional (the plug-in then runs its loops on the calling
// thread): a table that ends before it is served, one that ends earlier refused.
TEST_F(PluginEntry, AHostWhoseTableOrSectionIsSmallerThanTheInterfaceIsRefused)
{
  C4DOS olderRoot = *host.Table();
  olderRoot.size = offsetof(C4DOS, parallel);
  EXPECT_EQ(Start(&olderRoot, folder.Handle()), 1);
  End();

  C4DOS shortRoot = *host.Table();
  shortRoot.size = offsetof(C4DOS, parallel) - sizeof(void*);
  EXPECT_EQ(Start(&shortRoot, folder.Handle()), HST_ENTRY_REFUSED);
  End();

  HstRenderTable shortRender = *host.Table()->render;
  shortRender.size = sizeof(HstRenderTable) - sizeof(void*);
  C4DOS shortSection = *host.Table();
  shortSection.render = &shortRender;
  EXPECT_EQ(Start(&shortSection, folder.Handle()), HST_ENTRY_REFUSED);
}

TEST_F(PluginEntry, StartWithoutATableIsRefused) { EXPECT_EQ(Start(nullptr, folder.Handle()), HST_ENTRY_REFUSED); }

TEST_F(PluginEntry, StartStillSucceedsWhenThePathCannotBeAllocated)
{
  for (long budget : {0L, 1L}) {  // the object itself, then its host file name
    lensara::SetAllocationBudget(budget);
    EXPECT_EQ(Start(), 1) << "budget " << budget;
    lensara::SetAllocationBudget(-1);
    EXPECT_FALSE(GeGetPluginPath().Content()) << "budget " << budget;
    EXPECT_EQ(End(), 1);
  }
}

TEST_F(PluginEntry, RejectsUnknownActions)
{
  for (int action : {0, 5, 7, -1, 1000}) EXPECT_EQ(c4d_main(action, nullptr, nullptr, nullptr), -1) << action;
}

}  // namespace
