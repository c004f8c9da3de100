// The lensara command under a limit of address space (ulimit -v): short memory anywhere,
// in a library's decoding or start-up as in the host's own work, ends it with exit 1 and
// "out of memory", writing nothing; never with an abort or a crash.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "app/image/ImageIO.h"
#include "tests/support/TempDir.h"

namespace {

struct Limited {
  int code = -1;
  std::string err;
};

// Runs lensara with args (already quoted for the shell) under ulimit -v megabytes.
Limited RunLimited(const test::TempDir& dir, int megabytes, const std::string& args)
{
  std::string command = "ulimit -v " + std::to_string(megabytes * 1000) + "; exec " LENSARA_EXECUTABLE " " + args +
                        " >/dev/null 2>" + (dir / "err").string();
  int status = std::system(("sh -c '" + command + "'").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), test::Contents(dir / "err")};
}

// Each run ends well or as short memory (or, below what starting takes, with the loader's
// own message); returns whether it ended well.
bool EndsWellOrOutOfMemory(const test::TempDir& dir, int megabytes, const std::string& args,
                           const std::filesystem::path& output)
{
  std::filesystem::remove_all(output);
  Limited run = RunLimited(dir, megabytes, args);
  SCOPED_TRACE(std::to_string(megabytes) + " MB: lensara " + args + "\n" + run.err);
  switch (run.code) {
  case 0: EXPECT_TRUE(std::filesystem::exists(output)); break;
  case 1:
    EXPECT_NE(run.err.find("out of memory"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(output));
    break;
  case 127: EXPECT_NE(run.err.find("error while loading shared libraries"), std::string::npos); break;
  default: ADD_FAILURE() << "exit " << run.code;
  }
  return run.code == 0;
}

TEST(MemoryLimit, BlurAndRenderEndWellOrAsOutOfMemory)
{
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit tried";
#endif
  test::TempDir dir;
  // 6000 x 4000: each of the image, the map and the result takes 72 MB.
  lensara::Bitmap image(6000, 4000);
  lensara::WriteImage(dir / "image.png", image);
  lensara::WriteImage(dir / "map.png", image);
  std::string blur = "blur " + (dir / "image.png").string() + " " + (dir / "map.png").string() + " -o " +
                     (dir / "out.png").string() + " --radius 1";
  int ended = 0;
  for (int megabytes : {250, 300, 400, 800}) ended += EndsWellOrOutOfMemory(dir, megabytes, blur, dir / "out.png");
  EXPECT_GT(ended, 0) << "not even the largest limit is enough";
  EXPECT_LT(ended, 4) << "no limit was short: the test tries nothing";
  std::string render = "render --set width=160 --set height=120 -o " + (dir / "render").string();
  for (int megabytes : {300, 500}) EndsWellOrOutOfMemory(dir, megabytes, render, dir / "render" / "image.png");
}

}  // namespace
