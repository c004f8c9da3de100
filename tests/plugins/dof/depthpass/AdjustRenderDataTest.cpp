// The render settings forced on the depth render.
#include <memory>

#include "DepthSceneTest.h"
#include "app/core/Node.h"
#include "host/keys/RenderDataKeys.h"
#include "resources/description/vpdof.h"

namespace {

class AdjustRenderDataTest : public DepthSceneTest {
protected:
  AdjustRenderDataTest()
  {
    rd->GetDataInstance()->SetLong(kRenderAntialiasing, 2);
    rd->GetDataInstance()->SetLong(kRenderReflections, 1);
    AddVideoPost(4711);
    AddVideoPost(kHairVideoPost);
    AddVideoPost(kHairVideoPost);
    rd->InsertVideoPost(PluginVideoPost::Alloc(kDofId));
    BaseList2D* existing = BaseList2D::Alloc(kMultipassNode);
    existing->GetDataInstance()->SetLong(1000, 42);
    rd->InsertMultipass(existing);
  }

  // Host-side video posts of types no plug-in registered (a hair renderer stand-in).
  void AddVideoPost(int32_t type)
  {
    lensara::Node::FromHandle(rd->Handle())
        ->Branch(HST_BRANCH_VIDEO_POSTS)
        .Insert(std::make_unique<lensara::Node>(type, "stand-in"), nullptr);
  }

  std::vector<Int32> VideoPostTypes() const
  {
    std::vector<Int32> types;
    for (PluginVideoPost* vp = rd->GetFirstVideoPost(); vp; vp = vp->GetNext()) types.push_back(vp->GetType());
    return types;
  }

  std::vector<Int32> PassTypes() const
  {
    std::vector<Int32> types;
    for (MultipassObject* p = rd->GetFirstMultipass(); p; p = p->GetNext()) types.push_back(Long(p, 1000));
    return types;
  }

  BaseContainer* Data() { return rd->GetDataInstance(); }
};

TEST_F(AdjustRenderDataTest, WithoutHairOrReflectionsOnlyTheLightPassesRemain)
{
  Dof::AdjustRenderData(rd, false, false, DOF_DEPTH_ANTIALIASING_UNCHANGED);
  EXPECT_TRUE(VideoPostTypes().empty());
  EXPECT_EQ(PassTypes(), (std::vector<Int32>{100, 42}));
  EXPECT_EQ(Data()->GetLong(kRenderAntialiasing), 2);  // unchanged
  EXPECT_EQ(Data()->GetLong(kRenderReflections), 1);  // reflections stay on without hair
  EXPECT_EQ(Data()->GetLong(kRenderTransparency, -1), 0);
  EXPECT_EQ(Data()->GetLong(kRenderDefaultLight, -1), 0);
  EXPECT_EQ(Data()->GetLong(kRenderEngine), 1);
  EXPECT_EQ(Data()->GetLong(5200, -1), 0);
  EXPECT_EQ(Data()->GetLong(5202), 1);
  EXPECT_EQ(Data()->GetLong(5205), 1);
  EXPECT_EQ(Data()->GetLong(5208, -1), 0);
  BaseContainer* options = Data()->GetContainerInstance(kDofId);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(options->GetCount(), 0);
}

TEST_F(AdjustRenderDataTest, WithHairTheLastHairRendererStaysFirst)
{
  lensara::Node* secondHair = lensara::Node::FromHandle(rd->GetFirstVideoPost()->GetNext()->GetNext()->Handle());
  Dof::AdjustRenderData(rd, false, true, DOF_DEPTH_ANTIALIASING_UNCHANGED);
  EXPECT_EQ(VideoPostTypes(), std::vector<Int32>{kHairVideoPost});
  // The list is walked from the first, so the one that stood last is kept.
  EXPECT_EQ(lensara::Node::FromHandle(rd->GetFirstVideoPost()->Handle())->GetIdentity(), secondHair->GetIdentity());
  EXPECT_EQ(Data()->GetLong(kRenderReflections, -1), 0);
}

TEST_F(AdjustRenderDataTest, ReflectionsAddTheirPassFirstAndTheirOption)
{
  Dof::AdjustRenderData(rd, true, true, DOF_DEPTH_ANTIALIASING_UNCHANGED);
  EXPECT_EQ(PassTypes(), (std::vector<Int32>{6, 100, 42}));
  EXPECT_EQ(Data()->GetLong(kRenderReflections), 1);  // hair with reflections keeps them
  BaseContainer* options = Data()->GetContainerInstance(kDofId);
  ASSERT_NE(options, nullptr);
  BaseContainer* reflection = options->GetContainerInstance(6);
  ASSERT_NE(reflection, nullptr);
  EXPECT_TRUE(reflection->GetBool(kDofId));
}

TEST_F(AdjustRenderDataTest, AntiAliasingNoneSetsZero)
{
  Dof::AdjustRenderData(rd, false, false, DOF_DEPTH_ANTIALIASING_NONE);
  EXPECT_EQ(Data()->GetLong(kRenderAntialiasing, -1), 0);
}

}  // namespace
