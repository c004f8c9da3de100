#include "app/core/Value.h"

#include <gtest/gtest.h>

#include "app/core/Container.h"

namespace lensara {
namespace {

TEST(Value, NestedContainersCopyDeeply)
{
  Container inner;
  inner.Set(1, Value(5));
  Container outer;
  outer.Set(6, Value(inner));
  Value original(outer);
  Value copy = original;
  copy.GetContainer()->FindLive(6)->GetContainer()->Set(1, Value(7));
  EXPECT_EQ(original.GetContainer()->Find(6)->GetContainer()->GetLong(1, 0), 5);
  EXPECT_NE(copy, original);
  copy = original;
  EXPECT_EQ(copy, original);
}

TEST(Value, TypeCodesFollowTheHeldType)
{
  EXPECT_EQ(Value().TypeCode(), HST_DATA_NONE);
  EXPECT_EQ(Value(1).TypeCode(), HST_DATA_LONG);
  EXPECT_EQ(Value(1.0).TypeCode(), HST_DATA_REAL);
  EXPECT_EQ(Value(std::string("s")).TypeCode(), HST_DATA_STRING);
  EXPECT_EQ(Value(Vector{}).TypeCode(), HST_DATA_VECTOR);
  EXPECT_EQ(Value(Matrix{}).TypeCode(), HST_DATA_MATRIX);
  EXPECT_EQ(Value(Link{}).TypeCode(), HST_DATA_LINK);
  EXPECT_EQ(Value(Container{}).TypeCode(), HST_DATA_CONTAINER);
  EXPECT_EQ(Value(InExclude{}).TypeCode(), HST_DATA_INEXCLUDE);
  EXPECT_EQ(Value(Gradient{}).TypeCode(), HST_DATA_GRADIENT);
  EXPECT_NE(Value(1), Value(1.0));
  EXPECT_EQ(Value(Vector{1, 2, 3}).ToLong(), 0);
}

TEST(Value, LiveValuesSurviveNewKeys)
{
  Container c;
  c.Set(1, Value(Gradient{}));
  Gradient* g = c.FindLive(1)->GetGradient();
  for (int32_t key = 2; key < 200; ++key) c.Set(key, Value(key));
  g->knots.push_back(GradientKnot{});
  EXPECT_EQ(c.Find(1)->GetGradient()->knots.size(), 1u);
}

}  // namespace
}  // namespace lensara
