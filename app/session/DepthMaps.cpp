#include "DepthMaps.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "app/core/Error.h"
#include "app/core/MultipassBitmap.h"
#include "app/image/ExrImage.h"
#include "app/image/ImageIO.h"
#include "app/render/FrameRender.h"
#include "host/keys/RenderDataKeys.h"

namespace lensara {

namespace {

// The names the effect gives its depth lights; the layers of its depth render carry them.
constexpr const char* kMainLight = "Light__021006_qorvel";
constexpr const char* kFrontLight = "LightFront__021006_qorvel";
constexpr const char* kRearLight = "LightRear__021006_qorvel";

// Leaves the active camera (without children, placed where it was) as doc's only object,
// so that the effect's depth render of it sees nothing but what it adds itself.
void KeepOnlyCamera(Document& doc)
{
  Node* camera = doc.ActiveCamera();
  std::unique_ptr<Node> kept = camera ? camera->Clone() : nullptr;
  if (kept) {
    kept->SetLocalMatrix(camera->GlobalMatrix());
    while (Node* child = kept->Down()) child->Unlink();
  }
  while (Node* object = doc.FirstObject()) object->Unlink();
  if (kept) doc.Branch(HST_BRANCH_OBJECTS).Append(std::move(kept));
}

// The first pixel of the layer named name, black when there is none.
std::array<uint8_t, 3> FirstPixel(Bitmap& bitmap, const char* name)
{
  auto* image = dynamic_cast<MultipassBitmap*>(&bitmap);
  for (int32_t i = 0; image && i < image->LayerCount(); ++i) {
    const Layer* layer = image->LayerAt(i);
    if (layer->Name() == name && layer->Width() > 0 && layer->Height() > 0)
      return {layer->Row(0)[0], layer->Row(0)[1], layer->Row(0)[2]};
  }
  return {};
}

std::optional<Light> FindLight(const RenderScene& scene, const char* name)
{
  for (const Light& light : scene.Lights())
    if (light.name == name) return light;
  return std::nullopt;
}

uint8_t Byte(double v) { return uint8_t(std::clamp(std::round(v * 255.0), 0.0, 255.0)); }

bool HasSurface(float d) { return d > 0.0f && d < kNoSurface; }

void SetPixel(Bitmap& map, std::size_t i, const std::array<uint8_t, 3>& value)
{
  std::copy(value.begin(), value.end(), map.Row(0) + 3 * i);
}

std::array<uint8_t, 3> Inverted(std::array<uint8_t, 3> v)
{
  for (uint8_t& c : v) c = uint8_t(255 - c);
  return v;
}

// channel, else the first of Z, depth.Z and <layer>.Z the file has; channel (or Z) when none.
std::string DepthChannel(const std::vector<std::string>& names, const std::string& channel)
{
  if (!channel.empty()) return channel;
  for (const char* name : {"Z", "depth.Z"})
    if (std::find(names.begin(), names.end(), name) != names.end()) return name;
  for (const std::string& name : names)
    if (name.size() > 2 && name.compare(name.size() - 2, 2, ".Z") == 0) return name;
  return "Z";
}

DepthPicture ReadExrDepth(const std::filesystem::path& file, const std::string& channel)
{
  ImageSize size = ReadImageSize(file);
  try {
    ExrImage exr(file);
    return {size.width, size.height, exr.ReadChannel(DepthChannel(exr.Channels(), channel))};
  } catch (const Error& e) {
    throw Error(file.string() + ": " + e.what());
  }
}

DepthPicture ReadSampledDepth(const std::filesystem::path& file, double scale)
{
  ImageSamples samples = ReadSamples(file);
  if (samples.integer && !(scale > 0.0))
    throw UsageError(file.string() + ": holds whole numbers, not distances: give --depth-scale S (depth = value x S "
                                     "scene units; 0 stays no surface)");
  return {samples.size.width, samples.size.height, std::move(samples.values)};
}

}  // namespace

DepthPicture ReadDepthPicture(const std::filesystem::path& file, const std::string& channel, double scale)
{
  DepthPicture depth = IsOpenExr(file) ? ReadExrDepth(file, channel) : ReadSampledDepth(file, scale);
  if (scale > 0.0)
    for (float& d : depth.distance) d = float(d * scale);
  if (std::none_of(depth.distance.begin(), depth.distance.end(), HasSurface))
    throw Error(file.string() + ": its depth has no usable value (every pixel is 0, negative, infinite, not a number or at least 1e10)");
  return depth;
}

void MakeRadial(DepthPicture& depth, double tanHalfWidth)
{
  const double pixel = 2.0 * tanHalfWidth / depth.width;
  for (int32_t y = 0; y < depth.height; ++y)
    for (int32_t x = 0; x < depth.width; ++x) {
      double sx = (x + 0.5) * pixel - tanHalfWidth, sy = (depth.height * 0.5 - (y + 0.5)) * pixel;
      float& d = depth.distance[std::size_t(y) * depth.width + x];
      if (HasSurface(d)) d = float(d * std::sqrt(1.0 + sx * sx + sy * sy));
    }
}

DepthRules::DepthRules(Document& doc)
{
  KeepOnlyCamera(doc);
  Container& settings = doc.ActiveRenderData()->Data();
  settings.Set(kRenderWidth, Value(1));
  settings.Set(kRenderHeight, Value(1));
  bool rendered = false;
  std::exception_ptr problem;
  NestedRenderWatch watch([&](Document& depthScene, Bitmap& bitmap) {
    try {
      RenderScene scene(depthScene, RenderSettings(depthScene.ActiveRenderData()->Data()));
      main = {FindLight(scene, kMainLight), FirstPixel(bitmap, kMainLight)};
      front = {FindLight(scene, kFrontLight), FirstPixel(bitmap, kFrontLight)};
      rear = {FindLight(scene, kRearLight), FirstPixel(bitmap, kRearLight)};
      rendered = true;
    } catch (...) {
      problem = std::current_exception();
    }
  });
  MultipassBitmap image;
  FrameRender render(doc, FrameRenderOptions{});
  render.RenderFrame(doc.Time(), image);
  if (problem) std::rethrow_exception(problem);
  if (!render.Failures().empty())
    throw Error("the effect failed to prepare its depth scene (code " + std::to_string(render.Failures()[0].code) + ")");
  if (!rendered || !main.light) throw Error("the effect rendered no depth scene with its depth lights");
  polarity = main.light->nearClip || main.light->farClip;
}

std::array<uint8_t, 3> DepthRules::LayerValue(const DepthLight& depthLight, float distance) const
{
  if (!depthLight.light) return {};
  if (!HasSurface(distance)) return depthLight.sky;
  const Light& light = *depthLight.light;
  double f = LightFactor(light, distance);
  return {Byte(light.colour.x * f), Byte(light.colour.y * f), Byte(light.colour.z * f)};
}

DepthMaps DepthRules::Maps(const DepthPicture& depth) const
{
  DepthMaps maps{Bitmap(depth.width, depth.height), Bitmap(depth.width, depth.height),
                 Bitmap(depth.width, depth.height)};
  for (std::size_t i = 0; i < depth.distance.size(); ++i) {
    float d = depth.distance[i];
    std::array<uint8_t, 3> value = LayerValue(main, d);
    SetPixel(maps.main, i, polarity ? Inverted(value) : value);
    if (front.light) SetPixel(maps.front, i, Inverted(LayerValue(front, d)));
    if (rear.light) SetPixel(maps.rear, i, Inverted(LayerValue(rear, d)));
  }
  return maps;
}

}  // namespace lensara
