// The memory a render needs against what there is: refused past physical memory and the
// address-space limit, a warning past what is available now.
#include "app/render/RenderMemory.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "tests/support/TempDir.h"

namespace {

using lensara::JudgeMemory;
using lensara::MemoryAtHand;

constexpr std::uint64_t kGiB = std::uint64_t(1) << 30;

TEST(RenderMemory, NeedGrowsWithThePixelsAndTheVideoPosts)
{
  // About 62 bytes a pixel with the effect: 16384 x 16384 needs some 15.6 GiB.
  EXPECT_NEAR(double(lensara::RenderMemoryNeed(16384, 16384, 1)) / kGiB, 15.6, 0.1);
  EXPECT_LT(lensara::RenderMemoryNeed(16384, 16384, 0), kGiB * 4);
  EXPECT_LT(lensara::RenderMemoryNeed(640, 480, 1), kGiB / 8);
}

TEST(RenderMemory, RefusedPastTheMachineOrTheLimitAndWarnedPastWhatIsAvailable)
{
  const MemoryAtHand hand{8 * kGiB, 2 * kGiB, std::nullopt};
  EXPECT_EQ(JudgeMemory(kGiB, hand, "it").problem, "");
  lensara::MemoryVerdict tight = JudgeMemory(3 * kGiB, hand, "it");
  EXPECT_EQ(tight.problem, "it needs about 3.0 GiB of memory, and 2.0 GiB is available now");
  EXPECT_FALSE(tight.refused);
  lensara::MemoryVerdict big = JudgeMemory(16 * kGiB, hand, "the render of 16384 x 16384");
  EXPECT_EQ(big.problem, "the render of 16384 x 16384 needs about 16.0 GiB of memory, and this machine has 8.0 GiB");
  EXPECT_TRUE(big.refused);
  lensara::MemoryVerdict limited = JudgeMemory(kGiB, {8 * kGiB, 8 * kGiB, 300 << 20}, "it");
  EXPECT_EQ(limited.problem, "it needs about 1.0 GiB of memory, and the process may take 300 MiB more (its limit, "
                             "ulimit -v)");
  EXPECT_TRUE(limited.refused);
}

TEST(RenderMemory, TheRenderCommandRefusesBeforeItStarts)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers' shadow memory cannot be had under an address-space limit";
#endif
  test::TempDir dir;
  setenv("LENSARA_PLUGINS", LENSARA_TEST_PLUGIN_DIR, 1);
  std::string command = "ulimit -v 2000000; exec " LENSARA_EXECUTABLE
                        " render --set width=8192 --set height=8192 -o '" + dir.path.string() + "' 2> '" +
                        (dir / "err.txt").string() + "'";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  std::string err = test::Contents(dir / "err.txt");
  EXPECT_NE(err.find("cannot be rendered: the render of 8192 x 8192 needs about 3.9 GiB of memory, and the process "
                     "may take"),
            std::string::npos)
      << err;
  EXPECT_EQ(err.find("Rendering"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(dir / "image.png"));
}

}  // namespace
