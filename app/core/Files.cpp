#include "Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <system_error>

#include "Error.h"
#include "Signals.h"

namespace lensara {

namespace {

// The system's text for errno in lower case: "permission denied".
std::string SystemProblem(int error)
{
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

Error CannotWrite(const std::filesystem::path& file, const std::string& problem)
{
  return FileError(file, "cannot be written" + (problem.empty() ? "" : ": " + problem));
}

// The file written for file: the one a symbolic link names, so that the link stays a link.
std::filesystem::path Destination(const std::filesystem::path& file)
{
  std::error_code ec;
  if (!std::filesystem::is_symlink(file, ec)) return file;
  std::filesystem::path named = std::filesystem::weakly_canonical(file, ec);
  return ec ? file : named;
}

std::atomic<unsigned> temporaryCount{0};

// Gives the new file fd the permission bits of file when file exists.
bool KeepPermissions(int fd, const std::filesystem::path& file)
{
  struct stat existing {};
  return stat(file.c_str(), &existing) != 0 || fchmod(fd, existing.st_mode & 0777) == 0;
}

// The name of the attempt-th temporary for file: hidden, unique to the process, and short
// enough to stay within NAME_MAX.
std::filesystem::path TemporaryName(const std::filesystem::path& file)
{
  std::string lead = "." + file.filename().string().substr(0, 200) + "." + std::to_string(getpid()) + "-";
  return file.parent_path() / (lead + std::to_string(temporaryCount++) + ".tmp");
}

// Empty, or the problem with flushing file to the disk.
std::string Sync(const std::filesystem::path& file)
{
  int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  bool synced = fd >= 0 && fsync(fd) == 0;
  int error = errno;
  if (fd >= 0) close(fd);
  return synced ? "" : SystemProblem(error);
}

// The temporary file beside a file being written: removed unless moved into place, also by
// the signal handlers.
class TemporaryFile {
public:
  // Creates a new empty file beside file with file's permissions. The name is given to the
  // signal handlers before the file exists, so that no signal can leave it behind; a name
  // already taken can only be a temporary left by an ended process of the same id.
  explicit TemporaryFile(const std::filesystem::path& file)
  {
    for (int attempt = 0; attempt < 100; ++attempt) {
      name = TemporaryName(file);
      removedOnSignal.emplace(name.string());
      int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno == EEXIST) {
        removedOnSignal.reset();
        continue;
      }
      if (fd < 0) throw CannotWrite(file, SystemProblem(errno));
      bool kept = KeepPermissions(fd, file);
      int error = errno;
      close(fd);
      if (kept) return;
      unlink(name.c_str());
      throw CannotWrite(file, SystemProblem(error));
    }
    throw CannotWrite(file, "no free temporary name beside it");
  }
  ~TemporaryFile()
  {
    if (!moved) unlink(name.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::filesystem::path& Name() const { return name; }

  // Syncs the temporary and renames it to file: empty, or the problem.
  std::string MoveTo(const std::filesystem::path& file)
  {
    if (std::string problem = Sync(name); !problem.empty()) return problem;
    if (rename(name.c_str(), file.c_str()) != 0) return SystemProblem(errno);
    moved = true;
    return "";
  }

private:
  std::filesystem::path name;
  std::optional<RemovedOnSignal> removedOnSignal;
  bool moved = false;
};

}  // namespace

void CheckReadable(const std::filesystem::path& file)
{
  CheckNoLinkLoop(file);
  CheckRegularFile(file);
  if (access(file.c_str(), R_OK) != 0) throw FileError(file, SystemProblem(errno));
}

void CheckNoLinkLoop(const std::filesystem::path& file)
{
  std::error_code ec;
  if (!std::filesystem::exists(file, ec) && ec.value() == ELOOP) throw FileError(file, "a symbolic link loop (" + SystemProblem(ELOOP) + ")");
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

void WriteThroughTemporary(const std::filesystem::path& file, const FillTemporary& fill)
{
  std::filesystem::path destination = Destination(file);
  CheckWritable(destination);
  TemporaryFile temporary(destination);
  std::string problem;
  if (!fill(temporary.Name(), problem)) throw CannotWrite(file, problem);
  if (InterruptRequested()) throw Interrupted(file.string() + " was not written");
  if (std::string moveProblem = temporary.MoveTo(destination); !moveProblem.empty())
    throw CannotWrite(file, moveProblem);
}

void WriteText(const std::filesystem::path& file, const std::string& text)
{
  WriteThroughTemporary(file, [&text](const std::filesystem::path& temporary, std::string&) {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return !out.fail();
  });
}

}  // namespace lensara
