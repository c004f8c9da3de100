// Keys of the settings of the geometry, environment and sun objects, and of shaders.
#pragma once

#include "host/Types.h"

constexpr Int32 kSphereRadius = 1110;
constexpr Int32 kCubeSize = 1100;
constexpr Int32 kPlaneWidth = 1100;
constexpr Int32 kPlaneHeight = 1101;

constexpr Int32 kSkyColor = 1000;
constexpr Int32 kEnvironmentColor = 1000;
constexpr Int32 kEnvironmentStrength = 1001;
constexpr Int32 kEnvironmentFog = 1002;
constexpr Int32 kEnvironmentFogColor = 1003;
constexpr Int32 kEnvironmentFogDistance = 1004;
constexpr Int32 kForegroundColor = 1000;
constexpr Int32 kForegroundOpacity = 1001;
constexpr Int32 kSunColor = 1001;
constexpr Int32 kSunStrength = 1002;
constexpr Int32 kSunSkyColor = 1003;

constexpr Int32 kBitmapShaderFile = 1000;
constexpr Int32 kCheckerboardColor1 = 1000;
constexpr Int32 kCheckerboardColor2 = 1001;
constexpr Int32 kCheckerboardUFrequency = 1002;
constexpr Int32 kCheckerboardVFrequency = 1003;
