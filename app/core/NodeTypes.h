// The node types the host knows: their kind, the name scene files use for them and the
// keys a new node starts with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Description.h"
#include "Value.h"
#include "host/TypeIds.h"
#include "host/keys/MaterialKeys.h"
#include "host/keys/TagKeys.h"

namespace lensara {

class Node;

enum class NodeKind { Object, Tag, Material, Shader, VideoPost, RenderData, Pass, Document };

struct KeyInfo {
  KeyInfo(int32_t key, std::string name, Value preset, Limits limits = {})
      : key(key), name(std::move(name)), preset(std::move(preset)), limits(limits)
  {
  }

  int32_t key = 0;
  std::string name;  // as scene files write it
  Value preset;      // the value a new node starts with
  Limits limits;     // the numbers a renderer can use
};

struct NodeType {
  int32_t id = 0;
  NodeKind kind = NodeKind::Object;
  std::string name;         // as scene files write it
  std::string defaultName;  // the name of a new node
  std::vector<KeyInfo> keys;
};

// Every host type.
const std::vector<NodeType>& NodeTypes();
// The host type of that id or name, or null.
const NodeType* FindNodeType(int32_t id);
const NodeType* FindNodeType(const std::string& name);
const char* KindName(NodeKind kind);

// A new node of a host type with its defaults, or of a video post class registered with
// the active host; null for an unknown type or when the plug-in cannot make its instance.
std::unique_ptr<Node> CreateNode(int32_t type);

}  // namespace lensara
