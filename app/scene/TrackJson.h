// Animation tracks as scene files write them, in a node's "tracks":
//   {"parameter": "position.x", "keys": [{"frame": 0.0, "value": 0.0, "interpolation": "linear"}, ...]}
// A parameter is "position", "rotation" (degrees) or "scale" of an object, or a data key by
// its scene-file name or number; ".x", ".y" or ".z" after a vector's name keys one component.
// Internal to the scene file code.
#pragma once

#include <string>
#include <vector>

#include "Json.h"
#include "Schema.h"
#include "ValueJson.h"
#include "app/core/Error.h"
#include "app/core/Node.h"

namespace lensara {

// Where a track's faults go: Located adds the file and the line of where (of its member key
// when given), CheckFields fails on a field not allowed, CheckLimits fails or warns as for
// the value of a data key.
class TrackFaults {
public:
  virtual std::string Located(const Json& where, const std::string& key, const std::string& problem) const = 0;
  [[noreturn]] void Fail(const Json& where, const std::string& key, const std::string& problem) const
  {
    throw Error(Located(where, key, problem));
  }
  virtual void CheckFields(const Json& j, std::initializer_list<Fields> allowed, const std::string& what) const = 0;
  virtual void CheckLimits(const Json& where, const std::string& key, const Value& value, const KeyRule& rule,
                           const std::string& what) const = 0;

protected:
  ~TrackFaults() = default;
};

// The tracks of node's entry j (its "tracks" list), links named as resolve finds them.
std::vector<Track> DecodeTracks(const Json& j, const Node& node, const IdentityOfRef& resolve,
                                const TrackFaults& faults);
// node's tracks as the "tracks" list.
Json EncodeTracks(const Node& node, const RefOfIdentity& ref);

// Degrees rounded to 1e-9, so that reading and writing again gives the same text.
double Degrees(double radians);

}  // namespace lensara
