#include "GltfDetails.h"

namespace lensara {

namespace {


const nlohmann::json Null;

// The member of j, or null when j is no object or lacks it.
const nlohmann::json& Member(const nlohmann::json& j, const char* key)
{
  if (!j.is_object()) return Null;
  auto it = j.find(key);
  return it == j.end() ? Null : *it;
}

// The element of an array, or null.
const nlohmann::json& Element(const nlohmann::json& array, const nlohmann::json& index)
{
  if (!array.is_array() || !index.is_number_unsigned() || index.get<std::size_t>() >= array.size()) return Null;
  return array[index.get<std::size_t>()];
}

double Number(const nlohmann::json& j) { return j.is_number() ? j.get<double>() : 0.0; }

// Assimp names a node by its name, or "nodes[i]" when it has none.
std::string NodeName(const nlohmann::json& nodes, const nlohmann::json& index)
{
  const nlohmann::json& name = Member(Element(nodes, index), "name");
  if (name.is_string() && !name.get<std::string>().empty()) return name.get<std::string>();
  return "nodes[" + index.dump() + "]";
}

GltfSampler SamplerOf(const nlohmann::json& sampler)
{
  const nlohmann::json& interpolation = Member(sampler, "interpolation");
  if (interpolation == "STEP") return GltfSampler::Step;
  if (interpolation == "CUBICSPLINE") return GltfSampler::CubicSpline;
  return GltfSampler::Linear;
}

}  // namespace

GltfDetails::GltfDetails(const nlohmann::json& root)
{
  const nlohmann::json& list = Member(root, "animations");
  animations = list.is_array() ? list.size() : 0;
  const nlohmann::json& first = animations ? list[0] : Null;
  const nlohmann::json& channelList = Member(first, "channels");
  for (const nlohmann::json& channel : channelList.is_array() ? channelList : Null) {
    const nlohmann::json& target = Member(channel, "target");
    const nlohmann::json& path = Member(target, "path");
    const nlohmann::json& node = Member(target, "node");
    if (!path.is_string() || !node.is_number_unsigned()) continue;
    const nlohmann::json& sampler = Element(Member(first, "samplers"), Member(channel, "sampler"));
    channels.emplace(std::make_pair(NodeName(Member(root, "nodes"), node), path.get<std::string>()),
                     SamplerOf(sampler));
  }
  const nlohmann::json& cameraList = Member(root, "cameras");
  for (const nlohmann::json& camera : cameraList.is_array() ? cameraList : Null) {
    const nlohmann::json& perspective = Member(camera, "perspective");
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
