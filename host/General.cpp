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
