#include "DistancePass.h"

#include <cstddef>

#include "app/core/Allocations.h"
#include "app/render/ParallelFor.h"
#include "app/render/Tracer.h"

namespace lensara {

std::vector<float> CameraDistances(const RenderScene& scene, int threads)
{
  const int32_t width = scene.Settings().width, height = scene.Settings().height;
  CountAllocation();
  std::vector<float> distances(std::size_t(width) * std::size_t(height));
  Tracer tracer(scene);
  ParallelFor(threads, 0, height, 1, [&](int64_t y0, int64_t y1) {
    for (int64_t y = y0; y < y1; ++y)
      for (int32_t x = 0; x < width; ++x)
        distances[std::size_t(y) * width + x] = float(tracer.CameraDistance(scene.CameraRay(x + 0.5, y + 0.5)));
  });
  return distances;
}

}  // namespace lensara
