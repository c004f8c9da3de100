// Keys of a standard material's settings: thirteen channels, each switched at
// kMaterialChannelState + channel and set from kMaterialColor + 10 x channel on.
#pragma once

#include "host/Types.h"

constexpr Int32 kMaterialChannelCount = 13;
constexpr Int32 kMaterialChannelState = 2000;
constexpr Int32 kMaterialColor = 2100;
constexpr Int32 kMaterialColorBrightness = 2101;
constexpr Int32 kMaterialColorShader = 2102;
constexpr Int32 kMaterialLuminanceColor = 2110;
constexpr Int32 kMaterialLuminanceBrightness = 2111;
constexpr Int32 kMaterialTransparencyColor = 2120;
constexpr Int32 kMaterialTransparencyStrength = 2121;
constexpr Int32 kMaterialReflectionColor = 2130;
constexpr Int32 kMaterialReflectionStrength = 2131;
constexpr Int32 kMaterialSpecularWidth = 2180;
constexpr Int32 kMaterialSpecularHeight = 2181;
constexpr Int32 kMaterialDiffuseModel = 8000;  // 1: Oren-Nayar

// A hair material's colour gradient.
constexpr Int32 kHairMaterialGradient = 3139;
