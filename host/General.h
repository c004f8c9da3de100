// What the plug-in asks of the host as a whole.
#pragma once

#include "GeData.h"
#include "NodeData.h"
#include "String.h"
#include "Types.h"

// The product kind the host runs as (1 full application; 8, 9, 10 render farm client,
// render farm server, command line renderer).
Int32 GeGetVersionType();

// The plug-in's folder as the host handed it in at start; empty when none was kept.
// Defined by the plug-in's entry, which keeps that folder.
Filename GeGetPluginPath();

// Registers a video post class; false when the host refuses it.
Bool RegisterVideoPostPlugin(Int32 id, const String& name, Int32 info, DataAllocator* allocator,
                             const String& description, Int32 disklevel, Int32 priority, void* icon);

// value written in the host's number format (0x666C6E67: an integer in decimal); fps is
// the frame rate of time formats, unit asks for the unit. Empty for an unknown format.
String FormatNumber(const GeData& value, Int32 format, Int32 fps, Bool unit);
