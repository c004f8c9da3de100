#include "BaseObject.h"

#include "BaseTag.h"

BaseObject* BaseObject::Alloc(Int32 type) { return NodeCast<BaseObject>(gC4DOS->node->alloc(type)); }

Bool BaseObject::InsertUnder(BaseObject* parent)
{
  return gC4DOS->node->insert(HandleOf(parent), HST_BRANCH_CHILDREN, Handle(), nullptr);
}

BaseTag* BaseObject::GetFirstTag() const
{
  return NodeCast<BaseTag>(gC4DOS->node->first_in(Handle(), HST_BRANCH_TAGS));
}

BaseTag* BaseObject::GetTag(Int32 type, Int32 nr) const
{
  for (BaseTag* tag = GetFirstTag(); tag; tag = tag->GetNext())
    if (tag->GetType() == type && nr-- == 0) return tag;
  return nullptr;
}

Bool BaseObject::InsertTag(BaseTag* tag, BaseTag* pred)
{
  return gC4DOS->node->insert(Handle(), HST_BRANCH_TAGS, HandleOf(tag), HandleOf(pred));
}

Matrix BaseObject::GetMg() const { return Matrix(gC4DOS->object->get_matrix(Handle(), HST_MATRIX_GLOBAL)); }

void BaseObject::SetMg(const Matrix& m) { gC4DOS->object->set_matrix(Handle(), HST_MATRIX_GLOBAL, m.ToHst()); }

Matrix BaseObject::GetMl() const { return Matrix(gC4DOS->object->get_matrix(Handle(), HST_MATRIX_LOCAL)); }

void BaseObject::SetMl(const Matrix& m) { gC4DOS->object->set_matrix(Handle(), HST_MATRIX_LOCAL, m.ToHst()); }

Vector BaseObject::GetAbsPos() const { return Vector(gC4DOS->object->get_placement(Handle(), HST_PLACEMENT_POSITION)); }

void BaseObject::SetAbsPos(const Vector& v)
{
  gC4DOS->object->set_placement(Handle(), HST_PLACEMENT_POSITION, v.ToHst());
}

Vector BaseObject::GetAbsRot() const { return Vector(gC4DOS->object->get_placement(Handle(), HST_PLACEMENT_ROTATION)); }

void BaseObject::SetAbsRot(const Vector& v)
{
  gC4DOS->object->set_placement(Handle(), HST_PLACEMENT_ROTATION, v.ToHst());
}

Vector BaseObject::GetAbsScale() const { return Vector(gC4DOS->object->get_placement(Handle(), HST_PLACEMENT_SCALE)); }

void BaseObject::SetAbsScale(const Vector& v)
{
  gC4DOS->object->set_placement(Handle(), HST_PLACEMENT_SCALE, v.ToHst());
}
