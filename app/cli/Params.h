// `lensara params`: the effect's parameters as the attribute manager shows them.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/core/Host.h"

namespace lensara {

struct ParamsOptions {
  std::filesystem::path scene;    // empty: the bundled demo
  std::vector<std::string> sets;  // NAME=VALUE edits made first, as the attribute manager makes them
  bool json = false;
};

// Loads the scene, makes the --set edits (EditParameter: validated by the effect) and
// prints every parameter of the first Lensara effect of its active render settings, in
// the order of its description: group, label, name, value (cycles by value name, links
// by object name), unit, limits, step, and "(greyed out)" for those the effect disables
// now. With json, the ParametersJson array. Load warnings and what
// the edits report go to messages. Throws Error when the scene cannot be read, the effect
// is not loaded or the scene has none, UsageError for a bad --set.
void ShowParams(const Host& host, const ParamsOptions& options, std::ostream& out, std::ostream& messages);

}  // namespace lensara
