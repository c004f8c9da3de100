// Custom data kept in containers and values: in/exclude lists (1009290) and gradients
// (1000481). A pointer to one is a host handle to storage inside a container or a
// GeData, valid as long as that value is not replaced.
#pragma once

#include "GradientKnot.h"
#include "Types.h"
#include "Vector.h"
#include "abi/HstHandles.h"

class BaseDocument;
class BaseList2D;

constexpr Int32 CUSTOMDATATYPE_INEXCLUDE_LIST = HST_DATA_INEXCLUDE;
constexpr Int32 CUSTOMDATATYPE_GRADIENT = HST_DATA_GRADIENT;

class CustomDataType {
public:
  CustomDataType() = delete;
  ~CustomDataType() = delete;
};

class InExcludeData : public CustomDataType {
public:
  Int32 GetObjectCount() const;
  // Entry index resolved in doc: null when out of range or not in that document.
  BaseList2D* ObjectFromIndex(const BaseDocument* doc, Int32 index) const;
  Int32 GetFlags(Int32 index) const;
  // Lists the node after the last entry; a listed node keeps its place and takes flags.
  Bool InsertObject(BaseList2D* node, Int32 flags);
  Bool DeleteObject(Int32 index);

  HstInExclude Handle() const;
  static InExcludeData* FromHandle(HstInExclude l) { return reinterpret_cast<InExcludeData*>(l); }
};

class Gradient : public CustomDataType {
public:
  Int32 GetKnotCount() const;
  // Knot index; a zero knot when out of range.
  GradientKnot GetKnot(Int32 index) const;
  // Adds a knot after the last; its index, or -1.
  Int32 InsertKnot(const Vector& col, Float brightness, Float pos, Float bias, Int32 index);
  Bool RemoveKnot(Int32 index);

  HstGradient Handle() const;
  static Gradient* FromHandle(HstGradient g) { return reinterpret_cast<Gradient*>(g); }
};
