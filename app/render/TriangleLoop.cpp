// TriangleIntersector without Embree: every triangle is tried in double precision
// (Moeller-Trumbore), both sides, edges included. Of triangles at the same distance the
// first in the list wins; Embree leaves the order of such ties open.
#include <cmath>

#include "TriangleIntersector.h"

namespace lensara {

namespace {

// The distance along ray at which it meets tri, or -1 when it misses the triangle or runs
// parallel to its plane.
double TriangleDistance(const Triangle& tri, const Ray& ray)
{
  Vector edge1 = tri.b - tri.a, edge2 = tri.c - tri.a;
  Vector p = Cross(ray.direction, edge2);
  double determinant = Dot(edge1, p);
  if (determinant == 0.0 || !std::isfinite(determinant)) return -1.0;
  double inverse = 1.0 / determinant;
  Vector s = ray.origin - tri.a;
  double u = Dot(s, p) * inverse;
  if (u < 0.0 || u > 1.0) return -1.0;
  Vector q = Cross(s, edge1);
  double v = Dot(ray.direction, q) * inverse;
  if (v < 0.0 || u + v > 1.0) return -1.0;
  return Dot(edge2, q) * inverse;
}

}  // namespace

struct TriangleIntersector::Structure {
  const std::vector<Triangle>& triangles;
};

TriangleIntersector::TriangleIntersector(const std::vector<Triangle>& triangles)
    : structure(std::make_unique<Structure>(Structure{triangles}))
{
}

TriangleIntersector::~TriangleIntersector() = default;

bool TriangleIntersector::Nearest(const Ray& ray, TriangleHit& hit) const
{
  bool found = false;
  hit.t = ray.tMax;
  const std::vector<Triangle>& triangles = structure->triangles;
  for (std::size_t i = 0; i < triangles.size(); ++i) {
    double t = TriangleDistance(triangles[i], ray);
    if (t > ray.tMin && (found ? t < hit.t : t <= hit.t)) {
      hit = {static_cast<uint32_t>(i), t};
      found = true;
    }
  }
  return found;
}

}  // namespace lensara
