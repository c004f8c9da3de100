#include "MeshFileDepth.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/core/JsonDepth.h"

namespace lensara {

namespace {

using Children = std::vector<std::vector<std::size_t>>;

std::string ReadRest(std::istream& in) { return {std::istreambuf_iterator<char>(in), {}}; }

// A binary glTF's JSON chunk: the header (magic, version, length) is followed by the
// chunk's length and type (in version 1: the content's length and format), then the JSON.
// The length read is no more than the file holds.
std::string BinaryGltfJson(std::istream& in, std::uintmax_t fileSize)
{
  unsigned char header[20] = {};
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return {};
  std::uint32_t length = header[12] | header[13] << 8 | header[14] << 16 | std::uint32_t(header[15]) << 24;
  std::string json(std::min<std::uintmax_t>(length, fileSize), '\0');
  in.read(json.data(), length);
  json.resize(static_cast<std::size_t>(in.gcount()));
  return json;
}

// Each node's children by index: glTF 2 keeps its nodes in an array and names children by
// index, glTF 1 in an object and by key.
Children NodeChildren(const nlohmann::json& root)
{
  const nlohmann::json* nodes = root.is_object() && root.contains("nodes") ? &root["nodes"] : nullptr;
  if (!nodes || !nodes->is_structured()) return {};
  std::map<std::string, std::size_t> indexOfKey;
  if (nodes->is_object())
    for (const auto& [key, node] : nodes->items()) indexOfKey.emplace(key, indexOfKey.size());
  Children children;
  for (const nlohmann::json& node : *nodes) {
    children.emplace_back();
    if (!node.is_object() || !node.contains("children") || !node["children"].is_array()) continue;
    for (const nlohmann::json& child : node["children"]) {
      auto key = child.is_string() ? indexOfKey.find(child.get<std::string>()) : indexOfKey.end();
      if (child.is_number_unsigned()) children.back().push_back(child.get<std::size_t>());
      if (key != indexOfKey.end()) children.back().push_back(key->second);
    }
  }
  return children;
}

// Whether a chain of children runs through more than limit nodes, or in a cycle. Walks
// depth first without recursion, each node once, keeping the levels below each node
// finished.
bool DeeperThan(const Children& children, int limit)
{
  constexpr int kOnPath = -1;
  std::vector<int> levels(children.size(), 0);  // 0 until reached
  struct Step {
    std::size_t node, next;
    int below;
  };
  std::vector<Step> path;
  for (std::size_t start = 0; start < children.size(); ++start) {
    if (levels[start]) continue;
    levels[start] = kOnPath;
    path.push_back({start, 0, 0});
    while (!path.empty()) {
      Step& step = path.back();
      if (step.next == children[step.node].size()) {
        int done = levels[step.node] = step.below + 1;
        if (done > limit) return true;
        path.pop_back();
        if (!path.empty()) path.back().below = std::max(path.back().below, done);
        continue;
      }
      std::size_t child = children[step.node][step.next++];
      if (child >= children.size()) continue;  // the importer refuses a bad index itself
      if (levels[child] == kOnPath) return true;
      if (levels[child]) step.below = std::max(step.below, levels[child]);
      else {
        levels[child] = kOnPath;
        path.push_back({child, 0, 0});
      }
    }
  }
  return false;
}

nlohmann::json CheckGltf(const std::filesystem::path& file, const std::string& text)
{
  nlohmann::json root;
  try {
    root = ParseBoundedJson<nlohmann::json>(text, false);
  } catch (const JsonTooDeep& e) {
    throw RefusedMeshFile(file, e.what());
  }
  if (DeeperThan(NodeChildren(root), kMaxNodeDepth)) throw NodeHierarchyTooDeep(file);
  return root;
}

// Where the tag opening at text[at] ends: its '>' outside quoted attribute values.
std::size_t TagEnd(const std::string& text, std::size_t at)
{
  char quote = 0;
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    if (quote) {
      if (text[i] == quote) quote = 0;
    } else if (text[i] == '"' || text[i] == '\'') {
      quote = text[i];
    } else if (text[i] == '>') {
      return i;
    }
  }
  return std::string::npos;
}

// Whether the elements of XML text nest deeper than limit. Comments, CDATA sections,
// declarations and processing instructions hold no elements.
bool XmlDeeperThan(const std::string& text, int limit)
{
  int depth = 0;
  for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at)) {
    char next = at + 1 < text.size() ? text[at + 1] : '\0';
    if (text.compare(at, 4, "<!--") == 0)
      at = text.find("-->", at);
    else if (text.compare(at, 9, "<![CDATA[") == 0)
      at = text.find("]]>", at);
    else if (next == '!' || next == '?' || next == '/') {
      depth -= next == '/';
      at = text.find('>', at);
    } else {
      at = TagEnd(text, at);
      if (at != std::string::npos && text[at - 1] != '/' && ++depth > limit) return true;
    }
  }
  return false;
}

}  // namespace

Error RefusedMeshFile(const std::filesystem::path& file, const std::string& problem)
{
  return Error(file.string() + ": cannot be read as a mesh file: " + problem);
}

Error NodeHierarchyTooDeep(const std::filesystem::path& file)
{
  return RefusedMeshFile(file, "node hierarchy deeper than " + std::to_string(kMaxNodeDepth) + " levels");
}

nlohmann::json CheckMeshFileDepth(const std::filesystem::path& file)
{
  std::ifstream in(file, std::ios::binary);
  char magic[4] = {};
  if (in.read(magic, sizeof magic) && std::memcmp(magic, "glTF", sizeof magic) == 0)
    return CheckGltf(file, BinaryGltfJson(in, std::filesystem::file_size(file)));
  in.clear();
  in.seekg(0);
  if (in.peek() == 0xEF) in.ignore(3);  // a UTF-8 byte order mark
  in >> std::ws;
  int first = in.peek();
  if (first == '{') return CheckGltf(file, ReadRest(in));
  if (first == '<' && XmlDeeperThan(ReadRest(in), kMaxNodeDepth))
    throw RefusedMeshFile(file, "elements nested deeper than " + std::to_string(kMaxNodeDepth) + " levels");
  return nullptr;
}

}  // namespace lensara
