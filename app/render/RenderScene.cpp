// RenderScene's ray queries: the nearest sphere, floor or triangle a ray meets, and the
// camera's rays.
#include "RenderScene.h"

#include <algorithm>
#include <cmath>

#include "EmbreeRay.h"

namespace lensara {

namespace {

// The nearest root of |origin + t direction - centre| = radius within (tMin, tMax), or -1.
double SphereDistance(const Sphere& s, const Ray& ray, double tMax)
{
  Vector oc = ray.origin - s.centre;
  double b = Dot(oc, ray.direction);
  double c = Dot(oc, oc) - s.radius * s.radius;
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

double FloorDistance(const Floor& f, const Ray& ray, double tMax)
{
  double denominator = Dot(ray.direction, f.normal);
  if (denominator == 0.0) return -1.0;
  double t = Dot(f.origin - ray.origin, f.normal) / denominator;
  return t > ray.tMin && t < tMax ? t : -1.0;
}

// The unit normal n turned to face against direction.
Vector Facing(const Vector& n, const Vector& direction) { return Dot(n, direction) > 0.0 ? n * -1.0 : n; }

}  // namespace

RenderScene::~RenderScene() = default;

void RenderScene::EmbreeRelease::operator()(RTCDevice d) const { rtcReleaseDevice(d); }
void RenderScene::EmbreeRelease::operator()(RTCScene s) const { rtcReleaseScene(s); }

int32_t RenderScene::LayerLightCount() const
{
  return static_cast<int32_t>(std::count_if(lights.begin(), lights.end(), [](const Light& l) { return l.hasLayer; }));
}

double RenderScene::Epsilon(const Vector& p)
{
  return 1e-3 + 1e-6 * std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
}

Ray RenderScene::CameraRay(double x, double y) const
{
  double sx = x * pixelWidth - camera.tanHalfWidth;
  double sy = (settings.height * 0.5 - y) * pixelWidth;
  return Ray{camera.position, Unit(camera.forward + camera.right * sx + camera.up * sy)};
}

bool RenderScene::Nearest(const Ray& ray, Hit& hit) const
{
  // The nearest sphere or floor first; its point and normal only once it has won.
  double nearest = ray.tMax;
  const Sphere* sphere = nullptr;
  const Floor* floor = nullptr;
  for (const Sphere& s : spheres)
    if (double t = SphereDistance(s, ray, nearest); t >= 0.0) {
      nearest = t;
      sphere = &s;
    }
  for (const Floor& f : floors)
    if (double t = FloorDistance(f, ray, nearest); t >= 0.0) {
      nearest = t;
      floor = &f;
      sphere = nullptr;
    }
  Ray bounded = ray;
  bounded.tMax = nearest;
  if (NearestTriangle(bounded, hit)) return true;
  if (!sphere && !floor) return false;
  hit.t = nearest;
  hit.point = ray.origin + ray.direction * nearest;
  hit.normal = Facing(sphere ? (hit.point - sphere->centre) * sphere->inverseRadius : floor->normal, ray.direction);
  hit.object = sphere ? sphere->object : floor->object;
  return true;
}

bool RenderScene::NearestTriangle(const Ray& ray, Hit& hit) const
{
  if (!embree) return false;
  RTCRayHit rh = ToEmbree(ray);
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  rtcIntersect1(embree.get(), &context, &rh);
  if (rh.hit.geomID == RTC_INVALID_GEOMETRY_ID) return false;
  // The distance again in double precision, from the triangle's plane.
  const Triangle& tri = triangles[rh.hit.primID];
  double denominator = Dot(ray.direction, tri.normal);
  double t = denominator != 0.0 ? Dot(tri.a - ray.origin, tri.normal) / denominator : rh.ray.tfar;
  if (t > ray.tMax) return false;
  hit.t = std::max(t, ray.tMin);
  hit.point = ray.origin + ray.direction * hit.t;
  hit.normal = Facing(tri.normal, ray.direction);
  hit.object = tri.object;
  return true;
}

}  // namespace lensara
