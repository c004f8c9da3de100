// Dof::PreviewThread: the preview's depth scene, built from a copy of the user's document
// as the render builds its own, rendered at 320 x 240 and handed to the preview dialog.
#include "PreviewDialog.h"
#include "plugins/dof/Dof.h"
#include "plugins/dof/FastBitmap.h"
#include "host/keys/RenderDataKeys.h"
#include "resources/description/vpdof.h"

namespace {

constexpr Int32 kWidth = 320, kHeight = 240;

// Replaces every byte b of bitmap by 255 - b; false when the image cannot be read.
Bool Invert(BaseBitmap* bitmap)
{
  FastBitmap image(bitmap);
  UChar* bytes = image.GetData();
  if (!bytes) return false;
  for (Int32 i = 0; i < image.GetWidth() * image.GetHeight() * 3; ++i) bytes[i] = 255 - bytes[i];
  image.CopyTo(bitmap);
  return true;
}

}  // namespace

Dof::PreviewThread::PreviewThread() : bitmap(BaseBitmap::Alloc())
{
  if (bitmap && !bitmap->Init(kWidth, kHeight, 24)) BaseBitmap::Free(bitmap);
}

Dof::PreviewThread::~PreviewThread()
{
  BaseDocument::Free(document);
  BaseBitmap::Free(bitmap);
  BaseContainer::Free(settings);
}

void Dof::PreviewThread::SetOption(GeListNode* effectNode, PreviewDialog* previewDialog)
{
  BaseDocument::Free(document);
  BaseContainer::Free(settings);
  BaseDocument* doc = effectNode->GetDocument();
  document = doc ? doc->GetClone(0) : nullptr;
  settings = static_cast<BaseList2D*>(effectNode)->GetDataInstance()->GetClone();
  // Without the settings the depth scene cannot be made: no preview this time.
  if (!settings) BaseDocument::Free(document);
  dialog = previewDialog;
  node = effectNode;
}

void Dof::PreviewThread::Main()
{
  if (!document) return;
  auto* effect = static_cast<BaseList2D*>(node->GetClone(0));
  RenderData* rd = document->GetActiveRenderData();
  // Without a copy of the effect or render settings there is nothing to render: the
  // dialog keeps its picture.
  if (effect && rd) RenderPicture(rd, PrepareDocument(effect, rd));
  BaseDocument::Free(document);
  BaseList2D::Free(effect);
}

Bool Dof::PreviewThread::PrepareDocument(BaseList2D* effect, RenderData* rd)
{
  BaseContainer* data = effect->GetDataInstance();
  data->SetBool(DOF_HAIR, false);
  auto* camera = static_cast<BaseObject*>(
      static_cast<BaseList2D*>(node)->GetDataInstance()->GetLink(DOF_CAMERA, node->GetDocument()));
  Bool invert = PrepareDepthScene(document, effect, settings, camera, true);
  BaseContainer* render = rd->GetDataInstance();
  render->SetLong(kRenderWidth, kWidth);
  render->SetLong(kRenderHeight, kHeight);
  render->SetLong(kRenderAntialiasing, 0);
  render->SetBool(kRenderReflections, data->GetBool(DOF_REFLECTIONS));
  return invert;
}

void Dof::PreviewThread::RenderPicture(RenderData* rd, Bool invert)
{
  if (dialog) dialog->SetStatus("Updating...");
  if (bitmap) RenderDocument(document, *rd->GetDataInstance(), nullptr, nullptr, bitmap, 0, nullptr);
  if (dialog) dialog->SetStatus("");
  // A picture that could not be inverted would show the ranges the wrong way round.
  if (!bitmap || (invert && !Invert(bitmap))) return;
  if (dialog) dialog->ShowPicture(bitmap->GetClone());
}
