// PluginVideoPost: a video post node of a render setting.
#pragma once

#include "BaseList2D.h"

class PluginVideoPost : public BaseList2D {
public:
  // A new video post of a registered class with its defaults, in no render settings;
  // null when no class of that id is registered or its plug-in cannot make the instance.
  static PluginVideoPost* Alloc(Int32 id);
  static void Free(PluginVideoPost*& vp) { FreeNode(vp); }

  PluginVideoPost* GetNext() const { return static_cast<PluginVideoPost*>(GeListNode::GetNext()); }
  PluginVideoPost* GetPred() const { return static_cast<PluginVideoPost*>(GeListNode::GetPred()); }
};
