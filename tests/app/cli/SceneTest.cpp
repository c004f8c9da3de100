#include "app/cli/Scene.h"

#include <gtest/gtest.h>

#include <fstream>
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

TEST(SceneCommand, NamesNotInUtf8AreReplacedAlikeInCheckAndConvert)
{
  Host host;
  test::TempDir dir;
  std::ofstream(dir / "latin.obj") << "mtllib latin.mtl\no Caf\xe9\nusemtl Cr\xe8me\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
  std::ofstream(dir / "latin.mtl") << "newmtl Cr\xe8me\nKd 1 0 0\n";
  std::ostringstream out, err;
  CheckScene(dir / "latin.obj", false, out, err);
  EXPECT_NE(out.str().find("polygon \"Caf\uFFFD\" [texture -> \"Cr\uFFFDme\"]"), std::string::npos) << out.str();
  ConvertScene(dir / "latin.obj", dir / "latin.json", err);
  std::ostringstream converted;
  CheckScene(dir / "latin.json", false, converted, err);
  EXPECT_EQ(converted.str().substr(converted.str().find('\n')), out.str().substr(out.str().find('\n')));
}

}  // namespace
}  // namespace lensara
