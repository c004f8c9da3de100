#include "General.h"

Int32 GeGetVersionType() { return gC4DOS->plugin->version_type(); }

Bool RegisterVideoPostPlugin(Int32 id, const String& name, Int32 info, DataAllocator* allocator,
                             const String& description, Int32 disklevel, Int32 priority, void*)
{
  HstVideoPostRegistration registration{};
  registration.id = id;
  registration.name = name.GetCString();
  registration.info = info;
  registration.description = description.GetCString();
  registration.disklevel = disklevel;
  registration.priority = priority;
  registration.node_class = MakeNodeClass(allocator);
  return gC4DOS->plugin->register_video_post(&registration);
}

String FormatNumber(const GeData& value, Int32 format, Int32 fps, Bool unit)
{
  String text;
  gC4DOS->render_call->format_number(value.Handle(), format, fps, unit, text.Handle());
  return text;
}
