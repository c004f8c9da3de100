#include "General.h"

#include "BaseDocument.h"
#include "VideoPostStruct.h"

Int32 GeGetVersionType() { return gC4DOS->plugin->version_type(); }

Bool RegisterVideoPostPlugin(Int32 id, const String& name, Int32 info, DataAllocator* allocator,
                             const String& description, Int32 disklevel, Int32 priority, void*)
{
  HstVideoPostRegistration registration{};
  registration.size = sizeof registration;
  registration.id = id;
  registration.name = name.GetCString();
  registration.info = info;
  registration.description = description.GetCString();
  registration.disklevel = disklevel;
  registration.priority = priority;
  registration.node_class = MakeNodeClass(allocator);
  registration.video_post = MakeVideoPostCallbacks();
  return gC4DOS->plugin->register_video_post(&registration);
}

String FormatNumber(const GeData& value, Int32 format, Int32 fps, Bool unit)
{
  String text;
  gC4DOS->render_call->format_number(value.Handle(), format, fps, unit, text.Handle());
  return text;
}

Int32 RenderDocument(BaseDocument* doc, const BaseContainer& rdata, ProgressHook* hook, void* privateData,
                     BaseBitmap* bmp, Int32 renderflags, BaseThread* thread)
{
  return gC4DOS->renderer->render_document(doc ? doc->Handle() : nullptr, rdata.Handle(), hook, privateData,
                                           bmp ? bmp->Handle() : nullptr, renderflags,
                                           thread ? thread->Handle() : nullptr);
}
