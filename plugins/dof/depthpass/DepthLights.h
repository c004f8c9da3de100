// The depth lights the depth scene is lit by. The render finds the lights, and the
// layers of the depth render that carry their names, by these names.
#pragma once

#include "host/c4d.h"
#include "resources/description/vpdof.h"

constexpr const char* kMainLightName = "Light__021006_qorvel";
constexpr const char* kFrontLightName = "LightFront__021006_qorvel";
constexpr const char* kRearLightName = "LightRear__021006_qorvel";
constexpr const char* kExclusionLightName = "LightExcl__021006_qorvel";

// The exclude list in the effect's settings, whose objects the exclusion light lights, or
// null when the settings hold none.
inline const InExcludeData* ExcludeList(const BaseContainer& data)
{
  return static_cast<const InExcludeData*>(data.GetCustomDataType(DOF_EXCLUDE, CUSTOMDATATYPE_INEXCLUDE_LIST));
}

// The number of objects on the effect's exclude list, 0 without one.
inline Int32 ExcludedCount(const BaseContainer& data)
{
  const InExcludeData* list = ExcludeList(data);
  return list ? list->GetObjectCount() : 0;
}
