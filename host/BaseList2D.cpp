#include "BaseList2D.h"

HstNode C4DAtom::Handle() const { return reinterpret_cast<HstNode>(const_cast<C4DAtom*>(this)); }

Int32 C4DAtom::GetType() const { return gC4DOS->node->type(Handle()); }

Bool C4DAtom::Message(Int32 type, void* data) { return gC4DOS->node->message(Handle(), type, data); }

Bool C4DAtom::SetParameter(const DescID& id, const GeData& value, Int32 flags)
{
  return gC4DOS->node->set_parameter(Handle(), id.Raw(), value.Handle(), flags);
}

Bool C4DAtom::GetParameter(const DescID& id, GeData& value, Int32 flags) const
{
  return gC4DOS->node->get_parameter(Handle(), id.Raw(), value.Handle(), flags);
}

BaseContainer* BaseList2D::GetDataInstance() { return BaseContainer::FromHandle(gC4DOS->node->data(Handle())); }

const BaseContainer* BaseList2D::GetDataInstance() const
{
  return BaseContainer::FromHandle(gC4DOS->node->data(Handle()));
}

String BaseList2D::GetName() const
{
  String name;
  gC4DOS->node->get_name(Handle(), name.Handle());
  return name;
}

void BaseList2D::SetName(const String& name) { gC4DOS->node->set_name(Handle(), name.GetCString()); }
