// Scene nodes. A pointer to any of these classes is a host handle: the classes have no
// storage of their own and every member forwards into the host function table.
#pragma once

#include "BaseContainer.h"
#include "DescID.h"
#include "GeData.h"
#include "String.h"
#include "Types.h"

class C4DAtom {
public:
  // The node's type id.
  Int32 GetType() const;
  // Sends a message to the node; returns its answer.
  Bool Message(Int32 type, void* data = nullptr);
  Bool SetParameter(const DescID& id, const GeData& value, Int32 flags);
  Bool GetParameter(const DescID& id, GeData& value, Int32 flags) const;

  HstNode Handle() const;

  C4DAtom() = delete;
  ~C4DAtom() = delete;
};

class GeListNode : public C4DAtom {
public:
  static GeListNode* FromHandle(HstNode n) { return reinterpret_cast<GeListNode*>(n); }
};

class BaseList2D : public GeListNode {
public:
  // The node's live data container, owned by the node.
  BaseContainer* GetDataInstance();
  const BaseContainer* GetDataInstance() const;
  String GetName() const;
  void SetName(const String& name);
};
