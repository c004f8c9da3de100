// Keys of a camera object's settings.
#pragma once

#include "host/Types.h"

constexpr Int32 kCameraFocalLength = 1000;
constexpr Int32 kCameraApertureWidth = 1001;
constexpr Int32 kCameraFocusOnTarget = 1009;  // focus on the target tag's object
constexpr Int32 kCameraFocusDistance = 1010;
constexpr Int32 kCameraFrontBlur = 1111;
constexpr Int32 kCameraFrontStart = 1112;
constexpr Int32 kCameraFrontEnd = 1113;
constexpr Int32 kCameraRearBlur = 1114;
constexpr Int32 kCameraRearStart = 1115;
constexpr Int32 kCameraRearEnd = 1116;
