#include "app/core/Track.h"

#include <gtest/gtest.h>

#include "app/core/Document.h"
#include "app/core/NodeTypes.h"

namespace lensara {
namespace {

Track RealTrack(std::vector<std::pair<double, double>> points, Interpolation interpolation, int32_t key = 1110)
{
  std::vector<TrackKey> keys;
  for (auto [frame, value] : points) keys.push_back({frame, Value(value), interpolation});
  TrackTarget target;
  target.key = key;
  return Track(target, std::move(keys));
}

TEST(Track, EachInterpolationAtAnalyticPointsAndHeldBeyondItsKeys)
{
  Track step = RealTrack({{0.0, 10.0}, {10.0, 20.0}}, Interpolation::Step);
  Track linear = RealTrack({{0.0, 10.0}, {10.0, 20.0}}, Interpolation::Linear);
  Track smooth = RealTrack({{0.0, 10.0}, {10.0, 20.0}}, Interpolation::Smooth);
  EXPECT_EQ(step.At(9.99).ToReal(), 10.0);
  EXPECT_EQ(step.At(10.0).ToReal(), 20.0);
  EXPECT_EQ(linear.At(2.5).ToReal(), 12.5);
  EXPECT_EQ(smooth.At(5.0).ToReal(), 15.0);       // eases in and out: the midpoint is the mean
  EXPECT_EQ(smooth.At(2.5).ToReal(), 11.5625);    // 10 + 10 (3 t^2 - 2 t^3) at t = 1/4
  EXPECT_EQ(RealTrack({{0.0, 1.7e308}, {2.0, -1.7e308}}, Interpolation::Linear).At(1.5).ToReal(), 1.7e308);
  for (const Track* t : {&step, &linear, &smooth}) {
    EXPECT_EQ(t->At(-5.0).ToReal(), 10.0);
    EXPECT_EQ(t->At(1e6).ToReal(), 20.0);
  }
}

TEST(Track, SmoothCurvesNeverOvershootTheirKeys)
{
  // A steep rise into a plateau: a Catmull-Rom curve would overshoot 100 after frame 2.
  Track t = RealTrack({{0.0, 0.0}, {2.0, 100.0}, {10.0, 100.0}, {12.0, 0.0}, {20.0, 50.0}}, Interpolation::Smooth);
  double before = 0.0;
  for (double f = 0.0; f <= 20.0; f += 0.125) {
    double v = t.At(f).ToReal();
    EXPECT_GE(v, 0.0) << f;
    EXPECT_LE(v, 100.0) << f;
    if (f > 0.0 && f <= 2.0) {
      EXPECT_GE(v, before) << f;  // monotone between rising keys
    }
    if (f > 2.0 && f <= 10.0) {
      EXPECT_EQ(v, 100.0) << f;  // flat between equal keys
    }
    before = v;
  }
}

TEST(Track, VectorsAnimateWholeOrPerComponentAndOtherValuesStep)
{
  TrackTarget whole;
  whole.part = TrackTarget::Part::Position;
  Track position(whole, {{0.0, Value(Vector{0, 0, 0}), Interpolation::Linear}, {4.0, Value(Vector{4, 8, -4}), Interpolation::Linear}});
  TrackTarget green;
  green.key = 2100;
  green.component = 1;
  Track colour(green, {{0.0, Value(0.0), Interpolation::Linear}, {4.0, Value(1.0), Interpolation::Linear}});
  Track integer = Track(TrackTarget{TrackTarget::Part::Data, 5008, -1},
                        {{0.0, Value(int32_t{100}), Interpolation::Linear}, {4.0, Value(int32_t{200}), Interpolation::Linear}});
  std::unique_ptr<Node> ball = CreateNode(kSphere), material = CreateNode(kStandardMaterial);
  position.Apply(*ball, 1.0);
  colour.Apply(*material, 1.0);
  EXPECT_EQ(ball->Position(), (Vector{1, 2, -1}));
  EXPECT_EQ(*material->Data().Find(2100)->GetVector(), (Vector{0.8, 0.25, 0.8}));  // x and z kept
  EXPECT_EQ(integer.At(3.0).ToLong(), 100);
}

TEST(Document, SetTimeEvaluatesTracksOnlyWhenTheTimeChanges)
{
  Document doc;
  std::unique_ptr<Node> ball = CreateNode(kSphere);
  ball->SetTracks({RealTrack({{0.0, 10.0}, {30.0, 40.0}}, Interpolation::Linear)});
  Node* b = ball.get();
  doc.Branch(HST_BRANCH_OBJECTS).Append(std::move(ball));
  doc.SetTime(0.5);  // frame 15 at 30 fps
  EXPECT_EQ(b->Data().GetReal(1110, 0.0), 25.0);
  b->Data().Set(1110, Value(1.0));  // a preparation, as the effect's white materials
  doc.SetTime(0.5);
  EXPECT_EQ(b->Data().GetReal(1110, 0.0), 1.0);
  std::unique_ptr<Document> copy = doc.CloneDocument();
  copy->SetTime(0.5);
  EXPECT_EQ(copy->FirstObject()->Data().GetReal(1110, 0.0), 1.0);
  EXPECT_EQ(copy->FirstObject()->Tracks().size(), 1u);
  copy->SetTime(1.0);
  EXPECT_EQ(copy->FirstObject()->Data().GetReal(1110, 0.0), 40.0);
  EXPECT_EQ(b->Data().GetReal(1110, 0.0), 1.0);
}

}  // namespace
}  // namespace lensara
