#include "ParameterEdit.h"

#include "Json.h"
#include "Schema.h"
#include "ValueJson.h"
#include "app/core/Error.h"

namespace lensara {

namespace {

struct Target {
  Node* node = nullptr;
  const KeyRule* rule = nullptr;
};

// The video post, else the render settings, whose schema names the parameter.
Target FindTarget(Document& doc, const std::string& name, std::vector<Schema>& schemas)
{
  Node* rd = doc.ActiveRenderData();
  if (!rd) return {};
  std::vector<Node*> nodes;
  for (Node* vp = rd->FirstIn(HST_BRANCH_VIDEO_POSTS); vp; vp = vp->Next()) nodes.push_back(vp);
  nodes.push_back(rd);
  schemas.reserve(nodes.size());
  for (Node* node : nodes) {
    schemas.push_back(Schema::ForType(node->Type()));
    if (const KeyRule* rule = schemas.back().Find(name)) return {node, rule};
  }
  return {};
}

// VALUE as a scene file would hold it: JSON, or else a bare string; a link by its name.
Json ValueJson(const std::string& text, const KeyRule& rule)
{
  Json value = Json::parse(text, nullptr, false);
  if (value.is_discarded()) value = text;
  if (rule.kind == KeyRule::Kind::Link && value.is_string()) value = Json{{"link", value}};
  return value;
}

}  // namespace

void EditParameter(Document& doc, const std::string& assignment, std::vector<std::string>& warnings)
{
  std::size_t equals = assignment.find('=');
  if (equals == std::string::npos || equals == 0)
    throw UsageError("--set " + assignment + ": expected NAME=VALUE");
  std::string name = assignment.substr(0, equals);
  std::vector<Schema> schemas;
  Target target = FindTarget(doc, name, schemas);
  if (!target.node)
    throw UsageError("--set " + name + ": no effect parameter or render setting of that name");
  auto resolve = [&doc](const std::string& objectName) {
    Node* object = doc.SearchObject(objectName);
    if (!object) throw ValueError("links to \"" + objectName + "\", which no object is named");
    return object->GetIdentity();
  };
  Value value;
  try {
    value = DecodeValue(ValueJson(assignment.substr(equals + 1), *target.rule), target.rule, resolve);
  } catch (const ValueError& e) {
    throw UsageError("--set " + name + ": " + e.what());
  }
  std::string problem = LimitProblem(value, *target.rule);
  if (!problem.empty() && !target.rule->advisory) throw UsageError("--set " + name + ": " + problem);
  if (!problem.empty()) warnings.push_back("--set " + name + ": " + problem + " (the limits of its description)");
  target.node->Data().Set(target.rule->key, std::move(value));
  target.node->Message(7, nullptr);
}

}  // namespace lensara
