#include "Description.h"

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "Error.h"
#include "JsonDepth.h"
#include "Lookup.h"

namespace lensara {

namespace {

using Type = ParameterDescription::Type;

constexpr std::pair<Type, const char*> kTypeNames[] = {
    {Type::Bool, "bool"},   {Type::Long, "long"},           {Type::Real, "real"},
    {Type::Cycle, "cycle"}, {Type::Link, "link"},           {Type::InExclude, "inexclude"},
    {Type::Button, "button"}, {Type::String, "string"},
};

Type ParseType(const std::string& text)
{
  for (const auto& [type, typeName] : kTypeNames)
    if (text == typeName) return type;
  throw Error("unknown parameter type \"" + text + "\"");
}

// A cycle value with its label, its name when the description gives none.
CycleValue ParseCycleValue(const nlohmann::json& j)
{
  std::string name = j.at("name").get<std::string>();
  std::string label = j.value("label", name);
  return {j.at("id").get<int32_t>(), std::move(name), std::move(label)};
}

ParameterDescription ParseParameter(const nlohmann::json& j, const std::string& group)
{
  ParameterDescription p;
  p.id = j.at("id").get<int32_t>();
  p.name = j.at("name").get<std::string>();
  p.type = ParseType(j.at("type").get<std::string>());
  p.group = group;
  p.label = j.value("label", p.name);
  p.unit = j.value("unit", std::string());
  p.step = j.value("step", 0.0);
  p.limits.min = j.value("min", p.limits.min);
  p.limits.max = j.value("max", p.limits.max);
  if (p.limits.min > p.limits.max) throw Error("parameter " + p.name + " has a min above its max");
  if (p.type == Type::Cycle) {
    for (const nlohmann::json& c : j.at("cycle")) p.cycle.push_back(ParseCycleValue(c));
    if (p.cycle.empty()) throw Error("cycle parameter " + p.name + " has no values");
  }
  return p;
}

nlohmann::json ReadJson(const std::filesystem::path& file)
{
  std::ifstream in(file);
  if (!in) throw Error(file.string() + ": cannot be read");
  try {
    return ParseBoundedJson<nlohmann::json>(in);
  } catch (const std::exception& e) {
    throw Error(file.string() + ": " + e.what());
  }
}

}  // namespace

Description Description::Load(const std::filesystem::path& file)
{
  nlohmann::json root = ReadJson(file);
  Description d;
  try {
    d.name = root.at("name").get<std::string>();
    for (const nlohmann::json& group : root.at("groups")) {
      std::string label = group.value("label", std::string());
      for (const nlohmann::json& p : group.at("parameters")) d.parameters.push_back(ParseParameter(p, label));
    }
  } catch (const nlohmann::json::exception& e) {
    throw Error(file.string() + ": " + e.what());
  } catch (const Error& e) {
    throw Error(file.string() + ": " + e.what());
  }
  std::set<int32_t> ids;
  for (const ParameterDescription& p : d.parameters)
    if (!ids.insert(p.id).second) throw Error(file.string() + ": parameter id " + std::to_string(p.id) + " declared twice");
  return d;
}

const ParameterDescription* Description::Find(int32_t id) const
{
  return FindFirst(parameters, [id](const ParameterDescription& p) { return p.id == id; });
}

const ParameterDescription* Description::Find(const std::string& name) const
{
  return FindFirst(parameters, [&name](const ParameterDescription& p) { return p.name == name; });
}

bool Limits::Allow(double value) const
{
  return (minExcluded ? value > min : value >= min) && value <= max;
}

std::string Limits::Text() const
{
  auto number = [](double v) {
    std::ostringstream text;
    text << v;
    return text.str();
  };
  bool low = std::isfinite(min), high = std::isfinite(max);
  if (low && high) return number(min) + " .. " + number(max);
  if (low) return (minExcluded ? "above " : "at least ") + number(min);
  if (high) return "at most " + number(max);
  return "any number";
}

const char* TypeName(ParameterDescription::Type type)
{
  for (const auto& [t, typeName] : kTypeNames)
    if (t == type) return typeName;
  return "?";
}

}  // namespace lensara
