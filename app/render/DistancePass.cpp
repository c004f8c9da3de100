#include "DistancePass.h"

#include <tbb/parallel_for.h>

#include <cstddef>

#include "app/core/Allocations.h"
#include "app/render/Tracer.h"

namespace lensara {

std::vector<float> CameraDistances(const RenderScene& scene)
{
  const int32_t width = scene.Settings().width, height = scene.Settings().height;
  CountAllocation();
  std::vector<float> distances(std::size_t(width) * std::size_t(height));
  Tracer tracer(scene);
  tbb::parallel_for(0, height, [&](int32_t y) {
    for (int32_t x = 0; x < width; ++x)
      distances[std::size_t(y) * width + x] = float(tracer.CameraDistance(scene.CameraRay(x + 0.5, y + 0.5)));
  });
  return distances;
}

}  // namespace lensara
