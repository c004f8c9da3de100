// What Assimp 5.2 leaves out of a glTF or gets wrong, read from the file's JSON: how the
// samplers of its first animation interpolate (Assimp keeps only the values at the keys)
// and its cameras' fields of view (Assimp multiplies the vertical one by the aspect ratio).
// Internal to the mesh import.
#pragma once

#include <cstddef>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

namespace lensara {

enum class GltfSampler { Step, Linear, CubicSpline };

// A perspective camera's vertical field of view in radians and its aspect ratio (width over
// height); 0 where the file gives none (orthographic cameras, no aspect ratio).
struct GltfCamera {
  double yfov = 0.0;
  double aspect = 0.0;
};

class GltfDetails {
public:
  // Anything but a glTF 2 (null, malformed, glTF 1) gives no channels and no cameras.
  explicit GltfDetails(const nlohmann::json& root);

  // The sampler of the first animation's channel that drives path ("translation",
  // "rotation" or "scale") of the node Assimp names nodeName; null when none does.
  const GltfSampler* Channel(const std::string& nodeName, const std::string& path) const;
  // The camera Assimp imports as its index-th.
  GltfCamera Camera(std::size_t index) const;
  std::size_t AnimationCount() const { return animations; }

private:
  std::map<std::pair<std::string, std::string>, GltfSampler> channels;
  std::vector<GltfCamera> cameras;
  std::size_t animations = 0;
};

}  // namespace lensara
