#include "BaseDocument.h"

#include "TypeIds.h"

BaseObject* BaseDraw::GetSceneCamera(const BaseDocument* doc) const
{
  return NodeCast<BaseObject>(gC4DOS->document->scene_camera(Handle(), HandleOf(doc)));
}

BaseDocument* BaseDocument::Alloc() { return NodeCast<BaseDocument>(gC4DOS->node->alloc(kDocument)); }

BaseDocument* BaseDocument::GetClone(Int32 flags) const { return static_cast<BaseDocument*>(C4DAtom::GetClone(flags)); }

BaseObject* BaseDocument::GetFirstObject() const
{
  return NodeCast<BaseObject>(gC4DOS->node->first_in(Handle(), HST_BRANCH_OBJECTS));
}

BaseMaterial* BaseDocument::GetFirstMaterial() const
{
  return NodeCast<BaseMaterial>(gC4DOS->node->first_in(Handle(), HST_BRANCH_MATERIALS));
}

RenderData* BaseDocument::GetFirstRenderData() const
{
  return NodeCast<RenderData>(gC4DOS->node->first_in(Handle(), HST_BRANCH_RENDER_DATA));
}

BaseObject* BaseDocument::SearchObject(const String& name) const
{
  return NodeCast<BaseObject>(gC4DOS->document->search_object(Handle(), name.GetCString()));
}

namespace {

// The insertion's result; an inserted node is renamed by the host when checknames is set.
Bool CheckedName(Bool inserted, HstNode n, Bool checknames)
{
  if (inserted && checknames) gC4DOS->node->make_name_unique(n);
  return inserted;
}

}  // namespace

Bool BaseDocument::InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred, Bool checknames)
{
  Bool inserted = parent ? gC4DOS->node->insert(parent->Handle(), HST_BRANCH_CHILDREN, HandleOf(op), HandleOf(pred))
                         : gC4DOS->node->insert(Handle(), HST_BRANCH_OBJECTS, HandleOf(op), HandleOf(pred));
  return CheckedName(inserted, HandleOf(op), checknames);
}

Bool BaseDocument::InsertMaterial(BaseMaterial* mat, BaseMaterial* pred, Bool checknames)
{
  return CheckedName(gC4DOS->node->insert(Handle(), HST_BRANCH_MATERIALS, HandleOf(mat), HandleOf(pred)), HandleOf(mat),
                     checknames);
}

Bool BaseDocument::InsertRenderData(RenderData* rd, RenderData* pred)
{
  return gC4DOS->node->insert(Handle(), HST_BRANCH_RENDER_DATA, HandleOf(rd), HandleOf(pred));
}

RenderData* BaseDocument::GetActiveRenderData() const
{
  return NodeCast<RenderData>(gC4DOS->document->active_render_data(Handle()));
}

void BaseDocument::SetActiveRenderData(RenderData* rd)
{
  gC4DOS->document->set_active_render_data(Handle(), HandleOf(rd));
}

BaseObject* BaseDocument::GetActiveCamera() const
{
  return NodeCast<BaseObject>(gC4DOS->document->active_camera(Handle()));
}

void BaseDocument::SetActiveCamera(BaseObject* camera)
{
  gC4DOS->document->set_active_camera(Handle(), HandleOf(camera));
}

BaseTime BaseDocument::GetTime() const { return BaseTime(gC4DOS->document->get_time(Handle())); }

void BaseDocument::SetTime(const BaseTime& t) { gC4DOS->document->set_time(Handle(), t.Get()); }

BaseDraw* BaseDocument::GetRenderBaseDraw() const
{
  return NodeCast<BaseDraw>(gC4DOS->document->render_view(Handle()));
}
