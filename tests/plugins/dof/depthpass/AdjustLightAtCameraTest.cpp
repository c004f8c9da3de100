// The depth lights placed at the camera, their distances and lists.
#include "plugins/dof/depthpass/DepthLights.h"

#include "DepthSceneTest.h"
#include "app/core/Allocations.h"
#include "host/keys/CameraKeys.h"
#include "host/keys/LightKeys.h"
#include "plugins/dof/PlatformBehaviour.h"
#include "plugins/dof/depthpass/DeleteObjectsOfType.h"
#include "resources/description/vpdof.h"

namespace {

using NameList = std::vector<std::string>;

const char* const kSphereName = "Sphere";

class AdjustLightAtCameraTest : public DepthSceneTest {
protected:
  AdjustLightAtCameraTest()
  {
    camera = Add(5103, "Camera");
    camera->SetAbsPos(Vector(0.0, 0.0, -1000.0));
    camera->SetAbsRot(Vector(0.3, 0.0, 0.0));
    doc->SetActiveCamera(camera);
    Add(5159, "Box");
    effect = PluginVideoPost::Alloc(kDofId);
    rd->InsertVideoPost(effect);
  }
  ~AdjustLightAtCameraTest() override { lensara::SetAllocationBudget(-1); }

  BaseContainer* Settings() { return effect->GetDataInstance(); }
  Bool Run(BaseObject* place = nullptr) { return Dof::AdjustLightAtCamera(doc, effect, place); }
  BaseObject* Light(const char* name) const { return doc->SearchObject(String(name)); }
  // Takes out what a run added: the lights and the sphere.
  void DeleteDepthObjects()
  {
    DeleteObjectsOfType(doc, kLight);
    DeleteObjectsOfType(doc, kSphere);
  }

  // Near clip from/to and far clip from/to of a light.
  static std::vector<Float> Clips(const BaseObject* light)
  {
    return {Real(light, kLightNearClipFrom), Real(light, kLightNearClipTo), Real(light, kLightFarClipFrom), Real(light, kLightFarClipTo)};
  }

  // The objects a light's list holds, by name, with their flags.
  std::vector<std::pair<std::string, Int32>> List(BaseObject* light) const
  {
    GeData list;
    light->GetParameter(DescID(100000), list, 0);
    auto* entries = static_cast<InExcludeData*>(list.GetCustomDataType(CUSTOMDATATYPE_INEXCLUDE_LIST));
    std::vector<std::pair<std::string, Int32>> out;
    for (Int32 i = 0; entries && i < entries->GetObjectCount(); ++i) {
      BaseList2D* op = entries->ObjectFromIndex(doc, i);
      out.emplace_back(op ? op->GetName().GetCString() : "?", entries->GetFlags(i));
    }
    return out;
  }

  BaseObject* camera = nullptr;
  PluginVideoPost* effect = nullptr;
};

TEST_F(AdjustLightAtCameraTest, BothRangesGiveEveryLightItsClipsAtTheCamera)
{
  EXPECT_TRUE(Run());

  BaseObject* front = Light(kFrontLightName);
  BaseObject* rear = Light(kRearLightName);
  BaseObject* main = Light(kMainLightName);
  BaseObject* exclusion = Light(kExclusionLightName);
  ASSERT_TRUE(front && rear && main && exclusion);
  // Focus 2000, both ranges 0 to 1000: outer 1000 and 3000, inner 2000 and 2000.
  EXPECT_EQ(Clips(front), (std::vector<Float>{1000.0, 2000.0, 2000.0, 2000.0}));
  EXPECT_EQ(Clips(rear), (std::vector<Float>{2000.0, 2000.0, 2000.0, 3000.0}));
  EXPECT_EQ(Clips(main), (std::vector<Float>{1000.0, 2000.0, 2000.0, 3000.0}));
  EXPECT_EQ(Clips(exclusion), (std::vector<Float>{0.0, 0.0, 0.0, 0.0}));
  EXPECT_EQ(std::make_pair(Long(front, kLightNearClip), Long(front, kLightFarClip)), std::make_pair(1, 0));
  EXPECT_EQ(std::make_pair(Long(rear, kLightNearClip), Long(rear, kLightFarClip)), std::make_pair(0, 1));
  EXPECT_EQ(std::make_pair(Long(main, kLightNearClip), Long(main, kLightFarClip)), std::make_pair(1, 1));
  EXPECT_EQ(Long(main, kLightFalloff), 0);
  for (BaseObject* light : {front, rear, main, exclusion}) {
    EXPECT_EQ(Long(light, kLightAmbient), 1);
    EXPECT_EQ(light->GetMg(), camera->GetMg());
  }
}

TEST_F(AdjustLightAtCameraTest, PutsTheLightsAndTheSphereFirstInTheDocument)
{
  Run();
  EXPECT_EQ(TopLevel(), (NameList{kMainLightName, kSphereName, kExclusionLightName, kRearLightName, kFrontLightName,
                                  "Camera", "Box"}));
  BaseObject* sphere = doc->GetFirstObject()->GetNext();
  EXPECT_EQ(sphere->GetType(), 5160);
  EXPECT_EQ(Real(sphere, 1110), 10000000.0);
  EXPECT_EQ(sphere->GetAbsScale(), Vector(1.0));
  using Entries = std::vector<std::pair<std::string, Int32>>;
  EXPECT_EQ(List(Light(kMainLightName)), (Entries{{kSphereName, 15}}));
  EXPECT_EQ(List(Light(kRearLightName)), (Entries{{kSphereName, 15}}));
  EXPECT_EQ(List(Light(kFrontLightName)), Entries{});
}

TEST_F(AdjustLightAtCameraTest, NamesInUseGetASuffixOnlyInTheMacOSBehaviour)
{
  Add(kCube, kFrontLightName);
  Add(kSphere, kSphereName);
  Run();
  std::string suffix = kMacOSBehaviour ? ".1" : "";
  EXPECT_EQ(TopLevel(), (NameList{kMainLightName, kSphereName + suffix, kExclusionLightName, kRearLightName,
                                  kFrontLightName + suffix, "Camera", "Box", kFrontLightName, kSphereName}));
}

TEST_F(AdjustLightAtCameraTest, WithoutARangeTheMainLightFallsOffToTheFocus)
{
  Settings()->SetBool(DOF_FRONT_BLUR, false);
  Settings()->SetBool(DOF_REAR_BLUR, false);
  Settings()->SetReal(DOF_FOCUS_DISTANCE, 1500.0);
  EXPECT_FALSE(Run());
  BaseObject* main = Light(kMainLightName);
  EXPECT_EQ(Long(main, kLightFalloff), 8);
  EXPECT_EQ(Real(main, kLightFalloffRadius), 1500.0);
  for (const char* name : {kFrontLightName, kRearLightName, kMainLightName, kExclusionLightName}) {
    EXPECT_EQ(Clips(Light(name)), (std::vector<Float>{0.0, 0.0, 0.0, 0.0})) << name;
    EXPECT_EQ(Long(Light(name), kLightNearClip) + Long(Light(name), kLightFarClip), 0) << name;
  }
}

TEST_F(AdjustLightAtCameraTest, WithOnlyTheFrontRangeTheZoneMiddleIsHalfTheFrontInnerDistance)
{
  Settings()->SetBool(DOF_REAR_BLUR, false);
  Settings()->SetReal(DOF_FRONT_START, 100.0);
  Settings()->SetReal(DOF_FRONT_END, 600.0);
  EXPECT_TRUE(Run());
  EXPECT_EQ(Clips(Light(kFrontLightName)), (std::vector<Float>{1400.0, 1900.0, 950.0, 950.0}));
  EXPECT_EQ(Clips(Light(kRearLightName)), (std::vector<Float>{950.0, 950.0, 0.0, 0.0}));
  EXPECT_EQ(Clips(Light(kMainLightName)), (std::vector<Float>{1400.0, 1900.0, 0.0, 0.0}));
  EXPECT_EQ(Long(Light(kMainLightName), kLightFalloff), 0);
}

TEST_F(AdjustLightAtCameraTest, TheEffectsDistancesMayBeNegative)
{
  Settings()->SetReal(DOF_FOCUS_DISTANCE, 100.0);
  Settings()->SetReal(DOF_FRONT_START, 300.0);
  Run();
  EXPECT_EQ(Clips(Light(kMainLightName)), (std::vector<Float>{-900.0, -200.0, 100.0, 1100.0}));
}

TEST_F(AdjustLightAtCameraTest, TheCamerasDistancesAreRaisedToZero)
{
  Settings()->SetBool(DOF_USE_CAMERA_DOF, true);
  BaseContainer* c = camera->GetDataInstance();
  c->SetReal(1010, 100.0);
  c->SetBool(kCameraFrontBlur, true);
  c->SetReal(kCameraFrontStart, 300.0);
  c->SetReal(kCameraFrontEnd, 1000.0);
  c->SetBool(kCameraRearBlur, false);
  EXPECT_TRUE(Run());
  EXPECT_EQ(Clips(Light(kMainLightName)), (std::vector<Float>{0.0, 0.0, 0.0, 0.0}));
  EXPECT_EQ(Long(Light(kMainLightName), kLightNearClip), 1);
  EXPECT_EQ(Long(Light(kMainLightName), kLightFarClip), 0);
}

TEST_F(AdjustLightAtCameraTest, ACameraFocusingOnATargetMeasuresTheDistanceToIt)
{
  BaseObject* target = Add(5140, "Target");
  target->SetAbsPos(Vector(0.0, 0.0, 500.0));
  BaseTag* tag = BaseTag::Alloc(kTargetTag);
  tag->GetDataInstance()->SetLink(1001, target);
  camera->InsertTag(tag);
  Settings()->SetBool(DOF_USE_CAMERA_DOF, true);
  BaseContainer* c = camera->GetDataInstance();
  c->SetReal(1010, 700.0);
  c->SetBool(kCameraRearBlur, true);
  c->SetReal(kCameraRearStart, 10.0);
  c->SetReal(kCameraRearEnd, 20.0);

  c->SetBool(1009, false);  // not focusing on the target: the focus distance holds
  Run();
  EXPECT_EQ(Clips(Light(kMainLightName)), (std::vector<Float>{0.0, 0.0, 710.0, 720.0}));

  DeleteDepthObjects();
  c->SetBool(1009, true);
  // The lights stand at the place object; the distance is still the camera's.
  BaseObject* place = Add(5140, "Place");
  place->SetAbsPos(Vector(300.0, 20.0, 10.0));
  place->SetAbsRot(Vector(1.0, 0.5, 0.0));
  Run(place);
  EXPECT_EQ(Clips(Light(kMainLightName)), (std::vector<Float>{0.0, 0.0, 1510.0, 1520.0}));
  EXPECT_EQ(Light(kMainLightName)->GetMg(), place->GetMg());
}

TEST_F(AdjustLightAtCameraTest, ReflectionsBuildNoSphereAndKeepOnlyTheMainAndExclusionLights)
{
  Settings()->SetBool(DOF_REFLECTIONS, true);
  EXPECT_TRUE(Run());
  EXPECT_EQ(TopLevel(), (NameList{kMainLightName, kExclusionLightName, "Camera", "Box"}));
  EXPECT_EQ(List(Light(kMainLightName)).size(), 0u);
}

TEST_F(AdjustLightAtCameraTest, HairWithoutExcludedObjectsKeepsOnlyTheMainLight)
{
  Settings()->SetBool(DOF_HAIR, true);
  Exclude(effect, {});
  Run();
  EXPECT_EQ(TopLevel(), (NameList{kMainLightName, kSphereName, "Camera", "Box"}));
}

TEST_F(AdjustLightAtCameraTest, ListsExcludedObjectsLastFirstSkippingThoseNotInTheDocument)
{
  BaseObject* a = Add(5159, "A");
  BaseObject* b = Add(5159, "B");
  BaseObject* c = Add(5159, "C");
  BaseDocument* other = BaseDocument::Alloc();
  BaseObject* elsewhere = BaseObject::Alloc(kSphere);
  other->InsertObject(elsewhere, nullptr, nullptr);
  Exclude(effect, {a, elsewhere, b, c});
  Settings()->SetBool(DOF_HAIR, true);

  Run();
  BaseObject* exclusion = Light(kExclusionLightName);
  ASSERT_NE(exclusion, nullptr);
  using Entries = std::vector<std::pair<std::string, Int32>>;
  EXPECT_EQ(List(exclusion), (Entries{{"C", 15}, {"B", 15}, {"A", 15}}));
  EXPECT_EQ(Long(exclusion, 100001), 0);
  BaseTag* hairTag = exclusion->GetFirstTag();
  ASSERT_NE(hairTag, nullptr);
  EXPECT_EQ(hairTag->GetType(), 1017874);
  EXPECT_EQ(hairTag->GetDataInstance()->GetLong(1000, -1), 0);
  BaseDocument::Free(other);
}

TEST_F(AdjustLightAtCameraTest, PlacesNothingWhenTheLightsCannotBeAllocated)
{
  lensara::SetAllocationBudget(0);
  EXPECT_FALSE(Run());
  lensara::SetAllocationBudget(-1);
  EXPECT_EQ(TopLevel(), (NameList{"Camera", "Box"}));
}

}  // namespace
