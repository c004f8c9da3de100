// `lensara scene check` and `lensara scene convert`.
#pragma once

#include <filesystem>
#include <ostream>

namespace lensara {

// Loads a scene (or mesh) file and prints its object tree with types and names, its
// materials and render settings. Returns the exit code: 0, or 1 after printing the
// problem to err.
int CheckScene(const std::filesystem::path& file, std::ostream& out, std::ostream& err);

// Loads a scene or mesh file and writes it as a canonical scene file. Returns the exit
// code: 0, or 1 after printing the problem to err; no output file is left on failure.
int ConvertScene(const std::filesystem::path& in, const std::filesystem::path& outFile, std::ostream& err);

}  // namespace lensara
