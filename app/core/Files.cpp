#include "Files.h"

#include <system_error>

#include "Error.h"

namespace lensara {

void WriteThroughTemporary(const std::filesystem::path& file, const std::filesystem::path& temporary,
                           const FillTemporary& fill)
{
  std::string problem;
  std::error_code ec;
  bool filled = fill(temporary, problem);
  if (filled) std::filesystem::rename(temporary, file, ec);
  if (filled && !ec) return;
  if (ec) problem = ec.message();
  std::filesystem::remove(temporary, ec);
  throw Error(file.string() + ": cannot be written" + (problem.empty() ? "" : ": " + problem));
}

}  // namespace lensara
