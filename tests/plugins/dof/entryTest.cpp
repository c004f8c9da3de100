// The plug-in entry driven in-process, as the host drives the loaded library.
#include "plugins/dof/entry.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "PluginFolder.h"
#include "app/core/Allocations.h"
#include "app/core/Host.h"
#include "host/c4d.h"
#include "plugins/dof/PlatformBehaviour.h"

namespace {

// A host file name handle for the start action.
class HostFilename {
public:
  HostFilename(const C4DOS* table, const std::filesystem::path& path) : table(table), handle(table->filename->alloc())
  {
    table->filename->set(handle, path.c_str());
  }
  ~HostFilename() { table->filename->free(handle); }
  HstFilename Handle() const { return handle; }

private:
  const C4DOS* table;
  HstFilename handle;
};

void* MessageId(std::uint64_t id) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(id)); }

class Entry : public ::testing::Test {
protected:
  Entry() : Entry(lensara::HostOptions{}) {}
  explicit Entry(lensara::HostOptions options) : host(options), folder(host.Table(), BuiltLensaraFolder()) {}

  // Every test leaves the start counter where it found it.
  ~Entry() override
  {
    lensara::SetAllocationBudget(-1);
    while (open > 0) End();
  }

  int Start(const C4DOS* table, HstFilename path)
  {
    ++open;
    return c4d_main(1, const_cast<C4DOS*>(table), nullptr, path);
  }
  int Start() { return Start(host.Table(), folder.Handle()); }
  int End()
  {
    --open;
    return c4d_main(3, nullptr, nullptr, nullptr);
  }
  int Message(std::uint64_t id) { return c4d_main(6, MessageId(id), nullptr, nullptr); }

  lensara::Host host;
  HostFilename folder;
  int open = 0;
};

TEST_F(Entry, StartKeepsThePluginFolderAndTheLastEndReleasesIt)
{
  EXPECT_EQ(Start(), 1);
  EXPECT_EQ(std::filesystem::path(GeGetPluginPath().GetCString()), BuiltLensaraFolder());
  EXPECT_EQ(Message(1), 1);
  EXPECT_STREQ(GeLoadString(10000).GetCString(), "Lensara");

  EXPECT_EQ(End(), 1);
  EXPECT_FALSE(GeGetPluginPath().Content());
  EXPECT_FALSE(GeLoadString(10000).Content());
}

TEST_F(Entry, NestedStartsAndEndsOnlyCount)
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

TEST_F(Entry, StartWithoutAPluginFolderIsRefused)
{
  EXPECT_EQ(Start(host.Table(), nullptr), -3);
  EXPECT_EQ(Message(1), -1);  // no folder, so no resources
}

TEST_F(Entry, StartWithoutATableIsRefused) { EXPECT_EQ(Start(nullptr, folder.Handle()), -3); }

TEST_F(Entry, StartStillSucceedsWhenThePathCannotBeAllocated)
{
  for (long budget : {0L, 1L}) {  // the object itself, then its host file name
    lensara::SetAllocationBudget(budget);
    EXPECT_EQ(Start(), 1) << "budget " << budget;
    lensara::SetAllocationBudget(-1);
    EXPECT_FALSE(GeGetPluginPath().Content()) << "budget " << budget;
    EXPECT_EQ(End(), 1);
  }
}

TEST_F(Entry, AnswersQueriesAndRejectsUnknownActions)
{
  EXPECT_EQ(c4d_main(4, nullptr, nullptr, nullptr), kMacOSBehaviour ? 3 : 5);
  for (int action : {0, 5, 7, -1, 1000}) EXPECT_EQ(c4d_main(action, nullptr, nullptr, nullptr), -1) << action;
}

TEST_F(Entry, MessagesZeroAndOneAreHandledOthersAreNot)
{
  ASSERT_EQ(Start(), 1);
  EXPECT_EQ(Message(0), 1);
  EXPECT_EQ(Message(1), 1);
  EXPECT_EQ(Message((std::uint64_t{7} << 32) | 1), 1);  // only the low 32 bits are the id
  for (std::uint64_t id : {2ull, 3ull, 1001078ull, 0xFFFFFFFFull}) EXPECT_EQ(Message(id), -1) << id;
}

TEST_F(Entry, ResourcesThatCannotBeReadFailMessageOne)
{
  test::TempDir dir;
  HostFilename empty(host.Table(), dir.path);
  ASSERT_EQ(Start(host.Table(), empty.Handle()), 1);
  EXPECT_EQ(Message(1), -1);
}

TEST_F(Entry, AMissingDisplayNameRegistersNothingAndStillStarts)
{
  test::TempDir dir;
  WriteFile(dir.path / "res" / "strings.json", "{}");
  HostFilename noName(host.Table(), dir.path);
  ASSERT_EQ(Start(host.Table(), noName.Handle()), 1);
  ASSERT_EQ(Message(1), 1);
  EXPECT_EQ(c4d_main(2, nullptr, nullptr, nullptr), 1);
  EXPECT_TRUE(host.VideoPosts().empty());
}

class OldHostEntry : public Entry {
protected:
  OldHostEntry() : Entry(lensara::HostOptions{10999, 1}) {}
};

TEST_F(OldHostEntry, AHostBelowVersion11000IsRefused) { EXPECT_EQ(Start(), -3); }

// One host per process: each version gets a fixture, and so a host, of its own.
class HostVersionEntry : public Entry, public ::testing::WithParamInterface<int32_t> {
protected:
  HostVersionEntry() : Entry(lensara::HostOptions{GetParam(), 1}) {}
};

TEST_P(HostVersionEntry, HostsFrom12000OnAreServedOrFrom11000OnInTheMacOSBehaviour)
{
  int32_t floor = kMacOSBehaviour ? 11000 : 12000;
  EXPECT_EQ(Start(), GetParam() < floor ? -3 : 1);
}

INSTANTIATE_TEST_SUITE_P(Versions, HostVersionEntry, ::testing::Values(11000, 11999, 12000));

}  // namespace
