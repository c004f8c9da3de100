#include "Schema.h"

#include <cmath>
#include <sstream>

#include "app/core/Host.h"
#include "app/core/Lookup.h"

namespace lensara {

namespace {

using Kind = KeyRule::Kind;

Kind KindOfParameter(ParameterDescription::Type type)
{
  switch (type) {
    case ParameterDescription::Type::Bool: return Kind::Bool;
    case ParameterDescription::Type::Long: return Kind::Long;
    case ParameterDescription::Type::Real: return Kind::Real;
    case ParameterDescription::Type::Cycle: return Kind::Cycle;
    case ParameterDescription::Type::Link: return Kind::Link;
    case ParameterDescription::Type::InExclude: return Kind::InExclude;
    case ParameterDescription::Type::String: return Kind::String;
    case ParameterDescription::Type::Button: return Kind::Any;
  }
  return Kind::Any;
}

}  // namespace

Kind KindOf(const Value& value)
{
  switch (value.TypeCode()) {
    case HST_DATA_LONG: return Kind::Long;
    case HST_DATA_REAL: return Kind::Real;
    case HST_DATA_STRING: return Kind::String;
    case HST_DATA_VECTOR: return Kind::Vector;
    case HST_DATA_MATRIX: return Kind::Matrix;
    case HST_DATA_LINK: return Kind::Link;
    case HST_DATA_CONTAINER: return Kind::Container;
    case HST_DATA_INEXCLUDE: return Kind::InExclude;
    case HST_DATA_GRADIENT: return Kind::Gradient;
    default: return Kind::Any;
  }
}

std::string LimitProblem(const Value& value, const KeyRule& rule)
{
  std::vector<double> numbers;
  if (value.IsNumber()) numbers.push_back(value.ToReal());
  if (const Vector* v = value.GetVector()) numbers = {v->x, v->y, v->z};
  for (double n : numbers) {
    if (!std::isfinite(n)) return "is not a finite number";
    if (rule.limits.Allow(n)) continue;
    std::ostringstream text;
    text << "is " << n << ", " << (std::isfinite(rule.limits.max) ? "outside " : "not ") << rule.limits.Text();
    return text.str();
  }
  return "";
}

const VideoPostClass* RegisteredVideoPost(int32_t type)
{
  return Host::Active() ? Host::Active()->FindVideoPost(type) : nullptr;
}

Schema Schema::ForType(int32_t type)
{
  Schema schema;
  if (const NodeType* t = FindNodeType(type)) {
    for (const KeyInfo& k : t->keys) schema.keys.push_back({k.key, k.name, KindOf(k.preset), nullptr, k.limits, false});
  } else if (const VideoPostClass* cls = RegisteredVideoPost(type)) {
    for (const ParameterDescription& p : cls->description.Parameters())
      schema.keys.push_back(
          {p.id, p.name, KindOfParameter(p.type), p.cycle.empty() ? nullptr : &p.cycle, p.limits, true});
  }
  return schema;
}

const KeyRule* Schema::Find(int32_t key) const
{
  return FindFirst(keys, [key](const KeyRule& k) { return k.key == key; });
}

const KeyRule* Schema::Find(const std::string& name) const
{
  return FindFirst(keys, [&name](const KeyRule& k) { return k.name == name; });
}

std::string TypeNameOf(int32_t type)
{
  if (const NodeType* t = FindNodeType(type)) return t->name;
  if (const VideoPostClass* cls = RegisteredVideoPost(type)) return cls->name;
  return std::to_string(type);
}

int32_t TypeFromName(const std::string& name)
{
  if (const NodeType* t = FindNodeType(name)) return t->id;
  if (Host::Active())
    for (const auto& cls : Host::Active()->VideoPosts())
      if (cls->name == name) return cls->id;
  return 0;
}

const char* KindName(Kind kind)
{
  static const char* names[] = {"any value", "truth value", "integer",  "real number", "vector",
                                "matrix",    "string",      "link",     "container",   "in/exclude list",
                                "gradient",  "cycle value"};
  return names[static_cast<int>(kind)];
}

}  // namespace lensara
