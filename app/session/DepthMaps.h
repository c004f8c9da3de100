// The effect's depth maps for a picture whose distances from the camera are known (a depth
// pass of any renderer). The effect prepares its depth scene for its settings, as in a
// render; its depth lights' clips, evaluated per pixel by the renderer's own light formula,
// give each map the value the depth render would give that pixel.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/core/Bitmap.h"
#include "app/core/Document.h"
#include "app/render/RenderScene.h"

namespace lensara {

// Distances from the camera (radial, in scene units), row by row from the top; a value
// that is not a positive finite number below kNoSurface marks a pixel with no surface.
struct DepthPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<float> distance;
};

constexpr double kNoSurface = 1e10;

// The depth of file x scale (0: 1 for floats): an OpenEXR file's channel when not empty,
// else its Z, depth.Z or first <layer>.Z; a single-channel TIFF of 32-bit floats or 16-bit
// integers; a 16-bit grey PNG. Integer samples need a scale; 0 in them means no surface.
// Throws UsageError naming the file for integers without a scale, Error naming it for no
// depth image, no such channel (the channels it has are listed), no pixel with a surface.
DepthPicture ReadDepthPicture(const std::filesystem::path& file, const std::string& channel, double scale);

// Planar depth (along the view axis) made the distance from the camera, for a camera whose
// horizontal field of view has tangent tanHalfWidth at its half, with square pixels.
void MakeRadial(DepthPicture& depth, double tanHalfWidth);

// As the render's depth layers: 0 where a pixel stays sharp, 255 where it is fully blurred.
struct DepthMaps {
  Bitmap main, front, rear;
};

class DepthRules {
public:
  // Renders one pixel of doc, emptied of every object but its active camera, with its
  // effect (which must be doc's first video post of its kind), and keeps the depth lights of
  // the scene the effect prepared and the value each gives where there is no surface.
  // Changes doc. Throws Error when the effect or its depth render fails.
  explicit DepthRules(Document& doc);

  DepthMaps Maps(const DepthPicture& depth) const;

private:
  // A depth light: its layer's bytes are clamp(round(255 x colour x factor(d))).
  struct DepthLight {
    std::optional<Light> light;  // none when the depth scene has no such light
    std::array<uint8_t, 3> sky{};  // its layer's value where nothing was hit
  };

  std::array<uint8_t, 3> LayerValue(const DepthLight& light, float distance) const;

  DepthLight main, front, rear;
  bool polarity = false;  // with a range on, the main layer is inverted into the map
};

}  // namespace lensara
