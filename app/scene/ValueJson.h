// Container values as scene files write them:
//   integer 5, real 5.0, string "text", truth value true (an integer 0 or 1),
//   vector [x, y, z], {"matrix": [off, v1, v2, v3]}, {"link": "name"} or {"link": null},
//   {"container": {"key": value, ...}}, {"inexclude": [{"link": "name", "flags": 15}, ...]},
//   {"gradient": [{"color": [r, g, b], "brightness": 1.0, "position": 0.0, "bias": 0.5,
//   "index": 0}, ...]}, cycle values by name, and null for no value. Reals that are not
//   finite are written "inf", "-inf" or "nan" (a value of its own: {"real": "inf"}).
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "Json.h"
#include "Schema.h"
#include "app/core/Value.h"

namespace lensara {

// A value that does not fit; the reader adds the file and line.
class ValueError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// How links are named in a file: the name of a node, and the node a name stands for.
using RefOfIdentity = std::function<Json(Identity)>;
using IdentityOfRef = std::function<Identity(const std::string&)>;

// The value as JSON, typed by rule where one is given.
Json EncodeValue(const Value& value, const KeyRule* rule, const RefOfIdentity& ref);
// The value of json, which must fit rule when one is given; throws ValueError.
Value DecodeValue(const Json& json, const KeyRule* rule, const IdentityOfRef& resolve);

// Keeps value within rule's limits as the attribute manager keeps a description's: a
// finite number outside them becomes the nearest limit, and the answer says so ("is 150,
// outside 0 .. 100 (the limits of its description); clamped to 100"); empty when value
// is within them. Throws ValueError naming the problem for any other value outside them
// (a number that is not finite, one outside a host type's limits).
std::string KeepWithinLimits(Value& value, const KeyRule& rule);

// The container's keys, named by schema where it names them.
Json EncodeContainer(const Container& data, const Schema& schema, const RefOfIdentity& ref);

// Reals and vectors of reals, finite or not; the decoders throw ValueError.
Json EncodeReal(double v);
Json EncodeVector(const Vector& v);
double DecodeReal(const Json& j);
Vector DecodeVector(const Json& j);

// A key written as a number; false when text is not one.
bool ParseKeyNumber(const std::string& text, int32_t& key);

}  // namespace lensara
