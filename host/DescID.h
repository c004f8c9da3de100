// Parameter ids as the host's descriptions name them: one to three levels.
#pragma once

#include "Types.h"
#include "abi/HstHandles.h"

class DescID {
public:
  DescID() : raw{0, {}} {}
  // A single-level id.
  explicit DescID(Int32 id) : raw{1, {{id, 0, 0}}} {}

  Int32 GetDepth() const { return raw.depth; }
  // The id of level 0 .. depth - 1.
  Int32 operator[](Int32 level) const { return raw.level[level].id; }
  Bool operator==(const DescID& other) const;

  // The id as it crosses to the host, and back.
  explicit DescID(const HstDescID& id) : raw(id) {}
  const HstDescID* Raw() const { return &raw; }

private:
  HstDescID raw;
};

inline Bool DescID::operator==(const DescID& other) const
{
  if (raw.depth != other.raw.depth) return false;
  for (Int32 i = 0; i < raw.depth; ++i)
    if (raw.level[i].id != other.raw.level[i].id) return false;
  return true;
}
