// BaseContainer: an ordered key -> value map kept by the host.
//
// A BaseContainer pointer is a host handle: containers come from Alloc or GetClone
// (owned by the caller, released with Free) or from a node's GetDataInstance (owned by
// the node). Typed getters return the preset when the key is absent.
#pragma once

#include "CustomData.h"
#include "GeData.h"
#include "Types.h"
#include "Vector.h"

class BaseDocument;
class BaseList2D;

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
  Vector GetVector(Int32 id, const Vector& preset = Vector()) const;
  Matrix GetMatrix(Int32 id, const Matrix& preset = Matrix()) const;
  String GetString(Int32 id, const String& preset = String()) const;
  // The node linked at id, resolved in doc; null when absent, empty or not in doc.
  BaseList2D* GetLink(Int32 id, const BaseDocument* doc) const;
  // The value at id; a value of type 0 when absent.
  GeData GetData(Int32 id) const;
  // The container or custom data of type at id in place, owned by this container and
  // valid until id is set again or a key is removed; null when absent or of another type.
  BaseContainer* GetContainerInstance(Int32 id);
  const BaseContainer* GetContainerInstance(Int32 id) const;
  CustomDataType* GetCustomDataType(Int32 id, Int32 type);
  const CustomDataType* GetCustomDataType(Int32 id, Int32 type) const;

  void SetBool(Int32 id, Bool v);
  void SetLong(Int32 id, Int32 v);
  void SetReal(Int32 id, Float v);
  void SetVector(Int32 id, const Vector& v) { SetData(id, GeData(v)); }
  void SetMatrix(Int32 id, const Matrix& v) { SetData(id, GeData(v)); }
  void SetString(Int32 id, const String& v) { SetData(id, GeData(v)); }
  void SetContainer(Int32 id, const BaseContainer& v) { SetData(id, GeData(v)); }
  // A link to node at id (null: an empty link).
  void SetLink(Int32 id, BaseList2D* node);
  void SetData(Int32 id, const GeData& v);
  // Removes id; false when it was absent.
  Bool RemoveData(Int32 id);

  // Sets every key of src in this container, keeping keys src does not hold.
  void MergeContainer(const BaseContainer& src);

  // The number of keys and the key at index, in order.
  Int32 GetCount() const;
  Int32 GetIndexId(Int32 index) const;

  HstContainer Handle() const;
  static BaseContainer* FromHandle(HstContainer c);

  BaseContainer() = delete;
  ~BaseContainer() = delete;
};
