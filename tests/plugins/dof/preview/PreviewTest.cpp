// The effect's preview through the host: the picture against the effect's depth render,
// the depth scene it renders, the window's life, and short memory.
#include <gtest/gtest.h>

#include <algorithm>

#include "PluginFolder.h"
#include "app/core/Allocations.h"
#include "app/core/Host.h"
#include "app/dialog/Dialog.h"
#include "app/render/FrameRender.h"
#include "app/scene/SceneFile.h"
#include "app/session/PreviewButton.h"
#include "host/keys/LightKeys.h"
#include "host/keys/RenderDataKeys.h"
#include "plugins/dof/Dof.h"
#include "plugins/dof/PlatformBehaviour.h"
#include "plugins/dof/depthpass/DepthLights.h"
#include "resources/description/vpdof.h"

namespace {

using lensara::Bitmap;
using lensara::Dialog;
using lensara::Node;

// The user area's top-left corner in the window: the dialog's margin and its group's border.
constexpr int32_t kPictureOrigin = 8;

// A camera looking at a ball in front of a distant shell; effect settings join as JSON
// members, and video_posts can hold a second effect.
std::string BallScene(const std::string& effect, const std::string& more = "")
{
  return R"({"active_camera": "Camera", "objects": [
      {"type": "camera", "name": "Camera"},
      {"type": "sphere", "name": "Ball", "position": [0, 0, 700], "data": {"radius": 150}},
      {"type": "sphere", "name": "Shell", "data": {"radius": 2500}},
      {"type": "light", "name": "Lamp", "position": [0, 500, 0]}],
    "render_settings": [{"type": "render_settings", "data": {"width": 64, "height": 48, "antialiasing": 2},
      "video_posts": [{"type": "Lensara", "data": {"DOF_FOCUS_DISTANCE": 1000.0, "DOF_FRONT_END": 600.0,
        "DOF_REAR_START": 200.0, "DOF_REAR_END": 1500.0)" +
         (effect.empty() ? "" : ", " + effect) + "}}" + more + "]}]}";
}

class Preview : public ::testing::Test {
protected:
  explicit Preview(int32_t productKind = 1) : host(lensara::HostOptions{HST_VERSION, productKind})
  {
    host.LoadPlugins(BuiltPluginFolder());
    InitOS(const_cast<C4DOS*>(host.Table()));
  }
  ~Preview() override { lensara::SetAllocationBudget(-1); }

  void Load(const std::string& scene) { doc = lensara::ReadScene(scene, "preview.json"); }

  Node* Effect(int index = 0) const
  {
    Node* vp = doc->ActiveRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS);
    for (; vp && index > 0; --index) vp = vp->Next();
    return vp;
  }

  void Press(Node* effect = nullptr) { lensara::PressPreviewButton(effect ? *effect : *Effect()); }

  static Dialog* Window()
  {
    std::vector<Dialog*> open = Dialog::OpenDialogs();
    return open.empty() ? nullptr : open.front();
  }

  static std::string Status() { return Window() ? Window()->Texts().at(0) : "(closed)"; }

  // The window's 320 x 240 picture region.
  static Bitmap Picture()
  {
    Bitmap window = Window()->Draw(), picture(320, 240);
    for (int32_t y = 0; y < 240; ++y)
      std::copy_n(window.Row(y + kPictureOrigin) + kPictureOrigin * 3, 320 * 3, picture.Row(y));
    return picture;
  }

  // The effect's "Lensara Depth" buffer of a frame render at 320 x 240 without anti-aliasing.
  Bitmap DepthRender()
  {
    std::unique_ptr<lensara::Document> copy = doc->CloneDocument();
    copy->ActiveRenderData()->Data().Set(kRenderWidth, lensara::Value(320));
    copy->ActiveRenderData()->Data().Set(kRenderHeight, lensara::Value(240));
    Node* effect = copy->ActiveRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS);
    effect->Data().Set(DOF_BLUR, lensara::Value(0));
    effect->Data().Set(DOF_DEPTH_BUFFER, lensara::Value(1));
    effect->Data().Set(DOF_DEPTH_ANTIALIASING, lensara::Value(int32_t(DOF_DEPTH_ANTIALIASING_NONE)));
    lensara::FrameRender render(*copy, {});
    lensara::MultipassBitmap image;
    EXPECT_EQ(render.RenderFrame(0.0, image).code, 0);
    for (int32_t i = 0; i < image.LayerCount(); ++i)
      if (image.LayerAt(i)->Name() == "Lensara Depth") return *image.LayerAt(i);
    return Bitmap();
  }

  static bool OnlyBackground(const Bitmap& picture)
  {
    Bitmap background(320, 240);
    for (int32_t y = 0; y < 240; ++y)
      for (int32_t x = 0; x < 320; ++x) std::copy_n(picture.Row(0), 3, background.Row(y) + x * 3);
    return picture == background && picture.Row(0)[0] == lensara::kBackground.r;
  }

  lensara::Host host;
  std::unique_ptr<lensara::Document> doc;
};

TEST_F(Preview, PictureIsTheDepthRenderAt320x240InvertedWhenARangeIsInUse)
{
  for (const char* ranges : {"", R"("DOF_FRONT_BLUR": false, "DOF_REAR_BLUR": false)"}) {
    SCOPED_TRACE(ranges);
    Load(BallScene(ranges));
    Press();
    ASSERT_NE(Window(), nullptr);
    Bitmap depth = DepthRender();
    EXPECT_TRUE(Picture() == depth);
    EXPECT_FALSE(OnlyBackground(depth));
    Window()->Command(IDC_CANCEL);
  }
}

TEST_F(Preview, DepthSceneHasOnlyTheMainAndExclusionLightsAndIgnoresTheRenderSettings)
{
  struct Seen {
    bool rendered = false, front = false, rear = false, lamp = false, exclusion = false;
    double exclusionBrightness = 0;
    int32_t width = 0, height = 0, antialiasing = -1;
  } seen;
  lensara::NestedRenderWatch watch([&seen](lensara::Document& d, Bitmap& b) {
    seen.rendered = true;
    seen.front = d.SearchObject(kFrontLightName);
    seen.rear = d.SearchObject(kRearLightName);
    seen.lamp = d.SearchObject("Lamp");
    Node* exclusion = d.SearchObject(kExclusionLightName);
    seen.exclusion = exclusion;
    seen.exclusionBrightness = exclusion ? exclusion->Data().GetReal(kLightBrightness, 1.0) : 0;
    seen.width = b.Width();
    seen.height = b.Height();
    seen.antialiasing = d.ActiveRenderData()->Data().GetLong(kRenderAntialiasing, -1);
  });
  const std::string exclude = R"("DOF_EXCLUDE": {"inexclude": [{"link": "Ball"}]})";
  Load(BallScene(exclude + R"(, "DOF_FRONT_BLUR": false, "DOF_REAR_BLUR": false)"));
  Press();
  ASSERT_TRUE(seen.rendered);
  EXPECT_FALSE(seen.front || seen.rear || seen.lamp);
  EXPECT_TRUE(seen.exclusion);
  EXPECT_EQ(seen.exclusionBrightness, -1.0);
  EXPECT_EQ(seen.width, 320);
  EXPECT_EQ(seen.height, 240);
  EXPECT_EQ(seen.antialiasing, 0);

  // With a range in use the exclusion light keeps its brightness; without a list it is gone.
  Load(BallScene(exclude));
  Press();
  EXPECT_TRUE(seen.exclusion);
  EXPECT_NE(seen.exclusionBrightness, -1.0);
  Load(BallScene(""));
  Press();
  EXPECT_FALSE(seen.exclusion);
}

TEST_F(Preview, FirstPreviewRendersBeforeTheWindowOpensLaterOnesReuseIt)
{
  std::vector<bool> openWhileRendering;
  lensara::NestedRenderWatch watch([&](lensara::Document&, Bitmap&) { openWhileRendering.push_back(Window()); });
  Load(BallScene(""));
  Press();
  EXPECT_EQ(Status(), ".");  // the layout was built after the render
  Press();
  EXPECT_EQ(Status(), "");   // written by the second preview into the open window
  EXPECT_EQ(openWhileRendering, (std::vector<bool>{false, true}));
  EXPECT_EQ(Window()->Id(), kDofId);
  EXPECT_EQ(Window()->Title(), "Preview");
  EXPECT_EQ(Window()->WindowSize().width, 336);
  EXPECT_EQ(Window()->WindowSize().height, 303);
}

TEST_F(Preview, OkAndCancelCloseTheWindowReopeningShowsTheLastPictureAndADot)
{
  Load(BallScene(""));
  for (int32_t command : {IDC_OK, IDC_CANCEL}) {
    Press();
    Press();
    Bitmap shown = Picture();
    EXPECT_TRUE(Window()->Command(7));
    ASSERT_NE(Window(), nullptr) << "other commands are ignored";
    EXPECT_TRUE(Window()->Command(command));
    EXPECT_EQ(Window(), nullptr);
    Press();
    EXPECT_EQ(Status(), ".");
    EXPECT_TRUE(Picture() == shown);
    Window()->Command(command);
  }
}

TEST_F(Preview, TwoEffectsHaveTwoWindowsOfOneId)
{
  Load(BallScene("", R"(, {"type": "Lensara", "data": {}})"));
  Press(Effect(0));
  Press(Effect(1));
  std::vector<Dialog*> open = Dialog::OpenDialogs();
  ASSERT_EQ(open.size(), 2u);
  for (Dialog* d : open) {
    EXPECT_EQ(d->Id(), kDofId);
    EXPECT_EQ(d->SubId(), 0);
  }
  // Deleting the document deletes the effects, which close their windows.
  doc.reset();
  EXPECT_TRUE(Dialog::OpenDialogs().empty());
}

TEST_F(Preview, LeavesTheDocumentAndTheEffectUnchanged)
{
  Load(BallScene(R"("DOF_CAMERA": {"link": "Camera"}, "DOF_HAIR": true)"));
  std::string before = lensara::WriteScene(*doc, "preview.json");
  uint32_t changes = Effect()->DirtyCount();
  Press();
  EXPECT_EQ(lensara::WriteScene(*doc, "preview.json"), before);
  EXPECT_EQ(Effect()->DirtyCount(), changes);
}

class PreviewOnRenderFarm : public Preview {
protected:
  PreviewOnRenderFarm() : Preview(8) {}
};

TEST_F(PreviewOnRenderFarm, RendersNothingAndOpensNoWindow)
{
  bool rendered = false;
  lensara::NestedRenderWatch watch([&](lensara::Document&, Bitmap&) { rendered = true; });
  Load(BallScene(""));
  Press();
  EXPECT_FALSE(rendered);
  EXPECT_EQ(Window(), nullptr);
}

class PreviewOnKindFour : public Preview {
protected:
  PreviewOnKindFour() : Preview(4) {}
};

TEST_F(PreviewOnKindFour, OpensAWindowUnlessInTheMacOSBehaviour)
{
  Load(BallScene(""));
  Press();
  EXPECT_EQ(Window() == nullptr, kMacOSBehaviour);
}

TEST_F(Preview, TheDepthSceneKeepsForegroundsOnlyInTheMacOSBehaviour)
{
  std::string scene = BallScene("");
  scene.insert(scene.find(R"({"type": "light")"), R"({"type": "foreground", "name": "Front"}, )");
  bool kept = !kMacOSBehaviour;
  lensara::NestedRenderWatch watch([&](lensara::Document& d, Bitmap&) { kept = d.SearchObject("Front"); });
  Load(scene);
  Press();
  EXPECT_EQ(kept, kMacOSBehaviour);
}

// A Dof of the test's own, bound to the scene's effect node, made under an allocation budget.
struct OwnDof {
  OwnDof(Node* node, long allocBudget, long initBudget) : node(reinterpret_cast<GeListNode*>(node->Handle()))
  {
    lensara::SetAllocationBudget(allocBudget);
    dof = static_cast<Dof*>(Dof::Alloc());
    lensara::SetAllocationBudget(initBudget);
    if (dof) {
      EXPECT_TRUE(dof->Init(this->node));
    }
    lensara::SetAllocationBudget(-1);
  }
  ~OwnDof()
  {
    NodeData* data = dof;
    DeleteObj(data);
  }
  GeListNode* node;
  Dof* dof = nullptr;
};

TEST_F(Preview, WithoutPreviewBitmapTheWindowOpensOnTheBackground)
{
  Load(BallScene(""));
  bool rendered = false;
  lensara::NestedRenderWatch watch([&](lensara::Document&, Bitmap&) { rendered = true; });
  OwnDof own(Effect(), 1, -1);  // the Dof, but not its bitmap
  ASSERT_NE(own.dof, nullptr);
  own.dof->Preview(own.node);
  EXPECT_FALSE(rendered);
  ASSERT_NE(Window(), nullptr);
  EXPECT_TRUE(OnlyBackground(Picture()));
}

TEST_F(Preview, WithoutDialogThePreviewOpensNothing)
{
  Load(BallScene(""));
  for (long budget : {0, 1, 2}) {  // the dialog, its host record, its user area
    OwnDof own(Effect(), -1, budget);
    own.dof->Preview(own.node);
    if (budget < 2) EXPECT_EQ(Window(), nullptr);
    else EXPECT_TRUE(OnlyBackground(Picture()));  // a window whose area could not draw
  }
}

TEST_F(Preview, ShortMemoryAnywhereInAPreviewFailsSafely)
{
  Load(BallScene(""));
  Press();
  Bitmap expected = Picture();
  Window()->Command(IDC_OK);
  bool rendered = false, completed = false;  // the budgets reach a preview that needs no more
  lensara::NestedRenderWatch watch([&](lensara::Document&, Bitmap&) { rendered = true; });
  for (long budget = 0; budget < 20000 && !completed; budget += budget < 200 ? 1 : 37) {
    rendered = false;
    lensara::SetAllocationBudget(budget);
    Press();
    lensara::SetAllocationBudget(-1);
    if (!Window()) continue;
    completed = rendered && Picture() == expected;
    Window()->Command(IDC_OK);
  }
  EXPECT_TRUE(completed);
  Press();
  EXPECT_TRUE(Picture() == expected);
}

}  // namespace
