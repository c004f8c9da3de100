#include <algorithm>
#include <tuple>

#include "DepthLights.h"
#include "plugins/dof/Dof.h"
#include "host/keys/CameraKeys.h"
#include "host/keys/LightKeys.h"
#include "host/keys/ObjectKeys.h"
#include "host/keys/TagKeys.h"
#include "plugins/dof/PlatformBehaviour.h"
#include "resources/description/vpdof.h"

namespace {

constexpr Int32 kListFlags = 15;  // illumination, specular, shadow casting, reflections
constexpr Float kEnclosingRadius = 10000000.0;

struct DepthLights {
  BaseObject* front = nullptr;
  BaseObject* rear = nullptr;
  BaseObject* main = nullptr;
  BaseObject* exclusion = nullptr;
};

// Distances from the light position; each stays 0 while its range is off.
struct Distances {
  Float focus = 0.0;
  Bool front = false;
  Bool rear = false;
  Float frontOuter = 0.0;
  Float frontInner = 0.0;
  Float rearInner = 0.0;
  Float rearOuter = 0.0;
};

// Where a container keeps the front and rear range switches and their start and end.
struct RangeKeys {
  Int32 frontOn, frontStart, frontEnd, rearOn, rearStart, rearEnd;
};

constexpr RangeKeys kEffectRanges{DOF_FRONT_BLUR, DOF_FRONT_START, DOF_FRONT_END,
                                  DOF_REAR_BLUR,  DOF_REAR_START,  DOF_REAR_END};
constexpr RangeKeys kCameraRanges{kCameraFrontBlur, kCameraFrontStart, kCameraFrontEnd,
                                  kCameraRearBlur,  kCameraRearStart,  kCameraRearEnd};

void SetLong(BaseObject* op, Int32 id, Int32 v) { op->SetParameter(DescID(id), GeData(v), 0); }
void SetReal(BaseObject* op, Int32 id, Float v) { op->SetParameter(DescID(id), GeData(v), 0); }

void FreeLights(DepthLights& lights)
{
  for (BaseObject** light : {&lights.front, &lights.rear, &lights.main, &lights.exclusion}) BaseObject::Free(*light);
}

Bool AllocLights(DepthLights& lights)
{
  lights.front = BaseObject::Alloc(kLight);
  lights.rear = BaseObject::Alloc(kLight);
  lights.main = BaseObject::Alloc(kLight);
  lights.exclusion = BaseObject::Alloc(kLight);
  if (lights.front && lights.rear && lights.main && lights.exclusion) return true;
  FreeLights(lights);
  return false;
}

// The ranges that settings switch on around focus; with clamp, distances below 0 are raised to 0.
Distances RangeDistances(const BaseContainer* settings, const RangeKeys& keys, Float focus, Bool clamp)
{
  auto distance = [clamp](Float v) { return clamp ? std::max(0.0, v) : v; };
  Distances d;
  d.focus = focus;
  d.front = settings->GetBool(keys.frontOn);
  d.rear = settings->GetBool(keys.rearOn);
  if (d.front) {
    d.frontInner = distance(focus - settings->GetReal(keys.frontStart));
    d.frontOuter = distance(focus - settings->GetReal(keys.frontEnd));
  }
  if (d.rear) {
    d.rearInner = distance(focus + settings->GetReal(keys.rearStart));
    d.rearOuter = distance(focus + settings->GetReal(keys.rearEnd));
  }
  return d;
}

// The camera's focus distance, or its distance to the target object it focuses on.
Float CameraFocus(const BaseDocument* doc, const BaseObject* camera)
{
  const BaseContainer* settings = camera->GetDataInstance();
  Float focus = settings->GetReal(kCameraFocusDistance);
  BaseTag* target = camera->GetTag(kTargetTag);
  if (!target || !settings->GetBool(kCameraFocusOnTarget)) return focus;
  auto* object = static_cast<BaseObject*>(target->GetDataInstance()->GetLink(kTargetTagTarget, doc));
  return object ? Len(camera->GetMg().off - object->GetMg().off) : focus;
}

// Switches the near clip (front range) and the far clip (rear range) on for the range's
// light and the main light. Returns true when a range is on; otherwise the main light
// falls off linearly to the focus.
Bool SwitchRanges(const DepthLights& lights, const Distances& d)
{
  for (auto [on, light, clip] : {std::tuple{d.front, lights.front, kLightNearClip},
                                    std::tuple{d.rear, lights.rear, kLightFarClip}})
    if (on) {
      SetLong(light, clip, 1);
      SetLong(lights.main, clip, 1);
    }
  if (d.front || d.rear) return true;
  SetLong(lights.main, kLightFalloff, kLightFalloffLinear);
  SetReal(lights.main, kLightFalloffRadius, d.focus);
  return false;
}

void WriteClips(BaseObject* light, Float nearFrom, Float nearTo, Float farFrom, Float farTo)
{
  SetReal(light, kLightNearClipFrom, nearFrom);
  SetReal(light, kLightNearClipTo, nearTo);
  SetReal(light, kLightFarClipFrom, farFrom);
  SetReal(light, kLightFarClipTo, farTo);
}

void WriteClips(const DepthLights& lights, const Distances& d)
{
  Float middle = (d.frontInner + d.rearInner) * 0.5;
  WriteClips(lights.front, d.frontOuter, d.frontInner, middle, middle);
  WriteClips(lights.rear, middle, middle, d.rearInner, d.rearOuter);
  WriteClips(lights.main, d.frontOuter, d.frontInner, d.rearInner, d.rearOuter);
}

void NameLight(BaseObject* light, const char* name)
{
  SetLong(light, kLightAmbient, 1);
  light->SetName(String(name));
  light->Message(MSG_UPDATE);
}

void InsertFirst(BaseDocument* doc, BaseObject* op) { doc->InsertObject(op, nullptr, nullptr, kInsertsWithUniqueNames); }

void RemoveLight(BaseObject*& light)
{
  light->Remove();
  BaseObject::Free(light);
}

// Reads the light's object list, lets edit change it and writes it back.
template <class Edit>
void EditList(BaseObject* light, Edit edit)
{
  GeData list;
  light->GetParameter(DescID(kLightObjectList), list, 0);
  auto* entries = static_cast<InExcludeData*>(list.GetCustomDataType(CUSTOMDATATYPE_INEXCLUDE_LIST));
  if (!entries) return;
  edit(entries);
  light->SetParameter(DescID(kLightObjectList), list, 0);
}

// The sphere around everything gives rays that would miss the scene a far surface.
Bool AddEnclosingSphere(BaseDocument* doc, const DepthLights& lights)
{
  BaseObject* sphere = BaseObject::Alloc(kSphere);
  if (!sphere) return false;
  sphere->SetAbsScale(Vector(1.0));
  SetReal(sphere, kSphereRadius, kEnclosingRadius);
  InsertFirst(doc, sphere);
  for (BaseObject* light : {lights.rear, lights.main})
    EditList(light, [sphere](InExcludeData* entries) { entries->InsertObject(sphere, kListFlags); });
  return true;
}

// The exclusion list of the effect in doc's active render settings, or null.
InExcludeData* EffectExcludeList(const BaseDocument* doc)
{
  RenderData* rd = doc->GetActiveRenderData();
  PluginVideoPost* vp = rd ? rd->GetFirstVideoPost() : nullptr;
  while (vp && vp->GetType() != kDofId) vp = vp->GetNext();
  if (!vp) return nullptr;
  return static_cast<InExcludeData*>(vp->GetDataInstance()->GetCustomDataType(DOF_EXCLUDE, CUSTOMDATATYPE_INEXCLUDE_LIST));
}

// Lists the effect's excluded objects of doc on the exclusion light, last first.
// Returns the number of entries of the effect's list, 0 without one.
Int32 ListExcludedObjects(BaseDocument* doc, BaseObject* exclusion)
{
  InExcludeData* excluded = EffectExcludeList(doc);
  if (!excluded) return 0;
  Int32 count = excluded->GetObjectCount();
  SetLong(exclusion, kLightListMode, kLightListInclude);
  EditList(exclusion, [doc, excluded, count](InExcludeData* entries) {
    for (Int32 i = count - 1; i >= 0; --i)
      if (BaseList2D* op = excluded->ObjectFromIndex(doc, i)) entries->InsertObject(op, kListFlags);
  });
  return count;
}

// With hair, the exclusion light casts no hair shadows, and goes when it lists nothing.
void PrepareExclusionForHair(BaseObject*& exclusion, Int32 excludedCount)
{
  if (excludedCount == 0) {
    RemoveLight(exclusion);
    return;
  }
  BaseTag* tag = BaseTag::Alloc(kHairLightTag);
  if (!tag) return;
  tag->GetDataInstance()->SetBool(kHairLightTagShadows, false);
  exclusion->InsertTag(tag);
}

}  // namespace

Bool Dof::AdjustLightAtCamera(BaseDocument* doc, BaseList2D* effect, BaseObject* place)
{
  BaseObject* camera = doc->GetRenderBaseDraw()->GetSceneCamera(doc);
  DepthLights lights;
  if (!camera || !AllocLights(lights)) return false;

  Matrix mg = (place ? place : camera)->GetMg();
  for (BaseObject* light : {lights.front, lights.rear, lights.main, lights.exclusion}) light->SetMg(mg);

  const BaseContainer* data = effect->GetDataInstance();
  Distances d = data->GetBool(DOF_USE_CAMERA_DOF)
                    ? RangeDistances(camera->GetDataInstance(), kCameraRanges, CameraFocus(doc, camera), true)
                    : RangeDistances(data, kEffectRanges, data->GetReal(DOF_FOCUS_DISTANCE), false);
  Bool polarity = SwitchRanges(lights, d);
  WriteClips(lights, d);

  NameLight(lights.front, kFrontLightName);
  InsertFirst(doc, lights.front);
  NameLight(lights.rear, kRearLightName);
  InsertFirst(doc, lights.rear);
  NameLight(lights.main, kMainLightName);
  NameLight(lights.exclusion, kExclusionLightName);
  InsertFirst(doc, lights.exclusion);

  Bool reflections = data->GetBool(DOF_REFLECTIONS);
  Bool hair = data->GetBool(DOF_HAIR);
  if (!reflections && !AddEnclosingSphere(doc, lights)) {
    FreeLights(lights);
    return false;
  }
  if (reflections || hair) {
    RemoveLight(lights.front);
    RemoveLight(lights.rear);
  }
  InsertFirst(doc, lights.main);
  Int32 excludedCount = ListExcludedObjects(doc, lights.exclusion);
  if (hair) PrepareExclusionForHair(lights.exclusion, excludedCount);
  return polarity;
}
