// Keys of the tags' settings.
#pragma once

#include "host/Types.h"

constexpr Int32 kTextureTagMaterial = 1010;  // link

constexpr Int32 kCompositingCastShadows = 1000;
constexpr Int32 kCompositingReceiveShadows = 1001;
constexpr Int32 kCompositingSeenByCamera = 1003;
constexpr Int32 kCompositingBackground = 1004;
constexpr Int32 kCompositingSeenByReflection = 1005;

constexpr Int32 kTargetTagTarget = 1001;  // link

constexpr Int32 kHairLightTagShadows = 1000;
