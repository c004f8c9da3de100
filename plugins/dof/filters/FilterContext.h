// The filters' context of a render call: the break test of vps->thread, the progress value
// and text on vps->progress, and the host's parallel loop on the threads of vps->render.
#pragma once

#include "filters/Filters.h"
#include "host/c4d.h"

// What the filters ask and show during the call vps (may be null: they neither stop nor
// show anything); valid while vps lives.
filters::Context FilterContext(VideoPostStruct* vps);
