// `lensara blur`: the filters library's pass drivers on an image and a blur map from files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/core/Host.h"
#include "app/core/RenderCall.h"

namespace lensara {

struct BlurOptions {
  std::filesystem::path image;
  std::string layer;                 // of a multi-layer EXR image; empty: its composite or first

  std::filesystem::path map;
  std::filesystem::path output;
  std::string filter = "gaussian"; // median, gaussian or gaussian-blend
  int32_t radius = 3;
  int32_t passes = 1;
  bool depthAware = false;
  bool blend = false;

  // With a depth file instead of a map, the effect makes the maps from it by its rules.
  std::filesystem::path depth;
  std::string depthChannel;          // empty: Z, depth.Z or the first <layer>.Z
  double depthScale = 0.0;           // scene units per depth value; 0: 1 for floats, none for integers
  std::string depthKind = "radial";  // or "planar": distance along the view axis
  double fov = 0.0;                  // the camera's horizontal field of view in degrees
  double focalLength = 0.0, aperture = 0.0;  // or the field of view these make, in mm
  std::filesystem::path params;      // the scene whose first effect gives the settings
  std::string focus, front, rear;    // distance; START-END or off
  bool dilate = false;
  std::filesystem::path saveMaps;    // the folder for the three maps as PNGs
};

// The filter names RunBlur takes.
std::vector<std::string> BlurFilters();

// Throws UsageError when the radius or the passes lie outside the limits that the effect's
// description gives DOF_RADIUS and DOF_PASSES, and Error when the effect is not loaded.
void CheckBlurLimits(const Host& host, const BlurOptions& options);

// Runs the chosen driver with source image (the picture of options.layer for an EXR), the
// blur map and a target that each pass writes whole (a copy of the source when there is no
// pass, so that zero passes leave the image as it was), and writes the target to
// options.output, whose name and folder are checked first; an EXR output keeps the other
// channels of an EXR image as they are. Returns false, writing nothing, when breakTest
// stopped the filter.
// Throws Error naming the file and the problem for unreadable or mismatched images, an
// unwritable output or a filter that fails; UsageError for an unknown filter or output
// format.
bool RunBlur(const BlurOptions& options, BreakTest* breakTest, ProgressDisplay* progress);

// The --set edits of the effect that the options given (given(name) tells whether the option
// name was on the command line) ask for in a blur by depth. Throws UsageError for a range
// that is neither START-END nor off.
std::vector<std::string> DepthBlurEdits(const BlurOptions& options, const std::function<bool(const char*)>& given);

// RunBlur with the maps made from options.depth by the effect of options.params (default: a
// new effect) after edits, the blur run as a frame render runs it; the maps saved as asked.
// The effect's corrections of the edits go to messages. Throws as RunBlur does.
bool RunDepthBlur(const Host& host, const BlurOptions& options, const std::vector<std::string>& edits,
                  BreakTest* breakTest, ProgressDisplay* progress, std::ostream& messages);

}  // namespace lensara
