#include "GeData.h"

#include "BaseDocument.h"

GeData::GeData() : handle(gC4DOS->data->alloc()), owned(true) {}

GeData::GeData(Int32 v) : GeData() { SetLong(v); }

GeData::GeData(Float v) : GeData() { SetReal(v); }

GeData::GeData(const String& v) : GeData() { SetString(v); }

GeData::GeData(const Vector& v) : GeData() { SetVector(v); }

GeData::GeData(const Matrix& v) : GeData() { SetMatrix(v); }

GeData::GeData(const BaseContainer& v) : GeData() { SetContainer(v); }

GeData::GeData(Int32 type, const CustomDataType& v) : GeData() { SetCustomDataType(type, &v); }

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

void GeData::SetString(const String& v) { gC4DOS->data->set_string(handle, v.GetCString()); }

Vector GeData::GetVector() const { return Vector(gC4DOS->data->get_vector(handle)); }

Matrix GeData::GetMatrix() const { return Matrix(gC4DOS->data->get_matrix(handle)); }

BaseList2D* GeData::GetLink(const BaseDocument* doc) const
{
  return NodeCast<BaseList2D>(gC4DOS->data->get_link(handle, HandleOf(doc)));
}

BaseContainer* GeData::GetContainer() const { return BaseContainer::FromHandle(gC4DOS->data->get_container(handle)); }

CustomDataType* GeData::GetCustomDataType(Int32 type) const
{
  if (type == CUSTOMDATATYPE_INEXCLUDE_LIST) return InExcludeData::FromHandle(gC4DOS->data->get_inexclude(handle));
  if (type == CUSTOMDATATYPE_GRADIENT) return Gradient::FromHandle(gC4DOS->data->get_gradient(handle));
  return nullptr;
}

void GeData::SetVector(const Vector& v) { gC4DOS->data->set_vector(handle, v.ToHst()); }

void GeData::SetMatrix(const Matrix& v) { gC4DOS->data->set_matrix(handle, v.ToHst()); }

void GeData::SetContainer(const BaseContainer& v) { gC4DOS->data->set_container(handle, v.Handle()); }

void GeData::SetBaseList2D(BaseList2D* node) { gC4DOS->data->set_link(handle, HandleOf(node)); }

void GeData::SetCustomDataType(Int32 type, const CustomDataType* v)
{
  if (type == CUSTOMDATATYPE_INEXCLUDE_LIST)
    gC4DOS->data->set_inexclude(handle, v ? static_cast<const InExcludeData*>(v)->Handle() : nullptr);
  else if (type == CUSTOMDATATYPE_GRADIENT)
    gC4DOS->data->set_gradient(handle, v ? static_cast<const Gradient*>(v)->Handle() : nullptr);
}
