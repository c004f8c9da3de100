// GeDialog: a window the plug-in lays out and the host shows. The host calls the virtual
// members (CreateLayout when the window opens, Command for its commands, ...); what a
// class does not override keeps the base behaviour.
#pragma once

#include "BaseContainer.h"
#include "GeUserArea.h"
#include "String.h"
#include "Types.h"
#include "abi/HstDialog.h"

// A gadget of a dialog's layout; a pointer to one is the host's handle, valid until the
// window closes. Calls with a gadget of an earlier layout do nothing.
class C4DGadget {
public:
  C4DGadget() = delete;
  ~C4DGadget() = delete;
};

constexpr Int32 DLG_TYPE_ASYNC = HST_DIALOG_ASYNC;
constexpr Int32 BFH_SCALEFIT = HST_LAYOUT_FIT_H | HST_LAYOUT_SCALE_H;
constexpr Int32 BFV_SCALEFIT = HST_LAYOUT_FIT_V | HST_LAYOUT_SCALE_V;
constexpr Int32 BFV_TOP = HST_LAYOUT_TOP;
constexpr Int32 BORDER_THIN_IN = 1;
// The host's OK and Cancel commands.
constexpr Int32 IDC_OK = 1;
constexpr Int32 IDC_CANCEL = 2;

class GeDialog {
public:
  // Gets its host record; when memory is short it has none, and every call does nothing
  // (Open answers false).
  GeDialog();
  virtual ~GeDialog();
  GeDialog(const GeDialog&) = delete;
  GeDialog& operator=(const GeDialog&) = delete;

  // Builds the layout when the window opens. Base: true.
  virtual Bool CreateLayout();
  // Base: true.
  virtual Bool InitValues();
  // Base: true.
  virtual Bool CoreMessage(Int32 id, const BaseContainer& msg);
  // A command of a gadget or key (IDC_OK, IDC_CANCEL). Base: true.
  virtual Bool Command(Int32 id, const BaseContainer& msg);
  // Before the user closes the window: true keeps it open. Base: false.
  virtual Bool AskClose();
  // Base: nothing.
  virtual void Timer(const BaseContainer& msg);
  // The window has closed. Base: nothing.
  virtual void DestroyWindow();
  // Base: 0.
  virtual Int32 Message(const BaseContainer& msg, BaseContainer& result);

  // Layout, inside CreateLayout.
  Bool SetTitle(const String& title);
  Bool GroupBegin(Int32 id, Int32 flags, Int32 cols, Int32 rows, const String& title, Int32 groupflags);
  Bool GroupBorderNoTitle(Int32 borderstyle);
  Bool GroupEnd();
  C4DGadget* AddUserArea(Int32 id, Int32 flags, Int32 initw = 0, Int32 inith = 0);
  Bool AttachUserArea(GeUserArea& ua, Int32 id, Int32 userareaflags = 0);
  C4DGadget* AddStaticText(Int32 id, Int32 flags, Int32 initw, Int32 inith, const String& name, Int32 borderstyle);

  // The text of a text gadget of the current layout; nothing for another gadget.
  Bool SetString(C4DGadget* gadget, const String& text);

  Bool IsOpen() const;
  // Opens the window (DLG_TYPE_ASYNC: non-modal); position -1, -1 lets the host place it.
  Bool Open(Int32 dlgtype, Int32 pluginid, Int32 xpos = -1, Int32 ypos = -1, Int32 defaultw = 0, Int32 defaulth = 0,
            Int32 subid = 0);
  // Closes the window; the object stays and can open again.
  Bool Close();

private:
  HstDialog handle;
};
