// GeData: one typed host value (a long, a real, a string, a vector, a matrix, a link, a
// container or custom data), owned by the host.
#pragma once

#include "Binding.h"
#include "CustomData.h"
#include "String.h"
#include "Types.h"
#include "Vector.h"

class BaseContainer;
class BaseDocument;
class BaseList2D;

constexpr Int32 DA_NIL = HST_DATA_NONE;
constexpr Int32 DA_LONG = HST_DATA_LONG;
constexpr Int32 DA_REAL = HST_DATA_REAL;
constexpr Int32 DA_VECTOR = HST_DATA_VECTOR;
constexpr Int32 DA_MATRIX = HST_DATA_MATRIX;
constexpr Int32 DA_STRING = HST_DATA_STRING;
constexpr Int32 DA_CONTAINER = HST_DATA_CONTAINER;
constexpr Int32 DA_ALIASLINK = HST_DATA_LINK;

class GeData {
public:
  GeData();
  GeData(Int32 v);
  GeData(Float v);
  GeData(const String& v);
  GeData(const Vector& v);
  GeData(const Matrix& v);
  GeData(const BaseContainer& v);
  // A copy of custom data of type (CUSTOMDATATYPE_...).
  GeData(Int32 type, const CustomDataType& v);
  GeData(const GeData& other);
  GeData& operator=(const GeData& other);
  ~GeData();

  // A view of a value the host owns, for the duration of a host call.
  struct Borrowed {};
  GeData(HstData value, Borrowed);

  // The type code (DA_... or a custom data type).
  Int32 GetType() const;
  // The value converted: a real truncates toward zero, other types read as 0 or "".
  Int32 GetLong() const;
  Float GetReal() const;
  Bool GetBool() const { return GetLong() != 0; }
  String GetString() const;
  // The vector or matrix held; zero, or the identity, for other types.
  Vector GetVector() const;
  Matrix GetMatrix() const;
  // The linked node in doc, or null when this is no link, the link is empty or the node
  // is not in doc.
  BaseList2D* GetLink(const BaseDocument* doc) const;
  // The container or custom data of type held, changeable in place while this value is
  // not reassigned; null when the value holds another type.
  BaseContainer* GetContainer() const;
  CustomDataType* GetCustomDataType(Int32 type) const;

  void SetLong(Int32 v);
  void SetReal(Float v);
  void SetString(const String& v);
  void SetVector(const Vector& v);
  void SetMatrix(const Matrix& v);
  void SetContainer(const BaseContainer& v);
  // A link to node (null: an empty link).
  void SetBaseList2D(BaseList2D* node);
  // Copies custom data of type; with null an empty list or gradient of type.
  void SetCustomDataType(Int32 type, const CustomDataType* v);

  HstData Handle() const { return handle; }

private:
  HstData handle;
  bool owned;
};
