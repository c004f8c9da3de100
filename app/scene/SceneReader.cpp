// Reading scene files into documents.
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <new>
#include <optional>
#include <sstream>

#include "Json.h"
#include "MeshImport.h"
#include "SceneFile.h"
#include "Schema.h"
#include "TrackJson.h"
#include "ValueJson.h"
#include "app/core/Allocations.h"
#include "app/core/Error.h"
#include "app/core/Files.h"

namespace lensara {

namespace {


const Fields kCommonFields = {"type", "name", "id", "data", "tracks"};
const Fields kObjectFields = {"position", "rotation", "scale", "mesh", "points", "triangles", "tags", "children"};
const Fields kMaterialFields = {"shaders"};
const Fields kRenderFields = {"video_posts", "passes"};
const Fields kRootFields = {"time",    "fps",       "active_camera",  "active_render_settings",
                            "objects", "materials", "render_settings"};

// The vector j holds when it is one of finite numbers.
std::optional<Vector> FiniteVector(const Json& j)
{
  try {
    Vector v = DecodeVector(j);
    if (std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) return v;
  } catch (const ValueError&) {
  }
  return std::nullopt;
}

// "an object", "a tag", ...
std::string Article(NodeKind kind)
{
  std::string name = KindName(kind);
  return (name[0] == 'o' ? "an " : "a ") + name;
}

class SceneReader : public TrackFaults {
public:
  SceneReader(const std::filesystem::path& file, std::vector<std::string>* warnings)
      : file(file), folder(file.parent_path()), warnings(warnings)
  {
  }

  std::unique_ptr<Document> Read(const Json& root)
  {
    if (!root.is_object()) Fail(root, "", "a scene file holds one JSON object");
    return AtLineOf(root, [&] { return ReadDocument(root); });
  }

private:
  std::unique_ptr<Document> ReadDocument(const Json& root)
  {
    CheckFields(root, {kRootFields}, "the scene");
    auto doc = std::make_unique<Document>();
    doc->SetFolder(folder);
    for (const ListField& field : kDocumentLists) ReadList(root, field, doc->Branch(field.branch));
    if (!doc->FirstRenderData()) doc->Branch(HST_BRANCH_RENDER_DATA).Append(CreateNode(kRenderData));
    for (const auto& entry : pending) {
      StopIfInterrupted(file);
      AtLineOf(*entry.first, [&] { ReadDataAndTracks(*entry.first, *entry.second); });
    }
    if (root.contains("time")) doc->SetTime(RealField(root, "time"));
    if (root.contains("fps")) doc->SetFps(FpsField(root));
    if (root.contains("active_camera")) doc->SetActiveCamera(Referenced(root, "active_camera", kCamera));
    if (root.contains("active_render_settings"))
      doc->SetActiveRenderData(Referenced(root, "active_render_settings", kRenderData));
    doc->Animate();
    return doc;
  }

  void CheckFields(const Json& j, std::initializer_list<Fields> allowed, const std::string& what) const override
  {
    for (const auto& [name, value] : Members(j)) {
      bool known = false;
      for (Fields fields : allowed) known = known || Contains(fields, name);
      if (!known) Fail(j, name, "unknown field " + Quoted(name) + " in " + what);
    }
  }

  // A number a renderer cannot use fails the file; one outside a description's advice is
  // kept with a warning, as the effect copes with it.
  void CheckLimits(const Json& where, const std::string& key, const Value& value, const KeyRule& rule,
                   const std::string& what) const override
  {
    std::string problem = LimitProblem(value, rule);
    if (problem.empty()) return;
    if (!rule.advisory) Fail(where, key, what + problem);
    Warn(where, key, what + problem + " (the limits of its description)");
  }

  // Runs read; an exception of a library becomes an Error at the line of where, so that
  // nothing leaves the reader without file and line.
  template <class Read>
  auto AtLineOf(const Json& where, const Read& read) const -> decltype(read())
  {
    try {
      return read();
    } catch (const Error&) {
      throw;
    } catch (const Interrupted&) {
      throw;
    } catch (const std::bad_alloc&) {
      throw;  // short memory is no fault of the file
    } catch (const std::exception& e) {
      Fail(where, "", e.what());
    }
  }

  // "file:line: problem", without the line when where has none.
  std::string Located(const Json& where, const std::string& key, const std::string& problem) const override
  {
    int line = LineOf(where, key);
    return file.string() + (line ? ":" + std::to_string(line) : "") + ": " + problem;
  }

  void Warn(const Json& where, const std::string& key, const std::string& problem) const
  {
    if (warnings) warnings->push_back(Located(where, key, problem));
  }

  double RealField(const Json& j, const char* key) const
  {
    double v = 0.0;
    try {
      v = DecodeReal(j.at(key));
    } catch (const ValueError&) {
      Fail(j, key, std::string("\"") + key + "\" must be a number");
    }
    if (!std::isfinite(v)) Fail(j, key, std::string("\"") + key + "\" must be a finite number");
    return v;
  }

  double FpsField(const Json& root) const
  {
    double fps = RealField(root, "fps");
    if (!(fps > 0.0 && fps <= 1000.0)) Fail(root, "fps", "\"fps\" must be a frame rate above 0 and up to 1000");
    return fps;
  }

  Vector VectorField(const Json& j, const char* key) const
  {
    std::optional<Vector> v = FiniteVector(j.at(key));
    if (!v) Fail(j, key, std::string("\"") + key + "\" must be a vector [x, y, z] of finite numbers");
    return *v;
  }

  std::string StringField(const Json& j, const char* key) const
  {
    if (!j.at(key).is_string()) Fail(j, key, std::string("\"") + key + "\" must be a string");
    return j.at(key).get<std::string>();
  }

  void ReadList(const Json& parent, const ListField& field, NodeList& list)
  {
    if (!parent.contains(field.name)) return;
    const Json& items = parent.at(field.name);
    if (!items.is_array()) Fail(parent, field.name, std::string("\"") + field.name + "\" must be a list");
    for (const Json& item : items) list.Append(ReadNode(item, field.kind, parent, field.name));
  }

  // The type an entry names, checked against the kind of list it is in.
  int32_t ReadType(const Json& j, NodeKind kind) const
  {
    if (!j.contains("type")) Fail(j, "", Article(kind) + " needs a \"type\"");
    const Json& t = j.at("type");
    int32_t type = 0;
    if (t.is_number_integer() && t.get<int64_t>() >= 0 && t.get<int64_t>() <= std::numeric_limits<int32_t>::max())
      type = static_cast<int32_t>(t.get<int64_t>());
    else if (t.is_number_integer())
      Fail(j, "type", "unknown " + std::string(KindName(kind)) + " type " + t.dump());
    else if (t.is_string())
      type = TypeFromName(t.get<std::string>());
    else
      Fail(j, "type", "\"type\" must be a name or a number");
    // Numbers the host does not know (a video post of a plug-in not loaded, a material of
    // another application) are kept as plain nodes of the list's kind; objects and tags
    // must be known.
    const NodeType* known = FindNodeType(type);
    bool registered = RegisteredVideoPost(type);
    bool kept = t.is_number_integer() && type != 0 && (kind == NodeKind::VideoPost || kind == NodeKind::Material ||
                                                       kind == NodeKind::Shader);
    std::string shown = t.is_string() ? "\"" + t.get<std::string>() + "\"" : t.dump();
    if (!known && !registered && !kept)
      Fail(j, "type", "unknown " + std::string(KindName(kind)) + " type " + shown +
                          (kind == NodeKind::VideoPost ? " (no plug-in loaded registers it)" : ""));
    NodeKind actual = known ? known->kind : registered ? NodeKind::VideoPost : kind;
    if (actual != kind) Fail(j, "type", shown + " is " + Article(actual) + ", not " + Article(kind));
    return type;
  }

  std::unique_ptr<Node> ReadNode(const Json& j, NodeKind kind, const Json& parent, const char* key)
  {
    if (!j.is_object()) Fail(parent, key, std::string("every entry of \"") + key + "\" must be an object");
    StopIfInterrupted(file);
    return AtLineOf(j, [&] { return ReadNodeFields(j, kind); });
  }

  std::unique_ptr<Node> ReadNodeFields(const Json& j, NodeKind kind)
  {
    int32_t type = ReadType(j, kind);
    switch (kind) {
      case NodeKind::Object: CheckFields(j, {kCommonFields, kObjectFields}, "an object"); break;
      case NodeKind::Material: CheckFields(j, {kCommonFields, kMaterialFields}, "a material"); break;
      case NodeKind::RenderData: CheckFields(j, {kCommonFields, kRenderFields}, "render settings"); break;
      default: CheckFields(j, {kCommonFields}, Article(kind)); break;
    }
    std::unique_ptr<Node> node = CreateNode(type);
    if (!node && !RegisteredVideoPost(type))
      node = std::make_unique<Node>(type, std::to_string(type));
    if (!node) Fail(j, "type", "video post " + std::to_string(type) + " could not be created by its plug-in");
    if (j.contains("name")) node->SetName(StringField(j, "name"));
    Register(j, *node);
    if (kind == NodeKind::Object) ReadObject(j, *node);
    for (const ListField& field : kNodeLists) ReadList(j, field, node->Branch(field.branch));
    if (j.contains("data") || j.contains("tracks")) pending.emplace_back(&j, node.get());
    return node;
  }

  void Register(const Json& j, Node& node)
  {
    names[node.Name()].push_back(&node);
    if (!j.contains("id")) return;
    std::string id = StringField(j, "id");
    if (!ids.emplace(id, &node).second) Fail(j, "id", "id \"" + id + "\" is given twice");
  }

  void ReadObject(const Json& j, Node& node)
  {
    if (j.contains("position")) node.SetPosition(VectorField(j, "position"));
    if (j.contains("rotation")) node.SetRotation(VectorField(j, "rotation") * kDegree);
    if (j.contains("scale")) node.SetScale(VectorField(j, "scale"));
    bool inline_ = j.contains("points") || j.contains("triangles");
    if ((inline_ || j.contains("mesh")) && node.Type() != kPolygon)
      Fail(j, inline_ ? "points" : "mesh", "only polygon objects have a mesh");
    if (j.contains("mesh") && inline_) Fail(j, "mesh", "a mesh is given by a file or inline, not both");
    if (j.contains("mesh")) ReadMeshFile(j, node);
    if (inline_) ReadInlineMesh(j, node);
  }

  void ReadMeshFile(const Json& j, Node& node)
  {
    std::string name = StringField(j, "mesh");
    if (name.empty()) Fail(j, "mesh", "\"mesh\" is empty; it names a mesh file");
    std::filesystem::path path = folder / name;
    try {
      node.SetMesh(ReadMeshGeometry(std::filesystem::absolute(path).lexically_normal()));
    } catch (const Error& e) {
      Fail(j, "mesh", e.what());
    }
  }

  void ReadInlineMesh(const Json& j, Node& node)
  {
    auto mesh = CountedShared<Mesh>();
    const Json& points = j.contains("points") ? j.at("points") : Json::array();
    const Json& triangles = j.contains("triangles") ? j.at("triangles") : Json::array();
    if (!points.is_array()) Fail(j, "points", "\"points\" must be a list of vectors");
    if (!triangles.is_array()) Fail(j, "triangles", "\"triangles\" must be a list of point index triples");
    for (const Json& p : points) {
      std::optional<Vector> point = FiniteVector(p);
      if (!point) Fail(j, "points", "every point must be a vector [x, y, z] of finite numbers, not " + Shown(p));
      mesh->points.push_back(*point);
    }
    for (const Json& t : triangles) {
      std::array<int32_t, 3> tri{};
      bool ok = t.is_array() && t.size() == 3;
      for (std::size_t i = 0; ok && i < 3; ++i) {
        ok = t[i].is_number_integer() && t[i].get<int64_t>() >= 0 && t[i].get<int64_t>() < int64_t(mesh->points.size());
        if (ok) tri[i] = t[i].get<int32_t>();
      }
      if (!ok) Fail(j, "triangles", "triangle " + Shown(t) + " must be three indices of points (0 to " +
                                        std::to_string(int64_t(mesh->points.size()) - 1) + ")");
      mesh->triangles.push_back(tri);
    }
    node.SetMesh(std::move(mesh));
  }

  // Data and tracks wait for every node to exist, as they link to nodes.
  void ReadDataAndTracks(const Json& j, Node& node)
  {
    if (j.contains("data")) ReadData(j, node);
    if (j.contains("tracks"))
      node.SetTracks(DecodeTracks(j, node, [this](const std::string& ref) { return Resolve(ref); }, *this));
  }

  void ReadData(const Json& j, Node& node)
  {
    const Json& data = j.at("data");
    if (!data.is_object()) Fail(j, "data", "\"data\" must be an object of keys and values");
    Schema schema = Schema::ForType(node.Type());
    for (const auto& [name, value] : Members(data)) {
      int32_t key = 0;
      bool numbered = ParseKeyNumber(name, key);
      const KeyRule* rule = numbered ? schema.Find(key) : schema.Find(name);
      if (rule) key = rule->key;
      else if (!numbered)
        Fail(data, name, "unknown key " + Quoted(name) + " for " + TypeNameOf(node.Type()) + " \"" + node.Name() + "\"");
      std::string what = "key \"" + name + "\" of " + TypeNameOf(node.Type()) + " \"" + node.Name() + "\" ";
      Value decoded;
      std::string clamped;
      try {
        decoded = DecodeValue(*value, rule, [this](const std::string& ref) { return Resolve(ref); });
        // A number a renderer cannot use fails the file; one outside a description's
        // limits is clamped to them, with a warning.
        if (rule) clamped = KeepWithinLimits(decoded, *rule);
      } catch (const ValueError& e) {
        Fail(data, name, what + e.what());
      }
      if (!clamped.empty()) Warn(data, name, what + clamped);
      node.Data().Set(key, std::move(decoded));
    }
  }

  // The node a link names: an "id", else a name only one node carries.
  Node* Find(const std::string& ref) const
  {
    if (auto it = ids.find(ref); it != ids.end()) return it->second;
    auto it = names.find(ref);
    if (it == names.end()) throw ValueError("links to \"" + ref + "\", which no node is named or identified as");
    if (it->second.size() > 1)
      throw ValueError("links to \"" + ref + "\", a name " + std::to_string(it->second.size()) +
                       " nodes carry; give the one meant an \"id\" and link to that");
    return it->second.front();
  }

  Identity Resolve(const std::string& ref) const { return Find(ref)->GetIdentity(); }

  Node* Referenced(const Json& root, const char* key, int32_t type) const
  {
    try {
      if (root.at(key).is_null()) return nullptr;
      Node* n = Find(StringField(root, key));
      if (n->Type() != type) throw ValueError("names \"" + n->Name() + "\", which is no " + TypeNameOf(type));
      return n;
    } catch (const ValueError& e) {
      Fail(root, key, std::string("\"") + key + "\" " + e.what());
    }
  }

  std::filesystem::path file;
  std::filesystem::path folder;
  std::vector<std::string>* warnings;
  std::map<std::string, Node*> ids;
  std::map<std::string, std::vector<Node*>> names;
  std::vector<std::pair<const Json*, Node*>> pending;  // entries whose data and tracks wait for every node
};

std::string ReadText(const std::filesystem::path& file)
{
  CheckReadable(file);
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Error(file.string() + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string LowerExtension(const std::filesystem::path& file)
{
  std::string ext = file.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

}  // namespace

bool IsSceneFile(const std::filesystem::path& file) { return LowerExtension(file) == ".json"; }

bool IsGltfFile(const std::filesystem::path& file)
{
  std::string ext = LowerExtension(file);
  return ext == ".gltf" || ext == ".glb";
}

std::unique_ptr<Document> ReadScene(const std::string& text, const std::filesystem::path& file,
                                    std::vector<std::string>* warnings)
{
  CountAllocation();
  Json root = ParseJsonWithLines(text, file);
  return SceneReader(file, warnings).Read(root);
}

std::unique_ptr<Document> LoadScene(const std::filesystem::path& file, std::vector<std::string>* warnings)
{
  CheckReadable(file);
  // Without an extension a file is read as a scene file.
  if (!IsSceneFile(file) && file.has_extension()) return ImportMeshDocument(file, warnings);
  return ReadScene(ReadText(file), file, warnings);
}

}  // namespace lensara
