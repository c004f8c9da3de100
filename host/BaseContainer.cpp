#include "BaseContainer.h"

#include "BaseDocument.h"

HstContainer BaseContainer::Handle() const
{
  return reinterpret_cast<HstContainer>(const_cast<BaseContainer*>(this));
}

BaseContainer* BaseContainer::FromHandle(HstContainer c) { return reinterpret_cast<BaseContainer*>(c); }

BaseContainer* BaseContainer::Alloc() { return FromHandle(gC4DOS->container->alloc()); }

void BaseContainer::Free(BaseContainer*& bc)
{
  if (!bc) return;
  gC4DOS->container->free(bc->Handle());
  bc = nullptr;
}

BaseContainer* BaseContainer::GetClone() const
{
  BaseContainer* clone = Alloc();
  if (clone) CopyTo(clone);
  return clone;
}

void BaseContainer::CopyTo(BaseContainer* dst) const { gC4DOS->container->copy(dst->Handle(), Handle()); }

Bool BaseContainer::GetBool(Int32 id, Bool preset) const { return GetLong(id, preset) != 0; }

Int32 BaseContainer::GetLong(Int32 id, Int32 preset) const
{
  return gC4DOS->container->get_long(Handle(), id, preset);
}

Float BaseContainer::GetReal(Int32 id, Float preset) const
{
  return gC4DOS->container->get_real(Handle(), id, preset);
}

GeData BaseContainer::GetData(Int32 id) const
{
  GeData value;
  gC4DOS->container->get_data(Handle(), id, value.Handle());
  return value;
}

void BaseContainer::SetBool(Int32 id, Bool v) { SetLong(id, v ? 1 : 0); }

void BaseContainer::SetLong(Int32 id, Int32 v) { gC4DOS->container->set_long(Handle(), id, v); }

void BaseContainer::SetReal(Int32 id, Float v) { gC4DOS->container->set_real(Handle(), id, v); }

void BaseContainer::SetData(Int32 id, const GeData& v) { gC4DOS->container->set_data(Handle(), id, v.Handle()); }

Bool BaseContainer::RemoveData(Int32 id) { return gC4DOS->container->remove(Handle(), id); }

Int32 BaseContainer::GetCount() const { return gC4DOS->container->count(Handle()); }

Int32 BaseContainer::GetIndexId(Int32 index) const { return gC4DOS->container->key_at(Handle(), index); }

Vector BaseContainer::GetVector(Int32 id, const Vector& preset) const
{
  GeData value = GetData(id);
  return value.GetType() == DA_VECTOR ? value.GetVector() : preset;
}

Matrix BaseContainer::GetMatrix(Int32 id, const Matrix& preset) const
{
  GeData value = GetData(id);
  return value.GetType() == DA_MATRIX ? value.GetMatrix() : preset;
}

String BaseContainer::GetString(Int32 id, const String& preset) const
{
  GeData value = GetData(id);
  return value.GetType() == DA_STRING ? value.GetString() : preset;
}

BaseList2D* BaseContainer::GetLink(Int32 id, const BaseDocument* doc) const { return GetData(id).GetLink(doc); }

BaseContainer* BaseContainer::GetContainerInstance(Int32 id)
{
  return FromHandle(gC4DOS->container->get_container_instance(Handle(), id));
}

const BaseContainer* BaseContainer::GetContainerInstance(Int32 id) const
{
  return const_cast<BaseContainer*>(this)->GetContainerInstance(id);
}

const CustomDataType* BaseContainer::GetCustomDataType(Int32 id, Int32 type) const
{
  return const_cast<BaseContainer*>(this)->GetCustomDataType(id, type);
}

void BaseContainer::MergeContainer(const BaseContainer& src)
{
  for (Int32 i = 0; i < src.GetCount(); ++i) {
    Int32 key = src.GetIndexId(i);
    SetData(key, src.GetData(key));
  }
}

CustomDataType* BaseContainer::GetCustomDataType(Int32 id, Int32 type)
{
  if (type == CUSTOMDATATYPE_INEXCLUDE_LIST)
    return InExcludeData::FromHandle(gC4DOS->container->get_inexclude(Handle(), id));
  if (type == CUSTOMDATATYPE_GRADIENT) return Gradient::FromHandle(gC4DOS->container->get_gradient(Handle(), id));
  return nullptr;
}

void BaseContainer::SetLink(Int32 id, BaseList2D* node)
{
  GeData link;
  link.SetBaseList2D(node);
  SetData(id, link);
}
