// A depth scene prepared by the effect's own depth-pass code, rendered through the plug-in
// interface: one layer per depth light, each the light's clip formula at the distance seen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "DepthSceneTest.h"
#include "host/keys/LightKeys.h"
#include "host/keys/RenderDataKeys.h"
#include "plugins/dof/depthpass/DeleteObjectsOfType.h"
#include "plugins/dof/depthpass/DepthLights.h"
#include "resources/description/vpdof.h"

namespace {

// The light's intensity at distance d from host.md, written out independently of the renderer.
double ClipFormula(const BaseObject* light, double d)
{
  const BaseContainer* data = light->GetDataInstance();
  double f = 1.0;
  double nearFrom = data->GetReal(kLightNearClipFrom), nearTo = data->GetReal(kLightNearClipTo);
  double farFrom = data->GetReal(kLightFarClipFrom), farTo = data->GetReal(kLightFarClipTo);
  if (data->GetBool(kLightNearClip)) f = d <= nearFrom ? 0.0 : d < nearTo ? f * (d - nearFrom) / (nearTo - nearFrom) : f;
  if (data->GetBool(kLightFarClip)) f = d >= farTo ? 0.0 : farFrom < d ? f * (farTo - d) / (farTo - farFrom) : f;
  if (data->GetLong(kLightFalloff) == 8) {
    double radius = data->GetReal(kLightFalloffRadius);
    f *= radius <= 0.0 ? 0.0 : std::max(0.0, 1.0 - d / radius);
  }
  return f * data->GetReal(kLightBrightness);
}

UChar Byte(double v) { return static_cast<UChar>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

class DepthSceneRender : public DepthSceneTest {
protected:
  DepthSceneRender()
  {
    // A shell around the default camera: every pixel sees it at the shell's radius.
    shell = Add(kSphere, "Shell");
    shell->SetAbsPos(Vector(0.0, 0.0, -1000.0));
    effect = PluginVideoPost::Alloc(kDofId);
    rd->InsertVideoPost(effect);
    BaseContainer* settings = effect->GetDataInstance();
    settings->SetReal(DOF_FOCUS_DISTANCE, 1000.0);
    settings->SetBool(DOF_FRONT_BLUR, true);
    settings->SetReal(DOF_FRONT_START, 100.0);
    settings->SetReal(DOF_FRONT_END, 600.0);
    settings->SetBool(DOF_REAR_BLUR, true);
    settings->SetReal(DOF_REAR_START, 200.0);
    settings->SetReal(DOF_REAR_END, 1200.0);
    rd->GetDataInstance()->SetLong(kRenderWidth, 4);
    rd->GetDataInstance()->SetLong(kRenderHeight, 3);
  }
  ~DepthSceneRender() override
  {
    MultipassBitmap::Free(image);
    BaseDocument::Free(depth);
  }

  // Clones the document and prepares the clone as the effect's render does.
  void Prepare()
  {
    depth = doc->GetClone();
    RenderData* depthRd = depth->GetActiveRenderData();
    PluginVideoPost* depthEffect = depthRd->GetFirstVideoPost();
    BaseContainer* settings = depthEffect->GetDataInstance();
    for (Int32 type : {kLight, kEnvironment, kSky, kSun, kForeground}) DeleteObjectsOfType(depth, type);
    Dof::AdjustLightAtCamera(depth, depthEffect, nullptr);
    Dof::AdjustMaterials(depth, settings);
    Dof::DisableCompositingTags(depth->GetFirstObject());
    Dof::AdjustRenderData(depthRd, settings->GetBool(DOF_REFLECTIONS), settings->GetBool(DOF_HAIR),
                          settings->GetLong(DOF_DEPTH_ANTIALIASING));
  }

  Int32 RenderDepth()
  {
    image = MultipassBitmap::Alloc(4, 3, COLORMODE_RGB);
    return RenderDocument(depth, *depth->GetActiveRenderData()->GetDataInstance(), nullptr, nullptr, image,
                          RENDERFLAGS_EXTERNAL, nullptr);
  }

  MultipassBitmap* Layer(const char* name) const
  {
    for (Int32 i = 0; i < image->GetLayerCount(); ++i)
      if (image->GetLayerNum(i)->GetParameter(MPBTYPE_NAME).GetString() == String(name)) return image->GetLayerNum(i);
    return nullptr;
  }

  // Every byte of a layer equals value.
  static ::testing::AssertionResult Uniform(const MultipassBitmap* layer, UChar value)
  {
    std::vector<UChar> row(static_cast<std::size_t>(layer->GetBw()) * 3);
    for (Int32 y = 0; y < layer->GetBh(); ++y) {
      layer->GetLine(y, row.data());
      for (UChar v : row)
        if (v != value) return ::testing::AssertionFailure() << "byte " << int(v) << " in row " << y;
    }
    return ::testing::AssertionSuccess();
  }

  BaseObject* shell = nullptr;
  PluginVideoPost* effect = nullptr;
  BaseDocument* depth = nullptr;
  MultipassBitmap* image = nullptr;
};

TEST_F(DepthSceneRender, EachDepthLightGetsOneLayerOfItsClipFormula)
{
  for (double radius : {300.0, 400.0, 700.0, 900.0, 1000.0, 1100.0, 1200.0, 1600.0, 2200.0, 3000.0}) {
    shell->GetDataInstance()->SetReal(1110, radius);
    Prepare();
    ASSERT_EQ(RenderDepth(), RENDERRESULT_OK);
    ASSERT_EQ(image->GetLayerCount(), 4);
    for (const char* name : {kMainLightName, kFrontLightName, kRearLightName, kExclusionLightName}) {
      MultipassBitmap* layer = Layer(name);
      ASSERT_NE(layer, nullptr) << name;
      EXPECT_EQ(layer->GetParameter(MPBTYPE_BUFFER_TYPE).GetLong(), 100);
      // A light in include mode lights only what it lists, and nothing is listed here.
      BaseObject* light = depth->SearchObject(String(name));
      double f = light->GetDataInstance()->GetLong(100001) == 0 ? 0.0 : ClipFormula(light, radius);
      EXPECT_TRUE(Uniform(layer, Byte(f))) << name << " at " << radius;
    }
    MultipassBitmap::Free(image);
    BaseDocument::Free(depth);
  }
}

TEST_F(DepthSceneRender, WithoutRangesTheMainLightFallsOffToTheFocus)
{
  effect->GetDataInstance()->SetBool(DOF_FRONT_BLUR, false);
  effect->GetDataInstance()->SetBool(DOF_REAR_BLUR, false);
  shell->GetDataInstance()->SetReal(1110, 250.0);
  Prepare();
  ASSERT_EQ(RenderDepth(), RENDERRESULT_OK);
  ASSERT_NE(Layer(kMainLightName), nullptr);
  EXPECT_TRUE(Uniform(Layer(kMainLightName), Byte(1.0 - 250.0 / 1000.0)));
  // Without a render flag no layer is made, and the composite is all there is.
  MultipassBitmap::Free(image);
  image = MultipassBitmap::Alloc(4, 3, COLORMODE_RGB);
  EXPECT_EQ(RenderDocument(depth, *depth->GetActiveRenderData()->GetDataInstance(), nullptr, nullptr, image, 0, nullptr),
            RENDERRESULT_OK);
  EXPECT_EQ(image->GetLayerCount(), 0);
}

}  // namespace
