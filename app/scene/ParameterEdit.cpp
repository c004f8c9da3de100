#include "ParameterEdit.h"

#include <algorithm>

#include "Json.h"
#include "Schema.h"
#include "ValueJson.h"
#include "app/core/Error.h"
#include "app/core/JsonDepth.h"

namespace lensara {

namespace {

struct Target {
  Node* node = nullptr;
  const Schema* schema = nullptr;
  const KeyRule* rule = nullptr;
};

// The video post, else the render settings, else the active camera, whose schema names
// the parameter.
Target FindTarget(Document& doc, const std::string& name, std::vector<Schema>& schemas)
{
  Node* rd = doc.ActiveRenderData();
  if (!rd) return {};
  std::vector<Node*> nodes;
  for (Node* vp = rd->FirstIn(HST_BRANCH_VIDEO_POSTS); vp; vp = vp->Next()) nodes.push_back(vp);
  nodes.push_back(rd);
  if (Node* camera = doc.ActiveCamera()) nodes.push_back(camera);
  schemas.reserve(nodes.size());
  for (Node* node : nodes) {
    schemas.push_back(Schema::ForType(node->Type()));
    if (const KeyRule* rule = schemas.back().Find(name)) return {node, &schemas.back(), rule};
  }
  return {};
}

// VALUE as a scene file would hold it: JSON, or else a bare string; a link by its name.
// JSON nested too deeply is refused with ValueError.
Json ValueJson(const std::string& text, const KeyRule& rule)
{
  Json value;
  try {
    value = ParseBoundedJson<Json>(text, false);
  } catch (const JsonTooDeep& e) {
    throw ValueError(std::string("the value is ") + e.what());
  }
  if (value.is_discarded()) value = text;
  if (rule.kind == KeyRule::Kind::Link && value.is_string()) value = Json{{"link", value}};
  return value;
}

// "(none)" for a key the container lacks.
std::string ShownEntry(Document& doc, const Container& data, int32_t key, const Schema& schema)
{
  const Value* value = data.Find(key);
  return value ? Shown(SettableValue(doc, *value, schema.Find(key))) : "(none)";
}

// Every key whose value reads differently between before and after, as "NAME OLD became
// NEW" (compared as shown, so that a NaN left as it was is no change).
void ReportChanges(Document& doc, const Container& before, const Container& after, const Schema& schema,
                   std::vector<std::string>& messages)
{
  std::vector<int32_t> keys;
  for (const Container* data : {&before, &after})
    for (const auto& [key, value] : data->Entries())
      if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
  for (int32_t key : keys) {
    std::string old = ShownEntry(doc, before, key, schema), now = ShownEntry(doc, after, key, schema);
    const KeyRule* rule = schema.Find(key);
    if (old != now) messages.push_back((rule ? rule->name : std::to_string(key)) + " " + old + " became " + now);
  }
}

}  // namespace

RefOfIdentity NamesIn(Document& doc)
{
  return [&doc](Identity id) {
    Node* n = doc.Resolve(id);
    return n ? Json(n->Name()) : Json();
  };
}

Json SettableValue(Document& doc, const Value& value, const KeyRule* rule)
{
  Json j = EncodeValue(value, rule, NamesIn(doc));
  return value.GetLink() ? j["link"] : j;
}

void EditParameter(Document& doc, const std::string& assignment, std::vector<std::string>& messages,
                   bool strictLimits)
{
  std::size_t equals = assignment.find('=');
  if (equals == std::string::npos || equals == 0)
    throw UsageError("--set " + assignment + ": expected NAME=VALUE");
  std::string name = assignment.substr(0, equals);
  std::vector<Schema> schemas;
  Target target = FindTarget(doc, name, schemas);
  if (!target.node)
    throw UsageError("--set " + name + ": no effect parameter, render setting or camera setting of that name");
  auto resolve = [&doc](const std::string& objectName) {
    Node* object = doc.SearchObject(objectName);
    if (!object) throw ValueError("links to \"" + objectName + "\", which no object is named");
    return object->GetIdentity();
  };
  Value value;
  std::string clamped;
  try {
    value = DecodeValue(ValueJson(assignment.substr(equals + 1), *target.rule), target.rule, resolve);
    if (std::string problem = LimitProblem(value, *target.rule); strictLimits && !problem.empty())
      throw ValueError(problem);
    clamped = KeepWithinLimits(value, *target.rule);
  } catch (const ValueError& e) {
    throw UsageError("--set " + name + ": " + e.what());
  }
  if (!clamped.empty()) messages.push_back("warning: --set " + name + ": " + clamped);
  Container& data = target.node->Data();
  data.Set(target.rule->key, std::move(value));
  const Container set = data;
  target.node->Message(HST_MSG_DESCRIPTION_VALIDATE, nullptr);
  target.node->Message(HST_MSG_UPDATE, nullptr);
  ReportChanges(doc, set, data, *target.schema, messages);
}

}  // namespace lensara
