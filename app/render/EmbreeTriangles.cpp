// TriangleIntersector on Embree: one triangle geometry of single-precision vertices, queried
// one ray at a time. Embree's packets and streams visit the geometry in another order and may
// pick the other of two triangles at the same distance, which the single-ray path does not.
#include <embree3/rtcore.h>

#include <new>

#include "EmbreeRay.h"
#include "TriangleIntersector.h"
#include "app/core/Error.h"

namespace lensara {

namespace {

// The triangles' corners as Embree's vertex buffer, each triangle indexing its own three.
void FillBuffers(const std::vector<Triangle>& triangles, float* vertices, uint32_t* indices)
{
  std::size_t v = 0;
  for (const Triangle& t : triangles)
    for (const Vector* p : {&t.a, &t.b, &t.c}) {
      indices[v] = static_cast<uint32_t>(v);
      vertices[3 * v] = static_cast<float>(p->x);
      vertices[3 * v + 1] = static_cast<float>(p->y);
      vertices[3 * v + 2] = static_cast<float>(p->z);
      ++v;
    }
}

}  // namespace

struct TriangleIntersector::Structure {
  struct Release {
    void operator()(RTCDevice d) const { rtcReleaseDevice(d); }
    void operator()(RTCScene s) const { rtcReleaseScene(s); }
  };
  std::unique_ptr<RTCDeviceTy, Release> device;
  std::unique_ptr<RTCSceneTy, Release> scene;
};

TriangleIntersector::TriangleIntersector(const std::vector<Triangle>& triangles) : structure(std::make_unique<Structure>())
{
  structure->device.reset(rtcNewDevice(nullptr));
  RTCDevice device = structure->device.get();
  if (!device && rtcGetDeviceError(nullptr) == RTC_ERROR_OUT_OF_MEMORY) throw std::bad_alloc();
  if (!device) throw Error("the ray tracer cannot start");
  structure->scene.reset(rtcNewScene(device));
  RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
  std::size_t count = triangles.size();
  auto* vertices = static_cast<float*>(
      rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, 3 * sizeof(float), 3 * count));
  auto* indices = static_cast<uint32_t*>(
      rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 3 * sizeof(uint32_t), count));
  if (vertices && indices) FillBuffers(triangles, vertices, indices);
  rtcCommitGeometry(geometry);
  rtcAttachGeometry(structure->scene.get(), geometry);
  rtcReleaseGeometry(geometry);
  rtcCommitScene(structure->scene.get());
  RTCError error = rtcGetDeviceError(device);
  if (error == RTC_ERROR_OUT_OF_MEMORY || !vertices || !indices) throw std::bad_alloc();
  if (error != RTC_ERROR_NONE) throw Error("the ray tracer cannot take the scene's geometry");
}

TriangleIntersector::~TriangleIntersector() = default;

bool TriangleIntersector::Nearest(const Ray& ray, TriangleHit& hit) const
{
  RTCRayHit rh = ToEmbree(ray);
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  rtcIntersect1(structure->scene.get(), &context, &rh);
  if (rh.hit.geomID == RTC_INVALID_GEOMETRY_ID) return false;
  hit = {rh.hit.primID, rh.ray.tfar};
  return true;
}

}  // namespace lensara
