#include "Node.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "Allocations.h"
#include "Document.h"
#include "NodeTypes.h"
#include "host/abi/HstRenderer.h"

namespace lensara {

namespace {

std::atomic<Identity> lastIdentity{0};

}  // namespace

// --- NodeList

NodeList::~NodeList()
{
  while (first) first->Unlink();
}

void NodeList::Insert(std::unique_ptr<Node> node, Node* pred)
{
  Node* n = node.release();
  n->list = this;
  n->pred = pred;
  n->next = pred ? pred->next : first;
  if (n->next)
    n->next->pred = n;
  else
    last = n;
  if (pred)
    pred->next = n;
  else
    first = n;
  if (Document* doc = n->ResolvingDocument()) doc->Index(*n);
}

// --- MaterialChannel

Node* MaterialChannel::Shader() const
{
  const Value* v = material->Data().Find(kMaterialColorShader + 10 * number);
  const Link* link = v ? v->GetLink() : nullptr;
  if (!link || !link->target) return nullptr;
  for (Node* s = material->FirstIn(HST_BRANCH_SHADERS); s; s = s->Next())
    if (Node* found = s->FindIdentity(link->target)) return found;
  return nullptr;
}

// --- Node

Node::Node(int32_t type, std::string name) : type(type), name(std::move(name)), identity(++lastIdentity)
{
  CountAllocation();
}

Node::~Node()
{
  // Branches go first: their nodes may be plug-in nodes of libraries this one holds.
  branches.clear();
  DestroyInstance();
}

std::unique_ptr<Node> Node::Clone() const
{
  auto copy = std::make_unique<Node>(type, name);
  CopyInto(*copy);
  return copy;
}

void Node::CopyInto(Node& dst) const
{
  dst.identity = identity;
  dst.position = position;
  dst.rotation = rotation;
  dst.scale = scale;
  dst.mesh = mesh;
  dst.tracks = tracks;
  dst.nodeClass = nodeClass;
  dst.data = data;
  for (const auto& branch : branches) {
    NodeList& target = dst.Branch(branch->Kind());
    for (const Node* n = branch->First(); n; n = n->Next()) target.Append(n->Clone());
  }
}

Node* Node::Up() const
{
  return list && list->Kind() == HST_BRANCH_CHILDREN ? list->Owner() : nullptr;
}

Node* Node::FirstIn(BranchKind kind) const
{
  for (const auto& branch : branches)
    if (branch->Kind() == kind) return branch->First();
  return nullptr;
}

NodeList& Node::Branch(BranchKind kind)
{
  for (const auto& branch : branches)
    if (branch->Kind() == kind) return *branch;
  branches.push_back(std::make_unique<NodeList>(this, kind));
  return *branches.back();
}

std::unique_ptr<Node> Node::Unlink()
{
  if (!list) return nullptr;
  if (Document* doc = ResolvingDocument()) doc->Unindex(*this);
  if (pred)
    pred->next = next;
  else
    list->first = next;
  if (next)
    next->pred = pred;
  else
    list->last = pred;
  list = nullptr;
  next = pred = nullptr;
  return std::unique_ptr<Node>(this);
}

Document* Node::GetDocument()
{
  Node* n = this;
  while (n->list) n = n->list->Owner();
  return n->type == kDocument ? static_cast<Document*>(n) : nullptr;
}

Node* Node::FindIdentity(Identity id)
{
  if (identity == id) return this;
  for (const auto& branch : branches)
    for (Node* n = branch->First(); n; n = n->Next())
      if (Node* found = n->FindIdentity(id)) return found;
  return nullptr;
}

void Node::VisitSubtree(const std::function<void(Node&)>& visit)
{
  visit(*this);
  for (const auto& branch : branches)
    for (Node* n = branch->First(); n; n = n->Next()) n->VisitSubtree(visit);
}

Document* Node::ResolvingDocument()
{
  if (!list) return nullptr;
  NodeList* top = list;
  while (top->Owner()->list) top = top->Owner()->list;
  Node* owner = top->Owner();
  return owner->type == kDocument && Document::Resolves(top->Kind()) ? static_cast<Document*>(owner) : nullptr;
}

bool Node::IsWithin(const Node* ancestor) const
{
  for (const Node* n = this; n; n = n->list ? n->list->Owner() : nullptr)
    if (n == ancestor) return true;
  return false;
}

Matrix Node::LocalMatrix() const { return ComposeMatrix(position, rotation, scale); }

void Node::SetLocalMatrix(const Matrix& m) { DecomposeMatrix(m, position, rotation, scale); }

Matrix Node::GlobalMatrix() const
{
  Node* parent = Up();
  return parent ? parent->GlobalMatrix() * LocalMatrix() : LocalMatrix();
}

void Node::SetGlobalMatrix(const Matrix& m)
{
  Node* parent = Up();
  SetLocalMatrix(parent ? Inverse(parent->GlobalMatrix()) * m : m);
}

void Node::Animate(double frame)
{
  for (const Track& track : tracks) track.Apply(*this, frame);
}

MaterialChannel* Node::Channel(int32_t number)
{
  if (type != kStandardMaterial || number < 0 || number >= kMaterialChannelCount) return nullptr;
  if (channels.empty()) {
    for (int32_t i = 0; i < kMaterialChannelCount; ++i)
      channels.push_back(std::make_unique<MaterialChannel>(MaterialChannel{this, i}));
  }
  return channels[number].get();
}

bool Node::AttachInstance(std::shared_ptr<const NodeClass> cls)
{
  DestroyInstance();
  nodeClass = std::move(cls);
  if (MakeInstance()) return true;
  nodeClass.reset();
  return false;
}

bool Node::MakeInstance()
{
  instance = nodeClass->callbacks.create(nodeClass->callbacks.context);
  if (!instance) return false;
  if (nodeClass->callbacks.init(instance, Handle())) return true;
  nodeClass->callbacks.destroy(instance);
  instance = nullptr;
  return false;
}

HstPluginObject Node::Instance()
{
  if (instance || !nodeClass) return instance;
  // Init sets its defaults on a fresh node; the copied data then replaces them.
  Container copied = std::exchange(data, Container());
  MakeInstance();
  data = std::move(copied);
  return instance;
}

void Node::DestroyInstance()
{
  if (instance) nodeClass->callbacks.destroy(instance);
  instance = nullptr;
  nodeClass.reset();
}

int32_t Node::AllocateBuffers(HstRender render, Node& doc)
{
  if (!nodeClass || !nodeClass->videoPost.allocate_buffers) return 0;
  HstPluginObject self = Instance();
  return self ? nodeClass->videoPost.allocate_buffers(self, Handle(), render, doc.Handle()) : HST_RENDER_OUT_OF_MEMORY;
}

int32_t Node::Execute(HstVideoPostStruct& vps)
{
  if (!nodeClass || !nodeClass->videoPost.execute) return 0;
  HstPluginObject self = Instance();
  return self ? nodeClass->videoPost.execute(self, Handle(), &vps) : HST_RENDER_OUT_OF_MEMORY;
}

bool Node::Message(int32_t messageType, void* messageData)
{
  if (messageType == HST_MSG_UPDATE) ++dirty;
  if (!nodeClass) return true;
  HstPluginObject self = Instance();
  return self && nodeClass->callbacks.message(self, Handle(), messageType, messageData);
}

bool Node::Enabled(int32_t id)
{
  if (!nodeClass) return true;
  HstPluginObject self = Instance();
  const HstDescID descId{1, {{id, 0, 0}}};
  const Value* stored = data.Find(id);
  Value value = stored ? *stored : Value();
  return self && nodeClass->callbacks.get_enabling(self, Handle(), &descId, reinterpret_cast<HstData>(&value), 0, nullptr);
}

}  // namespace lensara
