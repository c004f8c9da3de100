// Speed of the renderer on the demo scene at 1920 x 1080: (a) with its own render settings,
// (b) its depth scene as the effect prepares it (four ambient depth lights, white
// materials, no anti-aliasing, light layers), and (c) a bare Embree loop of one camera ray
// per pixel over the same geometry on the same threads. Prints camera rays per CPU second
// and the ratio (b) / (c), which must stay at or below 1.5 (MISSED otherwise), each from the
// fastest of the repetitions; then checks that (b) gives the same bytes on one thread.
// Last, one press of the demo's preview button on one thread (CPU time; target well under
// 0.1 s).
// Run: build/bench/lensara_render_bench [--threads N] [--repeat R]
#include <embree3/rtcore.h>
#include <tbb/global_control.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>
#include <time.h>
#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include "app/core/Host.h"
#include "app/core/MultipassBitmap.h"
#include "app/render/EmbreeRay.h"
#include "app/render/FrameRender.h"
#include "app/render/RenderScene.h"
#include "app/render/Renderer.h"
#include "app/scene/SceneFile.h"
#include "app/session/PreviewButton.h"
#include "app/session/SceneLoading.h"
#include "host/c4d.h"
#include "host/keys/RenderDataKeys.h"
#include "plugins/dof/Dof.h"
#include "plugins/dof/depthpass/DeleteObjectsOfType.h"
#include "resources/description/vpdof.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;
constexpr double kTarget = 1.5;
constexpr double kFloorExtent = 1e6; // the bare loop's stand-in for an infinite floor

double CpuSeconds()
{
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

struct Timing {
  double cpu = 1e300, wall = 1e300;
  // Runs work, keeping its time when it is the fastest yet.
  void Measure(const std::function<void()>& work)
  {
    double cpuStart = CpuSeconds();
    auto wallStart = std::chrono::steady_clock::now();
    work();
    cpu = std::min(cpu, CpuSeconds() - cpuStart);
    wall = std::min(wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count());
  }
};

// The demo's depth scene: the clone prepared as the effect's render prepares it.
std::unique_ptr<lensara::Document> DepthScene(const lensara::Document& demo)
{
  std::unique_ptr<lensara::Document> depth = demo.CloneDocument();
  auto* doc = reinterpret_cast<BaseDocument*>(depth->Handle());
  RenderData* rd = doc->GetActiveRenderData();
  PluginVideoPost* effect = rd->GetFirstVideoPost();
  while (effect && effect->GetType() != kDofId) effect = effect->GetNext();
  if (!effect) return nullptr;
  BaseContainer* settings = effect->GetDataInstance()->GetClone();
  DeleteDisturbingObjects(doc);
  Dof::AdjustLightAtCamera(doc, effect, nullptr);
  Dof::AdjustMaterials(doc, settings);
  Dof::DisableCompositingTags(doc->GetFirstObject());
  Dof::AdjustRenderData(rd, settings->GetBool(DOF_REFLECTIONS), settings->GetBool(DOF_HAIR),
                        DOF_DEPTH_ANTIALIASING_NONE);
  BaseContainer::Free(settings);
  return depth;
}

lensara::Container FullHd(lensara::Document& doc)
{
  lensara::Container data = doc.ActiveRenderData()->Data();
  data.Set(kRenderWidth, lensara::Value(kWidth));
  data.Set(kRenderHeight, lensara::Value(kHeight));
  return data;
}

// Each floor as two triangles reaching kFloorExtent from its origin.
std::vector<lensara::Triangle> FloorQuads(const std::vector<lensara::Floor>& floors)
{
  std::vector<lensara::Triangle> quads;
  for (const lensara::Floor& f : floors) {
    lensara::Vector side = lensara::Unit(lensara::Cross(f.normal, std::abs(f.normal.x) < 0.9 ? lensara::Vector{1, 0, 0}
                                                                                              : lensara::Vector{0, 1, 0}));
    lensara::Vector across = lensara::Cross(f.normal, side);
    lensara::Vector a = f.origin + (side + across) * kFloorExtent, b = f.origin + (side - across) * kFloorExtent;
    lensara::Vector c = f.origin - (side + across) * kFloorExtent, d = f.origin - (side - across) * kFloorExtent;
    quads.push_back({a, b, c, f.object, f.normal});
    quads.push_back({a, c, d, f.object, f.normal});
  }
  return quads;
}

// An Embree scene of the render scene's triangles, spheres and floors (as large quads).
class BareScene {
public:
  explicit BareScene(const lensara::RenderScene& scene) : device(rtcNewDevice(nullptr)), embree(rtcNewScene(device))
  {
    for (const lensara::Sphere& s : scene.Spheres()) AddSphere(s);
    AddTriangles(scene.Triangles());
    AddTriangles(FloorQuads(scene.Floors()));
    rtcCommitScene(embree);
  }
  ~BareScene()
  {
    rtcReleaseScene(embree);
    rtcReleaseDevice(device);
  }

  // Casts one ray per pixel centre, rows in parallel; answers the number of hits.
  long Cast(const lensara::RenderScene& scene, tbb::task_arena& arena) const
  {
    std::atomic<long> hits{0};
    arena.execute([&] {
      tbb::parallel_for(0, kHeight, [&](int y) {
        _mm_setcsr(_mm_getcsr() | 0x8040);
        long rowHits = 0;
        RTCIntersectContext context;
        rtcInitIntersectContext(&context);
        for (int x = 0; x < kWidth; ++x) {
          RTCRayHit rh = lensara::ToEmbree(scene.CameraRay(x + 0.5, y + 0.5));
          rtcIntersect1(embree, &context, &rh);
          rowHits += rh.hit.geomID != RTC_INVALID_GEOMETRY_ID;
        }
        hits += rowHits;
      });
    });
    return hits;
  }

private:
  void AddSphere(const lensara::Sphere& s)
  {
    RTCGeometry g = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_SPHERE_POINT);
    auto* p = static_cast<float*>(rtcSetNewGeometryBuffer(g, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT4, 16, 1));
    p[0] = static_cast<float>(s.centre.x);
    p[1] = static_cast<float>(s.centre.y);
    p[2] = static_cast<float>(s.centre.z);
    p[3] = static_cast<float>(s.radius);
    Attach(g);
  }

  void AddTriangles(const std::vector<lensara::Triangle>& triangles)
  {
    if (triangles.empty()) return;
    RTCGeometry g = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
    auto* v = static_cast<float*>(
        rtcSetNewGeometryBuffer(g, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, 12, triangles.size() * 3));
    auto* index = static_cast<uint32_t*>(
        rtcSetNewGeometryBuffer(g, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 12, triangles.size()));
    for (std::size_t i = 0; i < triangles.size(); ++i) {
      const lensara::Vector* corners[] = {&triangles[i].a, &triangles[i].b, &triangles[i].c};
      for (int k = 0; k < 3; ++k) {
        v[9 * i + 3 * k] = static_cast<float>(corners[k]->x);
        v[9 * i + 3 * k + 1] = static_cast<float>(corners[k]->y);
        v[9 * i + 3 * k + 2] = static_cast<float>(corners[k]->z);
        index[3 * i + k] = static_cast<uint32_t>(3 * i + k);
      }
    }
    Attach(g);
  }

  void Attach(RTCGeometry g)
  {
    rtcCommitGeometry(g);
    rtcAttachGeometry(embree, g);
    rtcReleaseGeometry(g);
  }

  RTCDevice device;
  RTCScene embree;
};

bool SameBytes(const lensara::MultipassBitmap& a, const lensara::MultipassBitmap& b)
{
  if (!(static_cast<const lensara::Bitmap&>(a) == b) || a.LayerCount() != b.LayerCount()) return false;
  for (int32_t i = 0; i < a.LayerCount(); ++i)
    if (!(static_cast<const lensara::Bitmap&>(*a.LayerAt(i)) == *b.LayerAt(i))) return false;
  return true;
}

void Report(const char* what, const Timing& t, double rays)
{
  std::printf("%-34s cpu %7.3f s  wall %7.3f s  %7.2f Mrays per cpu second\n", what, t.cpu, t.wall, rays / t.cpu * 1e-6);
}

// CPU time at each progress text: the effect's stage-5 run shows "Calculating DOF" for its
// depth render, clears it, then shows its filter's text while it blurs.
class PhaseClock : public lensara::ProgressDisplay {
public:
  void SetText(const char* text) noexcept override { marks.push_back({text, CpuSeconds()}); }
  void SetValue(double) noexcept override {}

  // The CPU time at the first text after `after` that begins with prefix; end when none.
  double At(const char* prefix, double after, double end) const
  {
    for (const auto& [text, time] : marks)
      if (time >= after && text.rfind(prefix, 0) == 0) return time;
    return end;
  }

  std::vector<std::pair<std::string, double>> marks;
};

struct EffectPhases {
  double frame = 1e300, depth = 1e300, maps = 1e300, blur = 1e300;
};

// The effect's run in the demo's frame, split into depth render, map assembly and blur.
EffectPhases MeasureEffect(lensara::Document& with, lensara::FrameRenderOptions options, int repeat)
{
  EffectPhases best;
  for (int i = 0; i < repeat; ++i) {
    PhaseClock clock;
    options.progress = &clock;
    lensara::FrameRender render(with, options);
    lensara::MultipassBitmap image;
    double start = CpuSeconds();
    render.RenderFrame(0.0, image);
    double end = CpuSeconds();
    double depth = clock.At("Calculating DOF", start, end), maps = clock.At("", depth + 1e-12, end);
    double blur = std::min(clock.At("Gaussian", maps, end), clock.At("Median", maps, end));
    best.frame = std::min(best.frame, depth - start);
    best.depth = std::min(best.depth, maps - depth);
    best.maps = std::min(best.maps, blur - maps);
    best.blur = std::min(best.blur, end - blur);
  }
  return best;
}

// The demo's frame as lensara render makes it, with the effect and without (its video post
// removed); target: the effect adds at most half of the frame's time without it. Also
// shown with the depth pass's anti-aliasing off, which the demo leaves to its render
// settings (2 x 2 samples).
void ReportEffect(const lensara::Document& demo, int threads, int repeat)
{
  std::unique_ptr<lensara::Document> with = demo.CloneDocument(), without = demo.CloneDocument();
  for (lensara::Document* doc : {with.get(), without.get()}) {
    doc->ActiveRenderData()->Data().Set(kRenderWidth, lensara::Value(kWidth));
    doc->ActiveRenderData()->Data().Set(kRenderHeight, lensara::Value(kHeight));
  }
  while (lensara::Node* vp = without->ActiveRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS)) vp->Unlink();
  lensara::FrameRenderOptions options;
  options.threads = threads;
  Timing plain;
  for (int i = 0; i < repeat; ++i)
    plain.Measure([&] {
      lensara::FrameRender render(*without, options);
      lensara::MultipassBitmap image;
      render.RenderFrame(0.0, image);
    });
  std::printf("\nthe demo's frame through FrameRender, cpu seconds, fastest of %d; without the effect %.3f s\n",
              repeat, plain.cpu);
  lensara::Node* effect = with->ActiveRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS);
  for (int32_t antiAliasing : {DOF_DEPTH_ANTIALIASING_UNCHANGED, DOF_DEPTH_ANTIALIASING_NONE}) {
    effect->Data().Set(DOF_DEPTH_ANTIALIASING, lensara::Value(antiAliasing));
    EffectPhases t = MeasureEffect(*with, options, repeat);
    double added = (t.depth + t.maps + t.blur) / plain.cpu;
    std::printf("  depth anti-aliasing %-9s frame %6.3f s, depth render %6.3f s, maps %6.3f s, blur %6.3f s: "
                "adds %.2f (target <= 0.50)%s\n",
                antiAliasing == DOF_DEPTH_ANTIALIASING_NONE ? "none:" : "unchanged:", t.frame, t.depth, t.maps, t.blur,
                added, added > 0.5 ? "  MISSED" : "");
  }
}

// One press of the demo's preview button on one thread: the document cloned and prepared,
// the 320 x 240 depth render and the picture handed to the window. Target: well under
// 0.1 s, taken as at most half of it.
void ReportPreview(const lensara::Document& demo, int repeat)
{
  constexpr double kPreviewTarget = 0.05;
  std::unique_ptr<lensara::Document> doc = demo.CloneDocument();
  lensara::Node* effect = doc->ActiveRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS);
  tbb::global_control oneThread(tbb::global_control::max_allowed_parallelism, 1);
  Timing preview;
  for (int i = 0; i < repeat + 1; ++i) preview.Measure([&] { lensara::PressPreviewButton(*effect); });
  std::printf("\nthe demo's preview (320 x 240) on 1 thread: cpu %.3f s, wall %.3f s (target well under 0.1 s: "
              "<= %.2f s)%s\n",
              preview.cpu, preview.wall, kPreviewTarget, preview.cpu > kPreviewTarget ? "  MISSED" : "");
}

}  // namespace

int main(int argc, char** argv)
{
  int threads = static_cast<int>(std::thread::hardware_concurrency());
  int repeat = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--threads")) threads = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "--repeat")) repeat = std::max(1, std::atoi(argv[i + 1]));
  }
  lensara::Host host;
  host.LoadPlugins(LENSARA_BENCH_PLUGIN_DIR);
  InitOS(const_cast<C4DOS*>(host.Table()));
  std::unique_ptr<lensara::Document> demo = lensara::LoadScene(lensara::DemoScene());
  std::unique_ptr<lensara::Document> depth = DepthScene(*demo);
  if (!depth) {
    std::fprintf(stderr, "the demo scene has no Lensara effect to prepare its depth scene\n");
    return 1;
  }
  lensara::Container demoSettings = FullHd(*demo), depthSettings = FullHd(*depth);
  lensara::RenderSettings depthRender(depthSettings);
  std::printf("1920 x 1080, %d threads, fastest of %d\n", threads, repeat);

  lensara::RenderJob job{threads, true, nullptr, nullptr};
  lensara::MultipassBitmap demoImage, depthImage;
  lensara::RenderSettings demoRender(demoSettings);
  double demoRays = double(kWidth) * kHeight * demoRender.samplesPerAxis * demoRender.samplesPerAxis;
  tbb::task_arena arena(threads);
  std::unique_ptr<lensara::RenderScene> scene;
  arena.execute([&] { scene = std::make_unique<lensara::RenderScene>(*depth, depthRender); });
  BareScene bare(*scene);
  long hits = 0;
  // The repetitions of (b) and (c) alternate, so that both meet the machine alike.
  Timing a, b, c;
  for (int i = 0; i < repeat; ++i) {
    a.Measure([&] { lensara::Render(*demo, demoSettings, demoImage, job); });
    b.Measure([&] { lensara::Render(*depth, depthSettings, depthImage, job); });
    c.Measure([&] { hits = bare.Cast(*scene, arena); });
  }

  double pixels = double(kWidth) * kHeight;
  Report("(a) demo, its own settings", a, demoRays);
  Report("(b) depth scene with 4 layers", b, pixels);
  Report("(c) bare Embree primary rays", c, pixels);
  double ratio = b.cpu / c.cpu;
  std::printf("(b) / (c) cpu time: %.2f (target <= %.1f)%s   [%ld of %.0f bare rays hit]\n", ratio, kTarget,
              ratio > kTarget ? "  MISSED" : "", hits, pixels);

  lensara::MultipassBitmap single;
  lensara::Render(*depth, depthSettings, single, {1, true, nullptr, nullptr});
  bool same = SameBytes(single, depthImage) && depthImage.LayerCount() == 4;
  std::printf("depth scene on 1 and %d threads: %s (%d layers)\n", threads, same ? "same bytes" : "DIFFERENT  MISSED",
              depthImage.LayerCount());
  ReportEffect(*demo, threads, repeat);
  ReportPreview(*demo, repeat);
  return 0;
}
