// A render's depth pass: how far the camera sees at each pixel.
#pragma once

#include <vector>

#include "app/render/RenderScene.h"

namespace lensara {

// The distance from the camera (along the ray, so radial) to the surface the ray through
// each pixel's centre sees, row by row from the top; infinity where it sees none. Not
// anti-aliased (a mean of two surfaces' distances lies on neither): the centre is where a
// render without anti-aliasing samples, the effect's depth render among them.
// Rows run in parallel on the render's thread limit.
std::vector<float> CameraDistances(const RenderScene& scene, int threads);

}  // namespace lensara
