#include "MultipassBitmap.h"

MultipassBitmap* MultipassBitmap::Alloc(Int32 width, Int32 height, Int32 mode)
{
  return FromHandle(gC4DOS->multipass->alloc(width, height, mode));
}

void MultipassBitmap::Free(MultipassBitmap*& mp)
{
  if (!mp) return;
  gC4DOS->multipass->free(mp->Handle());
  mp = nullptr;
}

Int32 MultipassBitmap::GetLayerCount() const { return gC4DOS->multipass->layer_count(Handle()); }

MultipassBitmap* MultipassBitmap::GetLayerNum(Int32 index) const
{
  return FromHandle(gC4DOS->multipass->layer(Handle(), index));
}

MultipassBitmap* MultipassBitmap::FindUserLayer(Int32 type, Int32 subId) const
{
  return FromHandle(gC4DOS->multipass->find_layer(Handle(), type, subId));
}

GeData MultipassBitmap::GetParameter(Int32 id) const
{
  GeData value;
  gC4DOS->multipass->get_parameter(Handle(), id, value.Handle());
  return value;
}

Bool MultipassBitmap::SetParameter(Int32 id, const GeData& value)
{
  return gC4DOS->multipass->set_parameter(Handle(), id, value.Handle());
}
