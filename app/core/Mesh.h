// The geometry of a polygon object (type 5100): triangles over a point list, in the
// object's own frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Geometry.h"

namespace lensara {

struct Mesh {
  std::vector<Vector> points;
  std::vector<std::array<int32_t, 3>> triangles;
  // The mesh file this geometry was read from, absolute and normalised when a scene file
  // names it (scene files hold it relative to themselves); empty for geometry given inline.
  std::string source;
};

}  // namespace lensara
