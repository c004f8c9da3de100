// Files where the build has no POSIX calls (the Windows builds): files are checked for
// reading with the standard library alone, and none is written, as the host writes only
// through a temporary file that its signal handlers can remove.
#include <fstream>

#include "Files.h"

namespace lensara {

void CheckReadable(const std::filesystem::path& file)
{
  CheckRegularFile(file);
  if (!std::ifstream(file, std::ios::binary)) throw FileError(file, "cannot be opened");
}

void WriteThroughTemporary(const std::filesystem::path& file, const FillTemporary&)
{
  throw FileError(file, "cannot be written: this build writes no files");
}

}  // namespace lensara
