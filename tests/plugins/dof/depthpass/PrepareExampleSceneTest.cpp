// The whole preparation sequence on the bundled example scenes, as the render runs it on
// a clone of the user's document.
#include <gtest/gtest.h>

#include "PluginFolder.h"
#include "app/core/Host.h"
#include "app/scene/SceneFile.h"
#include "host/c4d.h"
#include "plugins/dof/Dof.h"
#include "plugins/dof/depthpass/DeleteObjectsOfType.h"
#include "plugins/dof/depthpass/DepthLights.h"
#include "resources/description/vpdof.h"

namespace {

using NameList = std::vector<std::string>;

class PrepareExampleScene : public ::testing::Test {
protected:
  PrepareExampleScene()
  {
    host.LoadPlugins(BuiltPluginFolder());
    InitOS(const_cast<C4DOS*>(host.Table()));
  }

  // Loads an example, clones it and prepares the clone; returns the clone.
  std::unique_ptr<lensara::Document> Prepare(const char* example)
  {
    original = lensara::LoadScene(std::filesystem::path(LENSARA_SOURCE_DIR) / "examples" / example);
    std::unique_ptr<lensara::Document> depth = original->CloneDocument();
    auto* doc = reinterpret_cast<BaseDocument*>(depth->Handle());
    RenderData* rd = doc->GetActiveRenderData();
    PluginVideoPost* effect = rd->GetFirstVideoPost();
    while (effect && effect->GetType() != kDofId) effect = effect->GetNext();
    EXPECT_NE(effect, nullptr);
    BaseContainer* settings = effect->GetDataInstance()->GetClone();

    for (Int32 type : {kLight, kEnvironment, kSky, kSun, kForeground}) DeleteObjectsOfType(doc, type);
    polarity = Dof::AdjustLightAtCamera(doc, effect, nullptr);
    EXPECT_TRUE(Dof::AdjustMaterials(doc, settings));
    Dof::DisableCompositingTags(doc->GetFirstObject());
    Dof::AdjustRenderData(rd, settings->GetBool(DOF_REFLECTIONS), settings->GetBool(DOF_HAIR),
                          settings->GetLong(DOF_DEPTH_ANTIALIASING));
    BaseContainer::Free(settings);
    return depth;
  }

  static BaseDocument* Doc(lensara::Document& d) { return reinterpret_cast<BaseDocument*>(d.Handle()); }

  static void CollectLights(BaseObject* op, NameList& names)
  {
    for (; op; op = op->GetNext()) {
      if (op->GetType() == kLight) names.push_back(op->GetName().GetCString());
      CollectLights(op->GetDown(), names);
    }
  }

  lensara::Host host;
  std::unique_ptr<lensara::Document> original;
  Bool polarity = false;
};

// The still life's vase and gem are mesh files, which the Windows builds do not read.
#ifndef _WIN32
TEST_F(PrepareExampleScene, TheStillLifeIsLitOnlyByTheDepthLightsAndAllWhite)
{
  std::unique_ptr<lensara::Document> depth = Prepare("still-life.json");
  BaseDocument* doc = Doc(*depth);
  EXPECT_TRUE(polarity);

  NameList lights;
  CollectLights(doc->GetFirstObject(), lights);
  EXPECT_EQ(lights, (NameList{kMainLightName, kExclusionLightName, kRearLightName, kFrontLightName}));
  EXPECT_EQ(doc->SearchObject(String("Sky")), nullptr);

  for (BaseMaterial* mat = doc->GetFirstMaterial(); mat; mat = mat->GetNext()) {
    EXPECT_EQ(mat->GetType(), 5703) << mat->GetName().GetCString();
    EXPECT_EQ(mat->GetDataInstance()->GetVector(2100), Vector(1.0)) << mat->GetName().GetCString();
    EXPECT_EQ(mat->GetFirstShader(), nullptr) << mat->GetName().GetCString();
  }
  for (BaseObject* op = doc->GetFirstObject(); op; op = op->GetNext()) {
    if (op->GetType() == 5102 || op->GetType() == kCamera) continue;
    auto* tag = static_cast<TextureTag*>(op->GetTag(kTextureTag));
    ASSERT_NE(tag, nullptr) << op->GetName().GetCString();
    EXPECT_NE(tag->GetMaterial(), nullptr) << op->GetName().GetCString();
  }

  RenderData* rd = doc->GetActiveRenderData();
  EXPECT_EQ(rd->GetFirstVideoPost(), nullptr);
  ASSERT_NE(rd->GetFirstMultipass(), nullptr);
  EXPECT_EQ(rd->GetFirstMultipass()->GetDataInstance()->GetLong(1000), 100);

  // The user's document is untouched, and the depth scene can be saved.
  NameList originalLights;
  CollectLights(Doc(*original)->GetFirstObject(), originalLights);
  EXPECT_EQ(originalLights, (NameList{"Key Light", "Fill Light"}));
  EXPECT_NO_THROW(lensara::WriteScene(*depth, "depth.json"));
}
#endif

TEST_F(PrepareExampleScene, TheExclusionLightListsTheExcludedObjectsLastFirst)
{
  std::unique_ptr<lensara::Document> depth = Prepare("tests/exclude.json");
  BaseDocument* doc = Doc(*depth);
  BaseObject* exclusion = doc->SearchObject(String(kExclusionLightName));
  ASSERT_NE(exclusion, nullptr);
  GeData list;
  exclusion->GetParameter(DescID(100000), list, 0);
  auto* entries = static_cast<InExcludeData*>(list.GetCustomDataType(CUSTOMDATATYPE_INEXCLUDE_LIST));
  ASSERT_NE(entries, nullptr);
  NameList names;
  for (Int32 i = 0; i < entries->GetObjectCount(); ++i) names.push_back(entries->ObjectFromIndex(doc, i)->GetName().GetCString());
  EXPECT_EQ(names, (NameList{"Third", "Second", "First"}));
}

}  // namespace
