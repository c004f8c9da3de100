// The depth lights the depth scene is lit by. The render finds the lights, and the
// layers of the depth render that carry their names, by these names.
#pragma once

constexpr const char* kMainLightName = "Light__021006_qorvel";
constexpr const char* kFrontLightName = "LightFront__021006_qorvel";
constexpr const char* kRearLightName = "LightRear__021006_qorvel";
constexpr const char* kExclusionLightName = "LightExcl__021006_qorvel";
