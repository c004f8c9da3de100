// The multipass section (MultipassBitmap): a composite with layers, each readable as a
// bitmap.
#include "Sections.h"
#include "TableHandles.h"

namespace lensara {

namespace {

Layer* AsLayer(HstBitmap b) { return dynamic_cast<Layer*>(B(b)); }
MultipassBitmap* AsMultipass(HstBitmap b) { return b ? dynamic_cast<MultipassBitmap*>(B(b)) : nullptr; }

HstBitmap MultipassAlloc(int32_t width, int32_t height, int32_t mode)
{
  if (mode != HST_COLOR_MODE_RGB) return nullptr;
  auto* bitmap = NewHostObject<MultipassBitmap>();
  if (bitmap && bitmap->Init(width, height, 24)) return bitmap->Handle();
  delete bitmap;
  return nullptr;
}
int32_t MultipassLayerCount(HstBitmap mp)
{
  MultipassBitmap* bitmap = AsMultipass(mp);
  return bitmap ? bitmap->LayerCount() : 0;
}
HstBitmap LayerHandle(Layer* layer) { return layer ? layer->Handle() : nullptr; }
HstBitmap MultipassLayer(HstBitmap mp, int32_t index)
{
  MultipassBitmap* bitmap = AsMultipass(mp);
  return bitmap ? LayerHandle(bitmap->LayerAt(index)) : nullptr;
}
HstBitmap MultipassFindLayer(HstBitmap mp, int32_t type, int32_t subId)
{
  MultipassBitmap* bitmap = AsMultipass(mp);
  return bitmap ? LayerHandle(bitmap->FindLayer(type, subId)) : nullptr;
}
HstBool LayerGetParameter(HstBitmap b, int32_t id, HstData out)
{
  const Layer* layer = b ? AsLayer(b) : nullptr;
  if (!layer || !out) return false;
  Value& value = *V(out);
  switch (id) {
  case HST_LAYER_NAME: return Guarded([&] { return (value = Value(layer->Name()), HstBool{true}); }, HstBool{false});
  case HST_LAYER_WIDTH: value = Value(layer->Width()); return true;
  case HST_LAYER_HEIGHT: value = Value(layer->Height()); return true;
  case HST_LAYER_TYPE: value = Value(layer->Type()); return true;
  case HST_LAYER_SUB_ID: value = Value(layer->SubId()); return true;
  default: return false;
  }
}
HstBool LayerSetParameter(HstBitmap b, int32_t id, HstData in)
{
  Layer* layer = b ? AsLayer(b) : nullptr;
  const Value* value = V(in);
  if (!layer || id != HST_LAYER_NAME || !value || !value->IsString()) return false;
  return Guarded([&] { return (layer->SetName(value->ToString()), HstBool{true}); }, HstBool{false});
}

HstMultipassTable MakeMultipassSection()
{
  HstMultipassTable t{};
  t.size = sizeof t;
  t.alloc = MultipassAlloc;
  t.free = BitmapSection()->free;
  t.layer_count = MultipassLayerCount;
  t.layer = MultipassLayer;
  t.find_layer = MultipassFindLayer;
  t.get_parameter = LayerGetParameter;
  t.set_parameter = LayerSetParameter;
  return t;
}

}  // namespace

const HstMultipassTable* MultipassSection()
{
  static const HstMultipassTable section = MakeMultipassSection();
  return &section;
}

}  // namespace lensara
