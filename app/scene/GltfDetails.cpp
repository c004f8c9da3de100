#include "GltfDetails.h"

namespace lensara {

namespace {

using Json = nlohmann::json;

const Json Null;

// The member of j, or null when j is no object or lacks it.
const Json& Member(const Json& j, const char* key)
{
  if (!j.is_object()) return Null;
  auto it = j.find(key);
  return it == j.end() ? Null : *it;
}

// The element of an array, or null.
const Json& Element(const Json& array, const Json& index)
{
  if (!array.is_array() || !index.is_number_unsigned() || index.get<std::size_t>() >= array.size()) return Null;
  return array[index.get<std::size_t>()];
}

double Number(const Json& j) { return j.is_number() ? j.get<double>() : 0.0; }

// Assimp names a node by its name, or "nodes[i]" when it has none.
std::string NodeName(const Json& nodes, const Json& index)
{
  const Json& name = Member(Element(nodes, index), "name");
  if (name.is_string() && !name.get<std::string>().empty()) return name.get<std::string>();
  return "nodes[" + index.dump() + "]";
}

GltfSampler SamplerOf(const Json& sampler)
{
  const Json& interpolation = Member(sampler, "interpolation");
  if (interpolation == "STEP") return GltfSampler::Step;
  if (interpolation == "CUBICSPLINE") return GltfSampler::CubicSpline;
  return GltfSampler::Linear;
}

}  // namespace

GltfDetails::GltfDetails(const Json& root)
{
  const Json& list = Member(root, "animations");
  animations = list.is_array() ? list.size() : 0;
  const Json& first = animations ? list[0] : Null;
  const Json& channelList = Member(first, "channels");
  for (const Json& channel : channelList.is_array() ? channelList : Null) {
    const Json& target = Member(channel, "target");
    const Json& path = Member(target, "path");
    const Json& node = Member(target, "node");
    if (!path.is_string() || !node.is_number_unsigned()) continue;
    const Json& sampler = Element(Member(first, "samplers"), Member(channel, "sampler"));
    channels.emplace(std::make_pair(NodeName(Member(root, "nodes"), node), path.get<std::string>()),
                     SamplerOf(sampler));
  }
  const Json& cameraList = Member(root, "cameras");
  for (const Json& camera : cameraList.is_array() ? cameraList : Null) {
    const Json& perspective = Member(camera, "perspective");
    cameras.push_back({Number(Member(perspective, "yfov")), Number(Member(perspective, "aspectRatio"))});
  }
}

const GltfSampler* GltfDetails::Channel(const std::string& nodeName, const std::string& path) const
{
  auto it = channels.find({nodeName, path});
  return it == channels.end() ? nullptr : &it->second;
}

GltfCamera GltfDetails::Camera(std::size_t index) const
{
  return index < cameras.size() ? cameras[index] : GltfCamera();
}

}  // namespace lensara
