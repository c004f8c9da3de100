// Shading: what a ray sees in a render scene, with lights, shadows, reflection,
// transparency, the environment and fog.
#pragma once

#include <cstdint>
#include <vector>

#include "RenderScene.h"

namespace lensara {

// What camera rays add to the pass layers: the direct light of each light that has a layer
// at the first surface the camera sees (clamped at 0), and the light reflected there.
struct PassSample {
  std::vector<Vector> lights;
  Vector reflection;
  void Clear();
};

class Tracer {
public:
  explicit Tracer(const RenderScene& scene);

  // The colour seen along a camera ray through region. passes, when not null, must hold one
  // entry per layer light; the ray's pass light is added to it.
  Vector TraceCamera(const Ray& ray, const CameraRegion& region, PassSample* passes) const;

  // The distance along a camera ray to the surface it sees; infinity when it sees none.
  double CameraDistance(const Ray& ray) const;

private:
  enum class Path { Camera, Reflection };

  auto SeenBy(Path path) const;
  Vector Trace(const Ray& ray, Path path, int depth, PassSample* passes) const;
  // What a ray that meets no surface sees.
  Vector Missed() const { return environment.fog ? environment.fogColour : environment.background; }
  Vector Shade(const Ray& ray, const Hit& hit, Path path, int depth, PassSample* passes) const;
  // Shade's general case: a surface with its textures, lights, shadows, transparency and reflection.
  Vector ShadeSurface(const Ray& ray, const Hit& hit, const Surface& surface, Path path, int depth,
                      PassSample* passes) const;
  // The camera's shading of a surface without texture, transparency or reflection when every
  // light is ambient and casts no shadow (the depth scene's case).
  Vector ShadeLit(const Hit& hit, const Surface& surface, PassSample* passes) const;
  // From a surface point to a light's position.
  struct LightPath {
    Vector offset;
    double distance = 0.0;
    const Vector* to = nullptr;  // the light position offset and distance lead to
  };
  // toLight from point to the light, kept when it already leads to the light's place.
  void Toward(std::size_t light, const Vector& point, LightPath& toLight) const;

  // The light's direct light at hit: diffuse and highlight.
  Vector Direct(std::size_t light, const Hit& hit, const LightPath& toLight, const Surface& surface,
                const Vector& base, const Vector& view) const;
  // Direct's share for lights that depend on the surface's angle or cast shadows; radiance
  // is the light's colour x brightness x intensity factor.
  Vector Angled(std::size_t light, const Hit& hit, const LightPath& toLight, const Surface& surface,
                const Vector& base, const Vector& view, Vector radiance) const;
  bool Shadowed(const Light& light, const Hit& hit) const;
  // The share of the light's colour that reaches point along direction over distance.
  Vector Transmission(std::size_t light, const Vector& point, const Vector& direction, double distance) const;
  Vector BaseColour(const Hit& hit, const Surface& surface) const;
  Vector Fogged(const Vector& colour, double distance) const;

  const RenderScene& scene;
  const Environment& environment;
  bool secondary; // reflections, transparency and shadows: the full engine only
  bool ambientOnly; // every light ambient and without shadows
  std::vector<uint8_t> litByCamera; // per surface: the camera shades it by ShadeLit
  // What shading reads of each light, gathered once.
  static constexpr std::size_t kNoLayer = SIZE_MAX; // past every layer
  struct LightUse {
    const Light* light;
    const uint8_t* aspects; // the light's aspects, per object
    std::size_t layer;      // its layer, or kNoLayer
    bool newPlace;          // not at the light before's position
  };
  std::vector<LightUse> uses; // per light
};

}  // namespace lensara
