// A renderer ray as Embree takes it: single precision, hits between tMin and tMax.
#pragma once

#include <embree3/rtcore.h>

#include <limits>

#include "RenderScene.h"

namespace lensara {

inline RTCRayHit ToEmbree(const Ray& ray)
{
  RTCRayHit rh{};
  rh.ray.org_x = static_cast<float>(ray.origin.x);
  rh.ray.org_y = static_cast<float>(ray.origin.y);
  rh.ray.org_z = static_cast<float>(ray.origin.z);
  rh.ray.dir_x = static_cast<float>(ray.direction.x);
  rh.ray.dir_y = static_cast<float>(ray.direction.y);
  rh.ray.dir_z = static_cast<float>(ray.direction.z);
  rh.ray.tnear = static_cast<float>(ray.tMin);
  rh.ray.tfar = ray.tMax < std::numeric_limits<float>::max() ? static_cast<float>(ray.tMax)
                                                             : std::numeric_limits<float>::infinity();
  rh.ray.mask = 0xFFFFFFFFu;
  rh.hit.geomID = RTC_INVALID_GEOMETRY_ID;
  return rh;
}

}  // namespace lensara
