// The document section (BaseDocument, BaseDraw).
#include "Sections.h"
#include "TableHandles.h"
#include "app/core/NodeTypes.h"

namespace lensara {

namespace {

Document* AsDocument(HstNode n)
{
  return n && N(n)->Type() == kDocument ? static_cast<Document*>(N(n)) : nullptr;
}

HstNode DocSearchObject(HstNode doc, const char* name)
{
  Document* d = AsDocument(doc);
  return d && name ? Guarded([&] { return ToHandle(d->SearchObject(name)); }, HstNode{}) : nullptr;
}

HstNode DocActiveRenderData(HstNode doc)
{
  Document* d = AsDocument(doc);
  return d ? ToHandle(d->ActiveRenderData()) : nullptr;
}

void DocSetActiveRenderData(HstNode doc, HstNode rd)
{
  if (Document* d = AsDocument(doc)) d->SetActiveRenderData(N(rd));
}

HstNode DocActiveCamera(HstNode doc)
{
  Document* d = AsDocument(doc);
  return d ? ToHandle(d->ActiveCamera()) : nullptr;
}

void DocSetActiveCamera(HstNode doc, HstNode camera)
{
  if (Document* d = AsDocument(doc)) d->SetActiveCamera(N(camera));
}

double DocGetTime(HstNode doc)
{
  Document* d = AsDocument(doc);
  return d ? d->Time() : 0.0;
}

void DocSetTime(HstNode doc, double seconds)
{
  if (Document* d = AsDocument(doc)) d->SetTime(seconds);
}

HstNode DocRenderView(HstNode doc)
{
  Document* d = AsDocument(doc);
  return d ? ToHandle(d->RenderView()) : nullptr;
}

HstNode DocSceneCamera(HstNode, HstNode doc)
{
  Document* d = AsDocument(doc);
  return d ? ToHandle(d->SceneCamera()) : nullptr;
}

HstDocumentTable MakeDocumentSection()
{
  HstDocumentTable t{};
  t.size = sizeof t;
  t.search_object = DocSearchObject;
  t.active_render_data = DocActiveRenderData;
  t.set_active_render_data = DocSetActiveRenderData;
  t.active_camera = DocActiveCamera;
  t.set_active_camera = DocSetActiveCamera;
  t.get_time = DocGetTime;
  t.set_time = DocSetTime;
  t.render_view = DocRenderView;
  t.scene_camera = DocSceneCamera;
  return t;
}

}  // namespace

const HstDocumentTable* DocumentSection()
{
  static const HstDocumentTable section = MakeDocumentSection();
  return &section;
}

}  // namespace lensara
