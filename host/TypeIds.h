// Type ids of the host's nodes that the plug-in creates or looks for (custom data types:
// CustomData.h).
#pragma once

#include "Types.h"

// Objects.
constexpr Int32 kLight = 5102;
constexpr Int32 kCamera = 5103;
constexpr Int32 kSphere = 5160;

// Tags.
constexpr Int32 kTextureTag = 5616;
constexpr Int32 kCompositingTag = 5637;
constexpr Int32 kTargetTag = 5676;
constexpr Int32 kHairLightTag = 1017874;

// Materials.
constexpr Int32 kStandardMaterial = 5703;
constexpr Int32 kHairMaterial = 1017730;

// Documents, render settings and what they hold.
constexpr Int32 kDocument = 110059;
constexpr Int32 kRenderData = 110304;
constexpr Int32 kHairVideoPost = 1017325;
constexpr Int32 kMultipassNode = 300001048;
