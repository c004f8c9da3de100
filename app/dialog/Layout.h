// The gadgets of a dialog's layout and how they share the window: groups of columns and
// rows, user areas and static texts, sized by their minimum and their layout flags
// (HST_LAYOUT_...).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Canvas.h"

namespace lensara {

class UserArea;

// The space around a dialog's gadgets, between the cells of a group, and inside a group
// with a border (the border's two lines and a pixel of padding).
constexpr int32_t kDialogMargin = 4;
constexpr int32_t kCellSpacing = 4;
constexpr int32_t kBorderInset = 4;

struct Size {
  int32_t width = 0, height = 0;
};

struct Gadget {
  enum class Kind { Group, UserArea, StaticText };

  Kind kind = Kind::Group;
  uint64_t serial = 0; // unique in the process: handles of earlier layouts find nothing
  int32_t id = 0;
  int32_t flags = 0;
  Size minimum;
  // Groups: columns per row, a border style (0 none), the gadgets in row order.
  int32_t columns = 1;
  int32_t border = 0;
  std::vector<std::unique_ptr<Gadget>> children;
  std::string text;         // static texts
  UserArea* area = nullptr; // user areas: the attached area, or null
  Rect frame;               // where the layout placed it, window coordinates
};

// The smallest size of g: its minimum, its user area's, or a group's cells and insets.
Size MinimumSize(const Gadget& g);

// Places root (the dialog's top group, inset by kDialogMargin) and everything in it in a
// window of that size; spare room goes to the columns and rows holding scaling gadgets.
void PlaceGadgets(Gadget& root, Size window);

// Calls visit for g and every gadget in it, parents first.
template <class F>
void ForEachGadget(Gadget& g, const F& visit)
{
  visit(g);
  for (auto& child : g.children) ForEachGadget(*child, visit);
}

}  // namespace lensara
