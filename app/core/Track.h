// Animation: a track keys one parameter of a node at frames and gives its value at any
// frame, as BaseDocument::SetTime writes it into the node.
#pragma once

#include <cstdint>
#include <vector>

#include "Value.h"

namespace lensara {

class Node;

// How a key's value leads to the next key's: held until the next key, a straight line, or a
// cubic curve that eases in and out and never overshoots between two keys.
enum class Interpolation { Step, Linear, Smooth };

struct TrackKey {
  double frame = 0.0;
  Value value;
  Interpolation interpolation = Interpolation::Smooth;  // toward the next key
};

// The parameter a track drives: an object's position, rotation (radians) or scale, or a
// key of the node's data; the whole value or one component of a vector.
struct TrackTarget {
  enum class Part { Data, Position, Rotation, Scale };
  Part part = Part::Data;
  int32_t key = 0;         // of the data
  int32_t component = -1;  // 0 x, 1 y, 2 z; -1 the whole value
};

class Track {
public:
  // keys: at least one, their frames strictly increasing.
  Track(TrackTarget target, std::vector<TrackKey> keys);

  const TrackTarget& Target() const { return target; }
  const std::vector<TrackKey>& Keys() const { return keys; }

  // The value at frame: the first key's before it, the last key's after it. Reals and
  // vectors (per component) follow the interpolation of the key before frame; other
  // values (integers, links, ...) hold until the next key.
  Value At(double frame) const;
  // Writes the value at frame into node.
  void Apply(Node& node, double frame) const;

private:
  double Component(std::size_t key, int c) const;
  double Slope(std::size_t key, int c) const;
  double Tangent(std::size_t key, int c) const;
  double Interpolate(std::size_t key, double t, int c) const;

  TrackTarget target;
  std::vector<TrackKey> keys;
  int components = 0;  // 1 when every key holds a real, 3 when every one a vector, else 0
};

}  // namespace lensara
