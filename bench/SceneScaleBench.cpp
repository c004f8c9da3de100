// How loading and rendering grow with the number of objects: scenes of 5,000, 20,000 and
// 100,000 textured spheres with the Lensara effect, read from their text and rendered at
// 32 x 24 on one thread. Prints the CPU time per object of each, and for each MET when it
// grows at most 1.5 x from 5,000 to 100,000 objects (MISSED otherwise). The same for the
// peak memory per video post of a render with 16, 64 and 256 Lensara effects.
// Run: build/bench/lensara_scale_bench
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/core/Host.h"
#include "app/core/MultipassBitmap.h"
#include "app/render/FrameRender.h"
#include "app/scene/SceneFile.h"

namespace {

constexpr int kCounts[] = {5000, 20000, 100000};
constexpr double kTarget = 1.5;

double CpuSeconds()
{
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

// count spheres in a grid in front of the camera, each with a texture tag linking one material,
// rendered by posts Lensara effects.
std::string SceneText(int count, int posts = 1)
{
  std::string text = R"({"active_camera": "Camera", "objects": [)"
                     R"({"type": "camera", "name": "Camera", "position": [0, 0, -1500]})";
  for (int i = 0; i < count; ++i)
    text += ",\n{\"type\": \"sphere\", \"name\": \"Ball " + std::to_string(i) + "\", \"position\": [" +
            std::to_string(i % 100 * 10 - 500) + ", " + std::to_string(i / 100 % 100 * 10 - 500) + ", " +
            std::to_string(i / 10000 * 10) + R"(], "data": {"radius": 4.0}, )" +
            R"("tags": [{"type": "texture", "data": {"material": {"link": "Red"}}}]})";
  text += R"(], "materials": [{"type": "standard", "name": "Red", "data": {"color": [0.8, 0.1, 0.1]}}], )"
          R"("render_settings": [{"type": "render_settings", "name": "Small", )"
          R"("data": {"width": 32, "height": 24}, "video_posts": [{"type": "Lensara"})";
  for (int i = 1; i < posts; ++i) text += R"(, {"type": "Lensara"})";
  return text + "]}]}";
}

struct PerObject {
  double load = 0.0, render = 0.0;  // CPU seconds per object
};

// Renders doc on one thread; exits with a message when the render fails.
void RenderOrExit(lensara::Document& doc, const char* what)
{
  lensara::FrameRenderOptions options;
  options.threads = 1;
  lensara::FrameRender render(doc, options);
  lensara::MultipassBitmap image;
  lensara::RenderResult result = render.RenderFrame(doc.Time(), image);
  if (result.code != 0 || !render.Failures().empty()) {
    std::fprintf(stderr, "%s: the render failed (%s)\n", what, result.problem.c_str());
    std::exit(1);
  }
}

PerObject Measure(int count)
{
  std::string text = SceneText(count);
  double start = CpuSeconds();
  std::unique_ptr<lensara::Document> doc = lensara::ReadScene(text, "scale.json");
  double loaded = CpuSeconds();
  RenderOrExit(*doc, "objects");
  double rendered = CpuSeconds();
  return {(loaded - start) / count, (rendered - loaded) / count};
}

// The peak memory in KiB of loading and rendering a small scene with posts effects, in a
// child process so that every count starts from nothing.
long PeakKibWithPosts(int posts)
{
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    std::unique_ptr<lensara::Document> doc = lensara::ReadScene(SceneText(100, posts), "posts.json");
    RenderOrExit(*doc, "posts");
    std::_Exit(0);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || status != 0) {
    std::fprintf(stderr, "%d posts: the render process failed\n", posts);
    std::exit(1);
  }
  return usage.ru_maxrss;
}

void Verdict(const char* what, double first, double last, int from, int to, const char* unit)
{
  double growth = last / first;
  std::printf("%s per %s grows %.2f x from %d to %d %ss (target <= %.1f x)  %s\n", what, unit, growth, from, to,
              unit, kTarget, growth <= kTarget ? "MET" : "MISSED");
}

void MeasurePosts()
{
  constexpr int kPosts[] = {16, 64, 256};
  long base = PeakKibWithPosts(1);
  double perPost[3];
  std::printf("%8s  %16s  %16s\n", "posts", "peak KiB", "KiB/post");
  for (int i = 0; i < 3; ++i) {
    long peak = PeakKibWithPosts(kPosts[i]);
    perPost[i] = double(peak - base) / (kPosts[i] - 1);
    std::printf("%8d  %16ld  %16.1f\n", kPosts[i], peak, perPost[i]);
  }
  Verdict("peak memory", perPost[0], perPost[2], kPosts[0], kPosts[2], "post");
}

}  // namespace

int main()
{
  lensara::Host host;
  host.LoadPlugins(LENSARA_BENCH_PLUGIN_DIR);
  MeasurePosts();  // first: its children fork before any render has started threads
  PerObject results[3];
  std::printf("%8s  %16s  %16s\n", "objects", "load us/object", "render us/object");
  for (int i = 0; i < 3; ++i) {
    results[i] = Measure(kCounts[i]);
    std::printf("%8d  %16.2f  %16.2f\n", kCounts[i], results[i].load * 1e6, results[i].render * 1e6);
  }
  Verdict("load time", results[0].load, results[2].load, kCounts[0], kCounts[2], "object");
  Verdict("render time", results[0].render, results[2].render, kCounts[0], kCounts[2], "object");
}
