// The plug-in's entry: the start, message and end hooks and the effect's registration.
#pragma once

#include "host/Types.h"

// Registers the effect; true also when the display name is missing and nothing is
// registered.
Bool PluginStart();
void PluginEnd();
// Message id 0 is acknowledged, id 1 loads the resources; others are not handled.
Bool PluginMessage(Int32 id, void* data);
Bool RegisterDof();

// The one export: the host's start (1), register (2), end (3), query (4) and message (6)
// actions. p1 is the host table at start and the message id with action 6; p3 is the
// plug-in folder at start.
extern "C" __attribute__((visibility("default"))) int c4d_main(int action, void* p1, void* p2, void* p3);
