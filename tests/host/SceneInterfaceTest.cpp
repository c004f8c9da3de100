// The plug-in's scene classes bound in-process to a host.
#include <gtest/gtest.h>

#include <cstring>

#include "app/core/Allocations.h"
#include "app/core/Host.h"
#include "app/scene/SceneFile.h"
#include "host/c4d.h"
#include "host/keys/RenderDataKeys.h"
#include "resources/description/vpdof.h"

namespace {

class SceneInterface : public ::testing::Test {
protected:

  // An object of type named name inserted at the top of doc.
  BaseObject* Insert(Int32 type, const char* name)
  {
    BaseObject* op = BaseObject::Alloc(type);
    op->SetName(String(name));
    doc->InsertObject(op, nullptr, nullptr);
    return op;
  }

  void TearDown() override { BaseDocument::Free(doc); }

  lensara::Host host;
  Int32 version = InitOS(const_cast<C4DOS*>(host.Table()));
  BaseDocument* doc = BaseDocument::Alloc();
};

std::string NameOf(const BaseList2D* n) { return n ? n->GetName().GetCString() : "(null)"; }

TEST_F(SceneInterface, InsertedObjectsAndMaterialsGoToTheTop)
{
  Insert(5159, "A");
  Insert(5160, "B");
  EXPECT_EQ(NameOf(doc->GetFirstObject()), "B");
  EXPECT_EQ(NameOf(doc->GetFirstObject()->GetNext()), "A");
  EXPECT_EQ(doc->GetFirstObject()->GetNext()->GetPred(), doc->GetFirstObject());
  BaseMaterial* first = BaseMaterial::Alloc(kStandardMaterial);
  BaseMaterial* second = BaseMaterial::Alloc(kHairMaterial);
  doc->InsertMaterial(first);
  doc->InsertMaterial(second);
  EXPECT_EQ(doc->GetFirstMaterial(), second);
  EXPECT_EQ(doc->GetFirstMaterial()->GetNext(), first);
  EXPECT_EQ(first->GetDocument(), doc);
}

TEST_F(SceneInterface, NameCheckedInsertionsTakeTheFirstSuffixNoObjectOrMaterialHas)
{
  BaseObject* group = Insert(5159, "Light");
  BaseObject* nested = BaseObject::Alloc(kSphere);
  nested->SetName(String("Light"));
  ASSERT_TRUE(doc->InsertObject(nested, group, nullptr, true));
  auto inserted = [this](const char* name, Bool checknames) {
    BaseObject* op = BaseObject::Alloc(kLight);
    op->SetName(String(name));
    EXPECT_TRUE(doc->InsertObject(op, nullptr, nullptr, checknames));
    return NameOf(op);
  };
  EXPECT_EQ(NameOf(nested), "Light.1");  // the whole tree counts, not only the siblings
  EXPECT_EQ(inserted("Light", true), "Light.2");
  EXPECT_EQ(inserted("Lamp", true), "Lamp");
  EXPECT_EQ(inserted("Lamp", false), "Lamp");

  // Materials are compared with materials only.
  auto material = [this](Bool checknames) {
    BaseMaterial* mat = BaseMaterial::Alloc(kStandardMaterial);
    mat->SetName(String("Light"));
    EXPECT_TRUE(doc->InsertMaterial(mat, nullptr, checknames));
    return NameOf(mat);
  };
  EXPECT_EQ(material(true), "Light");
  EXPECT_EQ(material(true), "Light.1");
  EXPECT_EQ(material(false), "Light");

  // A refused insertion renames nothing.
  BaseObject* listed = doc->GetFirstObject();
  EXPECT_FALSE(doc->InsertObject(listed, nullptr, nullptr, true));
  EXPECT_EQ(NameOf(listed), "Lamp");
}

TEST_F(SceneInterface, RemovedObjectsLeaveTheTreeAndFreeClearsThePointer)
{
  BaseObject* parent = Insert(5140, "Parent");
  BaseObject* child = BaseObject::Alloc(kCube);
  ASSERT_TRUE(doc->InsertObject(child, parent, nullptr));
  EXPECT_EQ(child->GetUp(), parent);
  EXPECT_EQ(doc->SearchObject(String("Cube")), child);
  child->Remove();
  EXPECT_EQ(parent->GetDown(), nullptr);
  EXPECT_EQ(child->GetDocument(), nullptr);
  EXPECT_EQ(doc->SearchObject(String("Cube")), nullptr);
  ASSERT_TRUE(child->InsertAfter(parent));
  EXPECT_EQ(parent->GetNext(), child);
  EXPECT_EQ(child->GetUp(), nullptr);
  child->Remove();
  BaseObject::Free(child);
  EXPECT_EQ(child, nullptr);
  EXPECT_EQ(parent->GetNext(), nullptr);
}

TEST_F(SceneInterface, InsertionRefusesNodesThatAreAlreadyListed)
{
  BaseObject* a = Insert(5159, "A");
  BaseObject* b = Insert(5159, "B");
  EXPECT_FALSE(doc->InsertObject(a, nullptr, nullptr));
  EXPECT_FALSE(a->InsertAfter(b));
  BaseObject* loose = BaseObject::Alloc(kCube);
  BaseObject* elsewhere = BaseObject::Alloc(kNull);
  EXPECT_FALSE(doc->InsertObject(loose, nullptr, elsewhere));
  BaseObject::Free(elsewhere);
  a->Remove();
  ASSERT_TRUE(loose->InsertUnder(a));
  EXPECT_FALSE(a->InsertUnder(loose));  // a node cannot go inside itself
  BaseObject::Free(a);
  BaseObject* camera = doc->GetRenderBaseDraw()->GetSceneCamera(doc);
  EXPECT_FALSE(doc->InsertObject(camera, nullptr, nullptr));
  BaseObject* freed = camera;
  BaseObject::Free(freed);  // owned by the document: left alone
  EXPECT_EQ(doc->GetRenderBaseDraw()->GetSceneCamera(doc), camera);
  EXPECT_EQ(camera->GetMg().off, Vector(0.0, 0.0, -1000.0));
}

TEST_F(SceneInterface, CloneIsDeepAndIndependent)
{
  BaseObject* cube = Insert(5159, "Cube");
  cube->SetAbsPos(Vector(1.0, 2.0, 3.0));
  BaseTag* tag = BaseTag::Alloc(kCompositingTag);
  cube->InsertTag(tag);
  RenderData* rd = RenderData::Alloc();
  doc->InsertRenderData(rd);
  rd->InsertMultipass(BaseList2D::Alloc(kMultipassNode));
  BaseDocument* copy = doc->GetClone();
  ASSERT_TRUE(copy);
  BaseObject* copiedCube = copy->SearchObject(String("Cube"));
  ASSERT_TRUE(copiedCube);
  EXPECT_NE(copiedCube, cube);
  EXPECT_EQ(copiedCube->GetAbsPos(), Vector(1.0, 2.0, 3.0));
  ASSERT_TRUE(copiedCube->GetTag(kCompositingTag));
  EXPECT_TRUE(copy->GetActiveRenderData()->GetFirstMultipass());
  copiedCube->GetTag(kCompositingTag)->GetDataInstance()->SetBool(1004, true);
  copiedCube->SetAbsPos(Vector(9.0, 9.0, 9.0));
  EXPECT_FALSE(tag->GetDataInstance()->GetBool(1004));
  EXPECT_EQ(cube->GetAbsPos(), Vector(1.0, 2.0, 3.0));
  BaseDocument::Free(copy);
  EXPECT_EQ(copy, nullptr);
}

TEST_F(SceneInterface, InExcludeEntriesResolveInTheCloneAndNowhereElse)
{
  BaseObject* a = Insert(5159, "A");
  BaseObject* b = Insert(5160, "B");
  BaseObject* light = Insert(5102, "Light");
  GeData list;
  ASSERT_TRUE(light->GetParameter(DescID(100000), list, 0));
  auto* entries = static_cast<InExcludeData*>(list.GetCustomDataType(CUSTOMDATATYPE_INEXCLUDE_LIST));
  ASSERT_TRUE(entries);
  entries->InsertObject(a, 15);
  entries->InsertObject(b, 1);
  ASSERT_TRUE(light->SetParameter(DescID(100000), list, 0));

  BaseDocument* copy = doc->GetClone();
  auto* copied = static_cast<InExcludeData*>(copy->SearchObject(String("Light"))
                                                 ->GetDataInstance()
                                                 ->GetCustomDataType(100000, CUSTOMDATATYPE_INEXCLUDE_LIST));
  ASSERT_EQ(copied->GetObjectCount(), 2);
  EXPECT_EQ(copied->ObjectFromIndex(copy, 0), copy->SearchObject(String("A")));
  EXPECT_EQ(copied->ObjectFromIndex(copy, 1), copy->SearchObject(String("B")));
  EXPECT_EQ(copied->GetFlags(1), 1);
  BaseDocument* other = BaseDocument::Alloc();
  EXPECT_EQ(copied->ObjectFromIndex(other, 0), nullptr);
  EXPECT_EQ(copied->ObjectFromIndex(copy, 2), nullptr);
  BaseDocument::Free(other);
  BaseDocument::Free(copy);
}

TEST_F(SceneInterface, TextureTagFindsItsMaterialInItsOwnDocument)
{
  BaseObject* cube = Insert(5159, "Cube");
  BaseMaterial* mat = BaseMaterial::Alloc(kStandardMaterial);
  doc->InsertMaterial(mat);
  TextureTag* tag = TextureTag::Alloc();
  tag->SetMaterial(mat);
  EXPECT_EQ(tag->GetMaterial(), nullptr);  // a free-standing tag is in no document
  TextureTag* placed = static_cast<TextureTag*>(tag->GetClone());
  cube->InsertTag(placed);
  EXPECT_EQ(placed->GetMaterial(), mat);
  BaseDocument* copy = doc->GetClone();
  auto* copiedTag = static_cast<TextureTag*>(copy->GetFirstObject()->GetTag(kTextureTag));
  EXPECT_EQ(copiedTag->GetMaterial(), copy->GetFirstMaterial());
  mat->Remove();
  BaseMaterial::Free(mat);
  EXPECT_EQ(placed->GetMaterial(), nullptr);
  TextureTag::Free(tag);
  BaseDocument::Free(copy);
}

TEST_F(SceneInterface, ChannelShaderCanBeUnlinkedAndFreed)
{
  BaseMaterial* mat = BaseMaterial::Alloc(kStandardMaterial);
  doc->InsertMaterial(mat);
  PluginShader* shader = PluginShader::Alloc(kCheckerboardShader);
  ASSERT_TRUE(mat->InsertShader(shader));
  mat->GetDataInstance()->SetLink(2102, shader);
  ASSERT_TRUE(mat->GetChannel(0));
  EXPECT_EQ(mat->GetChannel(0)->GetShader(), shader);
  EXPECT_EQ(mat->GetChannel(1)->GetShader(), nullptr);
  EXPECT_EQ(mat->GetChannel(13), nullptr);
  EXPECT_TRUE(mat->GetChannelState(0));
  mat->SetChannelState(0, false);
  EXPECT_FALSE(mat->GetChannelState(0));
  BaseShader* found = mat->GetChannel(0)->GetShader();
  found->Remove();
  BaseShader::Free(found);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(mat->GetChannel(0)->GetShader(), nullptr);
  BaseMaterial* hair = BaseMaterial::Alloc(kHairMaterial);
  EXPECT_EQ(hair->GetChannel(0), nullptr);
  BaseMaterial::Free(hair);
}

TEST_F(SceneInterface, GradientKnotsAreRemovedAndInsertedInPlace)
{
  BaseMaterial* hair = BaseMaterial::Alloc(kHairMaterial);
  doc->InsertMaterial(hair);
  auto* g = static_cast<Gradient*>(hair->GetDataInstance()->GetCustomDataType(3139, CUSTOMDATATYPE_GRADIENT));
  ASSERT_TRUE(g);
  for (Int32 i = g->GetKnotCount() - 1; i >= 0; --i) EXPECT_TRUE(g->RemoveKnot(i));
  EXPECT_EQ(g->GetKnotCount(), 0);
  EXPECT_EQ(g->InsertKnot(Vector(1.0), 1.0, 1.0, 0.5, 0), 0);
  EXPECT_EQ(g->InsertKnot(Vector(1.0), 1.0, 0.0, 0.5, 0), 1);
  hair->GetDataInstance()->SetBool(3141, true);
  auto* again = static_cast<Gradient*>(hair->GetDataInstance()->GetCustomDataType(3139, CUSTOMDATATYPE_GRADIENT));
  ASSERT_EQ(again->GetKnotCount(), 2);
  EXPECT_EQ(again->GetKnot(0).pos, 1.0);
  EXPECT_EQ(again->GetKnot(1).pos, 0.0);
  EXPECT_EQ(again->GetKnot(1).col, Vector(1.0));
  EXPECT_EQ(hair->GetDataInstance()->GetCustomDataType(3139, CUSTOMDATATYPE_INEXCLUDE_LIST), nullptr);
}

TEST_F(SceneInterface, RenderDataListsTakeNewEntriesFirst)
{
  RenderData* rd = RenderData::Alloc();
  doc->InsertRenderData(rd);
  EXPECT_EQ(doc->GetActiveRenderData(), rd);
  EXPECT_EQ(PluginVideoPost::Alloc(kHairVideoPost), nullptr);
  BaseList2D* hundred = BaseList2D::Alloc(kMultipassNode);
  hundred->GetDataInstance()->SetLong(1000, 100);
  BaseList2D* six = BaseList2D::Alloc(kMultipassNode);
  six->GetDataInstance()->SetLong(1000, 6);
  rd->InsertMultipass(hundred);
  rd->InsertMultipass(six);
  EXPECT_TRUE(rd->Message(5));
  MultipassObject* first = rd->GetFirstMultipass();
  EXPECT_EQ(first->GetDataInstance()->GetLong(1000), 6);
  EXPECT_EQ(first->GetNext()->GetDataInstance()->GetLong(1000), 100);
  EXPECT_EQ(rd->GetDataInstance()->GetLong(kRenderWidth), 640);
  RenderData* second = RenderData::Alloc();
  doc->InsertRenderData(second, rd);
  doc->SetActiveRenderData(second);
  EXPECT_EQ(doc->GetActiveRenderData(), second);
  second->Remove();
  EXPECT_EQ(doc->GetActiveRenderData(), rd);
  RenderData::Free(second);
}

TEST_F(SceneInterface, RenderViewShowsTheActiveOrTheDefaultCamera)
{
  BaseDraw* view = doc->GetRenderBaseDraw();
  ASSERT_TRUE(view);
  BaseObject* fallback = view->GetSceneCamera(doc);
  ASSERT_TRUE(fallback);
  EXPECT_EQ(fallback->GetMg().off, Vector(0.0, 0.0, -1000.0));
  BaseObject* camera = Insert(5103, "Camera");
  doc->SetActiveCamera(camera);
  EXPECT_EQ(view->GetSceneCamera(doc), camera);
  EXPECT_EQ(camera->GetDataInstance()->GetReal(1010), 2000.0);
  doc->SetTime(BaseTime(2.5));
  EXPECT_EQ(doc->GetTime().Get(), 2.5);
}

TEST_F(SceneInterface, SetMgKeepsTheWorldPlaceUnderANewParent)
{
  BaseObject* parent = Insert(5140, "Parent");
  parent->SetAbsPos(Vector(100.0, 0.0, 0.0));
  parent->SetAbsScale(Vector(2.0));
  BaseObject* child = BaseObject::Alloc(kCube);
  doc->InsertObject(child, parent, nullptr);
  child->SetAbsPos(Vector(0.0, 10.0, 0.0));
  Matrix world = child->GetMg();
  EXPECT_EQ(world.off, Vector(100.0, 20.0, 0.0));
  child->Remove();
  child->InsertAfter(parent);
  child->SetMg(world);
  EXPECT_NEAR(child->GetMg().off.y, 20.0, 1e-9);
  EXPECT_NEAR(child->GetAbsScale().x, 2.0, 1e-12);
}

TEST_F(SceneInterface, ValuesOfEveryTypeRoundTripThroughParameters)
{
  BaseObject* op = Insert(5140, "Null");
  BaseContainer* inner = BaseContainer::Alloc();
  inner->SetBool(kDofId, true);
  Matrix m(Vector(1.0, 2.0, 3.0), Vector(0.0, 1.0, 0.0), Vector(-1.0, 0.0, 0.0), Vector(0.0, 0.0, 1.0));
  EXPECT_TRUE(op->SetParameter(DescID(1), GeData(Vector(1.0, 2.0, 3.0)), 0));
  EXPECT_TRUE(op->SetParameter(DescID(2), GeData(m), 0));
  EXPECT_TRUE(op->SetParameter(DescID(3), GeData(String("text")), 0));
  EXPECT_TRUE(op->SetParameter(DescID(4), GeData(*inner), 0));
  op->GetDataInstance()->SetLink(5, op);
  BaseContainer::Free(inner);
  GeData v;
  op->GetParameter(DescID(1), v, 0);
  EXPECT_EQ(v.GetType(), DA_VECTOR);
  EXPECT_EQ(v.GetVector(), Vector(1.0, 2.0, 3.0));
  op->GetParameter(DescID(2), v, 0);
  EXPECT_EQ(v.GetMatrix(), m);
  EXPECT_EQ(std::strcmp(op->GetDataInstance()->GetString(3).GetCString(), "text"), 0);
  op->GetParameter(DescID(4), v, 0);
  ASSERT_TRUE(v.GetContainer());
  EXPECT_TRUE(v.GetContainer()->GetBool(kDofId));
  EXPECT_TRUE(op->GetDataInstance()->GetContainerInstance(4)->GetBool(kDofId));
  EXPECT_EQ(op->GetDataInstance()->GetLink(5, doc), op);
  EXPECT_EQ(op->GetDataInstance()->GetVector(3, Vector(7.0)), Vector(7.0));
}

TEST_F(SceneInterface, ContainerCopiesWriteBackInMergeMode)
{
  BaseObject* op = Insert(5159, "Cube");
  BaseTag* tag = BaseTag::Alloc(kCompositingTag);
  op->InsertTag(tag);
  BaseContainer* copy = tag->GetDataClone();
  ASSERT_TRUE(copy);
  copy->SetBool(1004, true);
  copy->RemoveData(1000);
  EXPECT_FALSE(tag->GetDataInstance()->GetBool(1004));
  ASSERT_TRUE(tag->SetData(copy));
  EXPECT_TRUE(tag->GetDataInstance()->GetBool(1004));
  EXPECT_TRUE(tag->GetDataInstance()->GetBool(1000));  // merging keeps what the copy lacks
  ASSERT_TRUE(tag->SetData(copy, false));
  EXPECT_EQ(tag->GetDataInstance()->GetData(1000).GetType(), DA_NIL);
  BaseContainer::Free(copy);
}

TEST_F(SceneInterface, PluginVideoPostsCloneWithAFreshInstance)
{
  host.LoadPlugins(LENSARA_TEST_PLUGIN_DIR);
  RenderData* rd = RenderData::Alloc();
  doc->InsertRenderData(rd);
  PluginVideoPost* vp = PluginVideoPost::Alloc(kDofId);
  ASSERT_TRUE(vp);
  EXPECT_EQ(vp->GetDataInstance()->GetReal(1007), 3.0);  // the plug-in's Init ran
  vp->GetDataInstance()->SetReal(1020, 321.0);
  ASSERT_TRUE(rd->InsertVideoPost(vp));
  auto* copy = static_cast<PluginVideoPost*>(vp->GetClone());
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetDataInstance()->GetReal(1020), 321.0);
  copy->GetDataInstance()->SetReal(1020, 5.0);
  EXPECT_EQ(vp->GetDataInstance()->GetReal(1020), 321.0);
  EXPECT_EQ(copy->GetDocument(), nullptr);
  PluginVideoPost::Free(copy);
  BaseDocument* docCopy = doc->GetClone();
  ASSERT_TRUE(docCopy->GetActiveRenderData()->GetFirstVideoPost());
  EXPECT_EQ(docCopy->GetActiveRenderData()->GetFirstVideoPost()->GetType(), 1020104);
  BaseDocument::Free(docCopy);
  BaseDocument::Free(doc);  // before the host unloads the plug-in
}

TEST_F(SceneInterface, AllocationAndCloneFailWhenMemoryRunsOut)
{
  Insert(5159, "Cube");
  lensara::SetAllocationBudget(0);
  EXPECT_EQ(BaseObject::Alloc(kCube), nullptr);
  EXPECT_EQ(doc->GetClone(), nullptr);
  EXPECT_EQ(BaseList2D::Alloc(kMultipassNode), nullptr);
  lensara::SetAllocationBudget(-1);
  BaseDocument* copy = doc->GetClone();
  EXPECT_TRUE(copy);
  BaseDocument::Free(copy);
}

TEST_F(SceneInterface, ChildrenMovedBehindTheirParentKeepTheirWorldPlace)
{
  std::unique_ptr<lensara::Document> scene =
      lensara::LoadScene(std::filesystem::path(LENSARA_SOURCE_DIR) / "examples" / "tests" / "lights.json");
  auto* loaded = NodeCast<BaseDocument>(scene->Handle());
  BaseObject* lamp = loaded->SearchObject(String("Lamp"));
  ASSERT_TRUE(lamp);
  Vector worldA = loaded->SearchObject(String("A"))->GetMg().off;
  Vector worldB = loaded->SearchObject(String("B"))->GetMg().off;
  while (BaseObject* child = lamp->GetDown()) {
    Matrix world = child->GetMg();
    child->Remove();
    ASSERT_TRUE(child->InsertAfter(lamp));
    child->SetMg(world);
  }
  EXPECT_EQ(NameOf(lamp->GetNext()), "B");
  EXPECT_EQ(NameOf(lamp->GetNext()->GetNext()), "A");
  for (const auto& [name, world] : {std::pair{"A", worldA}, std::pair{"B", worldB}}) {
    Vector now = loaded->SearchObject(String(name))->GetMg().off;
    EXPECT_NEAR(now.x, world.x, 1e-9) << name;
    EXPECT_NEAR(now.y, world.y, 1e-9) << name;
    EXPECT_NEAR(now.z, world.z, 1e-9) << name;
  }
  BaseObject* target = static_cast<BaseObject*>(
      loaded->GetActiveCamera()->GetTag(kTargetTag)->GetDataInstance()->GetLink(1001, loaded));
  EXPECT_EQ(target, loaded->SearchObject(String("B")));
}

TEST(SceneInterfaceNulls, NullHandlesAreHarmless)
{
  lensara::Host host;
  const C4DOS* t = host.Table();
  EXPECT_EQ(t->node->alloc(424242), nullptr);
  t->node->free(nullptr);
  EXPECT_EQ(t->node->clone(nullptr, 0), nullptr);
  EXPECT_EQ(t->node->next(nullptr), nullptr);
  EXPECT_FALSE(t->node->insert(nullptr, HST_BRANCH_OBJECTS, nullptr, nullptr));
  t->node->remove(nullptr);
  EXPECT_EQ(t->document->search_object(nullptr, "x"), nullptr);
  EXPECT_EQ(t->document->scene_camera(nullptr, nullptr), nullptr);
  EXPECT_EQ(t->object->get_matrix(nullptr, HST_MATRIX_GLOBAL).v1.x, 1.0);
  EXPECT_EQ(t->material->channel_shader(nullptr), nullptr);
  EXPECT_EQ(t->custom->inexclude_count(nullptr), 0);
  EXPECT_FALSE(t->custom->inexclude_insert(nullptr, nullptr, 1));
  EXPECT_EQ(t->custom->gradient_insert_knot(nullptr, HstGradientKnot{}), -1);
  EXPECT_EQ(t->data->get_link(nullptr, nullptr), nullptr);
  EXPECT_EQ(t->container->get_gradient(nullptr, 1), nullptr);
}

}  // namespace
