// Container semantics the plug-ins rely on: key order, typed reads and their defaults.
#include "app/core/Container.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using lensara::Container;
using lensara::Value;

TEST(Container, KeepsKeysInTheOrderTheyWereFirstSet)
{
  Container c;
  c.Set(3, Value(int32_t{1}));
  c.Set(1, Value(2.0));
  c.Set(3, Value(std::string("x")));  // replaced in place
  ASSERT_EQ(c.Entries().size(), 2u);
  EXPECT_EQ(c.Entries()[0].first, 3);
  EXPECT_EQ(c.Entries()[0].second, Value(std::string("x")));
  EXPECT_TRUE(c.Remove(3));
  EXPECT_FALSE(c.Remove(3));
  EXPECT_EQ(c.Find(3), nullptr);
}

TEST(Container, TypedReadsConvertNumbersAndFallBackToThePreset)
{
  Container c;
  c.Set(1, Value(2.7));
  c.Set(2, Value(-2.7));
  c.Set(3, Value(int32_t{5}));
  c.Set(4, Value(std::string("5")));
  c.Set(5, Value(1e12));
  EXPECT_EQ(c.GetLong(1, 0), 2);  // toward zero
  EXPECT_EQ(c.GetLong(2, 0), -2);
  EXPECT_EQ(c.GetReal(3, 0.0), 5.0);
  EXPECT_EQ(c.GetLong(4, 9), 9);  // a string is not a number
  EXPECT_EQ(c.GetLong(6, 9), 9);  // absent
  EXPECT_EQ(c.GetReal(6, 1.5), 1.5);
  EXPECT_EQ(c.GetLong(5, 0), std::numeric_limits<int32_t>::max());
}

}  // namespace
