// Files replaced whole: the temporary beside them, what is kept and what is refused.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

#include "app/core/Error.h"
#include "app/core/Files.h"
#include "app/core/Signals.h"
#include "tests/support/TempDir.h"

namespace {

using test::Contents;

using lensara::WriteThroughTemporary;

// Writes text to file through WriteThroughTemporary; returns the temporary's path.
std::filesystem::path Write(const std::filesystem::path& file, const std::string& text)
{
  std::filesystem::path used;
  WriteThroughTemporary(file, [&](const std::filesystem::path& temporary, std::string&) {
    used = temporary;
    std::ofstream(temporary, std::ios::binary) << text;
    return true;
  });
  return used;
}

std::size_t FileCount(const std::filesystem::path& folder)
{
  auto entries = std::filesystem::directory_iterator(folder);
  return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

class Files : public ::testing::Test {
protected:
  Files() { std::ofstream(file) << "old"; }

  test::TempDir dir;
  std::filesystem::path file = dir / "out.json";
};

TEST_F(Files, TheTemporaryIsANewFileBesideTheTarget)
{
  std::filesystem::path first = Write(file, "one");
  EXPECT_EQ(first.parent_path(), file.parent_path());
  EXPECT_NE(first.filename().string().find(std::to_string(getpid())), std::string::npos) << first;
  EXPECT_EQ(Contents(file), "one");

  // Files of the user's that look like temporaries, the next names included, are left alone.
  std::ofstream(dir / "out.json.part") << "mine";
  std::string name = first.filename().string();
  std::size_t number = name.rfind('-') + 1;
  unsigned next = static_cast<unsigned>(std::stoul(name.substr(number)));
  for (unsigned n = next + 1; n <= next + 5; ++n)
    std::ofstream(dir / (name.substr(0, number) + std::to_string(n) + ".tmp")) << "mine";
  std::filesystem::path second = Write(file, "two");
  EXPECT_FALSE(std::filesystem::exists(second));
  EXPECT_EQ(Contents(file), "two");
  EXPECT_EQ(Contents(dir / "out.json.part"), "mine");
  for (unsigned n = next + 1; n <= next + 5; ++n)
    EXPECT_EQ(Contents(dir / (name.substr(0, number) + std::to_string(n) + ".tmp")), "mine");
  EXPECT_EQ(FileCount(dir.path), 7u);
}

TEST_F(Files, TheReplacedFilesPermissionsAndLinksAreKept)
{
  std::filesystem::permissions(file, std::filesystem::perms(0640));
  Write(file, "new");
  struct stat written {};
  ASSERT_EQ(stat(file.c_str(), &written), 0);
  EXPECT_EQ(written.st_mode & 0777, 0640u);

  std::filesystem::create_symlink("out.json", dir / "link.json");
  Write(dir / "link.json", "through the link");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.json"));
  EXPECT_EQ(Contents(file), "through the link");
}

TEST_F(Files, AFailedWriteLeavesTheOldFileAndNoTemporary)
{
  auto failing = [](const std::filesystem::path& temporary, std::string& problem) {
    std::ofstream(temporary) << "half";
    problem = "disk full";
    return false;
  };
  try {
    WriteThroughTemporary(file, failing);
    ADD_FAILURE() << "no error";
  } catch (const lensara::Error& e) {
    EXPECT_EQ(std::string(e.what()), file.string() + ": cannot be written: disk full");
  }
  auto throwing = [](const std::filesystem::path& temporary, std::string&) -> bool {
    std::ofstream(temporary) << "half";
    throw lensara::Error("encoder failed");
  };
  EXPECT_THROW(WriteThroughTemporary(file, throwing), lensara::Error);
  EXPECT_THROW(Write(dir / "missing" / "out.json", "new"), lensara::Error);
  EXPECT_EQ(Contents(file), "old");
  EXPECT_EQ(FileCount(dir.path), 1u);
}

// Root may write any file, so the refusal is tried as an ordinary user in a child process.
TEST_F(Files, AFileTheUserCannotWriteIsRefusedNotReplaced)
{
  std::filesystem::permissions(file, std::filesystem::perms(0444));
  std::filesystem::permissions(dir.path, std::filesystem::perms::all);
  pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && setuid(65534) != 0) _exit(2);
    try {
      Write(file, "new");
    } catch (const lensara::Error& e) {
      _exit(std::string(e.what()) == file.string() + ": permission denied" ? 0 : 3);
    }
    _exit(4);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Contents(file), "old");
  EXPECT_EQ(FileCount(dir.path), 1u);
}

TEST_F(Files, CtrlCWhileWritingLeavesTheOldFile)
{
  lensara::SignalHandlers handlers;
  lensara::InterruptPolling polling;
  auto interrupted = [](const std::filesystem::path& temporary, std::string&) {
    std::ofstream(temporary) << "new";
    std::raise(SIGINT);
    return true;
  };
  EXPECT_THROW(WriteThroughTemporary(file, interrupted), lensara::Interrupted);
  EXPECT_EQ(Contents(file), "old");
  EXPECT_EQ(FileCount(dir.path), 1u);
}

}  // namespace

TEST(FileChecks, ASymbolicLinkLoopIsNamedAsOne)
{
  test::TempDir dir;
  std::filesystem::create_symlink("b", dir / "a");
  std::filesystem::create_symlink("a", dir / "b");
  const std::string loop = ": a symbolic link loop (too many levels of symbolic links)";
  for (const std::filesystem::path& path : {dir / "a", dir / "a" / "image.png"}) {
    try {
      lensara::CheckReadable(path);
      ADD_FAILURE() << path;
    } catch (const lensara::Error& e) {
      EXPECT_EQ(e.what(), path.string() + loop);
    }
  }
  EXPECT_NO_THROW(lensara::CheckNoLinkLoop(dir / "missing"));
}
