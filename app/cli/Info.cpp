#include "Info.h"

#include <nlohmann/json.hpp>

namespace lensara {

namespace {


// A container value as JSON, typed by the parameter's description where there is one.
nlohmann::ordered_json ToJson(const Value& value, const ParameterDescription* p)
{
  if (p && p->type == ParameterDescription::Type::Bool && value.IsLong()) return value.ToLong() != 0;
  if (value.IsLong()) return value.ToLong();
  if (value.IsReal()) return value.ToReal();
  if (value.IsString()) return value.ToString();
  return nullptr;
}

// The container's values, each under its parameter's name or else its key's number.
nlohmann::ordered_json Parameters(const Container& data, const Description& description)
{
  nlohmann::ordered_json parameters = nlohmann::ordered_json::object();
  for (const auto& [key, value] : data.Entries()) {
    const ParameterDescription* p = description.Find(key);
    parameters[p ? p->name : std::to_string(key)] = ToJson(value, p);
  }
  return parameters;
}

nlohmann::ordered_json Report(Host& host)
{
  nlohmann::ordered_json report;
  report["version"] = host.Version();
  report["product_kind"] = host.ProductKind();
  nlohmann::ordered_json plugins = nlohmann::ordered_json::array();
  for (const auto& cls : host.VideoPosts()) {
    nlohmann::ordered_json entry;
    entry["id"] = cls->id;
    entry["name"] = cls->name;
    entry["library"] = cls->library->File().string();
    std::unique_ptr<Node> node = host.CreateVideoPost(cls->id);
    entry["parameters"] = node ? Parameters(node->Data(), cls->description) : nlohmann::ordered_json(nullptr);
    plugins.push_back(entry);
  }
  report["plugins"] = plugins;
  nlohmann::ordered_json libraries = nlohmann::ordered_json::array();
  for (const auto& library : host.Libraries()) libraries.push_back(library->File().string());
  report["libraries"] = libraries;
  auto reports = [](const std::vector<PluginReport>& list) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const PluginReport& r : list) out.push_back({{"library", r.library.string()}, {"reason", r.reason}});
    return out;
  };
  report["failed"] = reports(host.Failures());
  report["warnings"] = reports(host.Warnings());
  return report;
}

void WriteText(const nlohmann::ordered_json& report, std::ostream& out)
{
  out << "host version " << report["version"] << ", product kind " << report["product_kind"] << "\n";
  out << "plug-in libraries:\n";
  for (const auto& library : report["libraries"]) out << "  " << library.get<std::string>() << "\n";
  for (const auto& plugin : report["plugins"]) {
    out << "video post " << plugin["id"] << " \"" << plugin["name"].get<std::string>() << "\"\n";
    if (plugin["parameters"].is_null()) out << "  (a new node could not be created)\n";
    for (const auto& [name, value] : plugin["parameters"].items()) out << "  " << name << " = " << value << "\n";
  }
  for (const auto& f : report["failed"])
    out << "not loaded: " << f["library"].get<std::string>() << ": " << f["reason"].get<std::string>() << "\n";
  for (const auto& w : report["warnings"])
    out << "warning: " << w["library"].get<std::string>() << ": " << w["reason"].get<std::string>() << "\n";
}

}  // namespace

void WriteInfo(Host& host, bool json, std::ostream& out)
{
  nlohmann::ordered_json report = Report(host);
  if (json)
    out << report.dump() << "\n";
  else
    WriteText(report, out);
}

}  // namespace lensara
