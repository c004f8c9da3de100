// How loading and rendering grow with the number of objects: scenes of 5,000, 20,000 and
// 100,000 textured spheres with the Lensara effect, read from their text and rendered at
// 32 x 24 on one thread. Prints the CPU time per object of each, and for each MET when it
// grows at most 1.5 x from 5,000 to 100,000 objects (MISSED otherwise).
// Run: build/bench/lensara_scale_bench
#include <time.h>

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

// count spheres in a grid in front of the camera, each with a texture tag linking one material.
std::string SceneText(int count)
{
  std::string text = R"({"active_camera": "Camera", "objects": [)"
                     R"({"type": "camera", "name": "Camera", "position": [0, 0, -1500]})";
  for (int i = 0; i < count; ++i)
    text += ",\n{\"type\": \"sphere\", \"name\": \"Ball " + std::to_string(i) + "\", \"position\": [" +
            std::to_string(i % 100 * 10 - 500) + ", " + std::to_string(i / 100 % 100 * 10 - 500) + ", " +
            std::to_string(i / 10000 * 10) + R"(], "data": {"radius": 4.0}, )" +
            R"("tags": [{"type": "texture", "data": {"material": {"link": "Red"}}}]})";
  return text + R"(], "materials": [{"type": "standard", "name": "Red", "data": {"color": [0.8, 0.1, 0.1]}}], )"
                R"("render_settings": [{"type": "render_settings", "name": "Small", )"
                R"("data": {"width": 32, "height": 24}, "video_posts": [{"type": "Lensara"}]}]})";
}

struct PerObject {
  double load = 0.0, render = 0.0;  // CPU seconds per object
};

PerObject Measure(int count)
{
  std::string text = SceneText(count);
  double start = CpuSeconds();
  std::unique_ptr<lensara::Document> doc = lensara::ReadScene(text, "scale.json");
  double loaded = CpuSeconds();
  lensara::FrameRenderOptions options;
  options.threads = 1;
  lensara::FrameRender render(*doc, options);
  lensara::MultipassBitmap image;
  lensara::RenderResult result = render.RenderFrame(doc->Time(), image);
  double rendered = CpuSeconds();
  if (result.code != 0 || !render.Failures().empty()) {
    std::fprintf(stderr, "%d objects: the render failed (%s)\n", count, result.problem.c_str());
    std::exit(1);
  }
  return {(loaded - start) / count, (rendered - loaded) / count};
}

void Verdict(const char* what, double first, double last)
{
  double growth = last / first;
  std::printf("%s: time per object grows %.2f x from %d to %d objects (target <= %.1f x)  %s\n", what, growth,
              kCounts[0], kCounts[2], kTarget, growth <= kTarget ? "MET" : "MISSED");
}

}  // namespace

int main()
{
  lensara::Host host;
  host.LoadPlugins(LENSARA_BENCH_PLUGIN_DIR);
  PerObject results[3];
  std::printf("%8s  %16s  %16s\n", "objects", "load us/object", "render us/object");
  for (int i = 0; i < 3; ++i) {
    results[i] = Measure(kCounts[i]);
    std::printf("%8d  %16.2f  %16.2f\n", kCounts[i], results[i].load * 1e6, results[i].render * 1e6);
  }
  Verdict("load", results[0].load, results[2].load);
  Verdict("render", results[0].render, results[2].render);
}
