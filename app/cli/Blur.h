// `lensara blur`: the filters library's pass drivers on an image and a blur map from files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/Host.h"
#include "app/core/RenderCall.h"

namespace lensara {

struct BlurOptions {
  std::filesystem::path image;
  std::filesystem::path map;
  std::filesystem::path output;
  std::string filter = "gaussian"; // median, gaussian or gaussian-blend
  int32_t radius = 3;
  int32_t passes = 1;
  bool depthAware = false;
  bool blend = false;
};

// The filter names RunBlur takes.
std::vector<std::string> BlurFilters();

// Throws UsageError when the radius or the passes lie outside the limits that the effect's
// description gives DOF_RADIUS and DOF_PASSES, and Error when the effect is not loaded.
void CheckBlurLimits(const Host& host, const BlurOptions& options);

// Runs the chosen driver with source image, the blur map and a target that each pass
// writes whole (a copy of the source when there is no pass, so that zero passes leave the
// image as it was), and writes the target to options.output, whose name and folder are checked first. Returns false, writing nothing, when breakTest stopped the filter.
// Throws Error naming the file and the problem for unreadable or mismatched images, an
// unwritable output or a filter that fails; UsageError for an unknown filter or output
// format.
bool RunBlur(const BlurOptions& options, BreakTest* breakTest, ProgressDisplay* progress);

}  // namespace lensara
