// The host's record of a plug-in's dialog: whether its window is open, the layout its
// CreateLayout built, and the window drawn as the host shows it. The host keeps every
// dialog a plug-in allocated (the list may change on any thread: nodes copied for a
// render make their dialogs there); windows are opened, drawn and closed on one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Layout.h"
#include "app/core/Bitmap.h"
#include "host/abi/HstDialog.h"

namespace lensara {

class Dialog {
public:
  Dialog(const HstDialogCallbacks& callbacks, HstPluginDialog self);
  // Drops the layout without calling back.
  ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // The dialogs whose window is open, in the order they were allocated.
  static std::vector<Dialog*> OpenDialogs();

  // Opens the window of type (HST_DIALOG_ASYNC only) at least width x height pixels large
  // (the layout's minimum size if that is larger): builds the layout through the plug-in's
  // CreateLayout, places it, attaches its user areas, then InitValues. True when open.
  bool Open(int32_t type, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t subid);
  // Drops the layout and tells the plug-in (DestroyWindow); false when it was not open.
  bool Close();
  bool IsOpen() const { return open; }

  int32_t Id() const { return id; }
  int32_t SubId() const { return subid; }
  Size WindowSize() const { return window; }
  const std::string& Title() const { return title; }
  // The texts of the static text gadgets of the current layout, in layout order.
  std::vector<std::string> Texts() const;

  // Where the user areas of the current layout lie in the window, in layout order.
  std::vector<Rect> UserAreaFrames() const;

  // The user closing the window: closes it unless the plug-in's AskClose keeps it open.
  bool RequestClose();
  // The user pressing a command (a button, or 1 OK / 2 Cancel); the plug-in's answer.
  bool Command(int32_t commandId);
  // The window as the host shows it: background, group borders, texts and user areas as
  // they draw themselves. Empty when the window is not open.
  Bitmap Draw() const;

  // Layout calls while CreateLayout runs; false or null otherwise.
  bool SetTitle(const std::string& text);
  bool BeginGroup(int32_t groupId, int32_t flags, int32_t columns);
  bool SetBorder(int32_t border);
  bool EndGroup();
  Gadget* Add(Gadget::Kind kind, int32_t gadgetId, int32_t flags, Size minimum, const std::string& text = "");
  // The user-area gadget gadgetId of the layout being built; null when there is none.
  Gadget* FindUserArea(int32_t gadgetId) const;
  // The static text gadget of that serial in the current layout; null for anything else.
  Gadget* FindText(uint64_t serial) const;

  HstDialog Handle() { return reinterpret_cast<HstDialog>(this); }
  static Dialog* FromHandle(HstDialog d) { return reinterpret_cast<Dialog*>(d); }

private:
  bool BuildLayout();
  void DropLayout();
  void DrawGadget(Gadget& g, Bitmap& image) const;

  HstDialogCallbacks callbacks;
  HstPluginDialog self;
  bool open = false;
  bool building = false;
  int32_t id = 0, subid = 0;
  Size window;
  std::string title;
  std::unique_ptr<Gadget> root;
  std::vector<Gadget*> groups;  // the groups begun and not yet ended, root first
};

}  // namespace lensara
