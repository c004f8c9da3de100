// Writing documents as canonical scene files.
#include <cmath>
#include <fstream>
#include <map>
#include <set>

#include "Json.h"
#include "SceneFile.h"
#include "Schema.h"
#include "TrackJson.h"
#include "ValueJson.h"
#include "app/core/Allocations.h"
#include "app/core/Error.h"
#include "app/core/Files.h"

namespace lensara {

namespace {

// Calls f on every node of the document's lists, depth first in list order.
template <class F>
void ForEachNode(Node* first, const F& f)
{
  for (Node* n = first; n; n = n->Next()) {
    f(*n);
    for (const ListField& field : kNodeLists) ForEachNode(n->FirstIn(field.branch), f);
  }
}

template <class F>
void ForEachNode(Document& doc, const F& f)
{
  for (const ListField& field : kDocumentLists) ForEachNode(doc.FirstIn(field.branch), f);
}

// The identities a value links to.
void CollectLinks(const Value& v, std::set<Identity>& out)
{
  if (const Link* l = v.GetLink()) out.insert(l->target);
  if (const InExclude* list = v.GetInExclude())
    for (const InExclude::Entry& e : list->entries) out.insert(e.target);
  if (const Container* c = v.GetContainer())
    for (const auto& [key, inner] : c->Entries()) CollectLinks(inner, out);
}

class SceneWriter {
public:
  SceneWriter(Document& doc, const std::filesystem::path& file) : doc(doc), folder(file.parent_path()) { NameLinks(); }

  Json Write()
  {
    Json root = Json::object();
    root["time"] = EncodeReal(doc.Time());
    root["fps"] = EncodeReal(doc.Fps());
    if (Node* camera = doc.ActiveCamera()) root["active_camera"] = Ref(camera->GetIdentity());
    if (Node* rd = doc.ActiveRenderData()) root["active_render_settings"] = Ref(rd->GetIdentity());
    for (const ListField& field : kDocumentLists) root[field.name] = List(doc.FirstIn(field.branch));
    return root;
  }

private:
  // Linked nodes are named by their name where only they carry it, else by an id.
  void NameLinks()
  {
    std::set<Identity> linked;
    std::map<std::string, int> count;
    ForEachNode(doc, [&](Node& n) {
      ++count[n.Name()];
      for (const auto& [key, value] : n.Data().Entries()) CollectLinks(value, linked);
      for (const Track& track : n.Tracks())
        for (const TrackKey& key : track.Keys()) CollectLinks(key.value, linked);
    });
    if (Node* camera = doc.ActiveCamera()) linked.insert(camera->GetIdentity());
    if (Node* rd = doc.ActiveRenderData()) linked.insert(rd->GetIdentity());
    std::set<std::string> taken;  // names and ids a new id must differ from
    for (const auto& [name, carriers] : count) taken.insert(name);
    std::map<std::string, int> seen;
    ForEachNode(doc, [&](Node& n) {
      int ordinal = ++seen[n.Name()];
      if (!linked.count(n.GetIdentity()) || refs.count(n.GetIdentity())) return;
      if (count[n.Name()] == 1) {
        refs[n.GetIdentity()] = n.Name();
      } else {
        refs[n.GetIdentity()] = NewId(n.Name(), ordinal, taken);
        ids[&n] = refs[n.GetIdentity()];
      }
    });
  }

  // "name#k" from k up, the first that is no node's name nor an id given before: the
  // reader looks ids up before names.
  static std::string NewId(const std::string& name, int k, std::set<std::string>& taken)
  {
    std::string id = name + "#" + std::to_string(k);
    while (!taken.insert(id).second) id = name + "#" + std::to_string(++k);
    return id;
  }

  Json Ref(Identity id) const
  {
    auto it = refs.find(id);
    return it == refs.end() ? Json() : Json(it->second);
  }

  Json List(Node* first)
  {
    Json list = Json::array();
    for (Node* n = first; n; n = n->Next()) list.push_back(NodeJson(*n));
    return list;
  }

  Json NodeJson(Node& n)
  {
    Json j = Json::object();
    std::string type = TypeNameOf(n.Type());
    j["type"] = type == std::to_string(n.Type()) ? Json(n.Type()) : Json(type);
    j["name"] = n.Name();
    if (auto it = ids.find(&n); it != ids.end()) j["id"] = it->second;
    const NodeType* t = FindNodeType(n.Type());
    if (t && t->kind == NodeKind::Object) AddPlacement(j, n);
    RefOfIdentity ref = [this](Identity id) { return Ref(id); };
    j["data"] = EncodeContainer(n.Data(), Schema::ForType(n.Type()), ref);
    if (!n.Tracks().empty()) j["tracks"] = EncodeTracks(n, ref);
    for (const ListField& field : kNodeLists)
      if (Node* first = n.FirstIn(field.branch)) j[field.name] = List(first);
    return j;
  }

  // The mesh file relative to the scene's folder, or absolute when the two share no
  // folder below the root. A path that is not UTF-8 cannot be written into JSON without
  // naming another file, so it is refused.
  std::string MeshPath(const std::filesystem::path& source) const
  {
    auto s = source.begin(), f = folder.begin();
    bool shared = std::distance(s, source.end()) > 2 && std::distance(f, folder.end()) > 1 && *++s == *++f;
    std::string path = (shared ? source.lexically_relative(folder) : source).generic_string();
    if (ValidUtf8(path) != path)
      throw Error(source.string() + ": the mesh file's path is not UTF-8, which a scene file cannot hold");
    return path;
  }

  void AddPlacement(Json& j, const Node& n)
  {
    j["position"] = EncodeVector(n.Position());
    const Vector& r = n.Rotation();
    j["rotation"] = EncodeVector({Degrees(r.x), Degrees(r.y), Degrees(r.z)});
    j["scale"] = EncodeVector(n.Scale());
    const Mesh* mesh = n.GetMesh().get();
    if (!mesh) return;
    if (!mesh->source.empty()) {
      j["mesh"] = MeshPath(mesh->source);
      return;
    }
    Json points = Json::array(), triangles = Json::array();
    for (const Vector& p : mesh->points) points.push_back(EncodeVector(p));
    for (const auto& t : mesh->triangles) triangles.push_back(Json::array({t[0], t[1], t[2]}));
    j["points"] = points;
    j["triangles"] = triangles;
  }

  Document& doc;
  std::filesystem::path folder;
  std::map<Identity, std::string> refs;
  std::map<const Node*, std::string> ids;
};

}  // namespace

std::string WriteScene(Document& doc, const std::filesystem::path& file)
{
  std::filesystem::path absolute = std::filesystem::absolute(file).lexically_normal();
  CountAllocation();
  return WriteCanonicalJson(SceneWriter(doc, absolute).Write());
}

void SaveScene(Document& doc, const std::filesystem::path& file)
{
  std::string text = WriteScene(doc, file);
  WriteThroughTemporary(file, [&text](const std::filesystem::path& temporary, std::string&) {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return !out.fail();
  });
}

}  // namespace lensara
