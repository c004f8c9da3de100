// BaseContainer: an ordered key -> value map kept by the host.
//
// A BaseContainer pointer is a host handle: containers come from Alloc or GetClone
// (owned by the caller, released with Free) or from a node's GetDataInstance (owned by
// the node). Typed getters return the preset when the key is absent.
#pragma once

#include "GeData.h"
#include "Types.h"

class BaseContainer {
public:
  static BaseContainer* Alloc();
  static void Free(BaseContainer*& bc);
  // A deep copy owned by the caller; null when memory is short.
  BaseContainer* GetClone() const;
  // Makes dst a copy of this container.
  void CopyTo(BaseContainer* dst) const;

  Bool GetBool(Int32 id, Bool preset = false) const;
  Int32 GetLong(Int32 id, Int32 preset = 0) const;
  Float GetReal(Int32 id, Float preset = 0.0) const;
  // The value at id; a value of type 0 when absent.
  GeData GetData(Int32 id) const;

  void SetBool(Int32 id, Bool v);
  void SetLong(Int32 id, Int32 v);
  void SetReal(Int32 id, Float v);
  void SetData(Int32 id, const GeData& v);
  // Removes id; false when it was absent.
  Bool RemoveData(Int32 id);

  // The number of keys and the key at index, in order.
  Int32 GetCount() const;
  Int32 GetIndexId(Int32 index) const;

  HstContainer Handle() const;
  static BaseContainer* FromHandle(HstContainer c);

  BaseContainer() = delete;
  ~BaseContainer() = delete;
};
