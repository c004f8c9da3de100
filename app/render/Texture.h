// The colour shaders a material's colour channel can hold: a bitmap and a checkerboard,
// looked up by texture coordinates u and v (0 .. 1 across the texture, repeating).
#pragma once

#include <filesystem>
#include <memory>

#include "app/core/Bitmap.h"
#include "app/core/Geometry.h"
#include "app/core/Node.h"

namespace lensara {

class Texture {
public:
  virtual ~Texture() = default;
  // Linear RGB at (u, v); v = 0 is the top edge.
  virtual Vector Sample(double u, double v) const = 0;
};

// The texture of a shader node (bitmap 5833 with its file relative to folder, or
// checkerboard 1018766); null for other shader types and a bitmap without a file. Throws Error naming an image file
// that cannot be read.
std::unique_ptr<Texture> MakeTexture(const Node& shader, const std::filesystem::path& folder);

}  // namespace lensara
