// What the plug-in asks of the host as a whole.
#pragma once

#include "BaseBitmap.h"
#include "BaseContainer.h"
#include "GeData.h"
#include "NodeData.h"
#include "String.h"
#include "Types.h"

// The product kind the host runs as (1 full application; 8, 9, 10 render farm client,
// render farm server, command line renderer).
Int32 GeGetVersionType();

// Registers a video post class; false when the host refuses it.
Bool RegisterVideoPostPlugin(Int32 id, const String& name, Int32 info, DataAllocator* allocator,
                             const String& description, Int32 disklevel, Int32 priority, void* icon);

// value written in the host's number format (0x666C6E67: an integer in decimal); fps is
// the frame rate of time formats, unit asks for the unit. Empty for an unknown format.
String FormatNumber(const GeData& value, Int32 format, Int32 fps, Bool unit);

class BaseDocument;
class BaseThread;

// Called with the fraction of a render done (0 .. 1) and the context handed to RenderDocument.
using ProgressHook = void(float fraction, void* context);

constexpr Int32 RENDERRESULT_OK = HST_RENDER_OK;
constexpr Int32 RENDERRESULT_OUTOFMEMORY = HST_RENDER_OUT_OF_MEMORY;
constexpr Int32 RENDERRESULT_IMAGESIZE = HST_RENDER_BAD_IMAGE_SIZE;
constexpr Int32 RENDERRESULT_USERBREAK = HST_RENDER_USER_BREAK;
constexpr Int32 RENDERRESULT_SCENEERROR = HST_RENDER_SCENE_ERROR;
constexpr Int32 RENDERFLAGS_EXTERNAL = HST_RENDER_EXTERNAL;

// Renders doc with the render settings rdata into bmp, synchronously, on the caller's thread;
// with RENDERFLAGS_EXTERNAL a MultipassBitmap also gets the pass layers. hook (may be null)
// gets privateData; thread (may be null) can stop the render. Answers RENDERRESULT_....
Int32 RenderDocument(BaseDocument* doc, const BaseContainer& rdata, ProgressHook* hook, void* privateData,
                     BaseBitmap* bmp, Int32 renderflags, BaseThread* thread);
