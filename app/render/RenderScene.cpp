// RenderScene's ray queries: the nearest sphere, floor or triangle a ray meets, and the
// camera's rays.
#include "RenderScene.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "TriangleIntersector.h"

namespace lensara {

namespace {

// The nearest root of |origin + t direction - centre| = radius within (tMin, tMax), or -1;
// oc is origin - centre and c is |oc|^2 - radius^2.
double SphereDistance(const Vector& oc, double c, const Ray& ray, double tMax)
{
  double b = Dot(oc, ray.direction);
  double discriminant = b * b - c;
  if (discriminant < 0.0) return -1.0;
  // The roots lose precision only when the origin lies on the sphere, and then the root
  // near 0 is below tMin anyway.
  double root = std::sqrt(discriminant);
  double t0 = -b - root, t1 = -b + root;
  if (t0 > ray.tMin && t0 < tMax) return t0;
  if (t1 > ray.tMin && t1 < tMax) return t1;
  return -1.0;
}

double SphereC(const Sphere& s, const Vector& oc) { return Dot(oc, oc) - s.radius * s.radius; }

double SphereDistance(const Sphere& s, const Ray& ray, double tMax)
{
  Vector oc = ray.origin - s.centre;
  return SphereDistance(oc, SphereC(s, oc), ray, tMax);
}

// The floor's distance along the ray within (tMin, tMax), or -1; height is
// (origin of the floor - origin of the ray) . normal.
double FloorDistance(const Floor& f, double height, const Ray& ray, double tMax)
{
  double denominator = Dot(ray.direction, f.normal);
  if (denominator == 0.0) return -1.0;
  double t = height / denominator;
  return t > ray.tMin && t < tMax ? t : -1.0;
}

double FloorHeight(const Floor& f, const Vector& origin) { return Dot(f.origin - origin, f.normal); }

// Camera regions leave a sphere or box out only beyond this share of its distance (and of its
// radius) outside the rays' pyramid, besides Epsilon: rays lie at least an eighth of a pixel,
// some 10^-4 of the distance, inside the pyramid of the pixels they cross.
constexpr double kRegionMargin = 1e-6;
constexpr std::size_t kMaxRegionBoxes = 16;

// The unit normal n turned to face against direction.
Vector Facing(const Vector& n, const Vector& direction) { return Dot(n, direction) > 0.0 ? n * -1.0 : n; }

template <class Box>
void Grow(Box& box, const Vector& p)
{
  box.low = {std::min(box.low.x, p.x), std::min(box.low.y, p.y), std::min(box.low.z, p.z)};
  box.high = {std::max(box.high.x, p.x), std::max(box.high.y, p.y), std::max(box.high.z, p.z)};
}

}  // namespace

RenderScene::~RenderScene() = default;

int32_t RenderScene::LayerLightCount() const
{
  return static_cast<int32_t>(std::count_if(lights.begin(), lights.end(), [](const Light& l) { return l.hasLayer; }));
}

double RenderScene::Epsilon(const Vector& p)
{
  return 1e-3 + 1e-6 * std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
}

void RenderScene::PrepareCamera()
{
  for (const Sphere& s : spheres) {
    Vector oc = camera.position - s.centre;
    cameraSpheres.push_back({oc, SphereC(s, oc)});
  }
  for (const Floor& f : floors) cameraFloors.push_back(FloorHeight(f, camera.position));
  std::vector<int32_t> boxOf(objects.size(), -1);
  for (const Triangle& tri : triangles) {
    int32_t& box = boxOf[static_cast<std::size_t>(tri.object)];
    if (box < 0) {
      box = static_cast<int32_t>(triangleBoxes.size());
      triangleBoxes.push_back({tri.a, tri.a});
    }
    for (const Vector* p : {&tri.a, &tri.b, &tri.c}) Grow(triangleBoxes[static_cast<std::size_t>(box)], *p);
  }
  // Each region tests every box: past a few, one box around them all.
  if (triangleBoxes.size() > kMaxRegionBoxes) {
    Box all = triangleBoxes.front();
    for (const Box& box : triangleBoxes) {
      Grow(all, box.low);
      Grow(all, box.high);
    }
    triangleBoxes.assign(1, all);
  }
}

void RenderScene::FindCameraRegion(double x0, double y0, double x1, double y1, CameraRegion& region) const
{
  // The pyramid's sides, by their unit normals pointing inwards.
  const Vector corners[4] = {Through(x0, y0), Through(x1, y0), Through(x1, y1), Through(x0, y1)};
  const Vector inside = corners[0] + corners[2];
  Vector sides[4];
  for (int i = 0; i < 4; ++i) {
    Vector n = Unit(Cross(corners[i], corners[(i + 1) % 4]));
    sides[i] = Dot(n, inside) < 0.0 ? n * -1.0 : n;
  }
  // Whether point lies farther than reach (grown by the margin) outside the side of normal n.
  auto beyond = [&](const Vector& n, const Vector& point, double reach) {
    Vector offset = point - camera.position;
    return Dot(n, offset) < -(reach + Epsilon(point) + kRegionMargin * Length(offset));
  };
  region.spheres.clear();
  for (std::size_t i = 0; i < spheres.size(); ++i) {
    const Sphere& s = spheres[i];
    double reach = s.radius * (1.0 + kRegionMargin);
    if (std::none_of(std::begin(sides), std::end(sides), [&](const Vector& n) { return beyond(n, s.centre, reach); }))
      region.spheres.push_back(static_cast<int32_t>(i));
  }
  // A box lies outside a side when its corner farthest inwards does.
  region.triangles = std::any_of(triangleBoxes.begin(), triangleBoxes.end(), [&](const Box& box) {
    return std::none_of(std::begin(sides), std::end(sides), [&](const Vector& n) {
      Vector corner{n.x >= 0.0 ? box.high.x : box.low.x, n.y >= 0.0 ? box.high.y : box.low.y,
                    n.z >= 0.0 ? box.high.z : box.low.z};
      return beyond(n, corner, 0.0);
    });
  });
}

RenderScene::Analytic RenderScene::NearestAnalytic(const Ray& ray) const
{
  Analytic nearest{ray.tMax};
  for (const Sphere& s : spheres)
    if (double t = SphereDistance(s, ray, nearest.t); t >= 0.0) nearest = {t, &s};
  for (const Floor& f : floors)
    if (double t = FloorDistance(f, FloorHeight(f, ray.origin), ray, nearest.t); t >= 0.0) nearest = {t, nullptr, &f};
  return nearest;
}

// NearestAnalytic with what the camera's rays share worked out once: the same sums, over
// the spheres the region holds.
RenderScene::Analytic RenderScene::NearestAnalyticFromCamera(const Ray& ray, const CameraRegion& region) const
{
  Analytic nearest{ray.tMax};
  for (int32_t index : region.spheres) {
    auto i = static_cast<std::size_t>(index);
    if (double t = SphereDistance(cameraSpheres[i].oc, cameraSpheres[i].c, ray, nearest.t); t >= 0.0)
      nearest = {t, &spheres[i]};
  }
  for (std::size_t i = 0; i < floors.size(); ++i)
    if (double t = FloorDistance(floors[i], cameraFloors[i], ray, nearest.t); t >= 0.0)
      nearest = {t, nullptr, &floors[i]};
  return nearest;
}

// The sphere or floor found as the nearest hit; false when there is neither.
inline bool RenderScene::Resolve(const Ray& ray, const Analytic& analytic, Hit& hit) const
{
  if (!analytic.sphere && !analytic.floor) return false;
  hit.t = analytic.t;
  hit.point = ray.origin + ray.direction * analytic.t;
  hit.normal = Facing(analytic.sphere ? (hit.point - analytic.sphere->centre) * analytic.sphere->inverseRadius
                                      : analytic.floor->normal,
                      ray.direction);
  hit.object = analytic.sphere ? analytic.sphere->object : analytic.floor->object;
  return true;
}

bool RenderScene::Nearest(const Ray& ray, Hit& hit) const
{
  // The nearest sphere or floor first; its point and normal only once it has won.
  return Nearest(ray, NearestAnalytic(ray), true, hit);
}

// The nearest triangle closer than the nearest sphere or floor, else that one.
bool RenderScene::Nearest(const Ray& ray, const Analytic& analytic, bool triangles, Hit& hit) const
{
  if (triangles && intersector) {
    Ray bounded = ray;
    bounded.tMax = analytic.t;
    TriangleHit triangleHit;
    if (intersector->Nearest(bounded, triangleHit) && RefineTriangle(bounded, triangleHit, hit)) return true;
  }
  return Resolve(ray, analytic, hit);
}

// The intersector's triangle hit of ray (bounded by the nearest sphere or floor), its distance
// again in double precision from the triangle's plane; false when that lies beyond the bound.
bool RenderScene::RefineTriangle(const Ray& ray, const TriangleHit& triangleHit, Hit& hit) const
{
  const Triangle& tri = triangles[triangleHit.index];
  double denominator = Dot(ray.direction, tri.normal);
  double t = denominator != 0.0 ? Dot(tri.a - ray.origin, tri.normal) / denominator : triangleHit.t;
  if (t > ray.tMax) return false;
  hit.t = std::max(t, ray.tMin);
  hit.point = ray.origin + ray.direction * hit.t;
  hit.normal = Facing(tri.normal, ray.direction);
  hit.object = tri.object;
  return true;
}

}  // namespace lensara
