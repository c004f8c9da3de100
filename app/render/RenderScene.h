// A document made ready for ray tracing: the camera, every light, every surface with its
// material, and the environment. Spheres and floors are intersected analytically in double
// precision; meshes, cubes and planes are triangles in a TriangleIntersector, their hits
// refined in double.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Texture.h"
#include "app/core/Container.h"
#include "app/core/Document.h"
#include "app/core/Geometry.h"

namespace lensara {

class TriangleIntersector;
struct TriangleHit;

// direction is a unit vector; hits count between tMin and tMax.
struct Ray {
  Vector origin;
  Vector direction;
  double tMin = 0.0;
  double tMax = 1e300;
};

// A surface point: distance along the ray, position, the unit normal turned towards the ray's
// origin, and the object.
struct Hit {
  double t = 0.0;
  Vector point;
  Vector normal;
  int32_t object = -1;
};

// A standard material as the renderer reads it; a surface without one is white.
struct Surface {
  Vector colour{1.0, 1.0, 1.0}; // colour x brightness; zero with the colour channel off
  const Texture* texture = nullptr; // replaces the colour (times brightness) when set
  Vector luminance;                 // added as it is
  Vector transparency;              // share of the light passing through
  Vector reflection;                // share of the mirrored light added
  double specularHeight = 0.0;      // 0: no highlight
  double specularExponent = 1.0;
  bool orenNayar = false;
};

// How an object's surface points map to texture coordinates (see docs/host.md).
enum class Mapping { Spherical, Floor, Flat, Box };

struct SceneObject {
  std::string name;
  int32_t surface = 0;
  // Compositing tag flags.
  bool castShadows = true;
  bool receiveShadows = true;
  bool seenByCamera = true;
  bool seenByReflection = true;
  bool background = false; // shows the background instead of being lit
  Matrix toObject;         // world to object space, for texture coordinates
  Mapping mapping = Mapping::Box;
  Vector boundsMin, boundsSize; // in object space: the box and flat mappings' extent
};

// What a light does to an object, by the bits of in/exclude entries.
enum LightAspect : uint8_t {
  kIllumination = 1,
  kSpecular = 2,
  kShadowCasting = 4,
  kReflectionVisibility = 8,
  kAllAspects = 15
};

struct Light {
  std::string name;
  Vector colour; // colour x brightness: negative light subtracts
  Vector position;
  Vector direction; // a distant light's direction of travel
  bool distant = false;
  bool shadows = false;
  bool ambient = false;
  bool falloff = false;
  double radius = 0.0;
  bool nearClip = false, farClip = false;
  double nearFrom = 0.0, nearTo = 0.0, farFrom = 0.0, farTo = 0.0;
  double nearScale = 0.0, farScale = 0.0; // 1 / (to - from) of each clip, for its ramp
  bool hasLayer = false;        // a light object of the scene, which gets a light layer
  std::vector<uint8_t> aspects; // per object: LightAspect bits
};

// The light's intensity factor at distance d from it: near clip, far clip, then linear
// falloff (docs/host.md).
inline double LightFactor(const Light& light, double d)
{
  double f = 1.0;
  if (light.nearClip) {
    if (d <= light.nearFrom) return 0.0;
    if (d < light.nearTo) f *= (d - light.nearFrom) * light.nearScale;
  }
  if (light.farClip) {
    if (d >= light.farTo) return 0.0;
    if (light.farFrom < d) f *= (light.farTo - d) * light.farScale;
  }
  if (light.falloff) f *= light.radius <= 0.0 ? 0.0 : std::max(0.0, 1.0 - d / light.radius);
  return f;
}

struct Camera {
  Vector position;
  Vector right, up, forward; // unit axes
  double tanHalfWidth = 1.0; // tan of half the horizontal field of view
};

struct Environment {
  Vector background;  // sky colour, or black
  Vector ambient;     // environment colour x strength
  bool fog = false;
  Vector fogColour;
  double fogDistance = 0.0;
  bool foreground = false;
  Vector foregroundColour;
  double foregroundOpacity = 0.0;
};

// A triangle in world space, for refining the intersector's hits and for tools that build
// their own acceleration structure over the same geometry.
struct Triangle {
  Vector a, b, c;
  int32_t object = 0;
  Vector normal; // unit, on the side (b - a) x (c - a) points to
};

struct Sphere {
  Vector centre;
  double radius = 0.0;
  int32_t object = 0;
  double inverseRadius = 0.0;
};

struct Floor {
  Vector origin;
  Vector normal;
  int32_t object = 0;
};

// What the camera's rays through one rectangle of the image can meet, found once for all of
// them: the spheres that reach into the rectangle's pyramid of rays, and whether a box
// around triangles does. A sphere or box is left out only when it lies wholly outside a side
// of the pyramid by a margin far above the rays' rounding and the triangle intersector's
// single precision, so each ray meets what it would meet among all.
struct CameraRegion {
  std::vector<int32_t> spheres; // indices into the scene's spheres, rising
  bool triangles = false;
};

// Render settings the renderer reads.
struct RenderSettings {
  int32_t width = 640;
  int32_t height = 480;
  int32_t samplesPerAxis = 2; // anti-aliasing 0, 1, 2: 1, 2 or 4
  bool fullEngine = true;     // false: the preview engine, without secondary rays and shadows
  bool reflections = true;
  bool transparency = true;
  bool defaultLight = true;
  bool multipass = false;
  bool separateLights = false;

  explicit RenderSettings(const Container& data);
};

class RenderScene {
public:
  // Throws Error naming what cannot be built, std::bad_alloc when memory is short.
  RenderScene(Document& doc, const RenderSettings& settings);
  ~RenderScene();
  RenderScene(const RenderScene&) = delete;
  RenderScene& operator=(const RenderScene&) = delete;

  // The nearest hit that accept(object index) admits; false when there is none.
  template <class Accept>
  bool Intersect(Ray ray, Accept accept, Hit& hit) const;

  // Intersect for a ray leaving the camera (CameraRay's) through region.
  template <class Accept>
  bool IntersectCamera(const Ray& ray, const CameraRegion& region, Accept accept, Hit& hit) const;

  // The ray through image position (x, y) in pixels: (0.5, 0.5) is the top left pixel's centre.
  Ray CameraRay(double x, double y) const;

  // The region of the camera rays through image positions inside x0 .. x1, y0 .. y1.
  void FindCameraRegion(double x0, double y0, double x1, double y1, CameraRegion& region) const;

  const RenderSettings& Settings() const { return settings; }
  const Camera& GetCamera() const { return camera; }
  const Environment& GetEnvironment() const { return environment; }
  const std::vector<Light>& Lights() const { return lights; }
  const std::vector<SceneObject>& Objects() const { return objects; }
  const std::vector<Surface>& Surfaces() const { return surfaces; }
  const std::vector<Triangle>& Triangles() const { return triangles; }
  const std::vector<Sphere>& Spheres() const { return spheres; }
  const std::vector<Floor>& Floors() const { return floors; }
  // The scene's light objects, in document order: the lights that get layers.
  int32_t LayerLightCount() const;

  // The distance from a point with coordinates up to magnitude in size beyond which a ray
  // leaving it no longer finds the surface it left.
  static double Epsilon(const Vector& point);

private:
  class Builder;
  // The nearest sphere or floor, before its point and normal are known.
  struct Analytic {
    double t;
    const Sphere* sphere = nullptr;
    const Floor* floor = nullptr;
  };
  // What every camera ray shares at a sphere: its centre to the camera, and |oc|^2 - radius^2.
  struct CameraSphere {
    Vector oc;
    double c = 0.0;
  };

  template <class Accept>
  bool IntersectFrom(Ray ray, Accept accept, Hit& hit, int passes) const;
  bool Nearest(const Ray& ray, Hit& hit) const;
  // triangles false: no triangle can be nearer than analytic's hit.
  bool Nearest(const Ray& ray, const Analytic& analytic, bool triangles, Hit& hit) const;
  Analytic NearestAnalytic(const Ray& ray) const;
  Analytic NearestAnalyticFromCamera(const Ray& ray, const CameraRegion& region) const;
  bool Resolve(const Ray& ray, const Analytic& analytic, Hit& hit) const;
  bool RefineTriangle(const Ray& ray, const TriangleHit& triangleHit, Hit& hit) const;
  void PrepareCamera();
  // The direction, not yet of length 1, of CameraRay(x, y).
  Vector Through(double x, double y) const;

  RenderSettings settings;
  Camera camera;
  double pixelWidth = 0.0; // on the image plane at distance 1
  Environment environment;
  std::vector<Light> lights;
  std::vector<SceneObject> objects;
  std::vector<Surface> surfaces;
  std::vector<std::unique_ptr<Texture>> textures;
  std::vector<Triangle> triangles;
  std::vector<Sphere> spheres;
  std::vector<Floor> floors;
  std::vector<CameraSphere> cameraSpheres; // parallel to spheres
  std::vector<double> cameraFloors;        // per floor: (origin - camera) . normal
  struct Box {
    Vector low, high;
  };
  std::vector<Box> triangleBoxes; // around each object's triangles, or one around all of many
  std::unique_ptr<TriangleIntersector> intersector; // null without triangles
};

// Inline: made for every sample of every pixel.
inline Vector RenderScene::Through(double x, double y) const
{
  double sx = x * pixelWidth - camera.tanHalfWidth;
  double sy = (settings.height * 0.5 - y) * pixelWidth;
  return camera.forward + camera.right * sx + camera.up * sy;
}

inline Ray RenderScene::CameraRay(double x, double y) const { return Ray{camera.position, Unit(Through(x, y))}; }

// Surfaces the ray does not see are stepped over, a bounded number of times.
constexpr int kMaxIntersectPasses = 64;

template <class Accept>
bool RenderScene::Intersect(Ray ray, Accept accept, Hit& hit) const
{
  return IntersectFrom(ray, accept, hit, kMaxIntersectPasses);
}

template <class Accept>
bool RenderScene::IntersectFrom(Ray ray, Accept accept, Hit& hit, int passes) const
{
  for (int pass = 0; pass < passes; ++pass) {
    if (!Nearest(ray, hit)) return false;
    if (accept(hit.object)) return true;
    ray.tMin = hit.t + Epsilon(hit.point);
  }
  return false;
}

template <class Accept>
bool RenderScene::IntersectCamera(const Ray& ray, const CameraRegion& region, Accept accept, Hit& hit) const
{
  if (!Nearest(ray, NearestAnalyticFromCamera(ray, region), region.triangles, hit)) return false;
  if (accept(hit.object)) return true;
  Ray beyond = ray;
  beyond.tMin = hit.t + Epsilon(hit.point);
  return IntersectFrom(beyond, accept, hit, kMaxIntersectPasses - 1);
}

}  // namespace lensara
