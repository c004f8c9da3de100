// The lensara executable as a script sees it: exit codes and the messages on stderr.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/cli/CommandLine.h"
#include "app/image/ImageIO.h"
#include "plugins/dof/PlatformBehaviour.h"
#include "tests/support/FilterTest.h"
#include "tests/support/PluginFolder.h"
#include "tests/support/TempDir.h"

namespace {

using test::Contents;

struct Outcome {
  int code = -1;
  std::string out, err;
};

// Runs on a thread of its own while lensara runs, given its process id and whether it has
// ended.
using Meanwhile = std::function<void(pid_t, const std::atomic<bool>& ended)>;

// Runs lensara with args in dir. With interruptAfter, sends SIGINT once stderr holds that text.
Outcome RunLensara(const std::vector<std::string>& args, const std::filesystem::path& dir,
                   const std::string& interruptAfter = "", const Meanwhile& meanwhile = {})
{
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    if (chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> argv{const_cast<char*>(LENSARA_EXECUTABLE)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    setenv("LENSARA_PLUGINS", LENSARA_TEST_PLUGIN_DIR, 1);
    // In sanitizer builds: the libraries' known leaks, found by full stacks, and quiet about it.
    std::string lsan = "suppressions=" LENSARA_SOURCE_DIR "/tests/lsan.supp:fast_unwind_on_malloc=0:print_suppressions=0";
    setenv("LSAN_OPTIONS", lsan.c_str(), 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  std::atomic<bool> ended{false};
  std::thread watcher;
  if (meanwhile) watcher = std::thread([&] { meanwhile(pid, ended); });
  Outcome outcome;
  char buffer[4096];
  ssize_t n;
  bool sent = interruptAfter.empty();
  while ((n = read(err[0], buffer, sizeof buffer)) > 0) {
    outcome.err.append(buffer, n);
    if (!sent && outcome.err.find(interruptAfter) != std::string::npos) sent = kill(pid, SIGINT) == 0;
  }
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) outcome.out.append(buffer, n);
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ended = true;
  if (watcher.joinable()) watcher.join();
  outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  return outcome;
}

// The temporaries of files being written in folder: hidden names ending in ".tmp".
std::vector<std::string> Temporaries(const std::filesystem::path& folder)
{
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name[0] == '.' && entry.path().extension() == ".tmp") found.push_back(name);
  }
  return found;
}

// Waits, without spinning, until a file is created in folder or lensara ends.
void AwaitTemporary(const std::filesystem::path& folder, const std::atomic<bool>& ended)
{
  int watch = inotify_init1(IN_CLOEXEC);
  inotify_add_watch(watch, folder.c_str(), IN_CREATE);
  pollfd created{watch, POLLIN, 0};
  while (!ended && Temporaries(folder).empty()) {
    char events[4096];
    if (poll(&created, 1, 10) > 0) [[maybe_unused]] ssize_t n = read(watch, events, sizeof events);
  }
  close(watch);
}

// Sends signals to lensara, 100 ms apart, as soon as a temporary appears in folder.
Meanwhile SignalWhileWriting(const std::filesystem::path& folder, const std::vector<int>& signals)
{
  return [folder, signals](pid_t pid, const std::atomic<bool>& ended) {
    AwaitTemporary(folder, ended);
    for (std::size_t i = 0; i < signals.size() && !ended; ++i) {
      if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      kill(pid, signals[i]);
    }
  };
}

class CommandLine : public ::testing::Test {
protected:
  CommandLine()
  {
    std::mt19937 random(7);
    lensara::WriteImage(dir / "image.png", test::ToBitmap(test::RandomImage(random, 40, 30)));
    lensara::WriteImage(dir / "map.png", test::ToBitmap(test::RandomMap(random, 40, 30)));
    std::filesystem::create_directory(dir / "folder");
  }

  // Runs lensara in the test's folder.
  Outcome Lensara(const std::vector<std::string>& args, const std::string& interruptAfter = "")
  {
    return RunLensara(args, dir.path, interruptAfter);
  }

  // Runs `lensara blur image.png map.png` with more arguments.
  Outcome Blur(std::vector<std::string> more)
  {
    more.insert(more.begin(), {"blur", "image.png", "map.png"});
    return Lensara(more);
  }

  test::TempDir dir;
};

#define EXPECT_OUTCOME(outcome, expectedCode, text)                                 \
  do {                                                                              \
    Outcome o = (outcome);                                                          \
    EXPECT_EQ(o.code, expectedCode) << o.err;                                       \
    EXPECT_NE(o.err.find(text), std::string::npos) << "stderr: " << o.err;          \
  } while (0)

TEST_F(CommandLine, UsageErrorsExitWith2AndNameTheProblem)
{
  EXPECT_OUTCOME(Lensara({"bogus"}), 2, "unknown command \"bogus\" for lensara (info, scene, blur, render, preview, params, serve)");
  EXPECT_OUTCOME(Lensara({"scene", "chek", "a.json"}), 2, "unknown command \"chek\" for lensara scene");
  EXPECT_OUTCOME(Blur({"-o", "out.png", "--nope"}), 2, "unknown option --nope for lensara blur");
  EXPECT_OUTCOME(Blur({"-o", "out.png", "--radius", "abc"}), 2, "--radius: \"abc\" is not a whole number");
  EXPECT_OUTCOME(Blur({"-o", "out.png", "--radius", "2.5"}), 2, "--radius: \"2.5\" is not a whole number");
  EXPECT_OUTCOME(Blur({"-o", "out.png", "--radius", "101"}), 2, "--radius 101 is out of range 0 .. 100");
  EXPECT_OUTCOME(Blur({"-o", "out.png", "--passes", "0"}), 2, "--passes 0 is out of range 1 .. 20");
  EXPECT_OUTCOME(Blur({"-o", "out.bmp"}), 2, "out.bmp: unknown image format \".bmp\"");
  EXPECT_OUTCOME(Lensara({"scene", "convert", "in.json", "out.obj"}), 2, "name the output *.json");
  EXPECT_OUTCOME(Lensara({"--product-kind", "2000", "info"}), 2, "2000 is out of range 0 .. 1000");
  EXPECT_OUTCOME(Lensara({"render", "--frames", "1-x"}), 2, "\"1-x\" is not a frame range");
  EXPECT_OUTCOME(Lensara({"render", "--frames", "0-1000000000"}), 2, "of whole numbers 0 .. 999999999");
  EXPECT_OUTCOME(Lensara({"render", "--frames", "1,4-8:0"}), 2, "\"1,4-8:0\" is not a frame range");
  EXPECT_OUTCOME(Lensara({"render", "--threads", "0"}), 2, "0 is out of range 1 .. 1024");
  EXPECT_OUTCOME(Lensara({"render", "--frames", "0-9", "--chunk", "4/4"}), 2, "\"4/4\" is not a part K/N");
  EXPECT_OUTCOME(Lensara({"render", "--chunk", "0/4"}), 2, "--chunk requires --frames");
  EXPECT_OUTCOME(Lensara({"render", "--set", "DOF_RADIUS=abc"}), 2, "--set DOF_RADIUS:");
  EXPECT_OUTCOME(Lensara({"params", "--set", "DOF_RADIUS=" + std::string(60000, '[') + std::string(60000, ']')}), 2,
                 "--set DOF_RADIUS: the value is nested too deeply");
  EXPECT_OUTCOME(Lensara({"serve", "--port", "70000"}), 2, "70000 is out of range 0 .. 65535");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
}

TEST(FrameList, RangesStepsAndListsInTheirOrder)
{
  auto read = [](const std::string& text) {
    std::vector<std::vector<int32_t>> out;
    std::optional<std::vector<lensara::FrameRange>> ranges = lensara::ReadFrames(text);
    for (const lensara::FrameRange& r : ranges.value()) out.push_back({r.first, r.last, r.step});
    return out;
  };
  EXPECT_EQ(read("7"), (std::vector<std::vector<int32_t>>{{7, 7, 1}}));
  EXPECT_EQ(read("1,5,10-12"), (std::vector<std::vector<int32_t>>{{1, 1, 1}, {5, 5, 1}, {10, 12, 1}}));
  EXPECT_EQ(read("0-48:4,2"), (std::vector<std::vector<int32_t>>{{0, 48, 4}, {2, 2, 1}}));
  for (const char* bad : {"", "1,", ",1", "1-2:0", "1-2:", "1:x", "-1", "1-2-3", "1234567890"})
    EXPECT_FALSE(lensara::ReadFrames(bad)) << bad;
  EXPECT_EQ(lensara::ReadChunk("3/4").value().index, 3);
  EXPECT_EQ(lensara::ReadChunk("0/999999999").value().count, 999999999);
  for (const char* bad : {"4/4", "0/0", "1", "1/", "/2", "-1/2", "a/2", "0/1234567890"})
    EXPECT_FALSE(lensara::ReadChunk(bad)) << bad;
}

TEST_F(CommandLine, FailedWorkExitsWith1AndNamesTheFile)
{
  EXPECT_OUTCOME(Blur({"-o", "missing/out.png"}), 1, "missing/out.png: the folder missing does not exist");
  EXPECT_OUTCOME(Blur({"-o", "folder"}), 1, "folder: is a directory");
  EXPECT_OUTCOME(Lensara({"blur", "nothing.png", "map.png", "-o", "out.png"}), 1, "nothing.png: no such file");
  EXPECT_OUTCOME(Lensara({"scene", "check", "folder"}), 1, "lensara scene check: folder: is a directory");
  EXPECT_OUTCOME(Lensara({"scene", "check", "none.json"}), 1, "none.json: no such file");
  EXPECT_OUTCOME(Lensara({"serve", "none.json", "--port", "0"}), 1, "lensara serve: none.json: no such file");
  std::filesystem::create_symlink("loop", dir / "loop");
  EXPECT_OUTCOME(Lensara({"render", "-o", "loop"}), 1, "lensara render: loop: a symbolic link loop");

  // A broken PNG is one line naming the file, without the image library's own lines.
  std::filesystem::copy_file(dir / "image.png", dir / "broken.png");
  std::filesystem::resize_file(dir / "broken.png", 100);
  Outcome broken = Lensara({"blur", "broken.png", "map.png", "-o", "out.png"});
  EXPECT_EQ(broken.code, 1);
  EXPECT_EQ(broken.err.find("lensara blur: broken.png: cannot be read"), 0u) << broken.err;
  EXPECT_EQ(broken.err.find('\n'), broken.err.size() - 1) << broken.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
}

TEST_F(CommandLine, SuccessExitsWith0)
{
  EXPECT_OUTCOME(Blur({"-o", "out.exr", "--passes", "2"}), 0, "Gaussian Filter 2");
  EXPECT_TRUE(std::filesystem::exists(dir / "out.exr"));
  // A positional after a repeated option is still the scene.
  std::string demo = LENSARA_SOURCE_DIR "/examples/still-life.json";
  // More threads than cores: our warning, not the thread library's.
  Outcome render =
      Lensara({"render", "--set", "width=8", "--set", "DOF_RADIUS=2.5", demo, "-o", "demo", "--threads", "1024"});
  EXPECT_EQ(render.code, 0) << render.err;
  EXPECT_NE(render.err.find("warning: --threads 1024: this machine runs at most"), std::string::npos) << render.err;
  EXPECT_EQ(render.err.find("TBB"), std::string::npos) << render.err;
  EXPECT_NE(render.err.find("Calculating DOF"), std::string::npos) << render.err;
  EXPECT_NE(render.err.find("DOF_RADIUS 2.5 became 2.0"), std::string::npos) << render.err;
  EXPECT_TRUE(std::filesystem::exists(dir / "demo" / "lensara-depth.png"));
  Outcome version = Lensara({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out.find("lensara "), 0u);
  Outcome help = Lensara({"blur", "--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("2 usage error"), std::string::npos);
}

TEST_F(CommandLine, PreviewWritesTheWindowAndPrintsItsStatus)
{
  Outcome shown = Lensara({"preview", "-o", "preview.png", "--set", "DOF_RADIUS=4"});
  EXPECT_EQ(shown.code, 0) << shown.err;
  EXPECT_NE(shown.out.find("status \".\""), std::string::npos) << shown.out;
  EXPECT_TRUE(lensara::ReadImageSize(dir / "preview.png") == (lensara::ImageSize{336, 303}));
  Outcome none = Lensara({"--product-kind", "8", "preview", "-o", "none.png"});
  EXPECT_EQ(none.code, 0) << none.err;
  EXPECT_NE(none.out.find("no preview on product kind 8"), std::string::npos) << none.out;
  EXPECT_FALSE(std::filesystem::exists(dir / "none.png"));
  // Kind 4 has a preview but in the macOS behaviour, where bit 2 marks a composite-only kind.
  Outcome four = Lensara({"--product-kind", "4", "preview", "-o", "four.png"});
  EXPECT_EQ(four.code, 0) << four.err;
  EXPECT_EQ(four.out.find("no preview on product kind 4") != std::string::npos, kMacOSBehaviour) << four.out;
  EXPECT_EQ(std::filesystem::exists(dir / "four.png"), !kMacOSBehaviour);
  EXPECT_OUTCOME(Lensara({"preview", "image.png", "-o", "x.png"}), 1, "image.png");
}

TEST_F(CommandLine, ParamsShowsTheDemosEffectAfterCheckedEdits)
{
  // The line of a parameter in the text listing.
  auto line = [](const std::string& out, const std::string& name) {
    std::size_t at = out.find(" " + name + " ");
    return at == std::string::npos ? std::string() : out.substr(at, out.find('\n', at) - at);
  };
  Outcome camera = Lensara({"params", "--set", "DOF_USE_CAMERA_DOF=true"});
  ASSERT_EQ(camera.code, 0) << camera.err;
  EXPECT_NE(line(camera.out, "DOF_FOCUS_DISTANCE").find("cm"), std::string::npos) << camera.out;
  EXPECT_NE(line(camera.out, "DOF_FOCUS_DISTANCE").find("(greyed out)"), std::string::npos) << camera.out;
  EXPECT_EQ(line(camera.out, "DOF_USE_CAMERA_DOF").find("(greyed out)"), std::string::npos) << camera.out;
  // Cycles show their labels from the effect's description, not their value names.
  EXPECT_THAT(line(camera.out, "DOF_FILTER"), testing::EndsWith("  Gaussian")) << camera.out;
  EXPECT_THAT(line(camera.out, "DOF_DEPTH_ANTIALIASING"), testing::EndsWith("  Unchanged")) << camera.out;

  EXPECT_OUTCOME(Lensara({"params", "--set", "DOF_FRONT_END=1000", "--set", "DOF_FRONT_START=1500"}), 0,
                 "DOF_FRONT_START 1500.0 became 1000.0");
  EXPECT_OUTCOME(Lensara({"params", "--set", "DOF_NOPE=1"}), 2, "lensara params: --set DOF_NOPE: no effect parameter");
  // Numbers past their limits are clamped to them; a cycle takes only its choices.
  EXPECT_OUTCOME(Lensara({"params", "--set", "DOF_PASSES=1e9"}), 0,
                 "warning: --set DOF_PASSES: is 1e+09, outside 1 .. 20 (the limits of its description); clamped to 20");
  EXPECT_OUTCOME(Lensara({"params", "--set", "DOF_FILTER=99"}), 2,
                 "lensara params: --set DOF_FILTER: unknown cycle value 99 (the choices: ");

  Outcome json = Lensara({"params", "--json", "--set", "DOF_BLUR=false"});
  ASSERT_EQ(json.code, 0) << json.err;
  nlohmann::json list = nlohmann::json::parse(json.out);
  auto entry = [&list](const std::string& name) {
    for (const auto& e : list)
      if (e["name"] == name) return e;
    return nlohmann::json();
  };
  // In the order of the description.
  EXPECT_EQ(list.front()["name"], "DOF_FOCUS_DISTANCE");
  EXPECT_EQ(list.back()["name"], "DOF_LIVE_PREVIEW");
  nlohmann::json radius = entry("DOF_RADIUS");
  EXPECT_EQ(radius["group"], "Blur");
  EXPECT_EQ(radius["unit"], "px");
  EXPECT_EQ(radius["min"], 0.0);
  EXPECT_EQ(radius["max"], 100.0);
  EXPECT_EQ(radius["enabled"], false);
  EXPECT_EQ(entry("DOF_BLUR")["value"], false);
  EXPECT_EQ(entry("DOF_HAIR")["enabled"], false);
  EXPECT_EQ(entry("DOF_FILTER")["choices"].size(), 3u);
  EXPECT_EQ(entry("DOF_FILTER")["choice_labels"], nlohmann::json({"Median", "Gaussian", "Gaussian Blend"}));
  EXPECT_TRUE(entry("DOF_FOCUS_DISTANCE")["max"].is_null());
}

TEST_F(CommandLine, CtrlCExitsWith130AndWritesNothing)
{
  std::mt19937 random(3);
  lensara::WriteImage(dir / "big.png", test::ToBitmap(test::RandomImage(random, 1200, 900)));
  lensara::WriteImage(dir / "bigmap.png", test::ToBitmap(test::RandomMap(random, 1200, 900)));
  Outcome o = Lensara({"blur", "big.png", "bigmap.png", "-o", "out.png", "--radius", "100", "--passes", "20"},
                  "Gaussian Filter");
  EXPECT_EQ(o.code, 130) << o.err;
  EXPECT_NE(o.err.find("interrupted; out.png was not written"), std::string::npos) << o.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
}

// A blur whose output, a 2000 x 1200 EXR, takes long to write; out.exr exists beforehand.
class SignalledWrite : public CommandLine {
protected:
  SignalledWrite()
  {
    std::mt19937 random(5);
    lensara::WriteImage(dir / "large.png", test::ToBitmap(test::RandomImage(random, 2000, 1200)));
    lensara::WriteImage(dir / "largemap.png", test::ToBitmap(test::RandomMap(random, 2000, 1200)));
    std::ofstream(dir / "out.exr") << "the user's old file";
  }

  Outcome BlurSignalled(const std::vector<int>& signals)
  {
    return RunLensara({"blur", "large.png", "largemap.png", "-o", "out.exr", "--radius", "1"}, dir.path, "",
                      SignalWhileWriting(dir.path, signals));
  }

  void ExpectOldFileAndNoTemporary()
  {
    EXPECT_EQ(Contents(dir / "out.exr"), "the user's old file");
    EXPECT_TRUE(Temporaries(dir.path).empty());
  }
};

TEST_F(SignalledWrite, CtrlCWhileWritingExitsWith130AndKeepsTheOldFile)
{
  Outcome o = BlurSignalled({SIGINT});
  EXPECT_EQ(o.code, 130) << o.err;
  EXPECT_NE(o.err.find("lensara blur: interrupted; out.exr was not written"), std::string::npos) << o.err;
  ExpectOldFileAndNoTemporary();
}

TEST_F(SignalledWrite, ASecondCtrlCEndsTheProgramAtOnce)
{
  Outcome o = BlurSignalled({SIGINT, SIGINT});
  EXPECT_EQ(o.code, 130) << o.err;
  EXPECT_NE(o.err.find("\nlensara: interrupted\n"), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find("was not written"), std::string::npos) << o.err;
  ExpectOldFileAndNoTemporary();
}

TEST_F(SignalledWrite, SigtermWhileWritingLeavesNoTemporary)
{
  Outcome o = BlurSignalled({SIGTERM});
  EXPECT_EQ(o.code, 1000 + SIGTERM) << o.err;
  ExpectOldFileAndNoTemporary();
}

TEST_F(CommandLine, SceneConvertStoppedBySignalLeavesNoPartialFile)
{
  // A grid mesh of 90000 points, written as a scene file of several megabytes.
  std::ofstream mesh(dir / "grid.obj");
  const int n = 300;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) mesh << "v " << x << " " << y << " " << (x * y) % 7 << "\n";
  for (int y = 0; y + 1 < n; ++y)
    for (int x = 0; x + 1 < n; ++x) mesh << "f " << y * n + x + 1 << " " << y * n + x + 2 << " " << (y + 1) * n + x + 1 << "\n";
  mesh.close();
  std::ofstream(dir / "out.json.part") << "the user's own file";
  for (int signal : {SIGTERM, SIGINT}) {
    // The write takes some 30 ms: a run whose write was done before the signal came is tried again.
    Outcome o;
    for (int attempt = 0; attempt < 20 && (attempt == 0 || Contents(dir / "out.json") != "old scene"); ++attempt) {
      std::ofstream(dir / "out.json") << "old scene";
      o = RunLensara({"scene", "convert", "grid.obj", "out.json"}, dir.path, "", SignalWhileWriting(dir.path, {signal}));
    }
    EXPECT_EQ(o.code, signal == SIGINT ? 130 : 1000 + SIGTERM) << o.err;
    EXPECT_TRUE(Contents(dir / "out.json") == "old scene");
  }
  EXPECT_EQ(Contents(dir / "out.json.part"), "the user's own file");
  EXPECT_TRUE(Temporaries(dir.path).empty());
  EXPECT_EQ(Lensara({"scene", "convert", "grid.obj", "out.json"}).code, 0);
  EXPECT_GT(std::filesystem::file_size(dir / "out.json"), 1000000u);
  EXPECT_EQ(Contents(dir / "out.json.part"), "the user's own file");
}

TEST_F(CommandLine, APlugInThatFailsToLoadIsNamedOnce)
{
  std::filesystem::copy_file(LENSARA_TEST_NOENTRY_LIBRARY, dir / "folder" / "libbroken.so");
  Outcome o = Lensara({"--plugins", "folder", "scene", "check", "image.png"});
  std::string named = "plug-in not loaded: folder/libbroken.so: ";
  ASSERT_NE(o.err.find(named), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find(named, o.err.find(named) + 1), std::string::npos) << o.err;
}

// --- out of memory

// Sets an environment variable, which lensara inherits, while it lives.
class ScopedVariable {
public:
  ScopedVariable(const char* name, const std::string& value) : name(name) { setenv(name, value.c_str(), 1); }
  ~ScopedVariable() { unsetenv(name); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
  const char* name;
};

// A tiny scene: a light with shadows, two primitives, a mesh file and the effect with its
// depth buffer, rendered at 32 x 24.
const char* const kTinyScene = R"({
  "active_camera": "Camera",
  "objects": [
    {"type": "camera", "name": "Camera", "position": [0, 50, -600]},
    {"type": "light", "name": "Light", "position": [-300, 400, -300], "data": {"shadows": 1}},
    {"type": "sphere", "name": "Near", "position": [-80, 40, -200], "data": {"radius": 40.0}},
    {"type": "cube", "name": "Far", "position": [60, 50, 400]},
    {"type": "polygon", "name": "Quad", "position": [100, 0, 100], "mesh": "quad.obj"}
  ],
  "render_settings": [{
    "type": "render_settings", "name": "Tiny", "data": {"width": 32, "height": 24},
    "video_posts": [{"type": "Lensara", "data": {"DOF_FOCUS_DISTANCE": 600.0, "DOF_REAR_BLUR": true,
                                                 "DOF_REAR_END": 900.0, "DOF_RADIUS": 3.0, "DOF_DEPTH_BUFFER": true}}],
    "passes": [{"type": "pass", "data": {"pass_type": 6}}]
  }]
})";

class AllocationFaults : public CommandLine {
protected:
  AllocationFaults()
  {
    std::ofstream(dir / "tiny.json") << kTinyScene;
    std::ofstream(dir / "quad.obj") << "v 0 0 0\nv 100 0 0\nv 100 100 0\nv 0 100 0\nf 1 2 3 4\n";
  }

  struct Run {
    Outcome outcome;
    long counted = -1, failed = -1;
  };

  // Runs lensara with LENSARA_FAIL_ALLOCATION=plan; the counts from its report.
  Run WithFaults(const std::vector<std::string>& args, const std::string& plan)
  {
    ScopedVariable variable("LENSARA_FAIL_ALLOCATION", plan);
    Run run{Lensara(args)};
    const std::string lead = "LENSARA_FAIL_ALLOCATION: ";
    std::size_t at = run.outcome.err.rfind(lead);
    if (at != std::string::npos) {
      std::istringstream report(run.outcome.err.substr(at + lead.size()));
      std::string words;
      report >> run.counted >> words >> words >> run.failed;
    }
    return run;
  }

  // Runs the command of args once for each N, the Nth host allocation failing: every N up
  // to 50, then about 20 more spread evenly over the rest, and the first N past the count.
  // Each run ends with 0 or 1, 1 with the command's message or a warning, with no
  // sanitizer report, no temporary in the output folder and, when it fails, no output.
  // The last run reaches no fault and succeeds.
  void Sweep(const std::vector<std::string>& args, const std::string& command, const std::filesystem::path& output)
  {
    long count = WithFaults(args, "none").counted;
    ASSERT_GT(count, 0);
    long stride = std::max(1L, (count - 50) / 20);
    for (long n = 1; n <= count + 1; n += n < 50 ? 1 : std::min(stride, std::max(1L, count + 1 - n))) {
      std::filesystem::remove_all(dir / output);
      Run run = WithFaults(args, std::to_string(n));
      const Outcome& o = run.outcome;
      SCOPED_TRACE(::testing::Message() << "allocation " << n << " of " << count << ": " << o.err);
      ASSERT_TRUE(o.code == 0 || o.code == 1);
      EXPECT_EQ(o.err.find("Sanitizer"), std::string::npos);
      bool warned = o.err.find("warning: ") != std::string::npos;
      if (o.code == 1) {
        EXPECT_TRUE(warned || o.err.find("lensara " + command + ": ") != std::string::npos);
      }
      std::filesystem::path folder = std::filesystem::is_directory(dir / output) ? dir / output : dir.path;
      EXPECT_TRUE(Temporaries(folder).empty());
      if (o.code == 1 && !warned) {
        EXPECT_FALSE(std::filesystem::is_regular_file(dir / output));
      }
      if (n == count + 1) {
        EXPECT_TRUE(o.code == 0 && run.failed == 0);
      }
    }
  }
};

TEST_F(AllocationFaults, AMalformedPlanIsAUsageError)
{
  for (const char* plan : {"", "0", "every:0", "3x"})
    EXPECT_OUTCOME(WithFaults({"info"}, plan).outcome, 2, "LENSARA_FAIL_ALLOCATION=");
  Run every = WithFaults({"info"}, "every:1");
  EXPECT_EQ(every.outcome.code, 0) << every.outcome.err;  // no plug-in loads: nothing to report but that
  EXPECT_EQ(every.failed, every.counted);
}

TEST_F(AllocationFaults, BlurEndsWithAnErrorOrSucceedsWhicheverAllocationFails)
{
  Sweep({"blur", "image.png", "map.png", "-o", "out.png", "--filter", "gaussian-blend"}, "blur", "out.png");
}

TEST_F(AllocationFaults, SceneCheckEndsWithAnErrorOrSucceedsWhicheverAllocationFails)
{
  Sweep({"scene", "check", "tiny.json"}, "scene check", "none");
}

TEST_F(AllocationFaults, RenderEndsWithAnErrorOrSucceedsWhicheverAllocationFails)
{
  Sweep({"render", "tiny.json", "-o", "pictures", "--layers"}, "render", "pictures");
}

}  // namespace
