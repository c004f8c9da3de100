#include "NodeTypes.h"

#include "Allocations.h"
#include "Container.h"
#include "Document.h"
#include "Host.h"
#include "Lookup.h"
#include "host/keys/CameraKeys.h"
#include "host/keys/LightKeys.h"
#include "host/keys/ObjectKeys.h"
#include "host/keys/RenderDataKeys.h"

namespace lensara {

namespace {

using K = NodeKind;

Value VectorValue(double x, double y, double z) { return Value(Vector{x, y, z}); }

// Sizes, radii and distances a renderer divides by or builds geometry from.
const Limits kPositive{0.0, std::numeric_limits<double>::infinity(), true};
const Limits kRenderSize{1.0, 16384.0};

Gradient WhiteToBlack()
{
  Gradient g;
  g.knots.push_back(GradientKnot{{1.0, 1.0, 1.0}, 1.0, 0.0, 0.5, 0});
  g.knots.push_back(GradientKnot{{0.0, 0.0, 0.0}, 1.0, 1.0, 0.5, 1});
  return g;
}

std::vector<KeyInfo> StandardMaterialKeys()
{
  static const char* channels[] = {"color",    "luminance", "transparency", "reflection", "environment",
                                   "fog",      "bump",      "alpha",        "specular",   "specular_color",
                                   "glow",     "displacement", "diffusion"};
  std::vector<KeyInfo> keys;
  for (int32_t ch = 0; ch < kMaterialChannelCount; ++ch)
    keys.push_back({kMaterialChannelState + ch, std::string(channels[ch]) + "_on", Value(ch == 0 || ch == 8 ? 1 : 0)});
  std::vector<KeyInfo> settings = {
      {kMaterialColor, "color", VectorValue(0.8, 0.8, 0.8)},
      {kMaterialColorBrightness, "color_brightness", Value(1.0)},
      {kMaterialColorShader, "color_shader", Value(Link{})},
      {kMaterialLuminanceColor, "luminance_color", VectorValue(1.0, 1.0, 1.0)},
      {kMaterialLuminanceBrightness, "luminance_brightness", Value(1.0)},
      {kMaterialTransparencyColor, "transparency_color", VectorValue(1.0, 1.0, 1.0)},
      {kMaterialTransparencyStrength, "transparency_strength", Value(1.0)},
      {kMaterialReflectionColor, "reflection_color", VectorValue(1.0, 1.0, 1.0)},
      {kMaterialReflectionStrength, "reflection_strength", Value(1.0)},
      {kMaterialSpecularWidth, "specular_width", Value(0.5)},
      {kMaterialSpecularHeight, "specular_height", Value(0.5)},
      {kMaterialDiffuseModel, "diffuse_model", Value(0)},
  };
  keys.insert(keys.end(), settings.begin(), settings.end());
  return keys;
}

std::vector<NodeType> MakeTypes()
{
  return {
      {kPolygon, K::Object, "polygon", "Polygon", {}},
      {kLight, K::Object, "light", "Light",
       {{kLightColor, "color", VectorValue(1.0, 1.0, 1.0)},
        {kLightBrightness, "brightness", Value(1.0)},
        {kLightKind, "light_type", Value(0)},
        {kLightShadows, "shadows", Value(0)},
        {kLightFalloff, "falloff", Value(0)},
        {kLightAmbient, "ambient", Value(0)},
        {kLightFalloffRadius, "falloff_radius", Value(kLightFalloffRadiusDefault)},
        {kLightNearClip, "near_clip", Value(0)},
        {kLightFarClip, "far_clip", Value(0)},
        {kLightNearClipFrom, "near_clip_from", Value(0.0)},
        {kLightNearClipTo, "near_clip_to", Value(0.0)},
        {kLightFarClipFrom, "far_clip_from", Value(0.0)},
        {kLightFarClipTo, "far_clip_to", Value(0.0)},
        {kLightObjectList, "list", Value(InExclude{})},
        {kLightListMode, "list_mode", Value(kLightListExclude)}}},
      {kCamera, K::Object, "camera", "Camera",
       {{kCameraFocalLength, "focal_length", Value(36.0), kPositive},
        {kCameraApertureWidth, "aperture_width", Value(36.0), kPositive},
        {kCameraFocusOnTarget, "focus_on_target", Value(0)},
        {kCameraFocusDistance, "focus_distance", Value(2000.0)},
        {kCameraFrontBlur, "front_blur", Value(0)},
        {kCameraFrontStart, "front_start", Value(0.0)},
        {kCameraFrontEnd, "front_end", Value(0.0)},
        {kCameraRearBlur, "rear_blur", Value(0)},
        {kCameraRearStart, "rear_start", Value(0.0)},
        {kCameraRearEnd, "rear_end", Value(0.0)}}},
      {kFloor, K::Object, "floor", "Floor", {}},
      {kSky, K::Object, "sky", "Sky", {{kSkyColor, "color", VectorValue(0.55, 0.7, 0.9)}}},
      {kEnvironment, K::Object, "environment", "Environment",
       {{kEnvironmentColor, "color", VectorValue(0.2, 0.2, 0.2)},
        {kEnvironmentStrength, "strength", Value(1.0)},
        {kEnvironmentFog, "fog", Value(0)},
        {kEnvironmentFogColor, "fog_color", VectorValue(1.0, 1.0, 1.0)},
        {kEnvironmentFogDistance, "fog_distance", Value(1000.0), kPositive}}},
      {kNull, K::Object, "null", "Null", {}},
      {kCube, K::Object, "cube", "Cube", {{kCubeSize, "size", VectorValue(200.0, 200.0, 200.0), kPositive}}},
      {kSphere, K::Object, "sphere", "Sphere", {{kSphereRadius, "radius", Value(100.0), kPositive}}},
      {kPlane, K::Object, "plane", "Plane",
       {{kPlaneWidth, "width", Value(400.0), kPositive}, {kPlaneHeight, "height", Value(400.0), kPositive}}},
      {kSun, K::Object, "sun", "Sun",
       {{kSunColor, "color", VectorValue(1.0, 1.0, 1.0)},
        {kSunStrength, "strength", Value(1.0)},
        {kSunSkyColor, "sky_color", VectorValue(0.55, 0.7, 0.9)}}},
      {kForeground, K::Object, "foreground", "Foreground",
       {{kForegroundColor, "color", VectorValue(0.0, 0.0, 0.0)}, {kForegroundOpacity, "opacity", Value(0.0)}}},
      {kTextureTag, K::Tag, "texture", "Texture", {{kTextureTagMaterial, "material", Value(Link{})}}},
      {kCompositingTag, K::Tag, "compositing", "Compositing",
       {{kCompositingCastShadows, "cast_shadows", Value(1)},
        {kCompositingReceiveShadows, "receive_shadows", Value(1)},
        {kCompositingSeenByCamera, "seen_by_camera", Value(1)},
        {kCompositingBackground, "background", Value(0)},
        {kCompositingSeenByReflection, "seen_by_reflection", Value(1)}}},
      {kTargetTag, K::Tag, "target", "Target", {{kTargetTagTarget, "target", Value(Link{})}}},
      {kHairLightTag, K::Tag, "hair_light", "Hair Light", {{kHairLightTagShadows, "hair_shadows", Value(1)}}},
      {kStandardMaterial, K::Material, "standard", "Material", StandardMaterialKeys()},
      {kHairMaterial, K::Material, "hair", "Hair Material", {{kHairMaterialGradient, "gradient", Value(WhiteToBlack())}}},
      {kBitmapShader, K::Shader, "bitmap", "Bitmap", {{kBitmapShaderFile, "file", Value(std::string())}}},
      {kCheckerboardShader, K::Shader, "checkerboard", "Checkerboard",
       {{kCheckerboardColor1, "color1", VectorValue(1.0, 1.0, 1.0)},
        {kCheckerboardColor2, "color2", VectorValue(0.0, 0.0, 0.0)},
        {kCheckerboardUFrequency, "u_frequency", Value(8.0)},
        {kCheckerboardVFrequency, "v_frequency", Value(8.0)}}},
      {kRenderData, K::RenderData, "render_settings", "My Render Setting",
       {{kRenderWidth, "width", Value(640), kRenderSize},
        {kRenderHeight, "height", Value(480), kRenderSize},
        {kRenderAntialiasing, "antialiasing", Value(1), Limits{0.0, 2.0}},
        {kRenderEngine, "engine", Value(1)},
        {kRenderDefaultLight, "default_light", Value(1)},
        {kRenderSaveMultipass, "save_multipass", Value(0)},
        {kRenderMultipass, "multipass", Value(0)},
        {kRenderSeparateLights, "separate_lights", Value(0)},
        {kRenderLightPassMode, "light_pass_mode", Value(0)},
        {kRenderReflections, "reflections", Value(1)},
        {kRenderTransparency, "transparency", Value(1)}}},
      {kMultipassNode, K::Pass, "pass", "Pass", {{kPassKind, "pass_type", Value(0)}}},
      {kDocument, K::Document, "document", "Untitled", {}},
  };
}

}  // namespace

const std::vector<NodeType>& NodeTypes()
{
  static const std::vector<NodeType> types = MakeTypes();
  return types;
}

const NodeType* FindNodeType(int32_t id)
{
  return FindFirst(NodeTypes(), [id](const NodeType& t) { return t.id == id; });
}

const NodeType* FindNodeType(const std::string& name)
{
  return FindFirst(NodeTypes(), [&name](const NodeType& t) { return t.name == name; });
}

const char* KindName(NodeKind kind)
{
  static const char* names[] = {"object", "tag", "material", "shader", "video post", "render settings", "pass entry",
                                "document"};
  return names[static_cast<int>(kind)];
}

std::unique_ptr<Node> CreateNode(int32_t type)
{
  if (type == kDocument) return std::make_unique<Document>();
  const NodeType* t = FindNodeType(type);
  if (!t) return Host::Active() ? Host::Active()->CreateVideoPost(type) : nullptr;
  auto node = std::make_unique<Node>(type, t->defaultName);
  for (const KeyInfo& k : t->keys) node->Data().Set(k.key, k.preset);
  if (type == kPolygon) node->SetMesh(CountedShared<Mesh>());
  return node;
}

}  // namespace lensara
