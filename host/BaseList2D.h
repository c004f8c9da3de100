// Scene nodes. A pointer to any of these classes is a host handle: the classes have no
// storage of their own and every member forwards into the host function table.
#pragma once

#include "BaseContainer.h"
#include "DescID.h"
#include "GeData.h"
#include "String.h"
#include "Types.h"
#include "abi/HstNode.h"

class BaseDocument;

// Messages the plug-in sends to nodes: the node's data changed; a pass entry was added to
// render settings.
constexpr Int32 MSG_UPDATE = HST_MSG_UPDATE;
constexpr Int32 MSG_PASSES_CHANGED = HST_MSG_PASSES_CHANGED;

class C4DAtom {
public:
  // The node's type id.
  Int32 GetType() const;
  // Sends a message to the node; returns its answer.
  Bool Message(Int32 type, void* data = nullptr);
  Bool SetParameter(const DescID& id, const GeData& value, Int32 flags);
  Bool GetParameter(const DescID& id, GeData& value, Int32 flags) const;
  // A deep copy in no list, owned by the caller and released with the class's Free;
  // links in it keep referring to the same nodes. Null when memory is short.
  C4DAtom* GetClone(Int32 flags = 0, void* trans = nullptr) const;

  HstNode Handle() const;

  C4DAtom() = delete;
  ~C4DAtom() = delete;
};

class GeListNode : public C4DAtom {
public:
  // Neighbours in the node's list or tree; null when there is none.
  GeListNode* GetNext() const;
  GeListNode* GetPred() const;
  GeListNode* GetUp() const;
  GeListNode* GetDown() const;
  // Takes the node out of its list; the caller owns it afterwards (free or insert it).
  void Remove();
  // Inserts this node, which is in no list, right after pred in pred's list.
  Bool InsertAfter(GeListNode* pred);
  // The document the node is in, or null.
  BaseDocument* GetDocument() const;
};

class BaseList2D : public GeListNode {
public:
  // A new node of type with the host's defaults (for example 300001048, a pass entry),
  // owned by the caller; null for an unknown type or when memory is short.
  static BaseList2D* Alloc(Int32 type);
  // Destroys a node (unlinking it first if needed) and clears the pointer.
  static void Free(BaseList2D*& node);

  // The node's live data container, owned by the node.
  BaseContainer* GetDataInstance();
  const BaseContainer* GetDataInstance() const;
  // A copy of the node's container, owned by the caller (BaseContainer::Free); null when
  // memory is short.
  BaseContainer* GetDataClone() const;
  // Writes bc into the node's container: key by key, keeping the others, when merge is
  // set; otherwise the container becomes a copy of bc.
  Bool SetData(const BaseContainer* bc, Bool merge = true);
  String GetName() const;
  void SetName(const String& name);
};

// The handle of a node that may be null.
inline HstNode HandleOf(const C4DAtom* n) { return n ? n->Handle() : nullptr; }

// Typed access shared by the node classes: T's handle of n, and freeing a T.
template <class T>
T* NodeCast(HstNode n)
{
  return reinterpret_cast<T*>(n);
}

template <class T>
void FreeNode(T*& node)
{
  if (!node) return;
  gC4DOS->node->free(node->Handle());
  node = nullptr;
}
