// `lensara render`: a scene file rendered into pictures, frame by frame.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "app/core/Host.h"
#include "app/core/RenderCall.h"

namespace lensara {

struct FrameRange {
  int32_t first = 0;
  int32_t last = 0;
};

struct RenderOptions {
  std::filesystem::path scene;       // empty: the bundled demo
  std::filesystem::path output = "."; // the folder the pictures go into
  std::optional<FrameRange> frames;  // none: the document's own time, without frame numbers
  int threads = 0;                   // 0: every core
  bool layers = false;               // also each layer as a PNG of its own
};

// The bundled demo scene, examples/still-life.json.
std::filesystem::path DemoScene();

// For each frame renders a clone of the scene, set to the frame's time (frame / fps), with
// its active render settings through its active camera into a multipass bitmap, and writes
// output/image.png (the composite), output/image.exr (the composite as R, G, B and every
// layer as "<layer name>.R/.G/.B", as 32-bit floats v / 255) and, with layers, each layer
// as a PNG named after it. A frame range adds the frame number: image.0005.png. Every file
// is written under a temporary name and renamed. Returns false when breakTest stopped a
// render (files of finished frames stay). Throws Error naming the file and the problem.
bool RunRender(const Host& host, const RenderOptions& options, BreakTest* breakTest, ProgressDisplay* progress);

}  // namespace lensara
