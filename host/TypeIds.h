// Type ids of the host's nodes (custom data types: CustomData.h). Keys of their settings:
// keys/.
#pragma once

#include "Types.h"

// Objects.
constexpr Int32 kPolygon = 5100;
constexpr Int32 kLight = 5102;
constexpr Int32 kCamera = 5103;
constexpr Int32 kFloor = 5104;
constexpr Int32 kSky = 5105;
constexpr Int32 kEnvironment = 5106;
constexpr Int32 kNull = 5140;
constexpr Int32 kCube = 5159;
constexpr Int32 kSphere = 5160;
constexpr Int32 kPlane = 5168;
constexpr Int32 kSun = 1011146;
constexpr Int32 kForeground = 200000118;

// Tags.
constexpr Int32 kTextureTag = 5616;
constexpr Int32 kCompositingTag = 5637;
constexpr Int32 kTargetTag = 5676;
constexpr Int32 kHairLightTag = 1017874;

// Materials and shaders.
constexpr Int32 kStandardMaterial = 5703;
constexpr Int32 kHairMaterial = 1017730;
constexpr Int32 kBitmapShader = 5833;
constexpr Int32 kCheckerboardShader = 1018766;

// Documents, render settings and what they hold.
constexpr Int32 kDocument = 110059;
constexpr Int32 kRenderData = 110304;
constexpr Int32 kRenderView = 110305;
constexpr Int32 kHairVideoPost = 1017325;
constexpr Int32 kMultipassNode = 300001048;
