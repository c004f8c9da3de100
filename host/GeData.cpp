#include "GeData.h"

GeData::GeData() : handle(gC4DOS->data->alloc()), owned(true) {}

GeData::GeData(Int32 v) : GeData() { SetLong(v); }

GeData::GeData(Float v) : GeData() { SetReal(v); }

GeData::GeData(const String& v) : GeData() { gC4DOS->data->set_string(handle, v.GetCString()); }

GeData::GeData(const GeData& other) : GeData() { gC4DOS->data->copy(handle, other.handle); }

GeData::GeData(HstData value, Borrowed) : handle(value), owned(false) {}

GeData& GeData::operator=(const GeData& other)
{
  if (this != &other) gC4DOS->data->copy(handle, other.handle);
  return *this;
}

GeData::~GeData()
{
  if (owned) gC4DOS->data->free(handle);
}

Int32 GeData::GetType() const { return gC4DOS->data->type(handle); }

Int32 GeData::GetLong() const { return gC4DOS->data->get_long(handle); }

Float GeData::GetReal() const { return gC4DOS->data->get_real(handle); }

String GeData::GetString() const { return String(gC4DOS->data->get_string(handle)); }

void GeData::SetLong(Int32 v) { gC4DOS->data->set_long(handle, v); }

void GeData::SetReal(Float v) { gC4DOS->data->set_real(handle, v); }
