// Keys of a light object's settings, and the values some of them take.
#pragma once

#include "host/Types.h"

constexpr Int32 kLightColor = 90000;
constexpr Int32 kLightBrightness = 90001;
constexpr Int32 kLightKind = 90002;  // kLightDistant and others
constexpr Int32 kLightShadows = 90003;
constexpr Int32 kLightFalloff = 90014;  // kLightFalloffLinear or none
constexpr Int32 kLightAmbient = 90015;
constexpr Int32 kLightFalloffRadius = 90025;
constexpr Int32 kLightNearClip = 90027;
constexpr Int32 kLightFarClip = 90028;
constexpr Int32 kLightNearClipFrom = 90029;
constexpr Int32 kLightNearClipTo = 90030;
constexpr Int32 kLightFarClipFrom = 90031;
constexpr Int32 kLightFarClipTo = 90032;
constexpr Int32 kLightObjectList = 100000;  // in/exclude list of the objects it lights
constexpr Int32 kLightListMode = 100001;    // kLightListInclude or kLightListExclude

constexpr Int32 kLightDistant = 3;
constexpr Int32 kLightFalloffLinear = 8;
constexpr Float kLightFalloffRadiusDefault = 500.0;
constexpr Int32 kLightListInclude = 0;
constexpr Int32 kLightListExclude = 1;
