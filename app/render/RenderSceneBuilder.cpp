// RenderScene::Builder: reads a document once into the render scene, and the render
// settings the renderer reads.
#include "RenderScene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "TriangleIntersector.h"
#include "app/core/Error.h"
#include "app/core/NodeTypes.h"
#include "host/keys/CameraKeys.h"
#include "host/keys/LightKeys.h"
#include "host/keys/ObjectKeys.h"
#include "host/keys/RenderDataKeys.h"

namespace lensara {

namespace {

Vector VectorOf(const Container& data, int32_t key, const Vector& preset)
{
  const Value* v = data.Find(key);
  return v && v->GetVector() ? *v->GetVector() : preset;
}

bool Flag(const Container& data, int32_t key, bool preset) { return data.GetLong(key, preset ? 1 : 0) != 0; }

Node* FirstTag(const Node& node, int32_t type)
{
  for (Node* tag = node.FirstIn(HST_BRANCH_TAGS); tag; tag = tag->Next())
    if (tag->Type() == type) return tag;
  return nullptr;
}

const Link* LinkOf(const Node& node, int32_t key)
{
  const Value* v = node.Data().Find(key);
  return v ? v->GetLink() : nullptr;
}

int32_t SamplesPerAxis(int32_t antiAliasing) { return antiAliasing <= 0 ? 1 : antiAliasing == 1 ? 2 : 4; }

}  // namespace

RenderSettings::RenderSettings(const Container& data)
    : width(data.GetLong(kRenderWidth, 640)), height(data.GetLong(kRenderHeight, 480)),
      samplesPerAxis(SamplesPerAxis(data.GetLong(kRenderAntialiasing, 1))), fullEngine(Flag(data, kRenderEngine, true)),
      reflections(Flag(data, kRenderReflections, true)), transparency(Flag(data, kRenderTransparency, true)), defaultLight(Flag(data, kRenderDefaultLight, true)),
      multipass(Flag(data, kRenderMultipass, false)), separateLights(data.GetLong(kRenderSeparateLights, 0) == 1)
{
}

// Walks the document once, collecting lights, surfaces and the environment, then resolves
// the lights' object lists and hands the triangles to the triangle intersector.
class RenderScene::Builder {
public:
  Builder(RenderScene& scene, Document& doc) : scene(scene), doc(doc) { scene.surfaces.emplace_back(); }

  void Build()
  {
    Walk(doc.FirstObject());
    PlaceCamera(*doc.SceneCamera());
    scene.pixelWidth = 2.0 * scene.camera.tanHalfWidth / scene.settings.width;
    if (!hasSky) scene.environment.background = sunSky;
    if (scene.lights.empty() && scene.settings.defaultLight) AddDefaultLight();
    for (std::size_t i = 0; i < scene.lights.size(); ++i) ResolveAspects(scene.lights[i], lightNodes[i]);
    scene.PrepareCamera();
    if (!scene.triangles.empty()) scene.intersector = std::make_unique<TriangleIntersector>(scene.triangles);
  }

private:
  void Walk(Node* first)
  {
    for (Node* node = first; node; node = node->Next()) {
      Add(*node);
      Walk(node->Down());
    }
  }

  void Add(Node& node)
  {
    switch (node.Type()) {
    case kLight: AddLight(node); break;
    case kSun: AddSun(node); break;
    case kSphere: AddSphere(node); break;
    case kFloor: AddFloor(node); break;
    case kCube: AddCube(node); break;
    case kPlane: AddPlane(node); break;
    case kPolygon: AddMesh(node); break;
    case kSky: AddSky(node.Data()); break;
    case kEnvironment: AddEnvironment(node.Data()); break;
    case kForeground: AddForeground(node.Data()); break;
    default: break;
    }
  }

  // --- the environment: the first of each kind counts

  void AddSky(const Container& data)
  {
    if (!hasSky) scene.environment.background = VectorOf(data, kSkyColor, {});
    hasSky = true;
  }

  void AddEnvironment(const Container& data)
  {
    Environment& env = scene.environment;
    if (hasEnvironment) return;
    hasEnvironment = true;
    env.ambient = VectorOf(data, kEnvironmentColor, {}) * data.GetReal(kEnvironmentStrength, 1.0);
    env.fog = Flag(data, kEnvironmentFog, false) && data.GetReal(kEnvironmentFogDistance, 0.0) > 0.0;
    env.fogColour = VectorOf(data, kEnvironmentFogColor, {1.0, 1.0, 1.0});
    env.fogDistance = data.GetReal(kEnvironmentFogDistance, 1000.0);
  }

  void AddForeground(const Container& data)
  {
    Environment& env = scene.environment;
    if (env.foreground) return;
    env.foreground = true;
    env.foregroundColour = VectorOf(data, kForegroundColor, {});
    env.foregroundOpacity = data.GetReal(kForegroundOpacity, 0.0);
  }

  // The object's global matrix; a camera target tag turns its +Z to the target, +Y up.
  Matrix Placement(Node& node)
  {
    Matrix m = node.GlobalMatrix();
    Node* tag = FirstTag(node, kTargetTag);
    const Link* link = tag ? LinkOf(*tag, kTargetTagTarget) : nullptr;
    Node* target = link ? doc.Resolve(*link) : nullptr;
    if (!target || target == &node) return m;
    Vector forward = Unit(target->GlobalMatrix().off - m.off);
    Vector right = Unit(Cross({0.0, 1.0, 0.0}, forward));
    if (Length(forward) == 0.0 || Length(right) == 0.0) return m;
    return Matrix{m.off, right, Cross(forward, right), forward};
  }

  void PlaceCamera(Node& node)
  {
    Matrix m = Placement(node);
    double focal = node.Data().GetReal(kCameraFocalLength, 36.0),
           aperture = node.Data().GetReal(kCameraApertureWidth, 36.0);
    Camera& camera = scene.camera;
    camera = Camera{m.off, Unit(m.v1), Unit(m.v2), Unit(m.v3), aperture / (2.0 * focal)};
    bool axes = Length(camera.right) > 0.0 && Length(camera.up) > 0.0 && Length(camera.forward) > 0.0;
    if (!(focal > 0.0 && aperture > 0.0 && std::isfinite(camera.tanHalfWidth) && axes))
      throw Error("camera \"" + node.Name() + "\": needs a positive focal length and aperture and a placement with axes");
  }

  // --- lights

  void AddLight(Node& node)
  {
    const Container& data = node.Data();
    Matrix m = Placement(node);
    Light light;
    light.name = node.Name();
    light.colour = VectorOf(data, kLightColor, {1.0, 1.0, 1.0}) * data.GetReal(kLightBrightness, 1.0);
    light.position = m.off;
    light.direction = Unit(m.v3);
    light.distant = data.GetLong(kLightKind, 0) == kLightDistant;
    light.shadows = Flag(data, kLightShadows, false);
    light.falloff = data.GetLong(kLightFalloff, 0) == kLightFalloffLinear;
    light.ambient = Flag(data, kLightAmbient, false);
    light.radius = data.GetReal(kLightFalloffRadius, kLightFalloffRadiusDefault);
    light.nearClip = Flag(data, kLightNearClip, false);
    light.farClip = Flag(data, kLightFarClip, false);
    light.nearFrom = data.GetReal(kLightNearClipFrom, 0.0);
    light.nearTo = data.GetReal(kLightNearClipTo, 0.0);
    light.farFrom = data.GetReal(kLightFarClipFrom, 0.0);
    light.farTo = data.GetReal(kLightFarClipTo, 0.0);
    light.nearScale = 1.0 / (light.nearTo - light.nearFrom);
    light.farScale = 1.0 / (light.farTo - light.farFrom);
    light.hasLayer = true;
    scene.lights.push_back(std::move(light));
    lightNodes.push_back(&node);
  }

  void AddSun(Node& node)
  {
    const Container& data = node.Data();
    Light sun;
    sun.name = node.Name();
    sun.colour = VectorOf(data, kSunColor, {1.0, 1.0, 1.0}) * data.GetReal(kSunStrength, 1.0);
    sun.direction = Unit(Placement(node).v3);
    sun.position = node.GlobalMatrix().off;
    sun.distant = true;
    sun.shadows = true;
    if (!hasSun) sunSky = VectorOf(data, kSunSkyColor, {});
    hasSun = true;
    scene.lights.push_back(std::move(sun));
    lightNodes.push_back(nullptr);
  }

  // Shines along the view, turned 30 degrees down and to the right: light from the upper
  // left behind the camera.
  void AddDefaultLight()
  {
    const Camera& camera = scene.camera;
    double slope = std::tan(30.0 * kDegree);
    Light light;
    light.name = "Default Light";
    light.colour = {1.0, 1.0, 1.0};
    light.position = camera.position;
    light.direction = Unit(camera.forward + camera.right * slope - camera.up * slope);
    light.distant = true;
    scene.lights.push_back(std::move(light));
    lightNodes.push_back(nullptr);
  }

  // Every object gets the light's aspects: in exclude mode all but those its nearest listed
  // ancestor (or itself) switches off, in include mode only those it switches on.
  void ResolveAspects(Light& light, Node* node)
  {
    light.aspects.assign(objectNodes.size(), kAllAspects);
    const Value* list = node ? node->Data().Find(kLightObjectList) : nullptr;
    const InExclude* entries = list ? list->GetInExclude() : nullptr;
    bool include = node && node->Data().GetLong(kLightListMode, kLightListExclude) == kLightListInclude;
    if (!include && (!entries || entries->entries.empty())) return;
    std::unordered_map<Identity, int32_t> flags;
    if (entries)
      for (const InExclude::Entry& e : entries->entries) flags.emplace(e.target, e.flags);
    for (std::size_t i = 0; i < objectNodes.size(); ++i) {
      int32_t listed = -1;
      for (Node* n = objectNodes[i]; n && listed < 0; n = n->Up())
        if (auto it = flags.find(n->GetIdentity()); it != flags.end()) listed = it->second & kAllAspects;
      if (include) light.aspects[i] = static_cast<uint8_t>(listed < 0 ? 0 : listed);
      else if (listed >= 0) light.aspects[i] = static_cast<uint8_t>(~listed & kAllAspects);
    }
  }

  // --- surfaces

  int32_t AddObject(Node& node, const Matrix& m, Mapping mapping)
  {
    SceneObject object;
    object.name = node.Name();
    object.surface = SurfaceOf(node);
    object.toObject = Inverse(m);
    object.mapping = mapping;
    if (Node* tag = FirstTag(node, kCompositingTag)) {
      const Container& data = tag->Data();
      object.castShadows = Flag(data, kCompositingCastShadows, true);
      object.receiveShadows = Flag(data, kCompositingReceiveShadows, true);
      object.seenByCamera = Flag(data, kCompositingSeenByCamera, true);
      object.background = Flag(data, kCompositingBackground, false);
      object.seenByReflection = Flag(data, kCompositingSeenByReflection, true);
    }
    scene.objects.push_back(std::move(object));
    objectNodes.push_back(&node);
    return static_cast<int32_t>(scene.objects.size() - 1);
  }

  void AddSphere(Node& node)
  {
    Matrix m = Placement(node);
    double scale = (Length(m.v1) + Length(m.v2) + Length(m.v3)) / 3.0;
    int32_t object = AddObject(node, m, Mapping::Spherical);
    double radius = node.Data().GetReal(kSphereRadius, 100.0) * scale;
    if (radius > 0.0) scene.spheres.push_back({m.off, radius, object, 1.0 / radius});
  }

  void AddFloor(Node& node)
  {
    Matrix m = Placement(node);
    int32_t object = AddObject(node, m, Mapping::Floor);
    scene.floors.push_back({m.off, Unit(m.v2), object});
  }

  void AddCube(Node& node)
  {
    Vector half = VectorOf(node.Data(), kCubeSize, {200.0, 200.0, 200.0}) * 0.5;
    std::vector<Vector> corners;
    for (int i = 0; i < 8; ++i)
      corners.push_back({i & 1 ? half.x : -half.x, i & 2 ? half.y : -half.y, i & 4 ? half.z : -half.z});
    static const std::array<int32_t, 3> kFaces[] = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6}, {0, 1, 4}, {1, 5, 4},
                                                    {2, 6, 3}, {3, 6, 7}, {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
    AddTriangles(node, Mapping::Box, corners, std::vector<std::array<int32_t, 3>>(std::begin(kFaces), std::end(kFaces)));
  }

  void AddPlane(Node& node)
  {
    double w = node.Data().GetReal(kPlaneWidth, 400.0) * 0.5, h = node.Data().GetReal(kPlaneHeight, 400.0) * 0.5;
    AddTriangles(node, Mapping::Flat, {{-w, 0.0, -h}, {w, 0.0, -h}, {-w, 0.0, h}, {w, 0.0, h}}, {{0, 2, 1}, {1, 2, 3}});
  }

  void AddMesh(Node& node)
  {
    const std::shared_ptr<const Mesh>& mesh = node.GetMesh();
    if (mesh) AddTriangles(node, Mapping::Box, mesh->points, mesh->triangles);
  }

  void AddTriangles(Node& node, Mapping mapping, const std::vector<Vector>& points,
                    const std::vector<std::array<int32_t, 3>>& indices)
  {
    Matrix m = Placement(node);
    int32_t object = AddObject(node, m, mapping);
    SetBounds(scene.objects[static_cast<std::size_t>(object)], points);
    for (const auto& tri : indices) {
      for (int32_t i : tri)
        if (i < 0 || static_cast<std::size_t>(i) >= points.size())
          throw Error("polygon object \"" + node.Name() + "\": a triangle names point " + std::to_string(i) + " of " +
                      std::to_string(points.size()));
      auto world = [&](int32_t i) { return Transform(m, points[static_cast<std::size_t>(i)]); };
      Vector a = world(tri[0]), b = world(tri[1]), c = world(tri[2]);
      scene.triangles.push_back({a, b, c, object, Unit(Cross(b - a, c - a))});
    }
  }

  static void SetBounds(SceneObject& object, const std::vector<Vector>& points)
  {
    if (points.empty()) return;
    Vector lo = points[0], hi = points[0];
    for (const Vector& p : points) {
      lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
      hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    object.boundsMin = lo;
    object.boundsSize = hi - lo;
  }

  // The surface of the nearest texture tag on the object or its ancestors; 0 (white) when none.
  int32_t SurfaceOf(Node& node)
  {
    for (Node* n = &node; n; n = n->Up()) {
      // The last texture tag whose material is in the document lies on top.
      Node* material = nullptr;
      for (Node* tag = n->FirstIn(HST_BRANCH_TAGS); tag; tag = tag->Next())
        if (const Link* link = tag->Type() == kTextureTag ? LinkOf(*tag, kTextureTagMaterial) : nullptr)
          if (Node* resolved = doc.Resolve(*link)) material = resolved;
      if (material) return material->Type() == kStandardMaterial ? SurfaceIndex(*material) : 0;
    }
    return 0;
  }

  int32_t SurfaceIndex(Node& material)
  {
    auto [it, added] = surfaceOf.emplace(&material, static_cast<int32_t>(scene.surfaces.size()));
    if (added) scene.surfaces.push_back(ReadSurface(material));
    return it->second;
  }

  Surface ReadSurface(Node& material)
  {
    const Container& data = material.Data();
    auto channel = [&](int32_t number, bool preset) { return Flag(data, kMaterialChannelState + number, preset); };
    auto colour = [&](int32_t key, const Vector& preset) {
      return VectorOf(data, key, preset) * data.GetReal(key + 1, 1.0);
    };
    Surface s;
    s.colour = {};
    if (channel(0, true)) {
      s.texture = ColourTexture(material);
      double brightness = data.GetReal(kMaterialColorBrightness, 1.0);
      s.colour = s.texture ? Vector{brightness, brightness, brightness} : colour(kMaterialColor, {0.8, 0.8, 0.8});
    }
    if (channel(1, false)) s.luminance = colour(kMaterialLuminanceColor, {1.0, 1.0, 1.0});
    if (channel(2, false)) s.transparency = colour(kMaterialTransparencyColor, {1.0, 1.0, 1.0});
    if (channel(3, false)) s.reflection = colour(kMaterialReflectionColor, {1.0, 1.0, 1.0});
    if (channel(8, true)) {
      double width = std::max(data.GetReal(kMaterialSpecularWidth, 0.5), 0.01);
      s.specularHeight = data.GetReal(kMaterialSpecularHeight, 0.5);
      s.specularExponent = 4.0 / (width * width);
    }
    s.orenNayar = data.GetLong(kMaterialDiffuseModel, 0) == 1;
    return s;
  }

  const Texture* ColourTexture(Node& material)
  {
    MaterialChannel* colour = material.Channel(0);
    Node* shader = colour ? colour->Shader() : nullptr;
    std::unique_ptr<Texture> texture = shader ? MakeTexture(*shader, doc.Folder()) : nullptr;
    if (!texture) return nullptr;
    scene.textures.push_back(std::move(texture));
    return scene.textures.back().get();
  }

  RenderScene& scene;
  Document& doc;
  std::vector<Node*> objectNodes; // parallel to scene.objects
  std::vector<Node*> lightNodes;  // parallel to scene.lights; null for the sun and default light
  std::unordered_map<const Node*, int32_t> surfaceOf;
  bool hasSky = false, hasSun = false, hasEnvironment = false;
  Vector sunSky;
};

RenderScene::RenderScene(Document& doc, const RenderSettings& settings) : settings(settings)
{
  Builder(*this, doc).Build();
}

}  // namespace lensara
