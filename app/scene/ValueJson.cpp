#include "ValueJson.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "app/core/Container.h"

namespace lensara {

namespace {

using Kind = KeyRule::Kind;

Json EncodeTagged(const char* tag, Json inner)
{
  Json j = Json::object();
  j[tag] = std::move(inner);
  return j;
}

Json EncodeCycle(int32_t v, const KeyRule& rule)
{
  for (const CycleValue& c : *rule.cycle)
    if (c.id == v) return c.name;
  return v;
}

Json EncodeLong(int32_t v, const KeyRule* rule)
{
  if (rule && rule->kind == Kind::Bool && (v == 0 || v == 1)) return v == 1;
  if (rule && rule->kind == Kind::Cycle && rule->cycle) return EncodeCycle(v, *rule);
  return v;
}

Json EncodeInExclude(const InExclude& list, const RefOfIdentity& ref)
{
  Json entries = Json::array();
  for (const InExclude::Entry& e : list.entries) {
    Json entry = Json::object();
    entry["link"] = ref(e.target);
    entry["flags"] = e.flags;
    entries.push_back(entry);
  }
  return EncodeTagged("inexclude", entries);
}

Json EncodeGradient(const Gradient& g)
{
  Json knots = Json::array();
  for (const GradientKnot& k : g.knots) {
    Json knot = Json::object();
    knot["color"] = EncodeVector(k.col);
    knot["brightness"] = k.brightness;
    knot["position"] = k.pos;
    knot["bias"] = k.bias;
    knot["index"] = k.index;
    knots.push_back(knot);
  }
  return EncodeTagged("gradient", knots);
}

// --- decoding

[[noreturn]] void Mismatch(const Json& json, Kind expected)
{
  std::string shown = Shown(json);
  if (shown.size() > 40) shown = shown.substr(0, 37) + "...";
  throw ValueError(std::string("expects ") + KindName(expected) + ", not " + shown);
}

constexpr std::pair<double, const char*> kNonFinite[] = {{std::numeric_limits<double>::infinity(), "inf"},
                                                         {-std::numeric_limits<double>::infinity(), "-inf"},
                                                         {std::numeric_limits<double>::quiet_NaN(), "nan"}};

int32_t DecodeInteger(const Json& j)
{
  if (j.is_boolean()) return j.get<bool>() ? 1 : 0;
  if (!j.is_number_integer()) Mismatch(j, Kind::Long);
  if (j.is_number_unsigned() ? j.get<uint64_t>() > uint64_t(std::numeric_limits<int32_t>::max())
                             : (j.get<int64_t>() < std::numeric_limits<int32_t>::min() ||
                                j.get<int64_t>() > std::numeric_limits<int32_t>::max()))
    throw ValueError("integer " + j.dump() + " is out of range");
  return static_cast<int32_t>(j.get<int64_t>());
}

// true, false, 1 or 0.
int32_t DecodeTruth(const Json& j)
{
  if (!j.is_boolean() && !(j.is_number_integer() && (j == 0 || j == 1))) Mismatch(j, Kind::Bool);
  return DecodeInteger(j);
}

// One of the rule's choices, by name or by id.
int32_t DecodeCycle(const Json& j, const KeyRule& rule)
{
  if (!rule.cycle) return DecodeInteger(j);
  if (!j.is_string() && !j.is_number_integer()) Mismatch(j, Kind::Cycle);
  std::string choices;
  for (const CycleValue& c : *rule.cycle) {
    if (j.is_string() ? j.get<std::string>() == c.name : j == c.id) return c.id;
    choices += (choices.empty() ? "" : ", ") + c.name;
  }
  throw ValueError("unknown cycle value " + Shown(j) + " (the choices: " + choices + ")");
}

Identity DecodeRef(const Json& j, const IdentityOfRef& resolve)
{
  if (j.is_null()) return 0;
  if (!j.is_string()) Mismatch(j, Kind::Link);
  return resolve(j.get<std::string>());
}

// Members of an object, each required to be one of names.
void RequireOnly(const Json& j, Fields names, const char* what)
{
  if (!j.is_object()) throw ValueError(std::string(what) + " must be an object, not " + Shown(j));
  for (const auto& [key, value] : Members(j))
    if (!Contains(names, key)) throw ValueError("unknown field " + Quoted(key) + " in " + what);
}

InExclude DecodeInExclude(const Json& j, const IdentityOfRef& resolve)
{
  if (!j.is_array()) Mismatch(j, Kind::InExclude);
  InExclude list;
  for (const Json& entry : j) {
    RequireOnly(entry, {"link", "flags"}, "an in/exclude entry");
    list.entries.push_back({DecodeRef(entry.value("link", Json()), resolve),
                            entry.contains("flags") ? DecodeInteger(entry.at("flags")) : 15});
  }
  return list;
}

Gradient DecodeGradient(const Json& j)
{
  if (!j.is_array()) Mismatch(j, Kind::Gradient);
  Gradient g;
  for (const Json& k : j) {
    RequireOnly(k, {"color", "brightness", "position", "bias", "index"}, "a gradient knot");
    GradientKnot knot;
    if (k.contains("color")) knot.col = DecodeVector(k.at("color"));
    if (k.contains("brightness")) knot.brightness = DecodeReal(k.at("brightness"));
    if (k.contains("position")) knot.pos = DecodeReal(k.at("position"));
    if (k.contains("bias")) knot.bias = DecodeReal(k.at("bias"));
    if (k.contains("index")) knot.index = DecodeInteger(k.at("index"));
    g.knots.push_back(knot);
  }
  return g;
}

Matrix DecodeMatrix(const Json& j)
{
  if (!j.is_array() || j.size() != 4) Mismatch(j, Kind::Matrix);
  return {DecodeVector(j[0]), DecodeVector(j[1]), DecodeVector(j[2]), DecodeVector(j[3])};
}

Container DecodeContainer(const Json& j, const IdentityOfRef& resolve)
{
  if (!j.is_object()) Mismatch(j, Kind::Container);
  Container c;
  for (const auto& [name, value] : Members(j)) {
    int32_t key = 0;
    if (!ParseKeyNumber(name, key)) throw ValueError("container key " + Quoted(name) + " is not a number");
    c.Set(key, DecodeValue(*value, nullptr, resolve));
  }
  return c;
}

// A value an object tags by its single member, such as {"link": ...}.
Value DecodeTagged(const Json& j, const IdentityOfRef& resolve)
{
  std::vector<std::pair<std::string, const Json*>> members = Members(j);
  if (members.size() == 1) {
    const auto& [tag, inner] = members[0];
    if (tag == "real") return Value(DecodeReal(*inner));
    if (tag == "matrix") return Value(DecodeMatrix(*inner));
    if (tag == "link") return Value(Link{DecodeRef(*inner, resolve)});
    if (tag == "container") return Value(DecodeContainer(*inner, resolve));
    if (tag == "inexclude") return Value(DecodeInExclude(*inner, resolve));
    if (tag == "gradient") return Value(DecodeGradient(*inner));
  }
  throw ValueError("is not a value: an object must hold exactly one of \"real\", \"matrix\", \"link\", "
                   "\"container\", \"inexclude\" or \"gradient\"");
}

// A value of whatever kind the JSON shows.
Value DecodeAny(const Json& j, const IdentityOfRef& resolve)
{
  if (j.is_null()) return Value();
  if (j.is_boolean() || j.is_number_integer()) return Value(DecodeInteger(j));
  if (j.is_number_float()) return Value(j.get<double>());
  if (j.is_string()) return Value(j.get<std::string>());
  if (j.is_array()) return Value(DecodeVector(j));
  return DecodeTagged(j, resolve);
}

}  // namespace

Json EncodeValue(const Value& value, const KeyRule* rule, const RefOfIdentity& ref)
{
  switch (value.TypeCode()) {
    case HST_DATA_LONG: return EncodeLong(value.ToLong(), rule);
    case HST_DATA_REAL:
      return std::isfinite(value.ToReal()) ? Json(value.ToReal()) : EncodeTagged("real", EncodeReal(value.ToReal()));
    case HST_DATA_STRING: return value.ToString();
    case HST_DATA_VECTOR: return EncodeVector(*value.GetVector());
    case HST_DATA_MATRIX: {
      const Matrix& m = *value.GetMatrix();
      return EncodeTagged("matrix", Json::array({EncodeVector(m.off), EncodeVector(m.v1), EncodeVector(m.v2),
                                                 EncodeVector(m.v3)}));
    }
    case HST_DATA_LINK: return EncodeTagged("link", ref(value.GetLink()->target));
    case HST_DATA_CONTAINER: return EncodeTagged("container", EncodeContainer(*value.GetContainer(), Schema(), ref));
    case HST_DATA_INEXCLUDE: return EncodeInExclude(*value.GetInExclude(), ref);
    case HST_DATA_GRADIENT: return EncodeGradient(*value.GetGradient());
    default: return nullptr;
  }
}

Json EncodeContainer(const Container& data, const Schema& schema, const RefOfIdentity& ref)
{
  Json j = Json::object();
  for (const auto& [key, value] : data.Entries()) {
    const KeyRule* rule = schema.Find(key);
    j[rule ? rule->name : std::to_string(key)] = EncodeValue(value, rule, ref);
  }
  return j;
}

Value DecodeValue(const Json& json, const KeyRule* rule, const IdentityOfRef& resolve)
{
  if (!rule || rule->kind == Kind::Any) return DecodeAny(json, resolve);
  switch (rule->kind) {
    case Kind::Bool: return Value(DecodeTruth(json));
    case Kind::Long: return Value(DecodeInteger(json));
    case Kind::Cycle: return Value(DecodeCycle(json, *rule));
    case Kind::Real:
      if (json.is_number()) return Value(json.get<double>());
      break;
    case Kind::String:
      if (!json.is_string()) Mismatch(json, rule->kind);
      return Value(json.get<std::string>());
    default: break;
  }
  Value v = DecodeAny(json, resolve);
  if (KindOf(v) != rule->kind) Mismatch(json, rule->kind);
  return v;
}

std::string KeepWithinLimits(Value& value, const KeyRule& rule)
{
  std::string problem = LimitProblem(value, rule);
  if (problem.empty()) return "";
  if (!rule.advisory || !value.IsNumber() || !std::isfinite(value.ToReal())) throw ValueError(problem);
  Value clamped(std::clamp(value.ToReal(), rule.limits.min, rule.limits.max));
  value = value.IsLong() ? Value(clamped.ToLong()) : clamped;
  std::ostringstream text;
  text << problem << " (the limits of its description); clamped to " << value.ToReal();
  return text.str();
}

Json EncodeReal(double v)
{
  if (std::isnan(v)) return "nan";
  for (const auto& [value, name] : kNonFinite)
    if (v == value) return name;
  // -0 is written as 0: the same to every reader, and a scene read back then writes the same
  // text even where evaluating its tracks loses the sign of a zero.
  return v == 0.0 ? 0.0 : v;
}

Json EncodeVector(const Vector& v) { return Json::array({EncodeReal(v.x), EncodeReal(v.y), EncodeReal(v.z)}); }

double DecodeReal(const Json& j)
{
  if (j.is_number()) return j.get<double>();
  for (const auto& [value, name] : kNonFinite)
    if (j.is_string() && j.get<std::string>() == name) return value;
  Mismatch(j, Kind::Real);
}

Vector DecodeVector(const Json& j)
{
  if (!j.is_array() || j.size() != 3) Mismatch(j, Kind::Vector);
  return {DecodeReal(j[0]), DecodeReal(j[1]), DecodeReal(j[2])};
}

bool ParseKeyNumber(const std::string& text, int32_t& key)
{
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text.c_str(), &end, 10);
  bool inRange = v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
  if (*end != '\0' || errno != 0 || !inRange || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  key = static_cast<int32_t>(v);
  return true;
}

}  // namespace lensara
