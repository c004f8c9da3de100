// The effect's hooks behind the plug-in entry: its messages, registration, query answer
// and the host versions it serves.
#include "plugins/dof/entry.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "plugins/dof/PlatformBehaviour.h"
#include "tests/support/EntryFixture.h"

namespace {

using test::Entry;
using test::HostFilename;

TEST_F(Entry, AnswersTheQueryWithTheBuildsAnswer)
{
  EXPECT_EQ(c4d_main(HST_ACTION_QUERY, nullptr, nullptr, nullptr), kMacOSBehaviour ? 3 : 5);
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
  EXPECT_EQ(c4d_main(HST_ACTION_REGISTER, nullptr, nullptr, nullptr), 1);
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
