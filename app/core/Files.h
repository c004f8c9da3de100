// Files replaced whole: written beside their place and renamed into it.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace lensara {

// Throws Error "file: problem" unless file is a regular file this process can read: "no
// such file", "is a directory", "is not a regular file", "permission denied".
void CheckReadable(const std::filesystem::path& file);

// Throws Error "file: problem" unless file can be written or replaced: its folder exists and
// is writable, and file is no directory and, when it exists, writable.
void CheckWritable(const std::filesystem::path& file);

// Fills a temporary file and returns true, or false with the problem when it knows one.
using FillTemporary = std::function<bool(const std::filesystem::path& temporary, std::string& problem)>;

// Has fill write temporary, then renames temporary to file, so that no half-written file
// is left. On failure removes temporary and throws Error "file: cannot be written" with
// ": problem" when there is one.
void WriteThroughTemporary(const std::filesystem::path& file, const std::filesystem::path& temporary,
                           const FillTemporary& fill);

}  // namespace lensara
