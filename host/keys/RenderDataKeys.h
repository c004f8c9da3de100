// Keys of the render settings, and of the pass entries they list.
#pragma once

#include "host/Types.h"

constexpr Int32 kRenderAntialiasing = 5002;  // 0 none, 1 geometry, 2 best
constexpr Int32 kRenderWidth = 5008;
constexpr Int32 kRenderHeight = 5009;
constexpr Int32 kRenderEngine = 5016;  // 1 the full engine
constexpr Int32 kRenderDefaultLight = 5076;
constexpr Int32 kRenderSaveMultipass = 5200;
constexpr Int32 kRenderMultipass = 5202;
constexpr Int32 kRenderSeparateLights = 5205;  // 1: one layer per light
constexpr Int32 kRenderLightPassMode = 5208;
constexpr Int32 kRenderReflections = 6018;
constexpr Int32 kRenderTransparency = 6019;

// A pass entry's type, and the types the depth render asks for.
constexpr Int32 kPassKind = 1000;
constexpr Int32 kPassReflection = 6;
constexpr Int32 kPassLights = 100;
