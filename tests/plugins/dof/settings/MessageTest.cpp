// The effect's answers to the host's messages: corrections after an edit, the live
// preview's refreshes (seen as the snapshot being rewritten) and the end of editing.
#include <tuple>

#include "DepthSceneTest.h"
#include "app/dialog/Dialog.h"

namespace {

class DofMessage : public DepthSceneTest {
protected:
  DofMessage()
  {
    effect = PluginVideoPost::Alloc(kDofId);
    rd->InsertVideoPost(effect);
    dof = static_cast<Dof*>(Dof::Alloc());
    dof->Init(effect);
  }
  ~DofMessage() override { DeleteObj(dof); }

  BaseContainer* Settings() { return effect->GetDataInstance(); }
  Bool Validate() { return dof->Message(effect, MSG_DESCRIPTION_VALIDATE, nullptr); }

  // Whether validating after edit refreshed the preview, which rewrites the snapshot.
  template <class Edit>
  bool Refreshes(Edit edit)
  {
    auto fields = [](const Dof::Snapshot& s) {
      return std::make_tuple(s.cachedFrontBlur, s.cachedRearBlur, s.cachedFrontStart, s.cachedFrontEnd,
                             s.cachedRearStart, s.cachedRearEnd, s.cachedReflections, s.cachedUseCameraDof,
                             s.cachedFocusDistance, s.cachedCamera, s.cachedExcludeCount);
    };
    auto before = fields(dof->GetSnapshot());
    edit(Settings());
    Validate();
    return fields(dof->GetSnapshot()) != before;
  }

  PluginVideoPost* effect = nullptr;
  Dof* dof = nullptr;
};

TEST_F(DofMessage, ValidationClampsStartsAndRoundsDownWithoutTouchingTheEnds)
{
  Settings()->SetReal(DOF_FRONT_START, 1500.0);
  Settings()->SetReal(DOF_REAR_START, -3.0);
  Settings()->SetReal(DOF_REAR_END, 800.0);
  Settings()->SetReal(DOF_RADIUS, 4.9);
  Settings()->SetReal(DOF_PASSES, 0.5);
  EXPECT_TRUE(Validate());
  EXPECT_EQ(Real(effect, DOF_FRONT_START), 1000.0);
  EXPECT_EQ(Real(effect, DOF_FRONT_END), 1000.0);
  EXPECT_EQ(Real(effect, DOF_REAR_START), 0.0);
  EXPECT_EQ(Real(effect, DOF_REAR_END), 800.0);
  EXPECT_EQ(Real(effect, DOF_RADIUS), 4.0);
  EXPECT_EQ(Real(effect, DOF_PASSES), 0.0);
  // A start within its range stays; absent passes become one pass.
  Settings()->SetReal(DOF_REAR_START, 250.5);
  Settings()->RemoveData(DOF_PASSES);
  Validate();
  EXPECT_EQ(Real(effect, DOF_REAR_START), 250.5);
  EXPECT_EQ(Real(effect, DOF_PASSES), 1.0);
  // Without live preview nothing refreshes.
  EXPECT_FALSE(Refreshes([](BaseContainer* s) { s->SetReal(DOF_FOCUS_DISTANCE, 500.0); }));
}

TEST_F(DofMessage, LivePreviewRefreshesOnlyForWhatChangesTheDepthImage)
{
  // The snapshot starts zeroed while front and rear blur are on: the first validation
  // refreshes, which renders the preview and opens its window.
  ASSERT_TRUE(lensara::Dialog::OpenDialogs().empty());
  EXPECT_TRUE(Refreshes([](BaseContainer* s) { s->SetBool(DOF_LIVE_PREVIEW, true); }));
  EXPECT_EQ(lensara::Dialog::OpenDialogs().size(), 1u);
  EXPECT_FALSE(Refreshes([](BaseContainer*) {}));
  EXPECT_FALSE(Refreshes([](BaseContainer* s) { s->SetReal(DOF_RADIUS, 7.0); }));
  EXPECT_FALSE(Refreshes([](BaseContainer* s) { s->SetLong(DOF_FILTER, DOF_FILTER_MEDIAN); }));
  EXPECT_FALSE(Refreshes([](BaseContainer* s) { s->SetReal(DOF_PASSES, 3.0); }));
  EXPECT_FALSE(Refreshes([](BaseContainer* s) { s->SetBool(DOF_BLUR, false); }));
  EXPECT_FALSE(Refreshes([](BaseContainer* s) { s->SetBool(DOF_DEPTH_BUFFER, true); }));
  EXPECT_TRUE(Refreshes([](BaseContainer* s) { s->SetReal(DOF_FOCUS_DISTANCE, 1500.0); }));
  for (Int32 key : {DOF_FRONT_START, DOF_FRONT_END, DOF_REAR_START, DOF_REAR_END})
    EXPECT_TRUE(Refreshes([key](BaseContainer* s) { s->SetReal(key, 10.0 * (key - 1000)); })) << key;
  for (Int32 key : {DOF_FRONT_BLUR, DOF_REAR_BLUR, DOF_REFLECTIONS, DOF_USE_CAMERA_DOF})
    EXPECT_TRUE(Refreshes([key](BaseContainer* s) { s->SetBool(key, !s->GetBool(key)); })) << key;
  EXPECT_EQ(dof->GetSnapshot().cachedFocusDistance, 1500.0);
  EXPECT_EQ(dof->GetSnapshot().cachedFrontStart, 30.0);
  EXPECT_EQ(dof->GetSnapshot().cachedRearEnd, 60.0);
  // The camera link is resolved in the node's document.
  BaseObject* camera = Add(5103, "Camera");
  EXPECT_TRUE(Refreshes([camera](BaseContainer* s) { s->SetLink(DOF_CAMERA, camera); }));
  EXPECT_EQ(dof->GetSnapshot().cachedCamera, camera);
  EXPECT_TRUE(Refreshes([](BaseContainer* s) { s->SetLink(DOF_CAMERA, nullptr); }));
}

TEST_F(DofMessage, LivePreviewCountsExcludedObjectsButIgnoresARemovedList)
{
  BaseObject* a = Add(5159, "A");
  BaseObject* b = Add(5159, "B");
  Refreshes([](BaseContainer* s) { s->SetBool(DOF_LIVE_PREVIEW, true); });
  EXPECT_TRUE(Refreshes([&](BaseContainer*) { Exclude(effect, {a, b}); }));
  EXPECT_EQ(dof->GetSnapshot().cachedExcludeCount, 2);
  EXPECT_FALSE(Refreshes([&](BaseContainer*) { Exclude(effect, {b, a}); }));
  EXPECT_TRUE(Refreshes([&](BaseContainer*) { Exclude(effect, {a}); }));
  EXPECT_FALSE(Refreshes([](BaseContainer* s) { s->RemoveData(DOF_EXCLUDE); }));
  EXPECT_EQ(dof->GetSnapshot().cachedExcludeCount, 1);
  // Another change then records the missing list as no objects.
  EXPECT_TRUE(Refreshes([](BaseContainer* s) { s->SetReal(DOF_FOCUS_DISTANCE, 10.0); }));
  EXPECT_EQ(dof->GetSnapshot().cachedExcludeCount, 0);
}

TEST_F(DofMessage, OnlyTheEndOfEditingSwitchesLivePreviewOff)
{
  Settings()->SetBool(DOF_LIVE_PREVIEW, true);
  NotifyData other{NOTIFY_EDITING_ENDED + 1};
  EXPECT_TRUE(dof->Message(effect, MSG_NOTIFY, &other));
  EXPECT_TRUE(dof->Message(effect, MSG_NOTIFY, nullptr));
  EXPECT_TRUE(Settings()->GetBool(DOF_LIVE_PREVIEW));
  NotifyData ended{NOTIFY_EDITING_ENDED};
  EXPECT_TRUE(dof->Message(effect, MSG_NOTIFY, &ended));
  EXPECT_FALSE(Settings()->GetBool(DOF_LIVE_PREVIEW));
}

}  // namespace
