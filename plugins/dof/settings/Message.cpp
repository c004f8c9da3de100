#include <algorithm>
#include <cmath>

#include "plugins/dof/Dof.h"
#include "plugins/dof/depthpass/DepthLights.h"
#include "resources/description/vpdof.h"

namespace {

// Keeps a range's start within 0 and its end; the end is left as it is.
void ClampStart(BaseContainer* data, Int32 startKey, Int32 endKey)
{
  Float start = data->GetReal(startKey, 0.0);
  Float end = data->GetReal(endKey, 0.0);
  data->SetReal(startKey, start < 0.0 ? 0.0 : std::min(start, end));
}

// Whole numbers held as reals (radius, passes) lose what an edit put after the point.
void RoundDown(BaseContainer* data, Int32 key) { data->SetReal(key, std::floor(data->GetReal(key, 1.0))); }

// The settings that change the depth image as the node holds them now; the camera is
// resolved against the node's document.
Dof::Snapshot ReadSnapshot(const BaseContainer* data, const BaseDocument* doc)
{
  return {data->GetBool(DOF_FRONT_BLUR),
          data->GetBool(DOF_REAR_BLUR),
          data->GetReal(DOF_FRONT_START),
          data->GetReal(DOF_FRONT_END),
          data->GetReal(DOF_REAR_START),
          data->GetReal(DOF_REAR_END),
          data->GetBool(DOF_REFLECTIONS),
          data->GetBool(DOF_USE_CAMERA_DOF),
          data->GetReal(DOF_FOCUS_DISTANCE),
          static_cast<const BaseObject*>(data->GetLink(DOF_CAMERA, doc)),
          ExcludedCount(*data)};
}

// Whether now differs from the snapshot in what the preview shows. A missing exclusion
// list counts as unchanged, so removing the list alone keeps the picture.
Bool DepthImageChanged(const Dof::Snapshot& now, const Dof::Snapshot& cached, Bool hasExcludeList)
{
  if (now.cachedFrontBlur != cached.cachedFrontBlur || now.cachedRearBlur != cached.cachedRearBlur ||
      now.cachedFrontStart != cached.cachedFrontStart || now.cachedFrontEnd != cached.cachedFrontEnd ||
      now.cachedRearStart != cached.cachedRearStart || now.cachedRearEnd != cached.cachedRearEnd ||
      now.cachedReflections != cached.cachedReflections || now.cachedUseCameraDof != cached.cachedUseCameraDof ||
      now.cachedFocusDistance != cached.cachedFocusDistance || now.cachedCamera != cached.cachedCamera)
    return true;
  return hasExcludeList && now.cachedExcludeCount != cached.cachedExcludeCount;
}

}  // namespace

void Dof::Validate(GeListNode* node)
{
  BaseContainer* data = static_cast<BaseList2D*>(node)->GetDataInstance();
  ClampStart(data, DOF_FRONT_START, DOF_FRONT_END);
  ClampStart(data, DOF_REAR_START, DOF_REAR_END);
  RoundDown(data, DOF_RADIUS);
  RoundDown(data, DOF_PASSES);
  if (!data->GetBool(DOF_LIVE_PREVIEW)) return;
  Snapshot now = ReadSnapshot(data, node->GetDocument());
  if (!DepthImageChanged(now, snapshot, ExcludeList(*data) != nullptr)) return;
  snapshot = now;
  Preview(node);
}

Bool Dof::Message(GeListNode* node, Int32 type, void* data)
{
  if (type == MSG_DESCRIPTION_VALIDATE) {
    Validate(node);
    return true;
  }
  if (type == MSG_DESCRIPTION_COMMAND && data &&
      static_cast<const DescriptionCommand*>(data)->id == DescID(DOF_PREVIEW))
    Preview(node);
  if (type == MSG_NOTIFY && data && static_cast<const NotifyData*>(data)->eventCode == NOTIFY_EDITING_ENDED)
    static_cast<BaseList2D*>(node)->GetDataInstance()->SetBool(DOF_LIVE_PREVIEW, false);
  return VideoPostData::Message(node, type, data);
}
