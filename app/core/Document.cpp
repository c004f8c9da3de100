#include "Document.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "NodeTypes.h"

namespace lensara {

Document::Document() : Node(kDocument, "Untitled")
{
  renderView = std::make_unique<Node>(kRenderView, "Render View");
  defaultCamera = CreateNode(kCamera);
  defaultCamera->SetName("Default Camera");
  defaultCamera->SetPosition({0.0, 0.0, -1000.0});
  renderView->Pin();
  defaultCamera->Pin();
}

Document::~Document() { DestroyBranches(); }

std::unique_ptr<Node> Document::Clone() const { return CloneDocument(); }

std::unique_ptr<Document> Document::CloneDocument() const
{
  auto copy = std::make_unique<Document>();
  CopyInto(*copy);
  copy->activeRenderData = activeRenderData;
  copy->activeCamera = activeCamera;
  copy->time = time;
  copy->fps = fps;
  copy->folder = folder;
  return copy;
}

void Document::SetTime(double seconds)
{
  if (seconds == time) return;
  time = seconds;
  Animate();
}

void Document::Animate()
{
  double frame = Frame();
  VisitSubtree([frame](Node& n) { n.Animate(frame); });
}

double Document::FrameAt(double seconds) const
{
  double frame = seconds * fps, whole = std::round(frame);
  return std::abs(frame - whole) < 1e-6 ? whole : frame;
}

namespace {

// The branches links resolve in, in the order they are searched.
constexpr BranchKind kResolvedBranches[] = {HST_BRANCH_OBJECTS, HST_BRANCH_MATERIALS, HST_BRANCH_RENDER_DATA};

}  // namespace

bool Document::Resolves(BranchKind kind)
{
  return std::find(std::begin(kResolvedBranches), std::end(kResolvedBranches), kind) != std::end(kResolvedBranches);
}

Node* Document::Resolve(Identity id)
{
  auto it = byIdentity.find(id);
  if (it == byIdentity.end()) return nullptr;
  return it->second.node ? it->second.node : Search(id);
}

Node* Document::Search(Identity id)
{
  for (BranchKind kind : kResolvedBranches)
    for (Node* n = FirstIn(kind); n; n = n->Next())
      if (Node* found = n->FindIdentity(id)) return found;
  return nullptr;
}

void Document::Index(Node& node)
{
  node.VisitSubtree([this](Node& n) {
    Indexed& entry = byIdentity[n.GetIdentity()];
    entry.node = entry.count++ ? nullptr : &n;
  });
}

void Document::Unindex(Node& node)
{
  node.VisitSubtree([this](Node& n) {
    auto it = byIdentity.find(n.GetIdentity());
    if (--it->second.count == 0)
      byIdentity.erase(it);
    else
      it->second.node = nullptr;  // which of the others remains is found by searching
  });
}

namespace {

Node* SearchObjectIn(Node* first, const std::string& name)
{
  for (Node* n = first; n; n = n->Next()) {
    if (n->Name() == name) return n;
    if (Node* found = SearchObjectIn(n->Down(), name)) return found;
  }
  return nullptr;
}

}  // namespace

Node* Document::SearchObject(const std::string& objectName) const { return SearchObjectIn(FirstObject(), objectName); }

namespace {

// Whether a node other than self among first, its followers and their subtrees is named name.
bool NamedElsewhere(const Node* first, const Node* self, const std::string& name)
{
  for (const Node* n = first; n; n = n->Next())
    if ((n != self && n->Name() == name) || NamedElsewhere(n->Down(), self, name)) return true;
  return false;
}

}  // namespace

void MakeNameUnique(Node& node)
{
  const Node* top = &node;
  while (const Node* up = top->Up()) top = up;
  if (!top->List()) return;
  const Node* first = top->List()->First();
  std::string base = node.Name(), name = base;
  for (int suffix = 1; NamedElsewhere(first, &node, name); ++suffix) name = base + "." + std::to_string(suffix);
  node.SetName(name);
}

Node* Document::ActiveRenderData()
{
  for (Node* rd = FirstRenderData(); rd; rd = rd->Next())
    if (rd->GetIdentity() == activeRenderData.target) return rd;
  return FirstRenderData();
}

void Document::SetActiveRenderData(Node* renderData)
{
  activeRenderData.target = renderData ? renderData->GetIdentity() : 0;
}

Node* Document::ActiveCamera()
{
  Node* camera = Resolve(activeCamera);
  return camera && camera->Type() == kCamera ? camera : nullptr;
}

void Document::SetActiveCamera(Node* camera) { activeCamera.target = camera ? camera->GetIdentity() : 0; }

Node* Document::SceneCamera()
{
  Node* camera = ActiveCamera();
  return camera ? camera : defaultCamera.get();
}

}  // namespace lensara
