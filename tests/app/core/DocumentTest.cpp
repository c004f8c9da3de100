#include "app/core/Document.h"

#include <gtest/gtest.h>

#include "app/core/NodeTypes.h"

namespace lensara {
namespace {

Node* AddObject(Document& doc, int32_t type, const std::string& name, Node* parent = nullptr)
{
  std::unique_ptr<Node> n = CreateNode(type);
  n->SetName(name);
  Node* raw = n.get();
  (parent ? parent->Branch(HST_BRANCH_CHILDREN) : doc.Branch(HST_BRANCH_OBJECTS)).Append(std::move(n));
  return raw;
}

TEST(Document, CloneIsIndependentOfTheOriginal)
{
  Document doc;
  Node* cube = AddObject(doc, 5159, "Cube");
  AddObject(doc, 5160, "Ball", cube);
  std::unique_ptr<Document> copy = doc.CloneDocument();
  ASSERT_TRUE(copy);
  Node* copiedCube = copy->SearchObject("Cube");
  ASSERT_TRUE(copiedCube);
  EXPECT_NE(copiedCube, cube);
  copiedCube->Data().Set(1100, Value(Vector{1.0, 2.0, 3.0}));
  copiedCube->SetName("Changed");
  copiedCube->Down()->Unlink();
  EXPECT_EQ(*cube->Data().Find(1100)->GetVector(), (Vector{200.0, 200.0, 200.0}));
  EXPECT_EQ(cube->Name(), "Cube");
  ASSERT_TRUE(cube->Down());
  EXPECT_EQ(cube->Down()->Name(), "Ball");
}

TEST(Document, LinksResolveInTheirOwnDocumentOnly)
{
  Document doc;
  Node* target = AddObject(doc, 5160, "Target");
  Node* light = AddObject(doc, 5102, "Light");
  light->Data().FindLive(100000)->GetInExclude()->entries.push_back({target->GetIdentity(), 15});
  Link link{target->GetIdentity()};
  std::unique_ptr<Document> copy = doc.CloneDocument();
  Node* copiedTarget = copy->Resolve(link);
  ASSERT_TRUE(copiedTarget);
  EXPECT_EQ(copiedTarget, copy->SearchObject("Target"));
  const InExclude* list = copy->SearchObject("Light")->Data().Find(100000)->GetInExclude();
  EXPECT_EQ(copy->Resolve(list->entries[0].target), copiedTarget);
  Document other;
  EXPECT_EQ(other.Resolve(link), nullptr);
  copy->SearchObject("Target")->Unlink();
  EXPECT_EQ(copy->Resolve(link), nullptr);
  EXPECT_EQ(doc.Resolve(link), target);
}

TEST(Document, GlobalMatrixFollowsTheParent)
{
  Document doc;
  Node* parent = AddObject(doc, 5140, "Parent");
  parent->SetPosition({100.0, 0.0, 0.0});
  parent->SetScale({2.0, 2.0, 2.0});
  Node* child = AddObject(doc, 5159, "Child", parent);
  child->SetPosition({10.0, 0.0, 0.0});
  EXPECT_EQ(child->GlobalMatrix().off, (Vector{120.0, 0.0, 0.0}));
  Matrix world = child->GlobalMatrix();
  std::unique_ptr<Node> owned = child->Unlink();
  doc.Branch(HST_BRANCH_OBJECTS).Insert(std::move(owned), parent);
  child->SetGlobalMatrix(world);
  EXPECT_NEAR(child->GlobalMatrix().off.x, 120.0, 1e-9);
  EXPECT_NEAR(child->Scale().x, 2.0, 1e-12);
}

std::string Names(const Node* first)
{
  std::string names;
  for (const Node* n = first; n; n = n->Next()) names += n->Name();
  return names;
}

TEST(Document, AppendGoesAfterTheLastNodeAsInsertsAndUnlinksLeaveIt)
{
  Document doc;
  NodeList& objects = doc.Branch(HST_BRANCH_OBJECTS);
  AddObject(doc, 5159, "A");
  Node* b = AddObject(doc, 5159, "B");
  b->Unlink();
  Node* c = AddObject(doc, 5159, "C");
  std::unique_ptr<Node> d = CreateNode(kCube);
  d->SetName("D");
  objects.Insert(std::move(d), c);
  AddObject(doc, 5159, "E");
  EXPECT_EQ(Names(objects.First()), "ACDE");
  while (objects.First()) objects.First()->Unlink();
  AddObject(doc, 5159, "F");
  EXPECT_EQ(Names(objects.First()), "F");
}

TEST(Document, SceneCameraFallsBackToTheDefaultView)
{
  Document doc;
  Node* camera = doc.SceneCamera();
  ASSERT_TRUE(camera);
  EXPECT_EQ(camera->Type(), kCamera);
  EXPECT_EQ(camera->GlobalMatrix().off, (Vector{0.0, 0.0, -1000.0}));
  Node* mine = AddObject(doc, kCamera, "Mine");
  doc.SetActiveCamera(mine);
  EXPECT_EQ(doc.SceneCamera(), mine);
  std::unique_ptr<Document> copy = doc.CloneDocument();
  EXPECT_EQ(copy->SceneCamera(), copy->SearchObject("Mine"));
  mine->Unlink();
  EXPECT_NE(doc.SceneCamera(), mine);
}

TEST(Document, MessageSevenCountsChanges)
{
  Document doc;
  Node* n = AddObject(doc, 5159, "Cube");
  EXPECT_TRUE(n->Message(5, nullptr));
  EXPECT_EQ(n->DirtyCount(), 0u);
  EXPECT_TRUE(n->Message(7, nullptr));
  EXPECT_EQ(n->DirtyCount(), 1u);
}

}  // namespace
}  // namespace lensara
