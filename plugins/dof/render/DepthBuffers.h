// The render buffers the effect writes its depth images into.
#pragma once

#include "host/c4d.h"
#include "plugins/dof/PlatformBehaviour.h"

constexpr Int32 kPostEffectBuffer = 111;
constexpr Int32 kDepthBufferId = 1020103;  // "Lensara Depth"
constexpr Int32 kFrontBufferId = 1020104;  // "Lensara Depth Front"
constexpr Int32 kRearBufferId = 1020105;   // "Lensara Depth Rear"
// The invisible stand-in for "Lensara Depth" while that buffer is off.
constexpr Int32 kHiddenDepthBuffer = 100;
