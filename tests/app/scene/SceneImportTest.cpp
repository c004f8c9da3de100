#include "app/scene/SceneImport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/cli/Render.h"
#include "app/core/Error.h"
#include "app/image/ImageIO.h"
#include "app/scene/MeshImport.h"
#include "app/scene/SceneFile.h"
#include "host/keys/CameraKeys.h"
#include "host/keys/LightKeys.h"
#include "host/keys/RenderDataKeys.h"
#include "tests/support/TempDir.h"

namespace lensara {
namespace {

// A rig (null) turning about +y to 90 degrees at frame 7.5 and 200 at 15 (linear), holding a
// box lifted 1 at frame 30 (step) and a camera 4 up, looking 20 degrees down, dollying from
// z 10 to 6 over frames 0-15 (cubic spline); a directional light turning from 70 to 110
// degrees down over frames 0-15 (linear). glTF's z is the host's -z.
const std::filesystem::path kShot = std::filesystem::path(LENSARA_SOURCE_DIR) / "tests" / "fixtures" / "animated-shot.gltf";

std::unique_ptr<Document> ImportShot(std::vector<std::string>* warnings = nullptr)
{
  return ImportMeshDocument(kShot, warnings);
}

double Degrees(double radians) { return radians / kDegree; }

// How near angles come to their degrees: the file's quaternions are single precision.
constexpr double kFloatDegrees = 1e-5;

TEST(SceneImport, NodesBecomeObjectsWithTheFirstCameraActiveAndFramingAsInTheFile)
{
  std::unique_ptr<Document> doc = ImportShot();
  Node* rig = doc->FirstObject();
  ASSERT_TRUE(rig);
  EXPECT_EQ(rig->Type(), kNull);
  EXPECT_EQ(rig->Name(), "Rig");
  Node* box = rig->Down();
  ASSERT_TRUE(box && box->Next());
  EXPECT_EQ(box->Type(), kPolygon);
  EXPECT_EQ(box->GetMesh()->triangles.size(), 12u);
  ASSERT_TRUE(box->FirstIn(HST_BRANCH_TAGS));
  EXPECT_EQ(doc->FirstMaterial()->Name(), "Clay");

  Node* camera = box->Next();
  EXPECT_EQ(camera->Type(), kCamera);
  EXPECT_EQ(doc->ActiveCamera(), camera);
  EXPECT_EQ(camera->Position().z, -1000.0);  // metres in the file, centimetres here
  EXPECT_NEAR(Degrees(camera->Rotation().y), 20.0, kFloatDegrees);  // a positive pitch looks down
  // yfov 0.6 at aspect 1.5: the horizontal field of view is 2 atan(tan(0.3) x 1.5), and the
  // render settings take the camera's aspect.
  const Container& lens = camera->Data();
  double fov = 2.0 * std::atan(lens.GetReal(kCameraApertureWidth, 0) / (2.0 * lens.GetReal(kCameraFocalLength, 0)));
  EXPECT_NEAR(fov, 2.0 * std::atan(std::tan(0.3) * 1.5), 1e-12);
  EXPECT_EQ(doc->ActiveRenderData()->Data().GetLong(kRenderHeight, 0), 427);  // 640 / 1.5

  Node* sun = rig->Next();
  ASSERT_TRUE(sun);
  EXPECT_EQ(sun->Data().GetLong(kLightKind, 0), kLightDistant);
  EXPECT_NEAR(sun->Data().GetReal(kLightBrightness, 0), 2.0, 1e-6);
  EXPECT_NEAR(sun->Data().Find(kLightColor)->GetVector()->z, 0.8, 1e-6);
  // Shining down and away from the camera.
  Vector shines = sun->GlobalMatrix().v3;
  EXPECT_NEAR(shines.y, -std::sin(70.0 * kDegree), 1e-6);
  EXPECT_NEAR(shines.z, std::cos(70.0 * kDegree), 1e-6);
}

TEST(SceneImport, KeysFollowTheirSamplersAtTheDocumentsFrames)
{
  std::vector<std::string> warnings;
  std::unique_ptr<Document> doc = ImportShot(&warnings);
  Node* rig = doc->FirstObject();
  Node* box = rig->Down();
  Node* camera = box->Next();
  Node* sun = rig->Next();
  ASSERT_EQ(box->Tracks().size(), 1u);
  EXPECT_EQ(box->Tracks()[0].Keys().front().interpolation, Interpolation::Step);
  EXPECT_EQ(camera->Tracks()[0].Keys().front().interpolation, Interpolation::Smooth);
  EXPECT_EQ(rig->Tracks()[0].Keys().size(), 17u);  // every frame from 0 to 15, and 7.5

  doc->SetTime(0.25);  // frame 7.5
  EXPECT_NEAR(Degrees(rig->Rotation().x), -90.0, kFloatDegrees);
  EXPECT_NEAR(camera->Position().z, -800.0, 1e-9);  // halfway along a smooth curve between two keys
  EXPECT_EQ(box->Position().y, 0.0);
  doc->SetTime(0.375);  // frame 11.25: the heading passes -180 without a jump
  EXPECT_NEAR(Degrees(rig->Rotation().x), -145.0, kFloatDegrees);
  doc->SetTime(29.0 / 30.0);
  EXPECT_EQ(box->Position().y, 0.0);  // a step holds until its next key
  EXPECT_NEAR(Degrees(rig->Rotation().x), -200.0, kFloatDegrees);
  // The light's pitch passes 90 degrees on the same side, without turning heading and bank.
  EXPECT_NEAR(Degrees(sun->Rotation().y), 110.0, kFloatDegrees);
  EXPECT_NEAR(Degrees(sun->Rotation().x), 0.0, kFloatDegrees);
  doc->SetTime(1.0);
  EXPECT_EQ(box->Position().y, 100.0);
  EXPECT_EQ(camera->Position().z, -600.0);

  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], kShot.string() +
                             ": animation approximated: cubic-spline tangents dropped, curves smooth through the keys "
                             "(1 channel); rotations keyed at every frame and interpolated as heading, pitch and bank "
                             "between frames (2 channels)");
}

TEST(SceneImport, ConvertedSceneReadsBackWithItsTracks)
{
  test::TempDir dir;
  std::unique_ptr<Document> doc = ImportShot();
  std::string text = WriteScene(*doc, dir / "shot.json");
  std::unique_ptr<Document> back = ReadScene(text, dir / "shot.json");
  EXPECT_EQ(WriteScene(*back, dir / "shot.json"), text);
  back->SetTime(0.25);
  EXPECT_NEAR(back->FirstObject()->Down()->Next()->Position().z, -800.0, 1e-9);
}

// Imports a copy of the shot, its text edited by edit, written into dir.
std::unique_ptr<Document> ImportEdited(const test::TempDir& dir, const std::function<void(nlohmann::json&)>& edit)
{
  nlohmann::json shot = nlohmann::json::parse(test::Contents(kShot));
  edit(shot);
  std::ofstream(dir / "shot.gltf") << shot.dump();
  return ImportMeshDocument(dir / "shot.gltf");
}

TEST(SceneImport, APointLightTakesTheBrightnessItsInverseSquareLawGivesAtTheMeshesCentre)
{
  test::TempDir dir;
  // 50 candela 5 m from the box's centre (0, 1, 0): 2 lux there.
  std::unique_ptr<Document> doc = ImportEdited(dir, [](nlohmann::json& shot) {
    shot["extensions"]["KHR_lights_punctual"]["lights"].push_back({{"type", "point"}, {"intensity", 50.0}});
    shot["nodes"].push_back(
        {{"name", "Lamp"}, {"translation", {3, 5, 0}}, {"extensions", {{"KHR_lights_punctual", {{"light", 1}}}}}});
    shot["scenes"][0]["nodes"].push_back(shot["nodes"].size() - 1);
  });
  Node* lamp = doc->FirstObject()->Next()->Next();
  ASSERT_TRUE(lamp);
  EXPECT_EQ(lamp->Name(), "Lamp");
  EXPECT_NEAR(lamp->Data().GetReal(kLightBrightness, 0), 2.0, 1e-6);
}

// Expects the import of a copy of the shot, text edited by edit, to fail with problem.
void ExpectRefused(const std::function<void(nlohmann::json&)>& edit, const std::string& problem)
{
  test::TempDir dir;
  try {
    ImportEdited(dir, edit);
    ADD_FAILURE() << problem;
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), (dir / "shot.gltf").string() + ": cannot be read as a mesh file: " + problem);
  }
}

TEST(SceneImport, WhatASceneFileCannotHoldIsRefusedNamingTheFile)
{
  ExpectRefused([](nlohmann::json& shot) { shot["nodes"][2]["scale"] = {1e39, 1, 1}; },
                "the transform of node \"Camera\" is not a finite number");
  // The box under a chain of nulls from level 2 to 100 under the rig.
  ExpectRefused(
      [](nlohmann::json& shot) {
        nlohmann::json& nodes = shot["nodes"];
        std::size_t chain = nodes.size();
        for (int level = 2; level <= kMaxSceneDepth; ++level) nodes.push_back({{"children", {nodes.size() + 1}}});
        nodes.back()["children"] = {1};
        nodes[0]["children"] = {chain, 2};
      },
      "node hierarchy deeper than 100 levels, more than a scene file holds");
}

// Renders scene at 64 x 43 into out, at frames, or as it stands without; the warnings.
std::string Render(const std::filesystem::path& scene, const std::filesystem::path& out, std::vector<FrameRange> frames)
{
  Host host;
  RenderOptions options;
  options.scene = scene;
  options.output = out;
  options.frames = std::move(frames);
  options.sets = {"width=64", "height=43"};
  std::ostringstream warnings;
  EXPECT_EQ(RunRender(host, options, nullptr, nullptr, warnings), RenderStatus::Done) << warnings.str();
  return warnings.str();
}

TEST(SceneImport, RendersFrameByFrameAsTheStillSceneOfItsKeys)
{
  test::TempDir dir;
  std::string warnings = Render(kShot, dir / "shot", {{20, 25, 5}, {29, 30, 1}});
  EXPECT_EQ(warnings.find("warning: " + kShot.string() + ": animation approximated: "), 0u) << warnings;
  auto frame = [&](const char* name) { return test::Contents(dir / "shot" / name); };
  EXPECT_EQ(frame("image.0020.png"), frame("image.0025.png"));  // nothing moves between
  EXPECT_EQ(frame("image.0020.png"), frame("image.0029.png"));
  EXPECT_NE(frame("image.0029.png"), frame("image.0030.png"));  // the box steps up

  // Frame 30 is the shot at its last keys: the rig turned -200 degrees, the box up 1 m, the
  // camera at z -6 m, the light 110 degrees down.
  std::unique_ptr<Document> still = ImportShot();
  Node* rig = still->FirstObject();
  rig->Down()->SetPosition({0.0, 100.0, 0.0});
  rig->Down()->Next()->SetPosition({0.0, 400.0, -600.0});
  rig->SetRotation({-200.0 * kDegree, 0.0, 0.0});
  rig->Next()->SetRotation({0.0, 110.0 * kDegree, 0.0});
  still->VisitSubtree([](Node& node) { node.SetTracks({}); });
  SaveScene(*still, dir / "still.json");
  Render(dir / "still.json", dir / "still", {});
  Bitmap keyed = ReadImage(dir / "shot" / "image.0030.png"), expected = ReadImage(dir / "still" / "image.png");
  int differing = 0;
  for (int y = 0; y < expected.Height(); ++y)
    for (int x = 0; x < expected.Width() * 3; ++x) differing += std::abs(keyed.Row(y)[x] - expected.Row(y)[x]) > 1;
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace lensara
