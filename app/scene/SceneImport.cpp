#include "SceneImport.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "AnimationImport.h"
#include "GltfDetails.h"
#include "Json.h"
#include "MeshObjects.h"
#include "app/core/Geometry.h"
#include "app/core/NodeTypes.h"
#include "host/keys/CameraKeys.h"
#include "host/keys/LightKeys.h"
#include "host/keys/RenderDataKeys.h"

namespace lensara {

namespace {

constexpr double kMaxRenderSize = 16384.0;

// A mesh's points, in metres in its node's frame, scaled to centimetres.
aiMatrix4x4 Metres()
{
  aiMatrix4x4 m;
  return aiMatrix4x4::Scaling(aiVector3D(float(kCentimetresPerMetre)), m);
}

// Builds the objects of the file's nodes into doc.
class SceneBuilder {
public:
  SceneBuilder(const ImportedFile& imported, Document& doc)
      : imported(imported), doc(doc), details(imported.GltfJson()), animation(imported, details, doc.Fps()),
        meshes(imported, doc)
  {
    const aiScene& scene = imported.Scene();
    for (unsigned i = 0; i < scene.mNumCameras; ++i) cameras.emplace(scene.mCameras[i]->mName.C_Str(), i);
    for (unsigned i = 0; i < scene.mNumLights; ++i) lights.emplace(scene.mLights[i]->mName.C_Str(), scene.mLights[i]);
  }

  // Assimp puts a root of its own above several top-level nodes: a root that carries
  // nothing is left out.
  void AddObjects()
  {
    const aiNode& root = *imported.Scene().mRootNode;
    NodeList& objects = doc.Branch(HST_BRANCH_OBJECTS);
    if (Carries(root)) return AddNode(root, objects, 1);
    for (unsigned i = 0; i < root.mNumChildren; ++i) AddNode(*root.mChildren[i], objects, 1);
  }

  // The first camera in the hierarchy becomes the active one; a camera that gives its
  // aspect ratio sets the render height to match it, so the picture frames what it frames.
  void ActivateFirstCamera()
  {
    if (!firstCamera) return;
    doc.SetActiveCamera(firstCamera);
    if (firstAspect <= 0.0) return;
    Container& settings = doc.ActiveRenderData()->Data();
    double height = std::round(settings.GetLong(kRenderWidth, 640) / firstAspect);
    settings.Set(kRenderHeight, Value(static_cast<int32_t>(std::clamp(height, 1.0, kMaxRenderSize))));
  }

  // The host's lights do not fall off with distance: a point or spot light, whose glTF
  // intensity is in candela, gets the brightness its inverse-square law gives at the centre
  // of the meshes' bounds (at time 0), so that the scene is lit as the file's author saw it
  // there. Without meshes, or a light at that centre, the intensity stands.
  void ExposePointLights() const
  {
    std::optional<Vector> centre = MeshCentre();
    if (!centre) return;
    for (Node* light : pointLights) {
      Vector metres = (light->GlobalMatrix().off - *centre) * (1.0 / kCentimetresPerMetre);
      double squared = metres.x * metres.x + metres.y * metres.y + metres.z * metres.z;
      if (squared <= 0.0) continue;
      Container& data = light->Data();
      data.Set(kLightBrightness, Value(data.GetReal(kLightBrightness, 0.0) / squared));
    }
  }

  void AddWarnings(std::vector<std::string>& to) const
  {
    to.insert(to.end(), warnings.begin(), warnings.end());
    for (std::string& warning : animation.Warnings()) to.push_back(std::move(warning));
  }

private:
  // The centre of the box around every polygon object's points, in the world; none when
  // there are no points.
  std::optional<Vector> MeshCentre() const
  {
    std::optional<Vector> low, high;
    doc.VisitSubtree([&](Node& node) {
      if (node.Type() != kPolygon || !node.GetMesh()) return;
      Matrix world = node.GlobalMatrix();
      for (const Vector& point : node.GetMesh()->points) {
        Vector p = Transform(world, point);
        low = low ? Vector(std::min(low->x, p.x), std::min(low->y, p.y), std::min(low->z, p.z)) : p;
        high = high ? Vector(std::max(high->x, p.x), std::max(high->y, p.y), std::max(high->z, p.z)) : p;
      }
    });
    if (!low) return std::nullopt;
    return (*low + *high) * 0.5;
  }

  bool Carries(const aiNode& node) const
  {
    std::string name = node.mName.C_Str();
    return !node.mTransformation.IsIdentity() || node.mNumMeshes || cameras.count(name) || lights.count(name) ||
           animation.Animates(node);
  }

  // node as an object, with its tracks and children, appended to into. A node with a
  // camera or a light becomes one, a node with one mesh a polygon object, any other a null;
  // meshes the node itself does not hold become polygon children.
  void AddNode(const aiNode& node, NodeList& into, int depth)
  {
    if (depth > kMaxSceneDepth)
      throw RefusedMeshFile(imported.File(), "node hierarchy deeper than " + std::to_string(kMaxSceneDepth) +
                                                 " levels, more than a scene file holds");
    std::string name = node.mName.C_Str();
    auto camera = cameras.find(name);
    auto light = lights.find(name);
    const aiScene& scene = imported.Scene();
    std::unique_ptr<Node> object = camera != cameras.end() ? Camera(camera->second, node)
                                   : light != lights.end()  ? Light(*light->second, node)
                                   : node.mNumMeshes == 1   ? meshes.Polygon(*scene.mMeshes[node.mMeshes[0]], Metres(), node)
                                                            : CreateNode(kNull);
    bool holdsMesh = object->Type() == kPolygon;
    object->SetName(ValidUtf8(name));
    Place(*object, node);
    object->SetTracks(animation.TracksOf(node));
    NodeList& children = object->Branch(HST_BRANCH_CHILDREN);
    for (unsigned i = holdsMesh; i < node.mNumMeshes; ++i)
      children.Append(meshes.Polygon(*scene.mMeshes[node.mMeshes[i]], Metres(), node));
    for (unsigned i = 0; i < node.mNumChildren; ++i) AddNode(*node.mChildren[i], children, depth + 1);
    into.Append(std::move(object));
  }

  void Place(Node& object, const aiNode& node) const
  {
    object.SetLocalMatrix(ToHost(node.mTransformation));
    object.SetPosition(object.Position() * kCentimetresPerMetre);
    if (!IsFinite(object.Position()) || !IsFinite(object.Rotation()) || !IsFinite(object.Scale()))
      throw RefusedMeshFile(imported.File(),
                            "the transform of node \"" + ValidUtf8(node.mName.C_Str()) + "\" is not a finite number");
  }

  // A camera looking along the node's -z (the host's +z, mirrored), its focal length set so
  // that the horizontal field of view is the glTF's: 2 atan(tan(yfov / 2) x aspect), with the
  // render settings' aspect where the camera gives none.
  std::unique_ptr<Node> Camera(unsigned index, const aiNode& node)
  {
    std::unique_ptr<Node> camera = CreateNode(kCamera);
    GltfCamera lens = details.Camera(index);
    Container& settings = doc.ActiveRenderData()->Data();
    double aspect = lens.aspect > 0.0 ? lens.aspect
                                      : double(settings.GetLong(kRenderWidth, 640)) / settings.GetLong(kRenderHeight, 480);
    double aperture = camera->Data().GetReal(kCameraApertureWidth, 36.0);
    double focal = aperture / (2.0 * std::tan(lens.yfov / 2.0) * aspect);
    if (lens.yfov > 0.0 && lens.yfov < kPi && std::isfinite(focal) && focal > 0.0)
      camera->Data().Set(kCameraFocalLength, Value(focal));
    else
      warnings.push_back(imported.File().string() + ": camera \"" + ValidUtf8(node.mName.C_Str()) +
                         "\" has no perspective field of view the host can use; it keeps the host's lens");
    if (!firstCamera) {
      firstCamera = camera.get();
      firstAspect = lens.aspect;
    }
    return camera;
  }

  // Point and spot lights become omni lights, directional ones distant lights (shining
  // along the node's -z, as in glTF). Assimp gives the colour times the intensity: its
  // largest component becomes the brightness.
  std::unique_ptr<Node> Light(const aiLight& source, const aiNode& node)
  {
    std::unique_ptr<Node> light = CreateNode(kLight);
    Vector color(source.mColorDiffuse.r, source.mColorDiffuse.g, source.mColorDiffuse.b);
    if (!IsFinite(color))
      throw RefusedMeshFile(imported.File(),
                            "the colour of light \"" + ValidUtf8(node.mName.C_Str()) + "\" is not a finite number");
    double brightness = std::max({color.x, color.y, color.z, 0.0});
    if (brightness > 0.0) color = color * (1.0 / brightness);
    light->Data().Set(kLightColor, Value(color));
    light->Data().Set(kLightBrightness, Value(brightness));
    light->Data().Set(kLightKind, Value(source.mType == aiLightSource_DIRECTIONAL ? kLightDistant : 0));
    if (source.mType != aiLightSource_DIRECTIONAL) pointLights.push_back(light.get());
    return light;
  }

  const ImportedFile& imported;
  Document& doc;
  GltfDetails details;
  AnimationImport animation;
  MeshObjects meshes;
  std::map<std::string, unsigned> cameras;        // Assimp's index, by node name
  std::map<std::string, const aiLight*> lights;   // by node name
  std::vector<Node*> pointLights;                 // point and spot lights, in candela
  Node* firstCamera = nullptr;
  double firstAspect = 0.0;
  std::vector<std::string> warnings;
};

}  // namespace

std::unique_ptr<Document> ImportGltfScene(const ImportedFile& imported, std::vector<std::string>* warnings)
{
  auto doc = std::make_unique<Document>();
  doc->Branch(HST_BRANCH_RENDER_DATA).Append(CreateNode(kRenderData));
  SceneBuilder builder(imported, *doc);
  builder.AddObjects();
  builder.ActivateFirstCamera();
  if (warnings) builder.AddWarnings(*warnings);
  doc->Animate();
  builder.ExposePointLights();
  return doc;
}

}  // namespace lensara
