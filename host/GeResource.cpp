#include "GeResource.h"

#include "Binding.h"
#include "PluginEntry.h"

GeResource resource;

Bool GeResource::Init() { return Init(GeGetPluginPath()); }

Bool GeResource::Init(const Filename& folder)
{
  Free();
  handle = gC4DOS->plugin->load_resource(folder.Handle());
  return handle != nullptr;
}

void GeResource::Free()
{
  if (!handle) return;
  gC4DOS->plugin->free_resource(handle);
  handle = nullptr;
}

String GeResource::LoadString(Int32 id) const
{
  String text;
  if (handle) gC4DOS->plugin->load_string(handle, id, text.Handle());
  return text;
}

void FreeResource() { resource.Free(); }

String GeLoadString(Int32 id) { return resource.LoadString(id); }
