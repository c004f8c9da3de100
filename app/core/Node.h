// A scene node of the host: type id, name, data container, identity, its place in a
// list or tree and, for plug-in classes, the plug-in's own instance that answers its
// messages.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Container.h"
#include "Mesh.h"
#include "Track.h"
#include "host/abi/HstNode.h"
#include "host/abi/HstPlugin.h"

namespace lensara {

class Document;
class Node;
class PluginLibrary;

// A node class a plug-in registered, with the library that must stay loaded while any
// of its nodes lives.
struct NodeClass {
  HstNodeClass callbacks{};
  HstVideoPostCallbacks videoPost{};  // null functions for classes that are no video posts
  std::shared_ptr<PluginLibrary> library;
};

// The lists a node can hold (HST_BRANCH_...): the children of any node, the tags of an
// object, the shaders of a material, the video posts and pass entries of render
// settings, the objects, materials and render settings of a document.
using BranchKind = int32_t;

// A list of sibling nodes owned by a node. Destroying the list destroys its nodes.
class NodeList {
public:
  NodeList(Node* owner, BranchKind kind) : owner(owner), kind(kind) {}
  ~NodeList();
  NodeList(const NodeList&) = delete;
  NodeList& operator=(const NodeList&) = delete;

  Node* First() const { return first; }
  Node* Owner() const { return owner; }
  BranchKind Kind() const { return kind; }
  // Takes the node in after pred, which must be in this list; at the top when pred is null.
  void Insert(std::unique_ptr<Node> node, Node* pred);
  // Inserts after the last node.
  void Append(std::unique_ptr<Node> node) { Insert(std::move(node), last); }

private:
  friend class Node;
  Node* owner;
  BranchKind kind;
  Node* first = nullptr;
  // Kept so that appending does not walk the list.
  Node* last = nullptr;
};

// A channel of a standard material (0 colour ... 12 diffusion), owned by the material.
struct MaterialChannel {
  Node* material = nullptr;
  int32_t number = 0;
  // The shader linked at key 2102 + 10 x number, found among the material's shaders.
  Node* Shader() const;
};

class Node {
public:
  Node(int32_t type, std::string name);
  virtual ~Node();
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  int32_t Type() const { return type; }
  const std::string& Name() const { return name; }
  void SetName(std::string n) { name = std::move(n); }
  Container& Data() { return data; }
  const Container& Data() const { return data; }
  // The identity links refer to; clones keep it.
  Identity GetIdentity() const { return identity; }
  // Bumped by message 7: the node changed.
  uint32_t DirtyCount() const { return dirty; }

  // A deep copy with the same identity: data, transform, mesh, every branch and a fresh
  // plug-in instance of the same class, made when first needed.
  virtual std::unique_ptr<Node> Clone() const;

  // --- the list and tree
  Node* Up() const;
  Node* Down() const { return FirstIn(HST_BRANCH_CHILDREN); }
  Node* Next() const { return next; }
  Node* Pred() const { return pred; }
  NodeList* List() const { return list; }
  // The first node of a branch, or null when it is empty.
  Node* FirstIn(BranchKind kind) const;
  // The branch, made when first asked for.
  NodeList& Branch(BranchKind kind);
  // Takes the node out of its list; the caller owns it. Null when it is in none.
  std::unique_ptr<Node> Unlink();
  // The document the node is in (a document is in itself), or null.
  Document* GetDocument();
  // The node of that identity in this node's subtree (itself, then its branches), or null.
  Node* FindIdentity(Identity id);
  // Calls visit with this node and every node of its branches, at any depth.
  void VisitSubtree(const std::function<void(Node&)>& visit);
  // True when this node is ancestor or lies in one of its branches, at any depth.
  bool IsWithin(const Node* ancestor) const;
  // A pinned node belongs to its document outside every list (the render view, the
  // default camera): it can be neither inserted nor freed through the function table.
  void Pin() { pinned = true; }
  bool Pinned() const { return pinned; }

  // --- objects: placement relative to the parent object
  const Vector& Position() const { return position; }
  const Vector& Rotation() const { return rotation; }
  const Vector& Scale() const { return scale; }
  void SetPosition(const Vector& v) { position = v; }
  void SetRotation(const Vector& v) { rotation = v; }
  void SetScale(const Vector& v) { scale = v; }
  Matrix LocalMatrix() const;
  void SetLocalMatrix(const Matrix& m);
  // The local matrix followed by every ancestor's.
  Matrix GlobalMatrix() const;
  void SetGlobalMatrix(const Matrix& m);
  // Polygon objects: the geometry, shared between clones; null for others.
  const std::shared_ptr<const Mesh>& GetMesh() const { return mesh; }
  void SetMesh(std::shared_ptr<const Mesh> m) { mesh = std::move(m); }

  // --- animation
  // The node's tracks; a clone keeps them.
  const std::vector<Track>& Tracks() const { return tracks; }
  void SetTracks(std::vector<Track> t) { tracks = std::move(t); }
  // Writes every track's value at frame into the node.
  void Animate(double frame);

  // --- materials
  // The channel of a standard material, owned by it; null for other nodes and numbers.
  MaterialChannel* Channel(int32_t number);

  // --- plug-in instances
  // Creates the plug-in instance of cls for this node and initialises it; false (and no
  // instance) when the plug-in cannot allocate it or its Init fails.
  bool AttachInstance(std::shared_ptr<const NodeClass> cls);
  // A clone's instance is made when a call first needs it, its Init's defaults replaced by
  // the copied data: a document copied for each of many video posts holds no instances
  // of the others. When it cannot be made then, the call answers as a refusal.
  bool HasInstance() const { return nodeClass != nullptr; }
  // Message 7 bumps the change count. The plug-in instance, if any, answers; nodes
  // without one accept every message.
  bool Message(int32_t messageType, void* messageData);
  // Whether the plug-in instance lets parameter id be edited now, asked with the
  // parameter's value (none when absent) and no description; nodes without one let
  // every parameter be edited.
  bool Enabled(int32_t id);
  // The render calls of a video post's plug-in instance: 0 from nodes without one.
  int32_t AllocateBuffers(HstRender render, Node& doc);
  int32_t Execute(HstVideoPostStruct& vps);

  HstNode Handle() { return reinterpret_cast<HstNode>(this); }
  static Node* FromHandle(HstNode n) { return reinterpret_cast<Node*>(n); }

protected:
  // Destroys every branch: a document does so while its identity index still lives.
  void DestroyBranches() { branches.clear(); }
  // Copies everything Clone copies into dst, a fresh node of the same type.
  void CopyInto(Node& dst) const;

private:
  friend class NodeList;
  void DestroyInstance();
  // Creates and initialises the instance of nodeClass; false, with none, when it cannot.
  bool MakeInstance();
  // The instance, made now when a clone deferred it; null when there is none or it cannot
  // be made.
  HstPluginObject Instance();
  // The document that resolves links to this node: the one whose objects, materials or
  // render settings hold it, at any depth; null when none does.
  Document* ResolvingDocument();

  int32_t type;
  std::string name;
  Container data;
  Identity identity;
  uint32_t dirty = 0;
  bool pinned = false;

  NodeList* list = nullptr;
  Node* next = nullptr;
  Node* pred = nullptr;
  std::vector<std::unique_ptr<NodeList>> branches;

  Vector position, rotation, scale{1.0, 1.0, 1.0};
  std::shared_ptr<const Mesh> mesh;
  std::vector<Track> tracks;
  std::vector<std::unique_ptr<MaterialChannel>> channels;

  std::shared_ptr<const NodeClass> nodeClass;  // set while an instance exists or is due
  HstPluginObject instance = nullptr;
};

}  // namespace lensara
