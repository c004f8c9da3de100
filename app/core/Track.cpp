#include "Track.h"

#include <algorithm>
#include <cmath>

#include "Container.h"
#include "Node.h"

namespace lensara {

namespace {

double ComponentOf(const Vector& v, int c) { return c == 0 ? v.x : c == 1 ? v.y : v.z; }

void SetComponent(Vector& v, int c, double value) { (c == 0 ? v.x : c == 1 ? v.y : v.z) = value; }

int ComponentCount(const std::vector<TrackKey>& keys)
{
  auto all = [&keys](auto test) { return std::all_of(keys.begin(), keys.end(), test); };
  if (all([](const TrackKey& k) { return k.value.IsReal(); })) return 1;
  if (all([](const TrackKey& k) { return k.value.GetVector() != nullptr; })) return 3;
  return 0;
}

Vector Placement(const Node& node, TrackTarget::Part part)
{
  switch (part) {
    case TrackTarget::Part::Position: return node.Position();
    case TrackTarget::Part::Rotation: return node.Rotation();
    default: return node.Scale();
  }
}

void SetPlacement(Node& node, TrackTarget::Part part, const Vector& v)
{
  switch (part) {
    case TrackTarget::Part::Position: node.SetPosition(v); break;
    case TrackTarget::Part::Rotation: node.SetRotation(v); break;
    default: node.SetScale(v); break;
  }
}

// current with the track's component replaced by value, or value itself for a whole one.
Value Replaced(const Value& current, const Value& value, int component)
{
  if (component < 0) return value;
  Vector v = current.GetVector() ? *current.GetVector() : Vector();
  SetComponent(v, component, value.ToReal());
  return Value(v);
}

}  // namespace

Track::Track(TrackTarget target, std::vector<TrackKey> keys)
    : target(target), keys(std::move(keys)), components(ComponentCount(this->keys))
{
}

Value Track::At(double frame) const
{
  auto after = std::upper_bound(keys.begin(), keys.end(), frame,
                                [](double f, const TrackKey& k) { return f < k.frame; });
  if (after == keys.begin()) return keys.front().value;
  std::size_t i = static_cast<std::size_t>(after - keys.begin()) - 1;
  if (after == keys.end() || components == 0 || keys[i].interpolation == Interpolation::Step) return keys[i].value;
  double t = (frame - keys[i].frame) / (keys[i + 1].frame - keys[i].frame);
  if (components == 1) return Value(Interpolate(i, t, 0));
  Vector v;
  for (int c = 0; c < 3; ++c) SetComponent(v, c, Interpolate(i, t, c));
  return Value(v);
}

void Track::Apply(Node& node, double frame) const
{
  Value value = At(frame);
  if (target.part == TrackTarget::Part::Data) {
    const Value* current = node.Data().Find(target.key);
    node.Data().Set(target.key, Replaced(current ? *current : Value(), value, target.component));
    return;
  }
  Value placed = Replaced(Value(Placement(node, target.part)), value, target.component);
  if (const Vector* v = placed.GetVector()) SetPlacement(node, target.part, *v);
}

double Track::Component(std::size_t key, int c) const
{
  const Value& v = keys[key].value;
  return components == 1 ? v.ToReal() : ComponentOf(*v.GetVector(), c);
}

double Track::Slope(std::size_t key, int c) const
{
  return (Component(key + 1, c) - Component(key, c)) / (keys[key + 1].frame - keys[key].frame);
}

// Monotone tangents (Fritsch and Butland's weighted harmonic mean of the neighbouring
// slopes): flat at the first and the last key and where the curve turns, so that no
// segment overshoots its keys.
double Track::Tangent(std::size_t key, int c) const
{
  if (key == 0 || key + 1 == keys.size()) return 0.0;
  double before = Slope(key - 1, c), after = Slope(key, c);
  if (before * after <= 0.0) return 0.0;
  double h0 = keys[key].frame - keys[key - 1].frame, h1 = keys[key + 1].frame - keys[key].frame;
  return 3.0 * (h0 + h1) / ((2.0 * h1 + h0) / before + (h1 + 2.0 * h0) / after);
}

// Between values too far apart for a double's range the first value holds, so that finite
// keys never give a value that is not.
double Track::Interpolate(std::size_t key, double t, int c) const
{
  double y0 = Component(key, c), y1 = Component(key + 1, c), v = y0 + (y1 - y0) * t;
  if (keys[key].interpolation == Interpolation::Smooth) {
    double h = keys[key + 1].frame - keys[key].frame, t2 = t * t, t3 = t2 * t;
    v = (2.0 * t3 - 3.0 * t2 + 1.0) * y0 + (t3 - 2.0 * t2 + t) * h * Tangent(key, c) + (3.0 * t2 - 2.0 * t3) * y1 +
        (t3 - t2) * h * Tangent(key + 1, c);
  }
  return std::isfinite(v) ? v : y0;
}

}  // namespace lensara
