#include "Files.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "Error.h"

namespace lensara {

namespace {

Error FileError(const std::filesystem::path& file, const std::string& problem)
{
  return Error(file.string() + ": " + problem);
}

// The system's text for errno in lower case: "permission denied".
std::string SystemProblem(int error)
{
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

}  // namespace

void CheckReadable(const std::filesystem::path& file)
{
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (!std::filesystem::exists(status)) throw FileError(file, "no such file");
  if (std::filesystem::is_directory(status)) throw FileError(file, "is a directory");
  if (!std::filesystem::is_regular_file(status)) throw FileError(file, "is not a regular file");
  if (access(file.c_str(), R_OK) != 0) throw FileError(file, SystemProblem(errno));
}

void CheckWritable(const std::filesystem::path& file)
{
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) throw FileError(file, "is a directory");
  std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
  if (!std::filesystem::exists(folder, ec)) throw FileError(file, "the folder " + folder.string() + " does not exist");
  if (!std::filesystem::is_directory(folder, ec)) throw FileError(file, folder.string() + " is not a folder");
  if (access(folder.c_str(), W_OK) != 0)
    throw FileError(file, "the folder " + folder.string() + " cannot be written: " + SystemProblem(errno));
  if (std::filesystem::exists(file, ec) && access(file.c_str(), W_OK) != 0)
    throw FileError(file, SystemProblem(errno));
}

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
