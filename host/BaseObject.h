// Objects of a document: a tree of placed nodes, each with its tags.
#pragma once

#include "BaseList2D.h"
#include "Vector.h"

class BaseTag;

class BaseObject : public BaseList2D {
public:
  // A new object of type (5102 light, 5160 sphere, ...) with the host's defaults, in no
  // document; null for an unknown type or when memory is short.
  static BaseObject* Alloc(Int32 type);
  static void Free(BaseObject*& op) { FreeNode(op); }

  BaseObject* GetNext() const { return static_cast<BaseObject*>(GeListNode::GetNext()); }
  BaseObject* GetPred() const { return static_cast<BaseObject*>(GeListNode::GetPred()); }
  BaseObject* GetUp() const { return static_cast<BaseObject*>(GeListNode::GetUp()); }
  BaseObject* GetDown() const { return static_cast<BaseObject*>(GeListNode::GetDown()); }
  // Inserts this object, which is in no list, as the first child of parent.
  Bool InsertUnder(BaseObject* parent);

  // The first tag, the nr-th tag of type (null when there is none), and inserting a tag
  // that is in no list after pred (first when pred is null).
  BaseTag* GetFirstTag() const;
  BaseTag* GetTag(Int32 type, Int32 nr = 0) const;
  Bool InsertTag(BaseTag* tag, BaseTag* pred = nullptr);

  // The matrix in the world and relative to the parent. SetMg keeps the object where the
  // matrix puts it in the world whatever its parent.
  Matrix GetMg() const;
  void SetMg(const Matrix& m);
  Matrix GetMl() const;
  void SetMl(const Matrix& m);
  // Position, rotation (heading, pitch, bank in radians) and scale relative to the parent.
  Vector GetAbsPos() const;
  void SetAbsPos(const Vector& v);
  Vector GetAbsRot() const;
  void SetAbsRot(const Vector& v);
  Vector GetAbsScale() const;
  void SetAbsScale(const Vector& v);
};
