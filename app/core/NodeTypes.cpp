#include "NodeTypes.h"

#include "Allocations.h"
#include "Container.h"
#include "Document.h"
#include "Host.h"
#include "Lookup.h"

namespace lensara {

namespace {

using K = NodeKind;

Value V(double x, double y, double z) { return Value(Vector{x, y, z}); }

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
  for (int32_t ch = 0; ch < kChannelCount; ++ch)
    keys.push_back({2000 + ch, std::string(channels[ch]) + "_on", Value(ch == 0 || ch == 8 ? 1 : 0)});
  std::vector<KeyInfo> settings = {
      {2100, "color", V(0.8, 0.8, 0.8)},
      {2101, "color_brightness", Value(1.0)},
      {kChannelShaderKey, "color_shader", Value(Link{})},
      {2110, "luminance_color", V(1.0, 1.0, 1.0)},
      {2111, "luminance_brightness", Value(1.0)},
      {2120, "transparency_color", V(1.0, 1.0, 1.0)},
      {2121, "transparency_strength", Value(1.0)},
      {2130, "reflection_color", V(1.0, 1.0, 1.0)},
      {2131, "reflection_strength", Value(1.0)},
      {2180, "specular_width", Value(0.5)},
      {2181, "specular_height", Value(0.5)},
      {8000, "diffuse_model", Value(0)},
  };
  keys.insert(keys.end(), settings.begin(), settings.end());
  return keys;
}

std::vector<NodeType> MakeTypes()
{
  return {
      {kPolygonType, K::Object, "polygon", "Polygon", {}},
      {5102, K::Object, "light", "Light",
       {{90000, "color", V(1.0, 1.0, 1.0)},
        {90001, "brightness", Value(1.0)},
        {90002, "light_type", Value(0)},
        {90003, "shadows", Value(0)},
        {90014, "falloff", Value(0)},
        {90015, "ambient", Value(0)},
        {90025, "falloff_radius", Value(500.0)},
        {90027, "near_clip", Value(0)},
        {90028, "far_clip", Value(0)},
        {90029, "near_clip_from", Value(0.0)},
        {90030, "near_clip_to", Value(0.0)},
        {90031, "far_clip_from", Value(0.0)},
        {90032, "far_clip_to", Value(0.0)},
        {100000, "list", Value(InExclude{})},
        {100001, "list_mode", Value(1)}}},
      {5103, K::Object, "camera", "Camera",
       {{1000, "focal_length", Value(36.0), kPositive},
        {1001, "aperture_width", Value(36.0), kPositive},
        {1009, "focus_on_target", Value(0)},
        {1010, "focus_distance", Value(2000.0)},
        {1111, "front_blur", Value(0)},
        {1112, "front_start", Value(0.0)},
        {1113, "front_end", Value(0.0)},
        {1114, "rear_blur", Value(0)},
        {1115, "rear_start", Value(0.0)},
        {1116, "rear_end", Value(0.0)}}},
      {5104, K::Object, "floor", "Floor", {}},
      {5105, K::Object, "sky", "Sky", {{1000, "color", V(0.55, 0.7, 0.9)}}},
      {5106, K::Object, "environment", "Environment",
       {{1000, "color", V(0.2, 0.2, 0.2)},
        {1001, "strength", Value(1.0)},
        {1002, "fog", Value(0)},
        {1003, "fog_color", V(1.0, 1.0, 1.0)},
        {1004, "fog_distance", Value(1000.0), kPositive}}},
      {5140, K::Object, "null", "Null", {}},
      {5159, K::Object, "cube", "Cube", {{1100, "size", V(200.0, 200.0, 200.0), kPositive}}},
      {5160, K::Object, "sphere", "Sphere", {{1110, "radius", Value(100.0), kPositive}}},
      {5168, K::Object, "plane", "Plane", {{1100, "width", Value(400.0), kPositive}, {1101, "height", Value(400.0), kPositive}}},
      {1011146, K::Object, "sun", "Sun",
       {{1001, "color", V(1.0, 1.0, 1.0)}, {1002, "strength", Value(1.0)}, {1003, "sky_color", V(0.55, 0.7, 0.9)}}},
      {200000118, K::Object, "foreground", "Foreground",
       {{1000, "color", V(0.0, 0.0, 0.0)}, {1001, "opacity", Value(0.0)}}},
      {kTextureTagType, K::Tag, "texture", "Texture", {{kTextureTagMaterial, "material", Value(Link{})}}},
      {5637, K::Tag, "compositing", "Compositing",
       {{1000, "cast_shadows", Value(1)},
        {1001, "receive_shadows", Value(1)},
        {1003, "seen_by_camera", Value(1)},
        {1004, "background", Value(0)},
        {1005, "seen_by_reflection", Value(1)}}},
      {5676, K::Tag, "target", "Target", {{1001, "target", Value(Link{})}}},
      {1017874, K::Tag, "hair_light", "Hair Light", {{1000, "hair_shadows", Value(1)}}},
      {kStandardMaterialType, K::Material, "standard", "Material", StandardMaterialKeys()},
      {1017730, K::Material, "hair", "Hair Material", {{3139, "gradient", Value(WhiteToBlack())}}},
      {5833, K::Shader, "bitmap", "Bitmap", {{1000, "file", Value(std::string())}}},
      {1018766, K::Shader, "checkerboard", "Checkerboard",
       {{1000, "color1", V(1.0, 1.0, 1.0)}, {1001, "color2", V(0.0, 0.0, 0.0)}, {1002, "u_frequency", Value(8.0)},
        {1003, "v_frequency", Value(8.0)}}},
      {kRenderDataType, K::RenderData, "render_settings", "My Render Setting",
       {{5008, "width", Value(640), kRenderSize},
        {5009, "height", Value(480), kRenderSize},
        {5002, "antialiasing", Value(1), Limits{0.0, 2.0}},
        {5016, "engine", Value(1)},
        {5076, "default_light", Value(1)},
        {5200, "save_multipass", Value(0)},
        {5202, "multipass", Value(0)},
        {5205, "separate_lights", Value(0)},
        {5208, "light_pass_mode", Value(0)},
        {6018, "reflections", Value(1)},
        {6019, "transparency", Value(1)}}},
      {300001048, K::Pass, "pass", "Pass", {{1000, "pass_type", Value(0)}}},
      {kDocumentType, K::Document, "document", "Untitled", {}},
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
  if (type == kDocumentType) return std::make_unique<Document>();
  const NodeType* t = FindNodeType(type);
  if (!t) return Host::Active() ? Host::Active()->CreateVideoPost(type) : nullptr;
  auto node = std::make_unique<Node>(type, t->defaultName);
  for (const KeyInfo& k : t->keys) node->Data().Set(k.key, k.preset);
  if (type == kPolygonType) node->SetMesh(CountedShared<Mesh>());
  return node;
}

}  // namespace lensara
