#include "UserArea.h"

#include "app/core/Container.h"

namespace lensara {

UserArea::~UserArea() { Detach(); }

void UserArea::Attach(Gadget& g)
{
  Detach();
  if (g.area) g.area->Detach();
  gadget = &g;
  g.area = this;
}

void UserArea::Detach()
{
  if (gadget) gadget->area = nullptr;
  gadget = nullptr;
}

Size UserArea::MinimumSize() const
{
  Size size;
  if (!callbacks.get_min_size(self, &size.width, &size.height)) return {};
  return size;
}

void UserArea::Placed()
{
  callbacks.init(self);
  callbacks.sized(self, gadget->frame.width, gadget->frame.height);
}

void UserArea::Draw(Bitmap& window)
{
  Canvas drawing(window, gadget->frame);
  Container msg;
  canvas = &drawing;
  callbacks.draw_msg(self, 0, 0, gadget->frame.width - 1, gadget->frame.height - 1, reinterpret_cast<HstContainer>(&msg));
  canvas = nullptr;
}

}  // namespace lensara
