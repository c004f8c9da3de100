// The renderer section: RenderDocument.
#include "Sections.h"
#include "TableHandles.h"
#include "app/core/RenderCall.h"
#include "app/render/FrameRender.h"
#include "app/render/Renderer.h"

namespace lensara {

namespace {

int32_t RenderDocument(HstNode doc, HstContainer settings, HstProgressHook hook, void* context, HstBitmap bitmap,
                       int32_t flags, HstThread thread)
{
  auto* document = doc ? dynamic_cast<Document*>(Node::FromHandle(doc)) : nullptr;
  if (!document || !settings || !bitmap || IsOwnedLayer(bitmap)) return HST_RENDER_SCENE_ERROR;
  return Guarded(
      [&] {
        RenderJob job;
        // A video post's render keeps the thread limit of the render it runs in.
        if (const FrameRender* running = FrameRender::Running()) job.threads = running->Threads();
        job.layers = (flags & HST_RENDER_EXTERNAL) != 0;
        job.breakTest = reinterpret_cast<BreakTest*>(thread);
        if (hook) job.progress = [hook, context](double fraction) { hook(static_cast<float>(fraction), context); };
        int32_t code = Render(*document, *C(settings), *B(bitmap), job).code;
        if (code == HST_RENDER_OK) NestedRenderWatch::Notify(*document, *B(bitmap));
        return code;
      },
      int32_t{HST_RENDER_OUT_OF_MEMORY});
}

HstRendererTable MakeRendererSection()
{
  HstRendererTable t{};
  t.size = sizeof t;
  t.render_document = RenderDocument;
  return t;
}

}  // namespace

const HstRendererTable* RendererSection()
{
  static const HstRendererTable section = MakeRendererSection();
  return &section;
}

}  // namespace lensara
