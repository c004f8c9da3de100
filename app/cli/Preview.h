// `lensara preview`: presses the preview button of a scene's effect and writes the preview
// window as the host shows it.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/core/Host.h"

namespace lensara {

struct PreviewOptions {
  std::filesystem::path scene;   // empty: the bundled demo
  std::filesystem::path output;  // the image of the window
  std::vector<std::string> sets; // NAME=VALUE, as for render
};

// Loads the scene, applies the edits, sends the preview button's message (18, DOF_PREVIEW)
// to the first Lensara video post of the active render settings and writes the window it
// opened into options.output. Answers the window's status text; none when the effect
// opened no window on a product kind other than the standard one (1: the effect renders
// no preview there, e.g. on kinds 8, 9, 10), nothing written.
// Throws Error naming the file and the problem (no effect in the scene, no window opened),
// UsageError for a bad --set or output format.
std::optional<std::string> RunPreview(const Host& host, const PreviewOptions& options, std::ostream& warnings);

}  // namespace lensara
