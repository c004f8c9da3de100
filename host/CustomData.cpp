#include "CustomData.h"

#include "BaseDocument.h"

HstInExclude InExcludeData::Handle() const { return reinterpret_cast<HstInExclude>(const_cast<InExcludeData*>(this)); }

Int32 InExcludeData::GetObjectCount() const { return gC4DOS->custom->inexclude_count(Handle()); }

BaseList2D* InExcludeData::ObjectFromIndex(const BaseDocument* doc, Int32 index) const
{
  return NodeCast<BaseList2D>(gC4DOS->custom->inexclude_object(Handle(), HandleOf(doc), index));
}

Int32 InExcludeData::GetFlags(Int32 index) const { return gC4DOS->custom->inexclude_flags(Handle(), index); }

Bool InExcludeData::InsertObject(BaseList2D* node, Int32 flags)
{
  return gC4DOS->custom->inexclude_insert(Handle(), HandleOf(node), flags);
}

Bool InExcludeData::DeleteObject(Int32 index) { return gC4DOS->custom->inexclude_delete(Handle(), index); }

HstGradient Gradient::Handle() const { return reinterpret_cast<HstGradient>(const_cast<Gradient*>(this)); }

Int32 Gradient::GetKnotCount() const { return gC4DOS->custom->gradient_knot_count(Handle()); }

GradientKnot Gradient::GetKnot(Int32 index) const
{
  HstGradientKnot k = gC4DOS->custom->gradient_knot(Handle(), index);
  return GradientKnot{Vector(k.col), k.brightness, k.pos, k.bias, k.index};
}

Int32 Gradient::InsertKnot(const Vector& col, Float brightness, Float pos, Float bias, Int32 index)
{
  return gC4DOS->custom->gradient_insert_knot(Handle(), HstGradientKnot{col.ToHst(), brightness, pos, bias, index});
}

Bool Gradient::RemoveKnot(Int32 index) { return gC4DOS->custom->gradient_remove_knot(Handle(), index); }
