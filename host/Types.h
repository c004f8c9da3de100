// Basic value types of the plug-in interface.
#pragma once

#include <cstdint>

using Int32 = std::int32_t;
using Float = double;  // the host's real numbers are double precision
using Bool = std::int32_t; // the host's truth value: 0 false, anything else true
using UChar = std::uint8_t;
using UInt32 = std::uint32_t;
