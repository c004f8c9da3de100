#include <initializer_list>

#include "plugins/dof/Dof.h"
#include "resources/description/vpdof.h"

namespace {

Bool IsOneOf(const DescID& id, std::initializer_list<Int32> keys)
{
  for (Int32 key : keys)
    if (id == DescID(key)) return true;
  return false;
}

// Whether the host can make a hair renderer now: a trial instance, freed at once, so that
// a renderer loaded or dropped later is seen at the next query.
Bool CanRenderHair()
{
  PluginVideoPost* hair = PluginVideoPost::Alloc(kHairVideoPost);
  if (!hair) return false;
  PluginVideoPost::Free(hair);
  return true;
}

}  // namespace

Bool Dof::GetDEnabling(GeListNode* node, const DescID& id, GeData& value, Int32 flags, const BaseContainer* itemdesc)
{
  const BaseContainer* data = static_cast<BaseList2D*>(node)->GetDataInstance();
  auto on = [data](Int32 key) { return data->GetBool(key, false); };
  if (IsOneOf(id, {DOF_FRONT_START, DOF_FRONT_END})) return on(DOF_FRONT_BLUR) && !on(DOF_USE_CAMERA_DOF);
  if (IsOneOf(id, {DOF_REAR_START, DOF_REAR_END})) return on(DOF_REAR_BLUR) && !on(DOF_USE_CAMERA_DOF);
  if (IsOneOf(id, {DOF_RADIUS, DOF_FILTER, DOF_PASSES})) return on(DOF_BLUR);
  if (IsOneOf(id, {DOF_DILATE_DEPTH, DOF_DEPTH_AWARE})) return on(DOF_BLUR) && !on(DOF_REFLECTIONS) && !on(DOF_HAIR);
  if (IsOneOf(id, {DOF_FRONT_REAR_BUFFERS})) return !on(DOF_REFLECTIONS) && !on(DOF_HAIR);
  if (IsOneOf(id, {DOF_REAR_BLUR, DOF_FRONT_BLUR, DOF_FOCUS_DISTANCE})) return !on(DOF_USE_CAMERA_DOF);
  if (IsOneOf(id, {DOF_HAIR})) return CanRenderHair();
  return VideoPostData::GetDEnabling(node, id, value, flags, itemdesc);
}
