// A scene node of the host: type id, name, data container and, for plug-in classes,
// the plug-in's own instance that answers its messages.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Container.h"
#include "host/abi/HstPlugin.h"

namespace lensara {

class PluginLibrary;

// A node class a plug-in registered, with the library that must stay loaded while any
// of its nodes lives.
struct NodeClass {
  HstNodeClass callbacks{};
  std::shared_ptr<PluginLibrary> library;
};

class Node {
public:
  Node(int32_t type, std::string name);
  ~Node();
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  int32_t Type() const { return type; }
  const std::string& Name() const { return name; }
  void SetName(std::string n) { name = std::move(n); }
  Container& Data() { return data; }
  const Container& Data() const { return data; }

  // Creates the plug-in instance of cls for this node and initialises it; false (and no
  // instance) when the plug-in cannot allocate it or its Init fails.
  bool AttachInstance(std::shared_ptr<const NodeClass> cls);
  bool HasInstance() const { return instance != nullptr; }
  // Hands a message to the plug-in instance; nodes without one accept every message.
  bool Message(int32_t messageType, void* messageData);
  // Asks the plug-in instance whether a parameter is editable; true without one.
  bool GetEnabling(const HstDescID& id, const Value& value, int32_t flags);

  HstNode Handle() { return reinterpret_cast<HstNode>(this); }
  static Node* FromHandle(HstNode n) { return reinterpret_cast<Node*>(n); }

private:
  void DestroyInstance();

  int32_t type;
  std::string name;
  Container data;
  std::shared_ptr<const NodeClass> nodeClass;
  HstPluginObject instance = nullptr;
};

}  // namespace lensara
