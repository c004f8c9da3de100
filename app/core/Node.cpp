#include "Node.h"

namespace lensara {

Node::Node(int32_t type, std::string name) : type(type), name(std::move(name)) {}

Node::~Node() { DestroyInstance(); }

bool Node::AttachInstance(std::shared_ptr<const NodeClass> cls)
{
  DestroyInstance();
  HstPluginObject created = cls->callbacks.create(cls->callbacks.context);
  if (!created) return false;
  nodeClass = std::move(cls);
  instance = created;
  if (nodeClass->callbacks.init(instance, Handle())) return true;
  DestroyInstance();
  return false;
}

void Node::DestroyInstance()
{
  if (instance) nodeClass->callbacks.destroy(instance);
  instance = nullptr;
  nodeClass.reset();
}

bool Node::Message(int32_t messageType, void* messageData)
{
  if (!instance) return true;
  return nodeClass->callbacks.message(instance, Handle(), messageType, messageData);
}

}  // namespace lensara

namespace lensara {

bool Node::GetEnabling(const HstDescID& id, const Value& value, int32_t flags)
{
  if (!instance) return true;
  Value copy = value;
  return nodeClass->callbacks.get_enabling(instance, Handle(), &id, reinterpret_cast<HstData>(&copy), flags,
                                           nullptr);
}

}  // namespace lensara
