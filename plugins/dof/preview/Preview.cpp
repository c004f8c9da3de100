#include "PreviewDialog.h"
#include "plugins/dof/Dof.h"

void Dof::Preview(GeListNode* node)
{
  if (IsCompositeProduct()) return;
  previewThread.SetOption(node, previewDialog);
  previewThread.Main();
  if (previewDialog && !previewDialog->IsOpen()) previewDialog->Open(DLG_TYPE_ASYNC, kDofId, -1, -1, 336, 303, 0);
}
