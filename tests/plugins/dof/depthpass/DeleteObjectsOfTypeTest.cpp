// Deleting every object of a type while its children stay where they were.
#include "plugins/dof/depthpass/DeleteObjectsOfType.h"

#include "DepthSceneTest.h"

namespace {

using NameList = std::vector<std::string>;

class DeleteObjectsOfTypeTest : public DepthSceneTest {};

void ExpectSamePlace(const Matrix& a, const Matrix& b)
{
  for (auto [u, v] : {std::pair{a.off, b.off}, {a.v1, b.v1}, {a.v2, b.v2}, {a.v3, b.v3}}) {
    EXPECT_NEAR(u.x, v.x, 1e-9);
    EXPECT_NEAR(u.y, v.y, 1e-9);
    EXPECT_NEAR(u.z, v.z, 1e-9);
  }
}

TEST_F(DeleteObjectsOfTypeTest, PromotesChildrenInReverseOrderWhereTheyStood)
{
  Add(5160, "X");
  BaseObject* light = Add(5102, "Light");
  BaseObject* a = Add(5159, "A", light);
  BaseObject* b = Add(5160, "B", light);
  Add(5140, "Y");
  light->SetAbsPos(Vector(100.0, 50.0, -20.0));
  light->SetAbsRot(Vector(0.5, 0.2, 0.1));
  a->SetAbsPos(Vector(10.0, 0.0, 0.0));
  b->SetAbsPos(Vector(0.0, 0.0, 30.0));
  Matrix aWorld = a->GetMg(), bWorld = b->GetMg();

  DeleteObjectsOfType(doc, kLight);

  EXPECT_EQ(TopLevel(), (NameList{"X", "B", "A", "Y"}));
  ExpectSamePlace(a->GetMg(), aWorld);
  ExpectSamePlace(b->GetMg(), bWorld);
}

TEST_F(DeleteObjectsOfTypeTest, DeletesNestedObjectsOfTheTypeAtAnyDepth)
{
  BaseObject* group = Add(5140, "Group");
  BaseObject* outer = Add(5102, "Outer", group);
  BaseObject* inner = Add(5102, "Inner", outer);
  Add(5160, "C", inner);
  Add(5160, "D", outer);
  BaseObject* deep = Add(5140, "Deep");
  Add(5102, "DeepLight", Add(5140, "Deeper", deep));

  DeleteObjectsOfType(doc, kLight);

  EXPECT_EQ(TopLevel(), (NameList{"Group", "Deep"}));
  EXPECT_EQ(Names(group->GetDown()), (NameList{"D", "C"}));
  EXPECT_EQ(Names(deep->GetDown()->GetDown()), NameList{});
}

TEST_F(DeleteObjectsOfTypeTest, LeavesADocumentWithoutTheTypeUnchanged)
{
  Add(5160, "A");
  Add(5159, "B", Add(5140, "G"));
  DeleteObjectsOfType(doc, kLight);
  EXPECT_EQ(TopLevel(), (NameList{"A", "G"}));
  EXPECT_EQ(Names(doc->GetFirstObject()->GetNext()->GetDown()), NameList{"B"});

  BaseDocument* empty = BaseDocument::Alloc();
  DeleteObjectsOfType(empty, kLight);
  EXPECT_EQ(empty->GetFirstObject(), nullptr);
  BaseDocument::Free(empty);
}

TEST_F(DeleteObjectsOfTypeTest, TheRecursiveWorkerClearsTheReferenceOfADeletedObject)
{
  BaseObject* light = Add(5102, "Light");
  BaseObject* keep = Add(5160, "Keep");
  DeleteObjectsOfTypeRec(light, kLight);
  EXPECT_EQ(light, nullptr);
  DeleteObjectsOfTypeRec(keep, kLight);
  EXPECT_NE(keep, nullptr);
  BaseObject* none = nullptr;
  DeleteObjectsOfTypeRec(none, kLight);
  EXPECT_EQ(TopLevel(), NameList{"Keep"});
}

}  // namespace
