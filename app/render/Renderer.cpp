#include "Renderer.h"

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>

#include "DistancePass.h"
#include "ParallelFor.h"
#include "RenderScene.h"
#include "Tracer.h"
#include "app/core/Error.h"
#include "app/core/Allocations.h"
#include "app/core/MultipassBitmap.h"
#include "host/TypeIds.h"
#include "host/abi/HstRenderer.h"
#include "host/keys/RenderDataKeys.h"

namespace lensara {

namespace {

constexpr int32_t kMaxImageSize = 16384;
constexpr int32_t kTileWidth = 64;
constexpr int32_t kTileHeight = 16;

// Denormal floats flushed to zero while a render thread works on a tile, as Embree wants;
// the thread's earlier mode is restored after.
class FlushDenormals {
public:
  FlushDenormals() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
  ~FlushDenormals() { _mm_setcsr(saved); }
  FlushDenormals(const FlushDenormals&) = delete;
  FlushDenormals& operator=(const FlushDenormals&) = delete;

private:
  static constexpr unsigned kFlushToZero = 0x8000, kDenormalsAreZero = 0x0040;
  unsigned saved;
};

// clamp(round(c x 255), 0, 255) of two channels c, halves rounded up, without a branch or a
// library call: c is taken as 0 unless above 0, and as 1 above 1; the fraction x - trunc(x)
// of x = c x 255 is exact. The results are the low two 32-bit integers.
__m128i ToBytes(__m128d c)
{
  const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0);
  __m128d x = _mm_mul_pd(_mm_and_pd(_mm_cmpgt_pd(c, zero), _mm_min_pd(c, one)), _mm_set1_pd(255.0));
  __m128i whole = _mm_cvttpd_epi32(x);
  __m128d up = _mm_cmpge_pd(_mm_sub_pd(x, _mm_cvtepi32_pd(whole)), _mm_set1_pd(0.5));
  // Each 64-bit mask to 32 bits: all ones, -1, where the half rounds up.
  return _mm_sub_epi32(whole, _mm_shuffle_epi32(_mm_castpd_si128(up), _MM_SHUFFLE(3, 3, 2, 0)));
}

void StoreByte(uint8_t* pixel, const Vector& v)
{
  __m128i xy = ToBytes(_mm_loadu_pd(&v.x)), z = ToBytes(_mm_set_sd(v.z));
  pixel[0] = static_cast<uint8_t>(_mm_cvtsi128_si32(xy));
  pixel[1] = static_cast<uint8_t>(_mm_cvtsi128_si32(_mm_srli_si128(xy, 4)));
  pixel[2] = static_cast<uint8_t>(_mm_cvtsi128_si32(z));
}

// The layers a render fills: one per layer light and the reflection, either may be absent.
struct Passes {
  std::vector<Layer*> lights;
  Layer* reflection = nullptr;
  bool Any() const { return !lights.empty() || reflection; }
};

// Layers for the pass entries of the document's active render settings, in their order.
Passes MakePasses(Document& doc, const RenderScene& scene, MultipassBitmap& target)
{
  Passes passes;
  Node* rd = doc.ActiveRenderData();
  for (Node* pass = rd ? rd->FirstIn(HST_BRANCH_PASSES) : nullptr; pass; pass = pass->Next()) {
    int32_t type = pass->Type() == kMultipassNode ? pass->Data().GetLong(kPassKind, 0) : 0;
    if (type == kLightBuffer && scene.Settings().separateLights && passes.lights.empty()) {
      int32_t subId = 0;
      for (const Light& light : scene.Lights())
        if (light.hasLayer) passes.lights.push_back(&target.AddLayer(light.name, kLightBuffer, subId++));
    } else if (type == kReflectionBuffer && !passes.reflection) {
      passes.reflection = &target.AddLayer("Reflection", kReflectionBuffer, 0);
    }
  }
  return passes;
}

// One render: the scene, its tracer and the bitmaps it writes.
class Frame {
public:
  Frame(const RenderScene& scene, Bitmap& target, Passes passes)
      : scene(scene), tracer(scene), target(target), passes(std::move(passes))
  {
  }

  void RenderTile(int32_t x0, int32_t y0, int32_t x1, int32_t y1) const
  {
    FlushDenormals flush;
    PassSample sample;
    sample.lights.resize(passes.lights.size());
    Ray rays[kMaxSamples];
    CameraRegion region;
    scene.FindCameraRegion(x0, y0, x1, y1, region);
    for (int32_t y = y0; y < y1; ++y)
      for (int32_t x = x0; x < x1; ++x) RenderPixel(x, y, region, rays, sample);
  }

private:
  static constexpr int32_t kMaxSamples = 16;  // 4 x 4, the most anti-aliasing asks for

  // Averages the pixel's samples, on a grid of n x n cell centres, before the 8-bit conversion.
  void RenderPixel(int32_t x, int32_t y, const CameraRegion& region, Ray* rays, PassSample& sample) const
  {
    // n is 1, 2 or 4, so step and weight are exact.
    int32_t n = scene.Settings().samplesPerAxis;
    double step = 1.0 / n, weight = step * step;
    PassSample* withPasses = passes.Any() ? &sample : nullptr;
    const Environment& env = scene.GetEnvironment();
    // The rays first: made apart from the tracing, their square roots and divisions overlap.
    for (int32_t sy = 0; sy < n; ++sy)
      for (int32_t sx = 0; sx < n; ++sx) rays[sy * n + sx] = scene.CameraRay(x + (sx + 0.5) * step, y + (sy + 0.5) * step);
    Vector colour;
    sample.Clear();
    for (int32_t i = 0; i < n * n; ++i) {
      Vector c = tracer.TraceCamera(rays[i], region, withPasses);
      if (env.foreground) c = c * (1.0 - env.foregroundOpacity) + env.foregroundColour * env.foregroundOpacity;
      colour = colour + c;
    }
    std::size_t offset = static_cast<std::size_t>(x) * 3;
    StoreByte(target.Row(y) + offset, colour * weight);
    for (std::size_t i = 0; i < passes.lights.size(); ++i)
      StoreByte(passes.lights[i]->Row(y) + offset, sample.lights[i] * weight);
    if (passes.reflection) StoreByte(passes.reflection->Row(y) + offset, sample.reflection * weight);
  }

  const RenderScene& scene;
  Tracer tracer;
  Bitmap& target;
  Passes passes;
};

bool Stopped(const RenderJob& job) { return job.breakTest && job.breakTest->Stop(); }

// Renders the image's tiles, row by row, on the job's threads as one loop, so that no thread
// waits for another before the last tiles. Each thread asks the break test before a tile and
// skips the rest once it says stop; progress is reported, in order, as tiles finish. False
// when stopped.
bool RenderTiles(const Frame& frame, int32_t w, int32_t h, const RenderJob& job)
{
  const int32_t columns = (w + kTileWidth - 1) / kTileWidth;
  const int64_t tiles = int64_t{columns} * ((h + kTileHeight - 1) / kTileHeight);
  std::atomic<bool> stopped{false};
  std::mutex progress;
  int64_t done = 0;
  ParallelFor(job.threads, 0, tiles, 1, [&](int64_t t0, int64_t t1) {
    for (int64_t tile = t0; tile < t1; ++tile) {
      if (stopped || Stopped(job)) {
        stopped = true;
        return;
      }
      int32_t x0 = static_cast<int32_t>(tile % columns) * kTileWidth;
      int32_t y0 = static_cast<int32_t>(tile / columns) * kTileHeight;
      frame.RenderTile(x0, y0, std::min(w, x0 + kTileWidth), std::min(h, y0 + kTileHeight));
      std::lock_guard<std::mutex> lock(progress);
      if (job.progress) job.progress(static_cast<double>(++done) / tiles);
    }
  });
  return !stopped;
}

RenderResult RenderOrThrow(Document& doc, const Container& data, Bitmap& target, const RenderJob& job)
{
  RenderSettings settings(data);
  int32_t w = settings.width, h = settings.height;
  if (w < 1 || h < 1 || w > kMaxImageSize || h > kMaxImageSize)
    return {HST_RENDER_BAD_IMAGE_SIZE, "the image size " + std::to_string(w) + " x " + std::to_string(h) +
                                           " is outside 1 .. " + std::to_string(kMaxImageSize)};
  if (Stopped(job)) return {HST_RENDER_USER_BREAK, ""};

  std::unique_ptr<RenderScene> scene;
  CountAllocation();
  RunWithinThreads(job.threads, [&] { scene = std::make_unique<RenderScene>(doc, settings); });
  if (!target.Init(w, h, 24)) throw std::bad_alloc();
  Passes passes;
  if (auto* multipass = dynamic_cast<MultipassBitmap*>(&target)) {
    multipass->ClearLayers();
    if (job.layers && settings.multipass) passes = MakePasses(doc, *scene, *multipass);
  }

  Frame frame(*scene, target, std::move(passes));
  if (!RenderTiles(frame, w, h, job)) return {HST_RENDER_USER_BREAK, ""};
  if (job.distances) *job.distances = CameraDistances(*scene, job.threads);
  return {HST_RENDER_OK, ""};
}

// A scene error naming problem, or none when even that text cannot be copied.
RenderResult SceneError(const char* problem) noexcept
{
  try {
    return {HST_RENDER_SCENE_ERROR, problem};
  } catch (const std::bad_alloc&) {
    return {HST_RENDER_SCENE_ERROR, ""};
  }
}

}  // namespace

int RenderThreads(int threads) { return threads > 0 ? std::min(threads, MaxRenderThreads()) : MaxRenderThreads(); }

RenderResult Render(Document& doc, const Container& settings, Bitmap& target, const RenderJob& job) noexcept
{
  try {
    return RenderOrThrow(doc, settings, target, job);
  } catch (const std::bad_alloc&) {
    return {HST_RENDER_OUT_OF_MEMORY, "out of memory"};
  } catch (const std::exception& e) {
    return SceneError(e.what());
  }
}

}  // namespace lensara
