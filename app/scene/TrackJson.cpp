#include "TrackJson.h"

#include <cmath>
#include <optional>

namespace lensara {

namespace {

using Kind = KeyRule::Kind;
using Part = TrackTarget::Part;

const Fields kTrackFields = {"parameter", "keys"};
const Fields kKeyFields = {"frame", "value", "interpolation"};
constexpr const char* kComponentNames[] = {"x", "y", "z"};
constexpr std::pair<Interpolation, const char*> kInterpolations[] = {
    {Interpolation::Step, "step"}, {Interpolation::Linear, "linear"}, {Interpolation::Smooth, "smooth"}};
constexpr std::pair<Part, const char*> kPlacements[] = {
    {Part::Position, "position"}, {Part::Rotation, "rotation"}, {Part::Scale, "scale"}};

// What a track drives, and the rule its keys' values follow.
struct Parameter {
  TrackTarget target;
  KeyRule rule;
};

// v with f applied to each of its numbers: a real's or a vector's components.
Value MapNumbers(const Value& v, double (*f)(double))
{
  if (const Vector* vector = v.GetVector()) return Value(Vector{f(vector->x), f(vector->y), f(vector->z)});
  return v.IsReal() ? Value(f(v.ToReal())) : v;
}

double Radians(double degrees) { return degrees * kDegree; }

class TrackReader {
public:
  TrackReader(const Node& node, const IdentityOfRef& resolve, const TrackFaults& faults)
      : node(node), schema(Schema::ForType(node.Type())), resolve(resolve), faults(faults)
  {
  }

  std::vector<Track> Read(const Json& j) const
  {
    const Json& list = j.at("tracks");
    if (!list.is_array()) faults.Fail(j, "tracks", "\"tracks\" must be a list of tracks");
    std::vector<Track> tracks;
    for (const Json& t : list) tracks.push_back(ReadTrack(t, j));
    return tracks;
  }

private:
  Track ReadTrack(const Json& t, const Json& parent) const
  {
    if (!t.is_object()) faults.Fail(parent, "tracks", "every entry of \"tracks\" must be an object");
    faults.CheckFields(t, {kTrackFields}, "a track");
    if (!t.contains("parameter") || !t.at("parameter").is_string())
      faults.Fail(t, "parameter", "a track needs a \"parameter\": the name of what it animates");
    std::string name = t.at("parameter").get<std::string>();
    Parameter p = FindParameter(t, name);
    std::string what = "track " + Quoted(name) + " of " + TypeNameOf(node.Type()) + " " + Quoted(node.Name()) + " ";
    if (!t.contains("keys") || !t.at("keys").is_array() || t.at("keys").empty())
      faults.Fail(t, "keys", what + "needs \"keys\": a list of at least one key");
    std::vector<TrackKey> keys;
    for (const Json& k : t.at("keys")) {
      TrackKey key = ReadKey(k, t, p, what);
      if (!keys.empty() && !(key.frame > keys.back().frame))
        faults.Fail(k, "frame", what + "has a key at frame " + Shown(k.at("frame")) +
                                    " after one at a later or the same frame; frames must increase");
      keys.push_back(std::move(key));
    }
    return Track(p.target, std::move(keys));
  }

  TrackKey ReadKey(const Json& k, const Json& track, const Parameter& p, const std::string& what) const
  {
    if (!k.is_object()) faults.Fail(track, "keys", what + "has a key that is no object: " + Shown(k));
    faults.CheckFields(k, {kKeyFields}, "a key");
    for (const char* field : {"frame", "value"})
      if (!k.contains(field)) faults.Fail(k, "", what + "has a key without \"" + field + "\"");
    TrackKey key;
    key.frame = ReadFrame(k, what);
    key.value = ReadValue(k, p, what);
    if (k.contains("interpolation")) key.interpolation = ReadInterpolation(k, what);
    return key;
  }

  double ReadFrame(const Json& k, const std::string& what) const
  {
    const Json& frame = k.at("frame");
    if (!frame.is_number() || !std::isfinite(frame.get<double>()))
      faults.Fail(k, "frame", what + "has a key whose \"frame\" is no finite number: " + Shown(frame));
    return frame.get<double>();
  }

  Value ReadValue(const Json& k, const Parameter& p, const std::string& what) const
  {
    Value v;
    try {
      v = DecodeValue(k.at("value"), &p.rule, resolve);
    } catch (const ValueError& e) {
      faults.Fail(k, "value", what + e.what());
    }
    faults.CheckLimits(k, "value", v, p.rule, what);
    return p.target.part == Part::Rotation ? MapNumbers(v, Radians) : v;
  }

  Interpolation ReadInterpolation(const Json& k, const std::string& what) const
  {
    const Json& j = k.at("interpolation");
    for (const auto& [interpolation, name] : kInterpolations)
      if (j.is_string() && j.get<std::string>() == name) return interpolation;
    faults.Fail(k, "interpolation",
                what + "has an \"interpolation\" of " + Shown(j) + "; it is \"step\", \"linear\" or \"smooth\"");
  }

  // The parameter a name gives: a whole one, else a component of a vector.
  Parameter FindParameter(const Json& t, const std::string& name) const
  {
    if (std::optional<Parameter> whole = Whole(name)) return *whole;
    std::size_t dot = name.rfind('.');
    std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    std::optional<Parameter> p = dot == std::string::npos ? std::nullopt : Whole(base);
    int component = -1;
    for (int c = 0; p && c < 3; ++c)
      if (name.substr(dot + 1) == kComponentNames[c]) component = c;
    if (component < 0 || p->rule.kind != Kind::Vector)
      faults.Fail(t, "parameter", "unknown parameter " + Quoted(name) + " for " + TypeNameOf(node.Type()) + " " +
                                      Quoted(node.Name()) + " (a vector's component is \".x\", \".y\" or \".z\")");
    p->target.component = component;
    p->rule.kind = Kind::Real;
    return *p;
  }

  // An object's placement, a key the node's schema names or numbers, or a key nobody
  // describes by its number.
  std::optional<Parameter> Whole(const std::string& name) const
  {
    Parameter p;
    p.rule.name = name;
    const NodeType* type = FindNodeType(node.Type());
    for (const auto& [part, placement] : kPlacements)
      if (type && type->kind == NodeKind::Object && name == placement) {
        p.target.part = part;
        p.rule.kind = Kind::Vector;
        return p;
      }
    bool numbered = ParseKeyNumber(name, p.rule.key);
    if (const KeyRule* rule = numbered ? schema.Find(p.rule.key) : schema.Find(name)) p.rule = *rule;
    else if (!numbered) return std::nullopt;
    p.target.key = p.rule.key;
    return p;
  }

  const Node& node;
  Schema schema;
  const IdentityOfRef& resolve;
  const TrackFaults& faults;
};

std::string ParameterName(const TrackTarget& target, const KeyRule* rule)
{
  std::string name = rule ? rule->name : std::to_string(target.key);
  for (const auto& [part, placement] : kPlacements)
    if (target.part == part) name = placement;
  return target.component < 0 ? name : name + "." + kComponentNames[target.component];
}

const char* InterpolationName(Interpolation interpolation)
{
  for (const auto& [i, name] : kInterpolations)
    if (i == interpolation) return name;
  return "";
}

Json EncodeTrack(const Track& track, const Schema& schema, const RefOfIdentity& ref)
{
  const TrackTarget& target = track.Target();
  const KeyRule* rule = target.part == Part::Data ? schema.Find(target.key) : nullptr;
  Json keys = Json::array();
  for (const TrackKey& key : track.Keys()) {
    Json k = Json::object();
    k["frame"] = EncodeReal(key.frame);
    k["value"] = EncodeValue(target.part == Part::Rotation ? MapNumbers(key.value, Degrees) : key.value, rule, ref);
    k["interpolation"] = InterpolationName(key.interpolation);
    keys.push_back(k);
  }
  Json j = Json::object();
  j["parameter"] = ParameterName(target, rule);
  j["keys"] = keys;
  return j;
}

}  // namespace

std::vector<Track> DecodeTracks(const Json& j, const Node& node, const IdentityOfRef& resolve,
                                const TrackFaults& faults)
{
  return TrackReader(node, resolve, faults).Read(j);
}

Json EncodeTracks(const Node& node, const RefOfIdentity& ref)
{
  Schema schema = Schema::ForType(node.Type());
  Json list = Json::array();
  for (const Track& track : node.Tracks()) list.push_back(EncodeTrack(track, schema, ref));
  return list;
}

double Degrees(double radians) { return std::round(radians / kDegree * 1e9) / 1e9; }

}  // namespace lensara
