// The nearest of a scene's triangles that a ray meets. The build picks the implementation:
// Embree (EmbreeTriangles.cpp) where it has Embree, else a loop over every triangle
// (TriangleLoop.cpp), for the small scenes of the Windows test programs.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "RenderScene.h"

namespace lensara {

// A triangle a ray meets: its index in the intersector's list, and its distance along the
// ray as the intersector computed it (RenderScene refines it in double precision).
struct TriangleHit {
  uint32_t index = 0;
  double t = 0.0;
};

class TriangleIntersector {
public:
  // Over triangles, which must outlive it. Throws Error when the ray tracer cannot take
  // them, std::bad_alloc when memory is short.
  explicit TriangleIntersector(const std::vector<Triangle>& triangles);
  ~TriangleIntersector();
  TriangleIntersector(const TriangleIntersector&) = delete;
  TriangleIntersector& operator=(const TriangleIntersector&) = delete;

  // The nearest triangle, from either side, at a distance above ray.tMin and up to
  // ray.tMax; false when there is none.
  bool Nearest(const Ray& ray, TriangleHit& hit) const;

private:
  struct Structure;
  std::unique_ptr<Structure> structure;
};

}  // namespace lensara
