#include "RenderData.h"

#include "TypeIds.h"

PluginVideoPost* PluginVideoPost::Alloc(Int32 id) { return NodeCast<PluginVideoPost>(gC4DOS->node->alloc(id)); }

RenderData* RenderData::Alloc() { return NodeCast<RenderData>(gC4DOS->node->alloc(kRenderData)); }

PluginVideoPost* RenderData::GetFirstVideoPost() const
{
  return NodeCast<PluginVideoPost>(gC4DOS->node->first_in(Handle(), HST_BRANCH_VIDEO_POSTS));
}

Bool RenderData::InsertVideoPost(PluginVideoPost* vp, PluginVideoPost* pred)
{
  return gC4DOS->node->insert(Handle(), HST_BRANCH_VIDEO_POSTS, HandleOf(vp), HandleOf(pred));
}

MultipassObject* RenderData::GetFirstMultipass() const
{
  return NodeCast<MultipassObject>(gC4DOS->node->first_in(Handle(), HST_BRANCH_PASSES));
}

Bool RenderData::InsertMultipass(BaseList2D* pass, BaseList2D* pred)
{
  return gC4DOS->node->insert(Handle(), HST_BRANCH_PASSES, HandleOf(pass), HandleOf(pred));
}
