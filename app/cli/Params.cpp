#include "Params.h"

#include <iomanip>
#include <sstream>

#include "app/core/Error.h"
#include "app/scene/ParameterEdit.h"
#include "app/session/ParameterRows.h"
#include "app/session/SceneLoading.h"
#include "resources/description/vpdof.h"

namespace lensara {

namespace {

bool IsNumeric(ParameterDescription::Type type)
{
  return type == ParameterDescription::Type::Long || type == ParameterDescription::Type::Real;
}

// The label of a cycle's value by its name; the name when it is none of the choices.
std::string CycleLabel(const ParameterDescription& p, const std::string& name)
{
  for (const CycleValue& choice : p.cycle)
    if (choice.name == name) return choice.label;
  return name;
}

// "2000.0 cm", "false", "Gaussian", "Camera", "(none)", "(button)"
std::string ValueText(const ParameterRow& row)
{
  const ParameterDescription& p = *row.parameter;
  if (p.type == ParameterDescription::Type::Button) return "(button)";
  if (row.value.is_null()) return "(none)";
  if (p.type == ParameterDescription::Type::Cycle && row.value.is_string())
    return CycleLabel(p, row.value.get<std::string>());
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

void WriteText(const std::vector<ParameterRow>& rows, std::ostream& out)
{
  const std::string* group = nullptr;
  for (const ParameterRow& row : rows) {
    const ParameterDescription& p = *row.parameter;
    if (!group || *group != p.group) out << p.group << "\n";
    group = &p.group;
    std::ostringstream line;
    line << "  " << std::left << std::setw(28) << p.label << std::setw(26) << p.name << std::setw(16) << ValueText(row)
         << " " << std::setw(22) << LimitsText(p) << (row.enabled ? "" : " (greyed out)")
         << (row.animated ? " (animated)" : "");
    std::string text = line.str();
    out << text.erase(text.find_last_not_of(' ') + 1) << "\n";
  }
}

}  // namespace

void ShowParams(const Host& host, const ParamsOptions& options, std::ostream& out, std::ostream& messages)
{
  const std::filesystem::path scene = options.scene.empty() ? DemoScene() : options.scene;
  const VideoPostClass* cls = host.FindVideoPost(kDofId);
  if (!cls) throw Error("the Lensara plug-in is not loaded, so its parameters are unknown");
  std::unique_ptr<Document> doc = LoadSceneReporting(scene, messages);
  Node& effect = SceneEffect(*doc, scene);
  EditParametersReporting(*doc, options.sets, messages);
  std::vector<ParameterRow> rows = ParameterRows(*doc, effect, cls->description);
  if (options.json)
    out << RowsJson(rows).dump(2) << "\n";
  else
    WriteText(rows, out);
}

}  // namespace lensara
