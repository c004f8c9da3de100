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

TEST(Document, LinksFollowInsertsRemovalsAndSharedIdentities)
{
  Document doc;
  Node* parent = AddObject(doc, 5140, "Parent");
  Node* child = AddObject(doc, 5159, "Child", parent);
  Link link{child->GetIdentity()};
  EXPECT_EQ(doc.Resolve(link), child);
  // A copy of the parent put first shares the identities: the first in the lists wins.
  doc.Branch(HST_BRANCH_OBJECTS).Insert(parent->Clone(), nullptr);
  Node* copiedChild = doc.FirstObject()->Down();
  EXPECT_EQ(doc.Resolve(link), copiedChild);
  std::unique_ptr<Node> copy = doc.FirstObject()->Unlink();
  EXPECT_EQ(doc.Resolve(link), child);
  std::unique_ptr<Node> moved = child->Unlink();
  EXPECT_EQ(doc.Resolve(link), nullptr);
  doc.Branch(HST_BRANCH_MATERIALS).Append(std::move(moved));
  EXPECT_EQ(doc.Resolve(link), child);
  // A node added below one already in the document is found too.
  Node* grandchild = AddObject(doc, 5160, "Grandchild", parent);
  EXPECT_EQ(doc.Resolve(Link{grandchild->GetIdentity()}), grandchild);
}

// A plug-in class that counts its instances and sets a default in Init.
struct CountingClass {
  static inline int made = 0;
  static std::shared_ptr<NodeClass> Make()
  {
    auto cls = std::make_shared<NodeClass>();
    cls->callbacks.create = [](void*) { return reinterpret_cast<HstPluginObject>(new int(++made)); };
    cls->callbacks.destroy = [](HstPluginObject self) { delete reinterpret_cast<int*>(self); };
    cls->callbacks.init = [](HstPluginObject, HstNode node) -> HstBool {
      Node::FromHandle(node)->Data().Set(1, Value(int32_t{7}));
      return true;
    };
    cls->callbacks.message = [](HstPluginObject, HstNode, int32_t, void*) -> HstBool { return true; };
    return cls;
  }
};

TEST(Document, ClonesMakeTheirPluginInstanceAtTheFirstCall)
{
  Node effect(1020104, "Effect");
  ASSERT_TRUE(effect.AttachInstance(CountingClass::Make()));
  effect.Data().Set(1, Value(int32_t{3}));
  int before = CountingClass::made;
  std::unique_ptr<Node> copy = effect.Clone();
  std::unique_ptr<Node> copyOfCopy = copy->Clone();
  EXPECT_EQ(CountingClass::made, before);
  EXPECT_TRUE(copyOfCopy->HasInstance());
  EXPECT_TRUE(copyOfCopy->Message(HST_MSG_UPDATE, nullptr));
  EXPECT_EQ(CountingClass::made, before + 1);
  EXPECT_EQ(copyOfCopy->Data().GetLong(1, 0), 3);  // the copied value, not Init's default
  EXPECT_TRUE(copyOfCopy->Message(HST_MSG_UPDATE, nullptr));
  EXPECT_EQ(CountingClass::made, before + 1);
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
