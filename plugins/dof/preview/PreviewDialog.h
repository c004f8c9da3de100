// PreviewDialog: the "Preview" window, a 320 x 240 picture above a status text. It has no
// controls of its own; the preview (Dof::PreviewThread) writes the status and replaces
// the picture.
#pragma once

#include "host/c4d.h"

class PreviewDialog : public GeDialog {
public:
  // Draws the picture unscaled at its top-left corner over the background.
  class bmpview : public GeUserArea {
  public:
    bmpview() = default;
    // Frees the picture.
    ~bmpview() override;
    void Draw(Int32 x1, Int32 y1, Int32 x2, Int32 y2) override;

    BaseBitmap* picture = nullptr; // owned: the last preview's picture, or null
  };

  // The user area (group 24011) and the status text (group 235435), which starts as ".".
  Bool CreateLayout() override;
  Bool InitValues() override;
  Bool CoreMessage(Int32 id, const BaseContainer& msg) override;
  // OK and Cancel close the window; other commands are ignored.
  Bool Command(Int32 id, const BaseContainer& msg) override;
  Int32 Message(const BaseContainer& msg, BaseContainer& result) override;

  // Shows text in the status line; nothing while the window has no layout.
  void SetStatus(const char* text);
  // Replaces the picture by picture (owned from now on; null shows none) and asks for a redraw.
  void ShowPicture(BaseBitmap* picture);

private:
  bmpview view;
  C4DGadget* statusText = nullptr; // the status text of the current layout
};
