#include "Dof.h"

#include "PlatformBehaviour.h"

#include "plugins/dof/preview/PreviewDialog.h"
#include "resources/description/vpdof.h"

Bool IsCompositeProduct()
{
  return IsCompositeProductKind(GeGetVersionType());
}

NodeData* Dof::Alloc() { return NewObj<Dof>(); }

Dof::~Dof()
{
  if (previewDialog) previewDialog->Close();
  DeleteObj(previewDialog);
  BaseDocument::Free(depthScene);
}

Bool Dof::Init(GeListNode* node)
{
  BaseContainer* data = static_cast<BaseList2D*>(node)->GetDataInstance();
  data->SetLong(DOF_FILTER, DOF_FILTER_GAUSSIAN);
  data->SetReal(DOF_RADIUS, 3.0);
  data->SetReal(DOF_FOCUS_DISTANCE, 2000.0);
  data->SetReal(DOF_FRONT_START, 0.0);
  data->SetReal(DOF_FRONT_END, 1000.0);
  data->SetReal(DOF_REAR_START, 0.0);
  data->SetReal(DOF_REAR_END, 1000.0);
  data->SetReal(DOF_PASSES, 1.0);
  data->SetBool(DOF_FRONT_BLUR, true);
  data->SetBool(DOF_REAR_BLUR, true);
  data->SetBool(DOF_BLUR, true);
  data->SetLong(DOF_DEPTH_ANTIALIASING, DOF_DEPTH_ANTIALIASING_UNCHANGED);
  snapshot = Snapshot{};
  DeleteObj(previewDialog);
  previewDialog = NewObj<PreviewDialog>();
  return true;
}
