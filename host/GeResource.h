// The plug-in's resources: its string table and descriptions, read by the host from the
// plug-in's folder.
#pragma once

#include "String.h"
#include "Types.h"

class GeResource {
public:
  // Loads the resources from the plug-in folder (GeGetPluginPath); false when they cannot
  // be read.
  Bool Init();
  Bool Init(const Filename& folder);
  // Releases the resources; strings read as empty afterwards.
  void Free();
  // String id, empty when there is none.
  String LoadString(Int32 id) const;

private:
  HstResource handle = nullptr;
};

// The plug-in's global resources.
extern GeResource resource;

// Releases the global resources.
void FreeResource();

// String id of the global resources, empty when there is none.
String GeLoadString(Int32 id);
