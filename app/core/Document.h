// A document: objects, materials, render settings (one of them active), the active
// camera and the current time. It is a node itself, holding these lists as branches.
#pragma once

#include <filesystem>
#include <memory>
#include <unordered_map>

#include "Node.h"
#include "host/TypeIds.h"

namespace lensara {

class Document : public Node {
public:
  Document();
  ~Document() override;

  std::unique_ptr<Node> Clone() const override;
  // The deep copy as a document.
  std::unique_ptr<Document> CloneDocument() const;

  Node* FirstObject() const { return FirstIn(HST_BRANCH_OBJECTS); }
  Node* FirstMaterial() const { return FirstIn(HST_BRANCH_MATERIALS); }
  Node* FirstRenderData() const { return FirstIn(HST_BRANCH_RENDER_DATA); }

  // The node of that identity in this document, or null: a link in a clone finds the
  // clone's node and a link to a node of another document finds nothing. Where several
  // nodes carry it, the first of the objects, materials and render settings, depth first.
  Node* Resolve(Identity id);
  Node* Resolve(const Link& link) { return link.target ? Resolve(link.target) : nullptr; }

  // The first object of that name, depth first, or null.
  Node* SearchObject(const std::string& objectName) const;

  // The active render settings: the one chosen if it is still in the document, else the
  // first; null when there are none.
  Node* ActiveRenderData();
  void SetActiveRenderData(Node* renderData);
  // The camera the document renders through; null for the default view.
  Node* ActiveCamera();
  void SetActiveCamera(Node* camera);

  // The render view, owned by the document. Its scene camera is the active camera, or
  // a camera of the document's own at (0, 0, -1000) looking along +Z.
  Node* RenderView() { return renderView.get(); }
  Node* SceneCamera();

  // The current time in seconds.
  double Time() const { return time; }
  // A time other than the current one becomes current and every track of the document is
  // evaluated at it, its values written into the nodes; the current time again changes
  // nothing, so what was prepared or edited in a document at its time stays.
  void SetTime(double seconds);
  // Writes every track's value at the current time into its node: for a document as it loads.
  void Animate();
  // Frames per second, for turning frame numbers into times.
  double Fps() const { return fps; }
  void SetFps(double framesPerSecond) { fps = framesPerSecond; }
  // The frame of a time, seconds x fps; a time within rounding of a whole frame is that frame.
  double FrameAt(double seconds) const;
  double Frame() const { return FrameAt(time); }

  // The folder that relative file names of the document (bitmap shaders) start from: the
  // scene file's folder; empty (the working folder) for a document made in memory.
  const std::filesystem::path& Folder() const { return folder; }
  void SetFolder(std::filesystem::path f) { folder = std::move(f); }

  // True for the branches links resolve in: objects, materials, render settings.
  static bool Resolves(BranchKind kind);
  // Keeps the index of Resolve as node, with its subtree, enters or leaves those branches.
  void Index(Node& node);
  void Unindex(Node& node);

private:
  // The nodes of one identity: the node when it is the only one, else null.
  struct Indexed {
    Node* node = nullptr;
    uint32_t count = 0;
  };
  // Resolve's search through every node, for identities several nodes carry.
  Node* Search(Identity id);

  std::unordered_map<Identity, Indexed> byIdentity;  // links resolve in constant time
  Link activeRenderData;
  Link activeCamera;
  double time = 0.0;
  double fps = 30.0;
  std::filesystem::path folder;
  std::unique_ptr<Node> renderView;
  std::unique_ptr<Node> defaultCamera;
};

// Renames node when another node of the tree its top-level list holds (the whole object
// tree for an object, the material list for a material) has its name, as a 3-D
// application does: the name gets the suffix ".1", ".2", ..., the first no other node has.
// Nothing when node is in no list or its name is free.
void MakeNameUnique(Node& node);

}  // namespace lensara
