// Files where the build has no POSIX calls (the Windows builds): files are checked for
// reading with the standard library alone, and none is written, as the host writes only
// through a temporary file that its signal handlers can remove.
#include <fstream>

#include "Files.h"

namespace lensara {

Error FileError(const std::filesystem::path& file, const std::string& problem)
{
  return Error(file.string() + ": " + problem);
}

void CheckReadable(const std::filesystem::path& file)
{
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (!std::filesystem::exists(status)) throw FileError(file, "no such file");
  if (std::filesystem::is_directory(status)) throw FileError(file, "is a directory");
  if (!std::filesystem::is_regular_file(status)) throw FileError(file, "is not a regular file");
  if (!std::ifstream(file, std::ios::binary)) throw FileError(file, "cannot be opened");
}

void WriteThroughTemporary(const std::filesystem::path& file, const FillTemporary&)
{
  throw FileError(file, "cannot be written: this build writes no files");
}

}  // namespace lensara
