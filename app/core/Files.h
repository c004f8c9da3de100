// Files replaced whole: written beside their place and renamed into it.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace lensara {

// Fills a temporary file and returns true, or false with the problem when it knows one.
using FillTemporary = std::function<bool(const std::filesystem::path& temporary, std::string& problem)>;

// Has fill write temporary, then renames temporary to file, so that no half-written file
// is left. On failure removes temporary and throws Error "file: cannot be written" with
// ": problem" when there is one.
void WriteThroughTemporary(const std::filesystem::path& file, const std::filesystem::path& temporary,
                           const FillTemporary& fill);

}  // namespace lensara
