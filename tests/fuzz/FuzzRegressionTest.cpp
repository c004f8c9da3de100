#include "fuzz/FuzzTargets.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <vector>

#include "app/core/Host.h"
#include "tests/support/TempDir.h"

namespace lensara {
namespace {

// An input kept in fuzz/regressions/TARGET, run as the fuzz target runs it: a fault aborts
// the test program, named by the test.
struct KeptInput {
  std::filesystem::path file;
  void (*target)(const uint8_t*, std::size_t);
};

void PrintTo(const KeptInput& input, std::ostream* out) { *out << input.file.filename(); }

std::vector<KeptInput> KeptInputs()
{
  const std::pair<const char*, void (*)(const uint8_t*, std::size_t)> targets[] = {
      {"scene", FuzzSceneRoundTrip}, {"mesh", FuzzMeshImport}, {"image", FuzzImageRead}};
  std::vector<KeptInput> inputs;
  for (const auto& [name, target] : targets)
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(LENSARA_SOURCE_DIR) / "fuzz" / "regressions" / name))
      inputs.push_back({entry.path(), target});
  return inputs;
}

class FuzzRegression : public ::testing::TestWithParam<KeptInput> {
protected:
  FuzzRegression() { host.LoadPlugins(LENSARA_TEST_PLUGIN_DIR); }
  Host host;
};

TEST_P(FuzzRegression, RunsClean)
{
  std::string bytes = test::Contents(GetParam().file);
  GetParam().target(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Tests named TARGET_FILE, the file's name in letters and digits.
std::string TestName(const ::testing::TestParamInfo<KeptInput>& info)
{
  std::string name = info.param.file.parent_path().filename().string() + "_" + info.param.file.filename().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Kept, FuzzRegression, ::testing::ValuesIn(KeptInputs()), TestName);

}  // namespace
}  // namespace lensara
