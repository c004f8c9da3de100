// Files replaced whole: written beside their place and renamed into it.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "Error.h"

namespace lensara {

// Error "file: problem".
inline Error FileError(const std::filesystem::path& file, const std::string& problem)
{
  return Error(file.string() + ": " + problem);
}

// Throws Error "file: problem" unless file is a regular file: "no such file", "is a
// directory", "is not a regular file".
void CheckRegularFile(const std::filesystem::path& file);

// Throws Error "file: problem" unless file is a regular file this process can read: "no
// such file", "is a directory", "is not a regular file", "permission denied", and as
// CheckNoLinkLoop.
void CheckReadable(const std::filesystem::path& file);

// Throws Error "file: a symbolic link loop (too many levels of symbolic links)" when the
// path runs into one, which the system's other answers would hide ("no such file", "file
// exists").
void CheckNoLinkLoop(const std::filesystem::path& file);

// Throws Error "file: problem" unless file can be written or replaced: its folder exists and
// is writable, and file is no directory and, when it exists, writable.
void CheckWritable(const std::filesystem::path& file);

// Fills the temporary file at the path it is given and returns true, or false with the
// problem when it knows one.
using FillTemporary = std::function<bool(const std::filesystem::path& temporary, std::string& problem)>;

// Writes file whole, the one way the host writes files. After CheckWritable, has fill write
// a new temporary file beside file (".NAME.PID-N.tmp", made with O_EXCL, so no file of the
// user's is ever reused), with the permissions of the file it replaces, then syncs it and
// renames it over file; a symbolic link is kept and the file it names replaced. The
// temporary is removed on failure, on an exception from fill and by the SignalHandlers on
// SIGINT or SIGTERM. Throws Error "file: cannot be written: problem", and Interrupted when
// Ctrl-C asked for a stop while fill ran (file is then left as it was).
void WriteThroughTemporary(const std::filesystem::path& file, const FillTemporary& fill);

// Writes text as file, through WriteThroughTemporary.
void WriteText(const std::filesystem::path& file, const std::string& text);

}  // namespace lensara
