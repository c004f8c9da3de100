#include "Tracer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <emmintrin.h>

#include "app/core/Geometry.h"

namespace lensara {

namespace {

constexpr int kMaxDepth = 6;             // secondary rays per camera ray, at most
constexpr int kMaxShadowSurfaces = 16;   // transparent surfaces a shadow ray passes through
constexpr double kFloorTile = 400.0;     // cm: the floor's texture repeats this often
constexpr double kOrenNayarSigma = 0.5;  // radians: the roughness of the Oren-Nayar model

Vector Mul(const Vector& a, const Vector& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
// std::max(c, 0.0) of each component c, NaN and -0 kept as they are, without branches: MAXPD
// answers its first operand only where that is greater.
Vector Max0(const Vector& a)
{
  const __m128d zero = _mm_setzero_pd();
  Vector out;
  _mm_storeu_pd(&out.x, _mm_max_pd(zero, _mm_loadu_pd(&a.x)));
  out.z = _mm_cvtsd_f64(_mm_max_sd(zero, _mm_set_sd(a.z)));
  return out;
}
bool IsZero(const Vector& a) { return a.x == 0.0 && a.y == 0.0 && a.z == 0.0; }
const Vector kOne{1.0, 1.0, 1.0};

// The light layers a sample adds to. Light layers exist only when a light pass asked for
// them, a reflection pass may come alone; without passes there are none.
class LayerSums {
public:
  explicit LayerSums(PassSample* passes)
      : first(passes ? passes->lights.data() : nullptr), count(passes ? passes->lights.size() : 0)
  {
  }
  // A light's direct light as its layer takes it, clamped at 0 and added, when there is that layer.
  void Add(std::size_t layer, const Vector& direct) const
  {
    if (layer < count) first[layer] = first[layer] + Max0(direct);
  }

private:
  Vector* first;
  std::size_t count;
};

// Oren-Nayar's rough diffuse reflection for the cosine cosIn between normal and light.
double OrenNayar(const Vector& normal, const Vector& toLight, const Vector& view, double cosIn)
{
  constexpr double s2 = kOrenNayarSigma * kOrenNayarSigma;
  constexpr double a = 1.0 - 0.5 * s2 / (s2 + 0.33), b = 0.45 * s2 / (s2 + 0.09);
  double cosOut = std::clamp(Dot(normal, view), 0.0, 1.0);
  double sinIn = std::sqrt(std::max(0.0, 1.0 - cosIn * cosIn)), sinOut = std::sqrt(1.0 - cosOut * cosOut);
  double cosPhi = Dot(Unit(toLight - normal * cosIn), Unit(view - normal * cosOut));
  // alpha is the larger of the two angles, beta the smaller.
  double sinAlpha = cosIn < cosOut ? sinIn : sinOut;
  double tanBeta = cosIn < cosOut ? sinOut / std::max(cosOut, 1e-12) : sinIn / std::max(cosIn, 1e-12);
  return cosIn * (a + b * std::max(0.0, cosPhi) * sinAlpha * tanBeta);
}

// (value - low) / size, or 0 where the extent is flat.
double Along(double value, double low, double size) { return size > 0.0 ? (value - low) / size : 0.0; }

// Texture coordinates of a surface point by its object's mapping (docs/host.md).
void TextureCoordinates(const SceneObject& object, const Hit& hit, double& u, double& v)
{
  Vector q = Transform(object.toObject, hit.point);
  const Vector &lo = object.boundsMin, &size = object.boundsSize;
  switch (object.mapping) {
  case Mapping::Spherical: {
    Vector n = Unit(q);
    u = 0.5 + std::atan2(n.x, -n.z) / (2.0 * kPi);
    v = std::acos(std::clamp(n.y, -1.0, 1.0)) / kPi;
    return;
  }
  case Mapping::Floor:
    u = q.x / kFloorTile;
    v = -q.z / kFloorTile;
    return;
  case Mapping::Flat:
    u = Along(q.x, lo.x, size.x);
    v = 1.0 - Along(q.z, lo.z, size.z);
    return;
  case Mapping::Box: {
    const Matrix& m = object.toObject;
    Vector n = m.v1 * hit.normal.x + m.v2 * hit.normal.y + m.v3 * hit.normal.z;
    double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    if (ax >= ay && ax >= az) {
      u = Along(q.z, lo.z, size.z);
      v = 1.0 - Along(q.y, lo.y, size.y);
    } else if (ay >= az) {
      u = Along(q.x, lo.x, size.x);
      v = 1.0 - Along(q.z, lo.z, size.z);
    } else {
      u = Along(q.x, lo.x, size.x);
      v = 1.0 - Along(q.y, lo.y, size.y);
    }
    return;
  }
  }
}

}  // namespace

Tracer::Tracer(const RenderScene& scene)
    : scene(scene), environment(scene.GetEnvironment()), secondary(scene.Settings().fullEngine),
      ambientOnly(std::all_of(scene.Lights().begin(), scene.Lights().end(),
                              [this](const Light& l) { return l.ambient && !(l.shadows && secondary); }))
{
  std::size_t next = 0;
  const Vector* place = nullptr;
  for (const Light& light : scene.Lights()) {
    bool newPlace = !place || *place != light.position;
    uses.push_back({&light, light.aspects.data(), light.hasLayer ? next++ : kNoLayer, newPlace});
    place = &light.position;
  }
  for (const Surface& s : scene.Surfaces())
    litByCamera.push_back(ambientOnly && !s.texture && IsZero(s.transparency) && IsZero(s.reflection));
}

void PassSample::Clear()
{
  std::fill(lights.begin(), lights.end(), Vector{});
  reflection = {};
}

// The objects a ray of path sees.
auto Tracer::SeenBy(Path path) const
{
  return [&objects = scene.Objects(), path](int32_t o) {
    const SceneObject& object = objects[static_cast<std::size_t>(o)];
    return path == Path::Camera ? object.seenByCamera : object.seenByReflection;
  };
}

inline Vector Tracer::Fogged(const Vector& colour, double distance) const
{
  if (!environment.fog) return colour;
  double fog = 1.0 - std::exp(-distance / environment.fogDistance);
  return colour + (environment.fogColour - colour) * fog;
}

// Inline: the camera's hits on the sky, and on every surface of the depth scene, end here.
inline Vector Tracer::Shade(const Ray& ray, const Hit& hit, Path path, int depth, PassSample* passes) const
{
  const SceneObject& object = scene.Objects()[static_cast<std::size_t>(hit.object)];
  if (object.background) return Fogged(environment.background, hit.t);
  const auto index = static_cast<std::size_t>(object.surface);
  const Surface& surface = scene.Surfaces()[index];
  if (path == Path::Camera && litByCamera[index]) return ShadeLit(hit, surface, passes);
  return ShadeSurface(ray, hit, surface, path, depth, passes);
}

double Tracer::CameraDistance(const Ray& ray) const
{
  Hit hit;
  bool found = scene.Intersect(ray, SeenBy(Path::Camera), hit);
  return found ? hit.t : std::numeric_limits<double>::infinity();
}

Vector Tracer::TraceCamera(const Ray& ray, const CameraRegion& region, PassSample* passes) const
{
  Hit hit;
  if (!scene.IntersectCamera(ray, region, SeenBy(Path::Camera), hit)) return Missed();
  return Shade(ray, hit, Path::Camera, 0, passes);
}

Vector Tracer::Trace(const Ray& ray, Path path, int depth, PassSample* passes) const
{
  Hit hit;
  if (!scene.Intersect(ray, SeenBy(path), hit)) return Missed();
  return Shade(ray, hit, path, depth, passes);
}

inline bool Tracer::Shadowed(const Light& light, const Hit& hit) const
{
  return light.shadows && secondary && scene.Objects()[static_cast<std::size_t>(hit.object)].receiveShadows;
}

// Inline: ambient lights, the depth scene's, stop here.
inline Vector Tracer::Direct(std::size_t index, const Hit& hit, const LightPath& toLight, const Surface& surface,
                             const Vector& base, const Vector& view) const
{
  const Light& light = scene.Lights()[index];
  uint8_t aspects = light.aspects[static_cast<std::size_t>(hit.object)];
  if (!(aspects & (kIllumination | kSpecular))) return {};
  double factor = LightFactor(light, toLight.distance);
  if (factor == 0.0) return {};
  Vector radiance = light.colour * factor;
  if (light.ambient && !Shadowed(light, hit)) return aspects & kIllumination ? Mul(radiance, base) : Vector{};
  return Angled(index, hit, toLight, surface, base, view, radiance);
}

Vector Tracer::Angled(std::size_t index, const Hit& hit, const LightPath& toLight, const Surface& surface,
                      const Vector& base, const Vector& view, Vector radiance) const
{
  const Light& light = scene.Lights()[index];
  uint8_t aspects = light.aspects[static_cast<std::size_t>(hit.object)];
  double distance = toLight.distance;
  Vector direction =
      light.distant ? light.direction * -1.0 : distance > 0.0 ? toLight.offset * (1.0 / distance) : hit.normal;
  double cosIn = Dot(hit.normal, direction);
  if (!light.ambient && cosIn <= 0.0) return {};
  if (Shadowed(light, hit))
    radiance = Mul(radiance, Transmission(index, hit.point, direction,
                                          light.distant ? std::numeric_limits<double>::infinity() : distance));
  if (IsZero(radiance)) return {};

  Vector out;
  if (aspects & kIllumination) {
    double diffuse = light.ambient ? 1.0 : surface.orenNayar ? OrenNayar(hit.normal, direction, view, cosIn) : cosIn;
    out = Mul(radiance, base) * diffuse;
  }
  if ((aspects & kSpecular) && !light.ambient && surface.specularHeight > 0.0) {
    double cosHalf = Dot(hit.normal, Unit(direction + view));
    if (cosHalf > 0.0) out = out + radiance * (surface.specularHeight * std::pow(cosHalf, surface.specularExponent));
  }
  return out;
}

inline void Tracer::Toward(std::size_t index, const Vector& point, LightPath& toLight) const
{
  // Lights often share a place (the depth lights all sit at the camera). The path is kept
  // from the last light computed, not the light before, which a reflection may have skipped.
  const Vector& position = scene.Lights()[index].position;
  if (!toLight.to || position != *toLight.to) {
    toLight.offset = position - point;
    toLight.distance = Length(toLight.offset);
    toLight.to = &position;
  }
}

// Shade's sums where nothing but the lights' direct light can add to them: with its
// transparency and reflection zero the surface keeps all of it (x 1), and without a
// texture its colour is the base. Every light is ambient and casts no shadow, so its direct
// light is its colour x factor x base where it illuminates the object. A zero direct light
// leaves the layers as they are: they start at +0 and only grow.
Vector Tracer::ShadeLit(const Hit& hit, const Surface& surface, PassSample* passes) const
{
  Vector local = Mul(environment.ambient, surface.colour) + surface.luminance;
  const auto object = static_cast<std::size_t>(hit.object);
  const LayerSums layers(passes);
  double distance = 0.0;
  for (const LightUse& use : uses) {
    const Light& light = *use.light;
    if (use.newPlace) distance = Length(light.position - hit.point);
    double factor = use.aspects[object] & kIllumination ? LightFactor(light, distance) : 0.0;
    if (factor == 0.0) {
      local = local + Vector{}; // as the full sum: it turns a -0 into +0
      continue;
    }
    Vector direct = Mul(light.colour * factor, surface.colour);
    local = local + direct;
    layers.Add(use.layer, direct);
  }
  return Fogged(local, hit.t);
}

Vector Tracer::ShadeSurface(const Ray& ray, const Hit& hit, const Surface& surface, Path path, int depth,
                            PassSample* passes) const
{
  Vector base = BaseColour(hit, surface);
  Vector view = ray.direction * -1.0;
  bool more = secondary && depth < kMaxDepth;
  bool transparent = more && scene.Settings().transparency && !IsZero(surface.transparency);
  Vector kept = transparent ? kOne - surface.transparency : kOne;

  Vector local = Mul(environment.ambient, base) + surface.luminance;
  const std::vector<Light>& lights = scene.Lights();
  const LayerSums layers(passes);
  LightPath toLight;
  for (std::size_t i = 0; i < lights.size(); ++i) {
    if (path == Path::Reflection && !(lights[i].aspects[static_cast<std::size_t>(hit.object)] & kReflectionVisibility))
      continue;
    Toward(i, hit.point, toLight);
    Vector direct = Direct(i, hit, toLight, surface, base, view);
    local = local + direct;
    layers.Add(uses[i].layer, Mul(direct, kept));
  }

  Vector colour = Mul(local, kept);
  if (transparent) {
    Ray behind{hit.point, ray.direction, RenderScene::Epsilon(hit.point)};
    colour = colour + Mul(surface.transparency, Trace(behind, path, depth + 1, nullptr));
  }
  if (more && scene.Settings().reflections && !IsZero(surface.reflection)) {
    Vector mirrored = ray.direction - hit.normal * (2.0 * Dot(ray.direction, hit.normal));
    Ray reflection{hit.point, Unit(mirrored), RenderScene::Epsilon(hit.point)};
    Vector reflected = Mul(surface.reflection, Trace(reflection, Path::Reflection, depth + 1, nullptr));
    colour = colour + reflected;
    if (passes) passes->reflection = passes->reflection + reflected;
  }
  return Fogged(colour, hit.t);
}

Vector Tracer::Transmission(std::size_t index, const Vector& point, const Vector& direction, double distance) const
{
  const Light& light = scene.Lights()[index];
  const std::vector<SceneObject>& objects = scene.Objects();
  auto casts = [&](int32_t o) {
    auto i = static_cast<std::size_t>(o);
    return objects[i].castShadows && (light.aspects[i] & kShadowCasting);
  };
  Ray ray{point, direction, RenderScene::Epsilon(point), distance - RenderScene::Epsilon(light.position)};
  Vector through = kOne;
  Hit hit;
  for (int i = 0; i < kMaxShadowSurfaces; ++i) {
    if (!scene.Intersect(ray, casts, hit)) return through;
    const Surface& occluder = scene.Surfaces()[static_cast<std::size_t>(objects[static_cast<std::size_t>(hit.object)].surface)];
    if (!scene.Settings().transparency || IsZero(occluder.transparency)) return {};
    through = Mul(through, occluder.transparency);
    ray.tMin = hit.t + RenderScene::Epsilon(hit.point);
  }
  return {};
}

Vector Tracer::BaseColour(const Hit& hit, const Surface& surface) const
{
  if (!surface.texture) return surface.colour;
  double u = 0.0, v = 0.0;
  TextureCoordinates(scene.Objects()[static_cast<std::size_t>(hit.object)], hit, u, v);
  return Mul(surface.texture->Sample(u, v), surface.colour);
}

}  // namespace lensara
