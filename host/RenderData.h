// Render settings: their data container (keys/RenderDataKeys.h), their video
// posts and their pass entries.
#pragma once

#include "BaseList2D.h"
#include "PluginVideoPost.h"

// A pass entry (node type 300001048, key 1000 the pass type).
class MultipassObject : public BaseList2D {
public:
  MultipassObject* GetNext() const { return static_cast<MultipassObject*>(GeListNode::GetNext()); }
};

class RenderData : public BaseList2D {
public:
  // New render settings with the host's defaults, in no document.
  static RenderData* Alloc();
  static void Free(RenderData*& rd) { FreeNode(rd); }

  RenderData* GetNext() const { return static_cast<RenderData*>(GeListNode::GetNext()); }

  // The first video post or pass entry, and inserting one that is in no list after pred
  // (first when pred is null).
  PluginVideoPost* GetFirstVideoPost() const;
  Bool InsertVideoPost(PluginVideoPost* vp, PluginVideoPost* pred = nullptr);
  MultipassObject* GetFirstMultipass() const;
  Bool InsertMultipass(BaseList2D* pass, BaseList2D* pred = nullptr);
};
