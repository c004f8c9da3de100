#include "app/core/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lensara {
namespace {

constexpr double kPi = 3.14159265358979323846;

void ExpectNear(const Vector& a, const Vector& b)
{
  EXPECT_NEAR(a.x, b.x, 1e-9);
  EXPECT_NEAR(a.y, b.y, 1e-9);
  EXPECT_NEAR(a.z, b.z, 1e-9);
}

TEST(Geometry, HeadingTurnsZTowardsX)
{
  Matrix m = ComposeMatrix({}, {kPi / 2, 0.0, 0.0}, {1.0, 1.0, 1.0});
  ExpectNear(m.v3, {1.0, 0.0, 0.0});
  ExpectNear(m.v2, {0.0, 1.0, 0.0});
}

TEST(Geometry, DecomposeInvertsCompose)
{
  Vector pos{10.0, -20.0, 30.0}, rot{0.3, -0.7, 1.1}, scale{2.0, 0.5, 3.0};
  Vector p, r, s;
  DecomposeMatrix(ComposeMatrix(pos, rot, scale), p, r, s);
  ExpectNear(p, pos);
  ExpectNear(r, rot);
  ExpectNear(s, scale);
}

TEST(Geometry, InverseUndoesTheTransform)
{
  Matrix m = ComposeMatrix({5.0, 6.0, 7.0}, {0.4, 0.2, -0.9}, {2.0, 3.0, 4.0});
  Vector p{1.0, 2.0, 3.0};
  ExpectNear(Transform(Inverse(m), Transform(m, p)), p);
  ExpectNear(Transform(Inverse(m) * m, p), p);
}

}  // namespace
}  // namespace lensara
