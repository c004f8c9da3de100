// `lensara scene check` and `lensara scene convert`.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/core/Document.h"

namespace lensara {

// Loads a scene (or mesh) file and prints its object tree with types and names, its
// materials and render settings, and with params the parameters of its video posts as
// they were understood.
void CheckScene(const std::filesystem::path& file, bool params, std::ostream& out, std::ostream& warnings);

// Loads a scene or mesh file and writes it as a canonical scene file, which must be named
// *.json (UsageError otherwise). The output is checked before the input is read; no
// output file is left on failure.
void ConvertScene(const std::filesystem::path& in, const std::filesystem::path& outFile, std::ostream& warnings);

}  // namespace lensara
