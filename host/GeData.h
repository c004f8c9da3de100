// GeData: one typed host value (a long, a real, a string...), owned by the host.
#pragma once

#include "Binding.h"
#include "String.h"
#include "Types.h"

class GeData {
public:
  GeData();
  GeData(Int32 v);
  GeData(Float v);
  GeData(const String& v);
  GeData(const GeData& other);
  GeData& operator=(const GeData& other);
  ~GeData();

  // A view of a value the host owns, for the duration of a host call.
  struct Borrowed {};
  GeData(HstData value, Borrowed);

  // The type code: 0 none, 15 long, 19 real, 130 string.
  Int32 GetType() const;
  // The value converted: a real truncates toward zero, other types read as 0 or "".
  Int32 GetLong() const;
  Float GetReal() const;
  Bool GetBool() const { return GetLong() != 0; }
  String GetString() const;

  void SetLong(Int32 v);
  void SetReal(Float v);

  HstData Handle() const { return handle; }

private:
  HstData handle;
  bool owned;
};
