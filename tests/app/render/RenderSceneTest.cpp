// The render scene's camera rays: what they share at each sphere and floor is worked out once
// per render, what their region cannot meet is left out, and they must still meet every
// surface at the same bits as any other ray.
#include "app/render/RenderScene.h"

#include <gtest/gtest.h>

#include "app/core/NodeTypes.h"
#include "host/keys/ObjectKeys.h"
#include "host/keys/RenderDataKeys.h"

namespace lensara {
namespace {

Node& Add(Document& doc, int32_t type, Vector position, double radius = 0.0)
{
  std::unique_ptr<Node> node = CreateNode(type);
  node->SetPosition(position);
  if (radius > 0.0) node->Data().Set(kSphereRadius, Value(radius));
  Node* added = node.get();
  doc.Branch(HST_BRANCH_OBJECTS).Append(std::move(node));
  return *added;
}

// The depth scene's enclosing sphere of radius 10^7 around the camera, a ball seen close
// (stepped over when the camera does not see it), a cube and a floor.
TEST(RenderScene, CameraRaysMeetWhatTheGeneralQueryMeetsBitForBit)
{
  constexpr int32_t kWidth = 48, kHeight = 32;
  const Vector eye{13.7, 140.0, -600.3};
  Document doc;
  Node& camera = Add(doc, kCamera, eye);
  camera.SetRotation({0.1, 0.2, 0.0});
  doc.SetActiveCamera(&camera);
  Add(doc, kSphere, eye, 1e7);
  Add(doc, kSphere, eye + Vector{6.0, -10.0, 40.0}, 30.0);
  Add(doc, kCube, {0.0, 60.0, 170.0});
  Add(doc, kFloor, {});
  Container settings;
  settings.Set(kRenderWidth, Value(kWidth));
  settings.Set(kRenderHeight, Value(kHeight));
  RenderScene scene(doc, RenderSettings(settings));

  CameraRegion region;
  for (bool ballSeen : {true, false}) {
    auto seen = [&](int32_t object) { return ballSeen || object != 1; };
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x) {
        Ray ray = scene.CameraRay(x + 0.5, y + 0.5);
        Hit general, fromCamera;
        ASSERT_TRUE(scene.Intersect(ray, seen, general));
        // The ray on its region's corner, as tight as a region can be around it: the sphere,
        // cube and floor it meets must not be left out.
        scene.FindCameraRegion(x + 0.5, y + 0.5, x + 1.5, y + 1.5, region);
        ASSERT_TRUE(scene.IntersectCamera(ray, region, seen, fromCamera));
        ASSERT_EQ(general.object, fromCamera.object) << x << ", " << y;
        ASSERT_EQ(general.t, fromCamera.t) << x << ", " << y;
        ASSERT_EQ(general.point, fromCamera.point) << x << ", " << y;
        ASSERT_EQ(general.normal, fromCamera.normal) << x << ", " << y;
      }
  }
}

}  // namespace
}  // namespace lensara
