// Tags of an object, and the texture tag that gives an object its material.
#pragma once

#include "BaseList2D.h"

class BaseMaterial;

class BaseTag : public BaseList2D {
public:
  // A new tag of type (5616 texture, 5637 compositing, 5676 target, 1017874 hair light)
  // with the host's defaults, on no object; null for an unknown type or when memory is short.
  static BaseTag* Alloc(Int32 type);
  static void Free(BaseTag*& tag) { FreeNode(tag); }

  BaseTag* GetNext() const { return static_cast<BaseTag*>(GeListNode::GetNext()); }
  BaseTag* GetPred() const { return static_cast<BaseTag*>(GeListNode::GetPred()); }
};

class TextureTag : public BaseTag {
public:
  static TextureTag* Alloc();
  static void Free(TextureTag*& tag) { FreeNode(tag); }

  // Links the material (null: no material).
  void SetMaterial(BaseMaterial* mat);
  // The linked material resolved in the tag's own document: null when the tag is in no
  // document or the material is not in it.
  BaseMaterial* GetMaterial() const;
};
