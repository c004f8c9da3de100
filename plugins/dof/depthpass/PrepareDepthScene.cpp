// Dof::PrepareDepthScene: the depth-pass preparation of a clone of the rendered document,
// shared by the render and the preview in the order each has always used.
#include "DeleteObjectsOfType.h"
#include "DepthLights.h"
#include "host/keys/LightKeys.h"
#include "plugins/dof/Dof.h"
#include "resources/description/vpdof.h"

namespace {

void DeleteRangeLights(BaseDocument* doc)
{
  DeleteObjectNamed(doc, kFrontLightName);
  DeleteObjectNamed(doc, kRearLightName);
}

// Without the ranges' polarity the exclusion light subtracts its light.
void DimExclusionLight(BaseDocument* doc, Bool polarity)
{
  BaseObject* exclusion = doc->SearchObject(String(kExclusionLightName));
  if (exclusion && !polarity) exclusion->SetParameter(DescID(kLightBrightness), GeData(-1.0), 0);
}

void DeleteUnusedExclusionLight(BaseDocument* doc, const BaseContainer& data)
{
  if (ExcludedCount(data) == 0) DeleteObjectNamed(doc, kExclusionLightName);
}

}  // namespace

Bool Dof::PrepareDepthScene(BaseDocument* doc, BaseList2D* effect, const BaseContainer* settings, BaseObject* camera,
                            Bool forPreview)
{
  const BaseContainer& data = *effect->GetDataInstance();
  DeleteDisturbingObjects(doc);
  Bool polarity = AdjustLightAtCamera(doc, effect, camera);
  if (forPreview) DeleteRangeLights(doc);
  AdjustMaterials(doc, settings);
  if (forPreview) {
    DimExclusionLight(doc, polarity);
    DeleteUnusedExclusionLight(doc, data);
  }
  DisableCompositingTags(doc->GetFirstObject());
  if (!forPreview) {
    DeleteUnusedExclusionLight(doc, data);
    if (IsCompositeProduct()) {
      DeleteRangeLights(doc);
      DimExclusionLight(doc, polarity);
    }
  }
  Int32 antiAliasing = forPreview ? DOF_DEPTH_ANTIALIASING_NONE : data.GetLong(DOF_DEPTH_ANTIALIASING);
  AdjustRenderData(doc->GetActiveRenderData(), data.GetBool(DOF_REFLECTIONS), data.GetBool(DOF_HAIR), antiAliasing);
  return polarity;
}
