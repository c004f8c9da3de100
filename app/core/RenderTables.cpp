// The function table's bitmap and render call sections.
#include <cstring>
#include <string>

#include "Bitmap.h"
#include "Document.h"
#include "FunctionTable.h"
#include "MultipassBitmap.h"
#include "RenderCall.h"
#include "StringHandles.h"
#include "Value.h"
#include "app/render/FrameRender.h"
#include "app/render/Renderer.h"

namespace lensara {

namespace {

Bitmap* B(HstBitmap b) { return Bitmap::FromHandle(b); }
Layer* AsLayer(HstBitmap b) { return dynamic_cast<Layer*>(B(b)); }
MultipassBitmap* AsMultipass(HstBitmap b) { return b ? dynamic_cast<MultipassBitmap*>(B(b)) : nullptr; }
// A layer of a multipass bitmap belongs to it: it is neither freed nor resized alone.
bool IsOwnedLayer(HstBitmap b)
{
  const Layer* layer = b ? AsLayer(b) : nullptr;
  return layer && layer->Owned();
}

// --- bitmaps

HstBitmap BitmapAlloc()
{
  Bitmap* bitmap = NewHostObject<Bitmap>();
  return bitmap ? bitmap->Handle() : nullptr;
}
void BitmapFree(HstBitmap b)
{
  if (!IsOwnedLayer(b)) delete B(b);
}
HstBool BitmapInit(HstBitmap b, int32_t width, int32_t height, int32_t bits)
{
  return b && !IsOwnedLayer(b) && B(b)->Init(width, height, bits);
}
int32_t BitmapWidth(HstBitmap b) { return b ? B(b)->Width() : 0; }
int32_t BitmapHeight(HstBitmap b) { return b ? B(b)->Height() : 0; }
bool HasRow(HstBitmap b, int32_t y) { return b && y >= 0 && y < B(b)->Height(); }
std::size_t RowBytes(HstBitmap b) { return static_cast<std::size_t>(B(b)->Width()) * 3; }
HstBool BitmapGetLine(HstBitmap b, int32_t y, uint8_t* rgb)
{
  if (!HasRow(b, y) || !rgb) return false;
  if (RowBytes(b) > 0) std::memcpy(rgb, B(b)->Row(y), RowBytes(b));
  return true;
}
HstBool BitmapSetLine(HstBitmap b, int32_t y, const uint8_t* rgb, int32_t bits)
{
  if (!HasRow(b, y) || !rgb || bits != 24) return false;
  if (RowBytes(b) > 0) std::memcpy(B(b)->Row(y), rgb, RowBytes(b));
  return true;
}
HstBitmap BitmapClone(HstBitmap b)
{
  if (!b || !MayAllocate()) return nullptr;
  return Guarded([b] { return (new Bitmap(*B(b)))->Handle(); }, HstBitmap{});
}

// --- multipass bitmaps

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
  Value& value = *reinterpret_cast<Value*>(out);
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
  const Value* value = reinterpret_cast<const Value*>(in);
  if (!layer || id != HST_LAYER_NAME || !value || !value->IsString()) return false;
  return Guarded([&] { return (layer->SetName(value->ToString()), HstBool{true}); }, HstBool{false});
}

// --- render calls

HstBool TestBreak(HstThread t) { return t && reinterpret_cast<BreakTest*>(t)->Stop(); }
void SetProgressText(HstProgress p, const char* utf8)
{
  if (p) reinterpret_cast<ProgressDisplay*>(p)->SetText(utf8 ? utf8 : "");
}
void SetProgressValue(HstProgress p, double fraction)
{
  if (p) reinterpret_cast<ProgressDisplay*>(p)->SetValue(fraction);
}
HstBool FormatNumber(HstData value, int32_t format, int32_t, HstBool, HstString out)
{
  if (!out) return format == HST_FORMAT_LONG;
  std::string& text = FromHandle(out)->text;
  text.clear();
  if (format != HST_FORMAT_LONG) return false;
  int32_t number = value ? reinterpret_cast<Value*>(value)->ToLong() : 0;
  return Guarded([&] { return (text = std::to_string(number), HstBool{true}); }, HstBool{false});
}

// --- the renderer

int32_t RenderDocument(HstNode doc, HstContainer settings, HstProgressHook hook, void* context, HstBitmap bitmap,
                       int32_t flags, HstThread thread)
{
  auto* document = doc ? dynamic_cast<Document*>(Node::FromHandle(doc)) : nullptr;
  if (!document || !settings || !bitmap || IsOwnedLayer(bitmap)) return HST_RENDER_SCENE_ERROR;
  return Guarded(
      [&] {
        RenderJob job;
        job.layers = (flags & HST_RENDER_EXTERNAL) != 0;
        job.breakTest = reinterpret_cast<BreakTest*>(thread);
        if (hook) job.progress = [hook, context](double fraction) { hook(static_cast<float>(fraction), context); };
        int32_t code = Render(*document, *reinterpret_cast<const Container*>(settings), *B(bitmap), job).code;
        if (code == HST_RENDER_OK) NestedRenderWatch::Notify(*document, *B(bitmap));
        return code;
      },
      int32_t{HST_RENDER_OUT_OF_MEMORY});
}

}  // namespace

const HstBitmapTable kBitmapTable = {BitmapAlloc,  BitmapFree,    BitmapInit,    BitmapWidth,
                                     BitmapHeight, BitmapGetLine, BitmapSetLine, BitmapClone};

const HstMultipassTable kMultipassTable = {MultipassAlloc,     BitmapFree,        MultipassLayerCount,
                                           MultipassLayer,     MultipassFindLayer, LayerGetParameter,
                                           LayerSetParameter};

const HstRendererTable kRendererTable = {RenderDocument};

const HstRenderCallTable kRenderCallTable = {TestBreak, SetProgressText, SetProgressValue, FormatNumber};

}  // namespace lensara
