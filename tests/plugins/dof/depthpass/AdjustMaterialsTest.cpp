// White materials and the depth texture tag; compositing tags.
#include <memory>

#include "DepthSceneTest.h"
#include "app/core/Node.h"
#include "plugins/dof/PlatformBehaviour.h"
#include "resources/description/vpdof.h"

namespace {

const Vector kWhite(1.0, 1.0, 1.0);

class AdjustMaterialsTest : public DepthSceneTest {
protected:
  AdjustMaterialsTest() { settings = BaseContainer::Alloc(); }
  ~AdjustMaterialsTest() override { BaseContainer::Free(settings); }

  BaseMaterial* AddMaterial(Int32 type, const char* name)
  {
    BaseMaterial* mat = BaseMaterial::Alloc(type);
    mat->SetName(String(name));
    doc->InsertMaterial(mat);
    return mat;
  }

  // A material of a kind the depth pass cannot use.
  BaseMaterial* AddForeignMaterial()
  {
    auto* docNode = lensara::Node::FromHandle(doc->Handle());
    docNode->Branch(HST_BRANCH_MATERIALS).Insert(std::make_unique<lensara::Node>(1234567, "Foreign"), nullptr);
    return doc->GetFirstMaterial();
  }

  static TextureTag* Texture(BaseObject* op, BaseMaterial* mat)
  {
    TextureTag* tag = TextureTag::Alloc();
    tag->SetMaterial(mat);
    op->InsertTag(tag);
    return tag;
  }

  // The materials the object's texture tags link, by name ("-" for none).
  static std::vector<std::string> Textures(BaseObject* op)
  {
    std::vector<std::string> names;
    for (BaseTag* tag = op->GetFirstTag(); tag; tag = tag->GetNext()) {
      if (tag->GetType() != kTextureTag) continue;
      BaseMaterial* mat = static_cast<TextureTag*>(tag)->GetMaterial();
      names.push_back(mat ? mat->GetName().GetCString() : "-");
    }
    return names;
  }

  Bool Run() { return Dof::AdjustMaterials(doc, settings); }

  BaseContainer* settings = nullptr;
};

using NameList = std::vector<std::string>;

TEST_F(AdjustMaterialsTest, ForeignMaterialsGoAndUntexturedObjectsGetTheDepthMaterial)
{
  BaseMaterial* foreign = AddForeignMaterial();
  BaseObject* cube = Add(5159, "Cube");
  Texture(cube, foreign);
  Texture(cube, foreign);
  BaseObject* plain = Add(5160, "Plain");
  BaseObject* light = Add(5102, "Light");
  BaseObject* lit = Add(5160, "Lit", light);
  BaseObject* camera = Add(5103, "Camera");

  ASSERT_TRUE(Run());

  BaseMaterial* depth = doc->GetFirstMaterial();
  ASSERT_NE(depth, nullptr);
  EXPECT_EQ(depth->GetNext(), nullptr);
  EXPECT_EQ(depth->GetType(), 5703);
  EXPECT_EQ(depth->GetDataInstance()->GetVector(2100), kWhite);
  EXPECT_EQ(depth->GetDataInstance()->GetReal(2101), 1.0);
  EXPECT_FALSE(depth->GetChannelState(8));
  depth->SetName(String("Depth"));
  EXPECT_EQ(Textures(cube), NameList{"Depth"});
  EXPECT_EQ(Textures(plain), NameList{"Depth"});
  EXPECT_EQ(Textures(light), NameList{});
  EXPECT_EQ(Textures(lit), NameList{"Depth"});
  EXPECT_EQ(Textures(camera), NameList{});
}

TEST_F(AdjustMaterialsTest, ChildrenOfTexturedObjectsAreNotVisited)
{
  BaseMaterial* foreign = AddForeignMaterial();
  BaseMaterial* red = AddMaterial(5703, "Red");
  BaseObject* parent = Add(5140, "Parent");
  Texture(parent, red);
  BaseObject* child = Add(5160, "Child", parent);
  Texture(child, foreign);

  ASSERT_TRUE(Run());
  EXPECT_EQ(Textures(parent), NameList{"Red"});
  EXPECT_EQ(Textures(child), NameList{"-"});  // its material is gone, but the walk never came here
}

TEST_F(AdjustMaterialsTest, StandardMaterialsTurnPlainWhite)
{
  BaseMaterial* mat = AddMaterial(5703, "Glossy");
  for (Int32 channel = 0; channel <= 12; ++channel) mat->SetChannelState(channel, channel != 0);
  BaseContainer* data = mat->GetDataInstance();
  data->SetVector(2100, Vector(0.2, 0.4, 0.6));
  data->SetReal(2101, 0.3);
  data->SetLong(8000, 1);
  PluginShader* shader = PluginShader::Alloc(kBitmapShader);
  mat->InsertShader(shader);
  data->SetLink(2102, shader);
  Int32 before = static_cast<Int32>(lensara::Node::FromHandle(mat->Handle())->DirtyCount());

  ASSERT_TRUE(Run());

  std::vector<Int32> on;
  for (Int32 channel = 0; channel <= 12; ++channel)
    if (mat->GetChannelState(channel)) on.push_back(channel);
  EXPECT_EQ(on, (std::vector<Int32>{0, 2, 3, 7, 11}));
  EXPECT_EQ(data->GetVector(2100), kWhite);
  EXPECT_EQ(data->GetReal(2101), 1.0);
  EXPECT_EQ(data->GetData(8000).GetType(), DA_NIL);
  EXPECT_EQ(mat->GetFirstShader(), nullptr);
  EXPECT_EQ(mat->GetChannel(0)->GetShader(), nullptr);
  EXPECT_GT(static_cast<Int32>(lensara::Node::FromHandle(mat->Handle())->DirtyCount()), before);
}

TEST_F(AdjustMaterialsTest, ReflectionsKeepTheBumpChannel)
{
  BaseMaterial* mat = AddMaterial(5703, "Bumpy");
  mat->SetChannelState(6, true);
  settings->SetBool(DOF_REFLECTIONS, true);
  ASSERT_TRUE(Run());
  EXPECT_TRUE(mat->GetChannelState(6));
}

TEST_F(AdjustMaterialsTest, HairGradientsEndWithTwoWhiteKnots)
{
  BaseMaterial* hair = AddMaterial(1017730, "Hair");
  BaseContainer* data = hair->GetDataInstance();
  auto* gradient = static_cast<Gradient*>(data->GetCustomDataType(3139, CUSTOMDATATYPE_GRADIENT));
  ASSERT_NE(gradient, nullptr);
  while (gradient->GetKnotCount() < 5) gradient->InsertKnot(Vector(0.1, 0.2, 0.3), 0.5, 0.3, 0.2, 3);
  for (Int32 key : {3001, 3146, 3000, 3007}) data->SetLong(key, 1);

  ASSERT_TRUE(Run());

  gradient = static_cast<Gradient*>(data->GetCustomDataType(3139, CUSTOMDATATYPE_GRADIENT));
  ASSERT_EQ(gradient->GetKnotCount(), 2);
  for (Int32 i = 0; i < 2; ++i) {
    GradientKnot knot = gradient->GetKnot(i);
    EXPECT_EQ(knot.col, kWhite);
    EXPECT_EQ(knot.brightness, 1.0);
    EXPECT_EQ(knot.pos, i == 0 ? 1.0 : 0.0);
    EXPECT_EQ(knot.bias, 0.5);
    EXPECT_EQ(knot.index, 0);
  }
  EXPECT_EQ(data->GetLong(1514, -1), 0);
  EXPECT_EQ(data->GetLong(1500), 1);
  EXPECT_EQ(data->GetLong(1515, -1), 0);
  EXPECT_EQ(data->GetReal(3110, -1.0), 0.0);
  EXPECT_EQ(data->GetLong(3141), 1);
  for (Int32 key : {3001, 3146, 3000, 3007}) EXPECT_EQ(data->GetData(key).GetType(), DA_NIL) << key;
}

TEST_F(AdjustMaterialsTest, ADocumentWithoutObjectsGetsOnlyTheDepthMaterial)
{
  ASSERT_TRUE(Run());
  ASSERT_NE(doc->GetFirstMaterial(), nullptr);
  EXPECT_EQ(doc->GetFirstMaterial()->GetNext(), nullptr);
}

TEST_F(AdjustMaterialsTest, TheDepthMaterialsNameGetsASuffixWhenInUseOnlyInTheMacOSBehaviour)
{
  AddMaterial(5703, "Material");
  ASSERT_TRUE(Run());
  EXPECT_EQ(doc->GetFirstMaterial()->GetName().GetCString(), std::string(kMacOSBehaviour ? "Material.1" : "Material"));
}

TEST_F(AdjustMaterialsTest, CompositingTagsAtAnyDepthLoseTheBackgroundFlag)
{
  BaseObject* top = Add(5140, "Top");
  BaseObject* deep = Add(5160, "Deep", Add(5140, "Middle", top));
  Add(5159, "Next");
  std::vector<BaseTag*> tags;
  for (BaseObject* op : {top, deep}) {
    BaseTag* tag = BaseTag::Alloc(kCompositingTag);
    tag->GetDataInstance()->SetBool(1004, true);
    tag->GetDataInstance()->SetBool(1000, false);
    op->InsertTag(tag);
    tags.push_back(tag);
  }

  Dof::DisableCompositingTags(doc->GetFirstObject());

  for (BaseTag* tag : tags) {
    EXPECT_EQ(tag->GetDataInstance()->GetLong(1004, -1), 0);
    EXPECT_EQ(tag->GetDataInstance()->GetLong(1000, -1), 0);  // untouched
  }
}

}  // namespace
