// The hit rules every triangle intersector keeps: Embree's on Linux, the plain loop of the
// Windows builds. Coordinates are exact in single precision, so both see the same triangles.
#include "app/render/TriangleIntersector.h"

#include <gtest/gtest.h>

namespace lensara {
namespace {

// A triangle in the plane z = depth, around the z axis.
Triangle Facing(double depth, int32_t object)
{
  Triangle tri{{-1.0, -1.0, depth}, {2.0, -1.0, depth}, {-1.0, 2.0, depth}, object, {0.0, 0.0, 1.0}};
  return tri;
}

Ray Along(double z, double dz, double tMin = 0.0, double tMax = 1e300)
{
  return Ray{{0.0, 0.0, z}, {0.0, 0.0, dz}, tMin, tMax};
}

TEST(TriangleIntersector, TheNearestTriangleWinsFromEitherSideWhateverTheirOrder)
{
  std::vector<Triangle> triangles{Facing(8.0, 0), Facing(4.0, 1), Facing(6.0, 2)};
  TriangleIntersector intersector(triangles);
  TriangleHit hit;
  ASSERT_TRUE(intersector.Nearest(Along(0.0, 1.0), hit));
  EXPECT_EQ(hit.index, 1u);
  EXPECT_NEAR(hit.t, 4.0, 1e-5);
  ASSERT_TRUE(intersector.Nearest(Along(10.0, -1.0), hit));
  EXPECT_EQ(hit.index, 0u);
  EXPECT_NEAR(hit.t, 2.0, 1e-5);
}

TEST(TriangleIntersector, OnlyHitsInsideTheTriangleAndBetweenTheRaysBoundsCount)
{
  std::vector<Triangle> triangles{Facing(4.0, 0), Facing(6.0, 1)};
  TriangleIntersector intersector(triangles);
  TriangleHit hit;
  ASSERT_TRUE(intersector.Nearest(Along(0.0, 1.0, 4.5), hit));
  EXPECT_EQ(hit.index, 1u);
  EXPECT_FALSE(intersector.Nearest(Along(0.0, 1.0, 0.0, 3.5), hit));
  EXPECT_FALSE(intersector.Nearest(Along(0.0, 1.0, 6.5), hit));
  EXPECT_FALSE(intersector.Nearest(Ray{{1.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}, hit));  // beyond the long edge
  EXPECT_FALSE(intersector.Nearest(Ray{{0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}}, hit));  // along the planes
}

}  // namespace
}  // namespace lensara
