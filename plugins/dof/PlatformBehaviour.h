// Where the effect's macOS build behaves unlike its Windows builds, all in one place. A
// build configured with LENSARA_MACOS_BEHAVIOUR compiles the macOS behaviour; every other
// build the Windows one. Code and tests read these constants and functions instead of
// testing the build themselves. The filters' part of it is the library's (filters/FilterSum.h).
#pragma once

#include "host/c4d.h"

#ifdef LENSARA_MACOS_BEHAVIOUR
constexpr Bool kMacOSBehaviour = true;
#else
constexpr Bool kMacOSBehaviour = false;
#endif

// Hosts below this version are refused when the plug-in starts.
constexpr Int32 kMinHostVersion = kMacOSBehaviour ? 11000 : 12000;
// The answer to the host's query action (4).
constexpr int kQueryAnswer = kMacOSBehaviour ? 3 : 5;
// Bits per channel of every depth buffer requested.
constexpr Int32 kBufferBits = kMacOSBehaviour ? 32 : 16;
// Whether the depth scene loses its objects of type 200000118 with the other disturbing
// objects.
constexpr Bool kDeletesType200000118 = !kMacOSBehaviour;
// Whether the depth material, the depth lights and the sphere are inserted with the host's
// name-uniqueness check.
constexpr Bool kInsertsWithUniqueNames = kMacOSBehaviour;

// True for the product kinds that render the composite only and have no preview window:
// the render farm and command-line kinds 8 to 10, or on macOS any kind with bit 2 or 3.
constexpr Bool IsCompositeProductKind(Int32 kind)
{
  return kMacOSBehaviour ? (kind & 0xC) != 0 : kind >= 8 && kind <= 10;
}

// The stage gate's test of the call record: bit 0 of the flags (a final render), or on
// macOS the record's editor word being 0.
inline Bool IsGatedRender(const VideoPostStruct& vps)
{
  return kMacOSBehaviour ? vps.editor == 0 : (vps.flags & 1) != 0;
}
