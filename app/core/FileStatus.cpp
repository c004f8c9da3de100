#include "Files.h"

namespace lensara {

void CheckRegularFile(const std::filesystem::path& file)
{
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (!std::filesystem::exists(status)) throw FileError(file, "no such file");
  if (std::filesystem::is_directory(status)) throw FileError(file, "is a directory");
  if (!std::filesystem::is_regular_file(status)) throw FileError(file, "is not a regular file");
}

}  // namespace lensara
