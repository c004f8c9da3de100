#include "ParameterRows.h"

#include <cmath>

#include "app/scene/ParameterEdit.h"
#include "app/scene/Schema.h"

namespace lensara {

namespace {

// The value the effect reads for a key its container lacks: the type's default.
Value AbsentValue(ParameterDescription::Type type)
{
  using Type = ParameterDescription::Type;
  if (type == Type::Bool || type == Type::Long || type == Type::Cycle) return Value(int32_t{0});
  if (type == Type::Real) return Value(0.0);
  return Value();
}

}  // namespace

bool IsAnimated(const Node& node, int32_t key)
{
  for (const Track& track : node.Tracks())
    if (track.Target().part == TrackTarget::Part::Data && track.Target().key == key) return true;
  return false;
}

std::vector<ParameterRow> ParameterRows(Document& doc, Node& effect, const Description& description)
{
  Schema schema = Schema::ForType(effect.Type());
  std::vector<ParameterRow> rows;
  for (const ParameterDescription& p : description.Parameters()) {
    const Value* stored = effect.Data().Find(p.id);
    Value value = stored ? *stored : AbsentValue(p.type);
    rows.push_back({&p, SettableValue(doc, value, schema.Find(p.id)), effect.Enabled(p.id), IsAnimated(effect, p.id)});
  }
  return rows;
}

Json RowsJson(const std::vector<ParameterRow>& rows)
{
  Json list = Json::array();
  for (const ParameterRow& row : rows) {
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
    entry["animated"] = row.animated;
    if (p.type == ParameterDescription::Type::Cycle) {
      entry["choices"] = entry["choice_labels"] = Json::array();
      for (const CycleValue& choice : p.cycle) {
        entry["choices"].push_back(choice.name);
        entry["choice_labels"].push_back(choice.label);
      }
    }
    list.push_back(entry);
  }
  return list;
}

Json LimitJson(double limit) { return std::isfinite(limit) ? Json(limit) : Json(); }

Json ParametersJson(Document& doc, Node& effect, const Description& description)
{
  return RowsJson(ParameterRows(doc, effect, description));
}

}  // namespace lensara
