#include "Params.h"

#include <cmath>
#include <iomanip>
#include <sstream>

#include "app/cli/Command.h"
#include "app/cli/Render.h"
#include "app/cli/Scene.h"
#include "app/core/Error.h"
#include "app/scene/ParameterEdit.h"

namespace lensara {

namespace {

// One parameter as the attribute manager shows it now.
struct Row {
  const ParameterDescription* parameter;
  Json value;  // null for a button
  bool enabled;
};

// The value the effect reads for a key its container lacks: the type's default.
Value AbsentValue(ParameterDescription::Type type)
{
  using Type = ParameterDescription::Type;
  if (type == Type::Bool || type == Type::Long || type == Type::Cycle) return Value(int32_t{0});
  if (type == Type::Real) return Value(0.0);
  return Value();
}

std::vector<Row> Rows(Document& doc, Node& effect, const Description& description)
{
  Schema schema = Schema::ForType(effect.Type());
  std::vector<Row> rows;
  for (const ParameterDescription& p : description.Parameters()) {
    const Value* stored = effect.Data().Find(p.id);
    Value value = stored ? *stored : AbsentValue(p.type);
    rows.push_back({&p, SettableValue(doc, value, schema.Find(p.id)), effect.Enabled(p.id)});
  }
  return rows;
}

bool IsNumeric(ParameterDescription::Type type)
{
  return type == ParameterDescription::Type::Long || type == ParameterDescription::Type::Real;
}

Json RowsJson(const std::vector<Row>& rows)
{
  Json list = Json::array();
  for (const Row& row : rows) {
    const ParameterDescription& p = *row.parameter;
    Json entry = Json::object();
    entry["name"] = p.name;
    entry["label"] = p.label;
    entry["group"] = p.group;
    entry["type"] = TypeName(p.type);
    entry["value"] = row.value;
    entry["unit"] = p.unit.empty() ? Json() : Json(p.unit);
    entry["min"] = LimitJson(p.limits.min);
    entry["max"] = LimitJson(p.limits.max);
    entry["step"] = p.step > 0.0 ? Json(p.step) : Json();
    entry["enabled"] = row.enabled;
    if (p.type == ParameterDescription::Type::Cycle) {
      entry["choices"] = Json::array();
      for (const CycleValue& choice : p.cycle) entry["choices"].push_back(choice.name);
    }
    list.push_back(entry);
  }
  return list;
}

// "2000.0 cm", "false", "DOF_FILTER_GAUSSIAN", "Camera", "(none)", "(button)"
std::string ValueText(const Row& row)
{
  const ParameterDescription& p = *row.parameter;
  if (p.type == ParameterDescription::Type::Button) return "(button)";
  if (row.value.is_null()) return "(none)";
  std::string text = row.value.is_string() ? row.value.get<std::string>() : Shown(row.value);
  return text + (p.unit.empty() ? "" : " " + p.unit);
}

// "at least 0, step 1"
std::string LimitsText(const ParameterDescription& p)
{
  if (!IsNumeric(p.type)) return "";
  std::ostringstream text;
  text << p.limits.Text();
  if (p.step > 0.0) text << ", step " << p.step;
  return text.str();
}

void WriteText(const std::vector<Row>& rows, std::ostream& out)
{
  const std::string* group = nullptr;
  for (const Row& row : rows) {
    const ParameterDescription& p = *row.parameter;
    if (!group || *group != p.group) out << p.group << "\n";
    group = &p.group;
    std::ostringstream line;
    line << "  " << std::left << std::setw(28) << p.label << std::setw(26) << p.name << std::setw(16) << ValueText(row)
         << " " << std::setw(22) << LimitsText(p) << (row.enabled ? "" : " (greyed out)");
    std::string text = line.str();
    out << text.erase(text.find_last_not_of(' ') + 1) << "\n";
  }
}

}  // namespace

Json LimitJson(double limit) { return std::isfinite(limit) ? Json(limit) : Json(); }

Json ParametersJson(Document& doc, Node& effect, const Description& description)
{
  return RowsJson(Rows(doc, effect, description));
}

void ShowParams(const Host& host, const ParamsOptions& options, std::ostream& out, std::ostream& messages)
{
  const std::filesystem::path scene = options.scene.empty() ? DemoScene() : options.scene;
  const VideoPostClass* cls = host.FindVideoPost(kEffectId);
  if (!cls) throw Error("the Lensara plug-in is not loaded, so its parameters are unknown");
  std::unique_ptr<Document> doc = LoadSceneReporting(scene, messages);
  Node& effect = SceneEffect(*doc, scene);
  EditParametersReporting(*doc, options.sets, messages);
  std::vector<Row> rows = Rows(*doc, effect, cls->description);
  if (options.json)
    out << RowsJson(rows).dump(2) << "\n";
  else
    WriteText(rows, out);
}

}  // namespace lensara
