#include "app/cli/Scene.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/core/Host.h"

namespace lensara {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(LENSARA_SOURCE_DIR) / "examples";

TEST(SceneCommand, CheckPrintsTheObjectTree)
{
  Host host;
  host.LoadPlugins(LENSARA_TEST_PLUGIN_DIR);
  std::ostringstream out, err;
  EXPECT_EQ(CheckScene(kExamples / "still-life.json", out, err), 0) << err.str();
  EXPECT_NE(out.str().find("  null \"Far Group\"\n    sphere \"Far Ball\" [texture -> \"Blue\"]\n"), std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("video post Lensara \"Lensara\""), std::string::npos);
}

TEST(SceneCommand, FailuresExitNonZeroAndLeaveNoFile)
{
  Host host;
  std::ostringstream err;
  std::filesystem::path out = std::filesystem::temp_directory_path() / "lensara-never-written.json";
  EXPECT_EQ(ConvertScene(kExamples / "no-such-scene.json", out, err), 1);
  EXPECT_NE(err.str().find("no-such-scene.json: cannot be read"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out));
  std::ostringstream out2;
  EXPECT_EQ(CheckScene(kExamples / "meshes" / "vase.mtl", out2, err), 1);
}

}  // namespace
}  // namespace lensara
