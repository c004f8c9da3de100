#include "Dialog.h"

#include <algorithm>
#include <mutex>

#include "UserArea.h"
#include "app/core/Container.h"

namespace lensara {

namespace {

std::vector<Dialog*>& AllDialogs()
{
  static std::vector<Dialog*> dialogs;
  return dialogs;
}

// Guards the list: nodes copied on a render thread make and free their dialogs there.
std::mutex dialogList;

uint64_t nextSerial = 0;

HstContainer Message(Container& msg) { return reinterpret_cast<HstContainer>(&msg); }

}  // namespace

Dialog::Dialog(const HstDialogCallbacks& callbacks, HstPluginDialog self) : callbacks(callbacks), self(self)
{
  std::lock_guard<std::mutex> lock(dialogList);
  AllDialogs().push_back(this);
}

Dialog::~Dialog()
{
  DropLayout();
  std::lock_guard<std::mutex> lock(dialogList);
  auto& all = AllDialogs();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

std::vector<Dialog*> Dialog::OpenDialogs()
{
  std::vector<Dialog*> found;
  std::lock_guard<std::mutex> lock(dialogList);
  for (Dialog* d : AllDialogs())
    if (d->open) found.push_back(d);
  return found;
}

bool Dialog::Open(int32_t type, int32_t dialogId, int32_t, int32_t, int32_t width, int32_t height, int32_t subId)
{
  if (open) return true;
  if (type != HST_DIALOG_ASYNC || !BuildLayout()) return false;
  Size minimum = MinimumSize(*root);
  window = {std::max(width, minimum.width + 2 * kDialogMargin), std::max(height, minimum.height + 2 * kDialogMargin)};
  PlaceGadgets(*root, window);
  ForEachGadget(*root, [](Gadget& g) {
    if (g.area) g.area->Placed();
  });
  id = dialogId;
  subid = subId;
  open = true;
  callbacks.init_values(self);
  return open;
}

bool Dialog::BuildLayout()
{
  DropLayout();
  title.clear();
  root = std::make_unique<Gadget>();
  root->flags = HST_LAYOUT_FIT_H | HST_LAYOUT_SCALE_H | HST_LAYOUT_FIT_V | HST_LAYOUT_SCALE_V;
  groups = {root.get()};
  building = true;
  bool built = callbacks.create_layout(self);
  building = false;
  groups.clear();
  if (!built) DropLayout();
  return built && root;
}

void Dialog::DropLayout()
{
  if (root) ForEachGadget(*root, [](Gadget& g) {
      if (g.area) g.area->Detach();
    });
  root.reset();
}

bool Dialog::Close()
{
  if (!open) return false;
  open = false;
  DropLayout();
  callbacks.destroy_window(self);
  return true;
}

std::vector<std::string> Dialog::Texts() const
{
  std::vector<std::string> texts;
  if (root) ForEachGadget(*root, [&texts](Gadget& g) {
      if (g.kind == Gadget::Kind::StaticText) texts.push_back(g.text);
    });
  return texts;
}

bool Dialog::RequestClose()
{
  return open && !callbacks.ask_close(self) && Close();
}

bool Dialog::Command(int32_t commandId)
{
  Container msg;
  return callbacks.command(self, commandId, Message(msg));
}

Bitmap Dialog::Draw() const
{
  if (!open) return Bitmap();
  Bitmap image(window.width, window.height);
  Canvas(image, {0, 0, window.width, window.height}).Fill({0, 0, window.width, window.height}, kBackground);
  DrawGadget(*root, image);
  return image;
}

void Dialog::DrawGadget(Gadget& g, Bitmap& image) const
{
  Canvas canvas(image, g.frame);
  int32_t w = g.frame.width, h = g.frame.height;
  if (g.kind == Gadget::Kind::Group && g.border) {
    for (auto [inset, colour] : {std::pair{0, kBorderDark}, std::pair{1, kBorderLight}}) {
      canvas.Fill({inset, inset, w - 2 * inset, 1}, colour);
      canvas.Fill({inset, h - 1 - inset, w - 2 * inset, 1}, colour);
      canvas.Fill({inset, inset, 1, h - 2 * inset}, colour);
      canvas.Fill({w - 1 - inset, inset, 1, h - 2 * inset}, colour);
    }
  }
  if (g.kind == Gadget::Kind::StaticText) canvas.Text(0, 0, g.text, kTextColour);
  if (g.area) g.area->Draw(image);
  for (auto& child : g.children) DrawGadget(*child, image);
}

bool Dialog::SetTitle(const std::string& text)
{
  if (!building) return false;
  title = text;
  return true;
}

bool Dialog::BeginGroup(int32_t groupId, int32_t flags, int32_t columns)
{
  Gadget* group = Add(Gadget::Kind::Group, groupId, flags, {});
  if (!group) return false;
  group->columns = columns;
  groups.push_back(group);
  return true;
}

bool Dialog::SetBorder(int32_t border)
{
  if (!building) return false;
  groups.back()->border = border;
  return true;
}

bool Dialog::EndGroup()
{
  if (!building || groups.size() < 2) return false;
  groups.pop_back();
  return true;
}

Gadget* Dialog::Add(Gadget::Kind kind, int32_t gadgetId, int32_t flags, Size minimum, const std::string& text)
{
  if (!building) return nullptr;
  auto gadget = std::make_unique<Gadget>();
  gadget->kind = kind;
  gadget->serial = ++nextSerial;
  gadget->id = gadgetId;
  gadget->flags = flags;
  gadget->minimum = minimum;
  gadget->text = text;
  groups.back()->children.push_back(std::move(gadget));
  return groups.back()->children.back().get();
}

Gadget* Dialog::FindUserArea(int32_t gadgetId) const
{
  Gadget* found = nullptr;
  if (building) ForEachGadget(*root, [&](Gadget& g) {
      if (!found && g.kind == Gadget::Kind::UserArea && g.id == gadgetId) found = &g;
    });
  return found;
}

std::vector<Rect> Dialog::UserAreaFrames() const
{
  std::vector<Rect> frames;
  if (root) ForEachGadget(*root, [&](Gadget& g) {
      if (g.kind == Gadget::Kind::UserArea) frames.push_back(g.frame);
    });
  return frames;
}

Gadget* Dialog::FindText(uint64_t serial) const
{
  Gadget* found = nullptr;
  if (root) ForEachGadget(*root, [&](Gadget& g) {
      if (g.serial == serial && g.kind == Gadget::Kind::StaticText) found = &g;
    });
  return found;
}

}  // namespace lensara
