#include "BaseList2D.h"

#include "BaseDocument.h"

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

C4DAtom* C4DAtom::GetClone(Int32 flags, void*) const
{
  return NodeCast<C4DAtom>(gC4DOS->node->clone(Handle(), flags));
}

GeListNode* GeListNode::GetNext() const { return NodeCast<GeListNode>(gC4DOS->node->next(Handle())); }

GeListNode* GeListNode::GetPred() const { return NodeCast<GeListNode>(gC4DOS->node->pred(Handle())); }

GeListNode* GeListNode::GetUp() const { return NodeCast<GeListNode>(gC4DOS->node->up(Handle())); }

GeListNode* GeListNode::GetDown() const { return NodeCast<GeListNode>(gC4DOS->node->first_in(Handle(), HST_BRANCH_CHILDREN)); }

void GeListNode::Remove() { gC4DOS->node->remove(Handle()); }

Bool GeListNode::InsertAfter(GeListNode* pred)
{
  return gC4DOS->node->insert_after(Handle(), HandleOf(pred));
}

BaseDocument* GeListNode::GetDocument() const { return NodeCast<BaseDocument>(gC4DOS->node->document(Handle())); }

BaseList2D* BaseList2D::Alloc(Int32 type) { return NodeCast<BaseList2D>(gC4DOS->node->alloc(type)); }

void BaseList2D::Free(BaseList2D*& node) { FreeNode(node); }

BaseContainer* BaseList2D::GetDataInstance() { return BaseContainer::FromHandle(gC4DOS->node->data(Handle())); }

const BaseContainer* BaseList2D::GetDataInstance() const
{
  return BaseContainer::FromHandle(gC4DOS->node->data(Handle()));
}

BaseContainer* BaseList2D::GetDataClone() const { return GetDataInstance()->GetClone(); }

Bool BaseList2D::SetData(const BaseContainer* bc, Bool merge)
{
  BaseContainer* data = GetDataInstance();
  if (!bc || !data) return false;
  if (merge)
    data->MergeContainer(*bc);
  else
    bc->CopyTo(data);
  return true;
}

String BaseList2D::GetName() const
{
  String name;
  gC4DOS->node->get_name(Handle(), name.Handle());
  return name;
}

void BaseList2D::SetName(const String& name) { gC4DOS->node->set_name(Handle(), name.GetCString()); }

