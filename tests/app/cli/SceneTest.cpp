#include "app/cli/Scene.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/core/Error.h"
#include "app/core/Host.h"
#include "tests/support/TempDir.h"

namespace lensara {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(LENSARA_SOURCE_DIR) / "examples";

TEST(SceneCommand, CheckPrintsTheObjectTreeAndTheParametersUnderstood)
{
  Host host;
  host.LoadPlugins(LENSARA_TEST_PLUGIN_DIR);
  std::ostringstream out, err;
  CheckScene(kExamples / "still-life.json", true, out, err);
  EXPECT_EQ(err.str(), "");
  EXPECT_NE(out.str().find("  null \"Far Group\"\n    sphere \"Far Ball\" [texture -> \"Blue\"]\n"), std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("video post Lensara \"Lensara\"\n      DOF_FILTER = \"DOF_FILTER_GAUSSIAN\"\n"),
            std::string::npos)
      << out.str();
}

TEST(SceneCommand, CountsReadInTheSingular)
{
  Host host;
  std::ostringstream out, err;
  CheckScene(kExamples / "meshes" / "gem.gltf", false, out, err);
  EXPECT_NE(out.str().find(": 1 object, 1 material, 1 render settings\n"), std::string::npos) << out.str();
}

TEST(SceneCommand, ConvertChecksTheOutputBeforeReadingAndLeavesNoFile)
{
  Host host;
  std::ostringstream err;
  test::TempDir dir;
  EXPECT_THROW(ConvertScene(kExamples / "still-life.json", dir / "out.obj", err), UsageError);
  EXPECT_THROW(ConvertScene(kExamples / "no-such-scene.json", dir / "out.json", err), Error);
  try {
    ConvertScene(kExamples / "still-life.json", dir / "missing" / "out.json", err);
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("the folder " + (dir / "missing").string() + " does not exist"),
              std::string::npos);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path));
}

}  // namespace
}  // namespace lensara
