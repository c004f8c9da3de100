#include "PreviewDialog.h"

namespace {

constexpr Int32 kPictureGroup = 24011;
constexpr Int32 kPictureArea = 100000;
constexpr Int32 kStatusGroup = 235435;
constexpr Int32 kStatusText = 34234;

}  // namespace

PreviewDialog::bmpview::~bmpview() { BaseBitmap::Free(picture); }

void PreviewDialog::bmpview::Draw(Int32 x1, Int32 y1, Int32 x2, Int32 y2)
{
  OffScreenOn();
  GeUserArea::Draw(x1, y1, x2, y2);
  SetClippingRegion(x1, y1, x2 + 1, y2 + 1);
  if (!picture) return;
  Int32 w = picture->GetBw(), h = picture->GetBh();
  DrawBitmap(picture, 0, 0, w, h, 0, 0, w, h, 0);
}

Bool PreviewDialog::CreateLayout()
{
  Bool result = GeDialog::CreateLayout();
  SetTitle(String("Preview"));
  GroupBegin(kPictureGroup, BFH_SCALEFIT | BFV_SCALEFIT, 1, 1, String(""), 0);
  GroupBorderNoTitle(BORDER_THIN_IN);
  AddUserArea(kPictureArea, BFH_SCALEFIT | BFV_SCALEFIT, 320, 100);
  AttachUserArea(view, kPictureArea, 0);
  GroupEnd();
  GroupBegin(kStatusGroup, 0, 2, 1, String(""), 0);
  statusText = AddStaticText(kStatusText, BFV_TOP, 90, 20, String("."), 0);
  GroupEnd();
  return result;
}

Bool PreviewDialog::InitValues() { return true; }

Bool PreviewDialog::CoreMessage(Int32, const BaseContainer&) { return true; }

Bool PreviewDialog::Command(Int32 id, const BaseContainer&)
{
  if (id == IDC_OK || id == IDC_CANCEL) Close();
  return true;
}

Int32 PreviewDialog::Message(const BaseContainer& msg, BaseContainer& result) { return GeDialog::Message(msg, result); }

void PreviewDialog::SetStatus(const char* text) { SetString(statusText, String(text)); }

void PreviewDialog::ShowPicture(BaseBitmap* picture)
{
  BaseBitmap::Free(view.picture);
  view.picture = picture;
  view.Redraw(false);
}
