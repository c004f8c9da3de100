// The plug-in's entry, c4d_main, compiled into every plug-in from the interface library:
// it keeps the start count, binds the host table, refuses hosts older than the plug-in
// serves or whose table or sections are smaller than this interface declares, keeps the
// plug-in's folder and, at the last end, frees it and the resources.
// The plug-in supplies only the hooks below.
#pragma once

#include "String.h"
#include "Types.h"
#include "abi/HstEntry.h"

// The register action: the plug-in registers its classes. False fails the start.
Bool PluginStart();
// The last end action, before the folder and the resources are freed.
void PluginEnd();
// A message action: id its message (HST_ENTRY_MSG_...), data its data. False when the
// message failed or is not handled.
Bool PluginMessage(Int32 id, void* data);
// The lowest host version the plug-in serves.
Int32 PluginMinHostVersion();
// The plug-in's answer to the query action.
int PluginQueryAnswer();

// The plug-in's folder as the host handed it in at start; empty when none was kept.
Filename GeGetPluginPath();

// The one export: the host's actions (HST_ACTION_...). p1 is the host table at start and
// the message id with a message; p3 is the plug-in folder at start. A Windows DLL that marks
// one function for export exports only that one.
#ifdef _WIN32
#define LENSARA_ENTRY_EXPORT __declspec(dllexport)
#else
#define LENSARA_ENTRY_EXPORT __attribute__((visibility("default")))
#endif
extern "C" LENSARA_ENTRY_EXPORT int c4d_main(int action, void* p1, void* p2, void* p3);
