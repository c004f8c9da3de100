// GeUserArea: a gadget the plug-in draws itself. The host calls the virtual members; what
// a class does not override keeps the base behaviour. The drawing members work only while
// the host has the area draw (inside Draw).
#pragma once

#include "BaseBitmap.h"
#include "BaseContainer.h"
#include "Types.h"
#include "abi/HstDialog.h"

class GeUserArea {
public:
  // Gets its host record; when memory is short it has none, and every call does nothing.
  GeUserArea();
  virtual ~GeUserArea();
  GeUserArea(const GeUserArea&) = delete;
  GeUserArea& operator=(const GeUserArea&) = delete;

  // When the area is attached to a laid-out gadget. Base: true.
  virtual Bool Init();
  // Base: true.
  virtual Bool InitValues();
  // The smallest size the area needs. Base: asks for nothing (false).
  virtual Bool GetMinSize(Int32& w, Int32& h);
  // The size the layout gave the area. Base: nothing.
  virtual void Sized(Int32 w, Int32 h);
  // The host's drawing request. Base: Draw.
  virtual void DrawMsg(Int32 x1, Int32 y1, Int32 x2, Int32 y2, const BaseContainer& msg);
  // Draws x1, y1 .. x2, y2 (inclusive). Base: paints it in the host's background colour.
  virtual void Draw(Int32 x1, Int32 y1, Int32 x2, Int32 y2);
  // Input, core messages, timer and other messages. Base: not handled (false), nothing.
  virtual Bool InputEvent(const BaseContainer& msg);
  virtual Bool CoreMessage(Int32 id, const BaseContainer& msg);
  virtual void Timer(const BaseContainer& msg);
  virtual Int32 Message(const BaseContainer& msg, BaseContainer& result);

  // Asks the host to draw the area again later; nothing when it is in no open window.
  void Redraw(Bool threaded = false);
  // Drawing, inside Draw: double buffering, the clipping rectangle, and the rectangle
  // wx, wy, ww x wh of bm copied onto x, y, w x h (mode 0).
  Bool OffScreenOn();
  void SetClippingRegion(Int32 x, Int32 y, Int32 w, Int32 h);
  void DrawBitmap(BaseBitmap* bm, Int32 wx, Int32 wy, Int32 ww, Int32 wh, Int32 x, Int32 y, Int32 w, Int32 h,
                  Int32 mode);

  HstUserArea Handle() const { return handle; }

private:
  HstUserArea handle;
};
