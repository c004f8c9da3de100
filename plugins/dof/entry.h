// The plug-in's hooks for the interface library's entry (host/PluginEntry.h) and the
// effect's registration.
#pragma once

#include "host/PluginEntry.h"

// Registers the effect; true also when the display name is missing and nothing is
// registered.
Bool RegisterDof();
