// The host's record of a plug-in's user area: the gadget it is attached to and the canvas
// its drawing calls go to while it draws.
#pragma once

#include "Canvas.h"
#include "Layout.h"
#include "host/abi/HstDialog.h"

namespace lensara {

class UserArea {
public:
  UserArea(const HstUserAreaCallbacks& callbacks, HstPluginUserArea self) : callbacks(callbacks), self(self) {}
  // Detaches the area from its gadget.
  ~UserArea();
  UserArea(const UserArea&) = delete;
  UserArea& operator=(const UserArea&) = delete;

  // Lets the area draw gadget (a user area of a layout), taking it from any other area.
  void Attach(Gadget& gadget);
  void Detach();
  bool Attached() const { return gadget != nullptr; }

  // What the plug-in asks for: its minimum size; after the layout, init and the size given.
  Size MinimumSize() const;
  void Placed();
  // Has the plug-in draw the whole gadget into window.
  void Draw(Bitmap& window);

  // The canvas of the draw under way; null outside Draw.
  Canvas* Drawing() const { return canvas; }
  HstUserArea Handle() { return reinterpret_cast<HstUserArea>(this); }
  static UserArea* FromHandle(HstUserArea a) { return reinterpret_cast<UserArea*>(a); }

private:
  HstUserAreaCallbacks callbacks;
  HstPluginUserArea self;
  Gadget* gadget = nullptr;
  Canvas* canvas = nullptr;
};

}  // namespace lensara
