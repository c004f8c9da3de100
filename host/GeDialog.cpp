#include "GeDialog.h"

namespace {

GeDialog* Dialog(HstPluginDialog self) { return reinterpret_cast<GeDialog*>(self); }
const BaseContainer& Msg(HstContainer msg) { return *BaseContainer::FromHandle(msg); }

HstBool CreateLayout(HstPluginDialog self) { return Dialog(self)->CreateLayout(); }
HstBool InitValues(HstPluginDialog self) { return Dialog(self)->InitValues(); }
HstBool CoreMessage(HstPluginDialog self, int32_t id, HstContainer msg) { return Dialog(self)->CoreMessage(id, Msg(msg)); }
HstBool Command(HstPluginDialog self, int32_t id, HstContainer msg) { return Dialog(self)->Command(id, Msg(msg)); }
HstBool AskClose(HstPluginDialog self) { return Dialog(self)->AskClose(); }
void Timer(HstPluginDialog self, HstContainer msg) { Dialog(self)->Timer(Msg(msg)); }
void DestroyWindow(HstPluginDialog self) { Dialog(self)->DestroyWindow(); }
int32_t Message(HstPluginDialog self, HstContainer msg, HstContainer result)
{
  return Dialog(self)->Message(Msg(msg), *BaseContainer::FromHandle(result));
}

const HstDialogCallbacks kCallbacks = {sizeof(HstDialogCallbacks), CreateLayout, InitValues, CoreMessage, Command,
                                       AskClose, Timer, DestroyWindow, Message};

HstGadget G(C4DGadget* gadget) { return reinterpret_cast<HstGadget>(gadget); }
C4DGadget* FromHandle(HstGadget gadget) { return reinterpret_cast<C4DGadget*>(gadget); }

}  // namespace

GeDialog::GeDialog() : handle(gC4DOS->dialog->alloc(&kCallbacks, reinterpret_cast<HstPluginDialog>(this))) {}

GeDialog::~GeDialog() { gC4DOS->dialog->free(handle); }

Bool GeDialog::CreateLayout() { return true; }

Bool GeDialog::InitValues() { return true; }

Bool GeDialog::CoreMessage(Int32, const BaseContainer&) { return true; }

Bool GeDialog::Command(Int32, const BaseContainer&) { return true; }

Bool GeDialog::AskClose() { return false; }

void GeDialog::Timer(const BaseContainer&) {}

void GeDialog::DestroyWindow() {}

Int32 GeDialog::Message(const BaseContainer&, BaseContainer&) { return 0; }

Bool GeDialog::SetTitle(const String& title) { return gC4DOS->dialog->set_title(handle, title.GetCString()); }

Bool GeDialog::GroupBegin(Int32 id, Int32 flags, Int32 cols, Int32 rows, const String& title, Int32 groupflags)
{
  return gC4DOS->dialog->group_begin(handle, id, flags, cols, rows, title.GetCString(), groupflags);
}

Bool GeDialog::GroupBorderNoTitle(Int32 borderstyle) { return gC4DOS->dialog->group_border_no_title(handle, borderstyle); }

Bool GeDialog::GroupEnd() { return gC4DOS->dialog->group_end(handle); }

C4DGadget* GeDialog::AddUserArea(Int32 id, Int32 flags, Int32 initw, Int32 inith)
{
  return FromHandle(gC4DOS->dialog->add_user_area(handle, id, flags, initw, inith));
}

Bool GeDialog::AttachUserArea(GeUserArea& ua, Int32 id, Int32 userareaflags)
{
  return gC4DOS->dialog->attach_user_area(handle, ua.Handle(), id, userareaflags);
}

C4DGadget* GeDialog::AddStaticText(Int32 id, Int32 flags, Int32 initw, Int32 inith, const String& name, Int32 borderstyle)
{
  return FromHandle(gC4DOS->dialog->add_static_text(handle, id, flags, initw, inith, name.GetCString(), borderstyle));
}

Bool GeDialog::SetString(C4DGadget* gadget, const String& text)
{
  return gC4DOS->dialog->set_string(handle, G(gadget), text.GetCString());
}

Bool GeDialog::IsOpen() const { return gC4DOS->dialog->is_open(handle); }

Bool GeDialog::Open(Int32 dlgtype, Int32 pluginid, Int32 xpos, Int32 ypos, Int32 defaultw, Int32 defaulth, Int32 subid)
{
  return gC4DOS->dialog->open(handle, dlgtype, pluginid, xpos, ypos, defaultw, defaulth, subid);
}

Bool GeDialog::Close() { return gC4DOS->dialog->close(handle); }
