// The renderer against analytic answers: lights clipped and fallen off by distance, their
// lists, shadows and compositing flags, anti-aliasing, the pass layers and result codes.
#include "app/render/Renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/core/Allocations.h"
#include "app/core/Host.h"
#include "app/core/MultipassBitmap.h"
#include "app/core/NodeTypes.h"
#include "app/image/ImageIO.h"
#include "app/scene/SceneFile.h"
#include "host/keys/LightKeys.h"
#include "host/keys/RenderDataKeys.h"
#include "tests/support/FilterTest.h"
#include "tests/support/PluginFolder.h"
#include "tests/support/TempDir.h"

namespace lensara {
namespace {

uint8_t Expected(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

class RendererTest : public ::testing::Test {
protected:
  RendererTest()
  {
    doc.Branch(HST_BRANCH_RENDER_DATA).Append(CreateNode(kRenderData));
    Set(settings(), kRenderAntialiasing, 0);
    Size(1, 1);
  }
  ~RendererTest() override { SetAllocationBudget(-1); }

  Node& settings() { return *doc.FirstRenderData(); }
  void Size(int32_t w, int32_t h)
  {
    Set(settings(), kRenderWidth, w);
    Set(settings(), kRenderHeight, h);
  }
  static void Set(Node& n, int32_t key, Value v) { n.Data().Set(key, std::move(v)); }

  Node& Add(int32_t type, const std::string& name, Node* parent = nullptr, Vector position = {})
  {
    std::unique_ptr<Node> n = CreateNode(type);
    n->SetName(name);
    n->SetPosition(position);
    Node* raw = n.get();
    (parent ? parent->Branch(HST_BRANCH_CHILDREN) : doc.Branch(HST_BRANCH_OBJECTS)).Append(std::move(n));
    return *raw;
  }
  Node& AddTag(Node& object, int32_t type)
  {
    object.Branch(HST_BRANCH_TAGS).Append(CreateNode(type));
    Node* tag = object.FirstIn(HST_BRANCH_TAGS);
    while (tag->Next()) tag = tag->Next();
    return *tag;
  }
  // A camera at position looking along +Z with a 90 degree field of view.
  Node& Camera(Vector position = {}, Vector rotation = {})
  {
    Node& camera = Add(kCamera, "Camera", nullptr, position);
    camera.SetRotation(rotation);
    Set(camera, 1001, 72.0);
    doc.SetActiveCamera(&camera);
    return camera;
  }
  Node& AmbientLight(const std::string& name, double brightness, Vector position = {})
  {
    Node& light = Add(kLight, name, nullptr, position);
    Set(light, kLightAmbient, 1);
    Set(light, kLightBrightness, brightness);
    return light;
  }
  // A sphere around the camera at the origin: every pixel sees it at distance radius.
  Node& Shell(double radius)
  {
    Node& shell = Add(kSphere, "Shell");
    Set(shell, 1110, radius);
    return shell;
  }
  // An ambient light at the origin with its near (kLightNearClip) or far (kLightFarClip) clip from .. to.
  Node& ClippedLight(int32_t clip, double from, double to)
  {
    Node& light = AmbientLight("Light", 1.0);
    int32_t fromKey = clip == kLightNearClip ? kLightNearClipFrom : kLightFarClipFrom;
    Set(light, clip, 1);
    Set(light, fromKey, from);
    Set(light, fromKey + 1, to);
    return light;
  }
  // A shell at each distance renders as brightness(distance).
  template <class Brightness>
  void ExpectGreys(std::initializer_list<double> distances, Brightness brightness)
  {
    Node* shell = doc.SearchObject("Shell");
    if (!shell) shell = &Shell(1.0);
    for (double d : distances) {
      Set(*shell, 1110, d);
      EXPECT_EQ(Grey(), Expected(brightness(d))) << "at " << d;
    }
  }

  // A new standard material on object, with keys set to values.
  Node& Material(Node& object, std::initializer_list<std::pair<int32_t, Value>> keys)
  {
    doc.Branch(HST_BRANCH_MATERIALS).Append(CreateNode(kStandardMaterial));
    Node* material = doc.FirstMaterial();
    while (material->Next()) material = material->Next();
    for (const auto& [key, value] : keys) Set(*material, key, value);
    Set(AddTag(object, kTextureTag), kTextureTagMaterial, Link{material->GetIdentity()});
    return *material;
  }

  RenderResult RenderInto(Bitmap& target, RenderJob job = {})
  {
    return Render(doc, settings().Data(), target, job);
  }
  // The first pixel of a render that must succeed.
  std::array<uint8_t, 3> Pixel(RenderJob job = {})
  {
    Bitmap image;
    EXPECT_EQ(RenderInto(image, job).code, 0);
    return {image.Row(0)[0], image.Row(0)[1], image.Row(0)[2]};
  }
  uint8_t Grey(RenderJob job = {}) { return Pixel(job)[0]; }

  Document doc;
};

using Grey3 = std::array<uint8_t, 3>;

// --- distance: clips and falloff, by the Euclidean distance from the light

TEST_F(RendererTest, NearClipRampsFromItsStartToItsEnd)
{
  Camera();
  ClippedLight(kLightNearClip, 200.0, 700.0);
  ExpectGreys({150.0, 200.0, 201.0, 333.0, 450.0, 699.0, 700.0, 5000.0}, [](double d) { return (d - 200.0) / 500.0; });
}

TEST_F(RendererTest, AWhitePlaneAtDistanceDShowsTheNearClipRamp)
{
  Camera();
  ClippedLight(kLightNearClip, 200.0, 700.0);
  Node& wall = Add(kPlane, "Wall");
  wall.SetRotation({0.0, -90.0 * kDegree, 0.0});
  Set(wall, 1100, 100000.0);
  Set(wall, 1101, 100000.0);
  for (double d : {150.0, 260.0, 300.0, 480.0, 640.0, 900.0}) {
    wall.SetPosition({0.0, 0.0, d});
    EXPECT_EQ(Grey(), Expected((d - 200.0) / 500.0)) << "at " << d;
  }
}

TEST_F(RendererTest, FarClipRampsDownAndStepsWhenItsEndIsNotBeyondItsStart)
{
  Camera();
  Node& light = ClippedLight(kLightFarClip, 100.0, 400.0);
  ExpectGreys({50.0, 100.0, 250.0, 399.0, 400.0}, [](double d) { return (400.0 - d) / 300.0; });
  Set(light, kLightFarClipFrom, 400.0);
  ExpectGreys({399.0, 400.0}, [](double d) { return d < 400.0 ? 1.0 : 0.0; });
}

TEST_F(RendererTest, OffAxisPixelsUseTheEuclideanDistance)
{
  Camera();
  Size(3, 1);
  ClippedLight(kLightNearClip, 0.0, 1000.0);
  // A wall 500 in front: the left pixel's centre looks 2/3 of the way to the image edge,
  // which is 45 degrees off the axis.
  Node& wall = Add(kPlane, "Wall", nullptr, {0.0, 0.0, 500.0});
  wall.SetRotation({0.0, -90.0 * kDegree, 0.0});
  Set(wall, 1100, 100000.0);
  Set(wall, 1101, 100000.0);
  Bitmap image;
  ASSERT_EQ(RenderInto(image).code, 0);
  EXPECT_EQ(image.Row(0)[3], Expected(0.5));
  EXPECT_EQ(image.Row(0)[0], Expected(500.0 * std::sqrt(1.0 + 4.0 / 9.0) / 1000.0));
}

TEST_F(RendererTest, LinearFalloffReachesZeroAtTheRadius)
{
  Camera();
  Node& light = AmbientLight("Light", 1.0);
  Set(light, kLightFalloff, kLightFalloffLinear);
  Set(light, kLightFalloffRadius, 800.0);
  ExpectGreys({100.0, 300.0, 799.0, 800.0, 900.0}, [](double d) { return 1.0 - d / 800.0; });
  Set(light, kLightFalloffRadius, 0.0);
  EXPECT_EQ(Grey(), 0);
}

TEST_F(RendererTest, NegativeBrightnessSubtracts)
{
  Camera();
  Shell(300.0);
  AmbientLight("Light", 1.0);
  Node& dark = AmbientLight("Dark", -0.25);
  EXPECT_EQ(Grey(), Expected(0.75));
  Set(dark, kLightColor, Vector{1.0, 0.0, 0.0});
  EXPECT_EQ(Pixel(), (Grey3{Expected(0.75), 255, 255}));
}

TEST_F(RendererTest, TheEnclosingSphereRendersFromInsideWithoutCracks)
{
  Camera({0.0, 0.0, -1000.0}, {0.3, 0.1, 0.0});
  Size(64, 48);
  Node& shell = Shell(10000000.0);
  shell.SetPosition({0.0, 0.0, -1000.0});
  Node& light = AmbientLight("Light", 1.0, {0.0, 0.0, -1000.0});
  Set(light, kLightNearClip, 1);
  Set(light, kLightNearClipTo, 16000000.0);
  Bitmap image;
  ASSERT_EQ(RenderInto(image).code, 0);
  for (uint8_t byte : image.Pixels()) ASSERT_EQ(byte, Expected(10.0 / 16.0));
}

TEST_F(RendererTest, ACameraTargetTagAimsTheCamera)
{
  Node& camera = Camera();
  AmbientLight("Light", 1.0);
  Node& ball = Add(kSphere, "Ball", nullptr, {300.0, 200.0, -500.0});
  EXPECT_EQ(Grey(), 0) << "behind the camera";
  Set(AddTag(camera, kTargetTag), 1001, Link{ball.GetIdentity()});
  EXPECT_EQ(Grey(), 255);
}

// --- which objects a light reaches

TEST_F(RendererTest, TheLightListAppliesToDescendantsByItsFlags)
{
  Camera();
  Node& group = Add(kNull, "Group");
  Node& child = Add(kSphere, "Child", &group, {0.0, 0.0, 500.0});
  Node& light = AmbientLight("Light", 1.0);
  InExclude& list = *light.Data().FindLive(100000)->GetInExclude();
  list.entries.push_back({group.GetIdentity(), 1});
  EXPECT_EQ(Grey(), 0) << "excluded with its parent";
  list.entries[0].flags = 2;
  EXPECT_EQ(Grey(), 255) << "only the specular excluded";
  Set(light, 100001, 0);
  EXPECT_EQ(Grey(), 0) << "included for specular only";
  list.entries[0].flags = 15;
  EXPECT_EQ(Grey(), 255) << "included with its parent";
  list.entries[0].target = child.GetIdentity();
  EXPECT_EQ(Grey(), 255) << "included itself";
}

TEST_F(RendererTest, ALightKeptOutOfReflectionsLeavesTheNextLightAtItsPlaceWhole)
{
  // Seen in a mirror ball: a white ball behind the camera lit by two lights at one place, one
  // of them kept out of reflections. Which one must not matter.
  Camera();
  Node& wall = Add(kSphere, "Wall", nullptr, {0.0, 0.0, -1500.0});
  Set(wall, 1110, 500.0);
  Material(Add(kSphere, "Ball", nullptr, {0.0, 0.0, 500.0}), {{2000, 0}, {2003, 1}, {2008, 0}, {2130, Vector{1.0, 1.0, 1.0}}});
  Node& first = Add(kLight, "First", nullptr, {0.0, 300.0, -500.0});
  Node& second = Add(kLight, "Second", nullptr, {0.0, 300.0, -500.0});
  for (Node* l : {&first, &second}) Set(*l, kLightBrightness, 0.25);
  auto keptOut = [&](Node& light) {
    for (Node* l : {&first, &second}) l->Data().FindLive(100000)->GetInExclude()->entries.clear();
    light.Data().FindLive(100000)->GetInExclude()->entries.push_back({wall.GetIdentity(), 8});  // reflection visibility
    return Pixel();
  };
  Grey3 secondReflected = keptOut(first);
  EXPECT_GT(secondReflected[0], 0);
  EXPECT_EQ(secondReflected, keptOut(second));
}

// A floor seen from above through an occluder the camera does not see, under a light above.
class ShadowTest : public RendererTest {
protected:
  ShadowTest() : light(Add(kLight, "Light", nullptr, {0.0, 2000.0, 0.0}))
  {
    Camera({0.0, 1000.0, 0.0}, {0.0, 90.0 * kDegree, 0.0});
    floor = &Add(kFloor, "Floor");
    ball = &Add(kSphere, "Ball", nullptr, {0.0, 1500.0, 0.0});
    Set(light, kLightShadows, 1);
    Set(AddTag(*ball, kCompositingTag), 1003, 0);
  }
  Node& light;
  Node* floor = nullptr;
  Node* ball = nullptr;
};

TEST_F(ShadowTest, HardShadowsDarkenWhatTheOccluderHides)
{
  EXPECT_EQ(Grey(), 0);
  Set(light, kLightShadows, 0);
  EXPECT_EQ(Grey(), 255);
}

TEST_F(ShadowTest, ThePreviewEngineCastsNoShadows)
{
  Set(settings(), kRenderEngine, 0);
  EXPECT_EQ(Grey(), 255);
}

TEST_F(ShadowTest, CompositingFlagsAndTheListSwitchShadowsOff)
{
  Set(*ball->FirstIn(HST_BRANCH_TAGS), 1000, 0);
  EXPECT_EQ(Grey(), 255) << "casts no shadow";
  Set(*ball->FirstIn(HST_BRANCH_TAGS), 1000, 1);
  Set(AddTag(*floor, kCompositingTag), 1001, 0);
  EXPECT_EQ(Grey(), 255) << "receives no shadow";
  Set(*floor->FirstIn(HST_BRANCH_TAGS), 1001, 1);
  light.Data().FindLive(100000)->GetInExclude()->entries.push_back({ball->GetIdentity(), 4});
  EXPECT_EQ(Grey(), 255) << "excluded from casting this light's shadow";
}

TEST_F(ShadowTest, TransparentOccludersLetTheirShareThrough)
{
  Material(*ball, {{2002, 1}, {2120, Vector{0.4, 0.4, 0.4}}});
  EXPECT_EQ(Grey(), Expected(0.4 * 0.4)) << "through both sides of the ball";
  Set(settings(), kRenderTransparency, 0);
  EXPECT_EQ(Grey(), 0);
}

TEST_F(ShadowTest, ACompositingBackgroundShowsTheSky)
{
  Set(Add(kSky, "Sky"), 1000, Vector{0.2, 0.4, 0.6});
  Set(AddTag(*floor, kCompositingTag), 1004, 1);
  EXPECT_EQ(Pixel(), (Grey3{51, 102, 153}));
  Set(*ball->FirstIn(HST_BRANCH_TAGS), 1003, 1);
  Set(*floor->FirstIn(HST_BRANCH_TAGS), 1004, 0);
  EXPECT_EQ(Pixel(), (Grey3{0, 0, 0})) << "the ball is seen, lit from above only";
}

TEST_F(RendererTest, TransparencyShowsWhatLiesBehind)
{
  Camera();
  Shell(1000.0);
  AmbientLight("Light", 1.0);
  Node& glass = Add(kPlane, "Glass", nullptr, {0.0, 0.0, 100.0});
  glass.SetRotation({0.0, -90.0 * kDegree, 0.0});
  Material(glass, {{2000, 0}, {2002, 1}, {2120, Vector{0.4, 0.4, 0.4}}});
  EXPECT_EQ(Grey(), Expected(0.4));
  Set(settings(), kRenderEngine, 0);
  EXPECT_EQ(Grey(), 0) << "the preview engine traces no secondary rays";
}

// --- the environment

TEST_F(RendererTest, EnvironmentAmbientFogAndForegroundApply)
{
  Camera();
  Shell(1000.0);
  Set(settings(), kRenderDefaultLight, 0);
  EXPECT_EQ(Grey(), 0) << "no light at all";
  Node& environment = Add(kEnvironment, "Environment");
  Set(environment, 1000, Vector{0.2, 0.2, 0.2});
  EXPECT_EQ(Grey(), Expected(0.2)) << "ambient on a white surface";
  Set(environment, 1000, Vector{0.0, 0.0, 0.0});
  Set(environment, 1002, 1);
  EXPECT_EQ(Grey(), Expected(1.0 - std::exp(-1.0))) << "white fog at its distance";
  Set(environment, 1002, 0);
  Node& foreground = Add(kForeground, "Foreground");
  Set(foreground, 1000, Vector{1.0, 0.0, 0.0});
  Set(foreground, 1001, 0.25);
  EXPECT_EQ(Pixel(), (Grey3{64, 0, 0}));
}

// --- sampling

TEST_F(RendererTest, AntiAliasingAveragesAGridOfSamplesBeforeRounding)
{
  Camera();
  AmbientLight("Light", 1.0);
  // A wall covering the left 30 % of the only pixel.
  Node& wall = Add(kPlane, "Wall", nullptr, {-520.0, 0.0, 100.0});
  wall.SetRotation({0.0, -90.0 * kDegree, 0.0});
  Set(wall, 1100, 960.0);
  Set(wall, 1101, 10000.0);
  for (auto [mode, grey] : {std::pair{0, 0}, {1, 128}, {2, 64}}) {
    Set(settings(), kRenderAntialiasing, mode);
    EXPECT_EQ(Grey(), grey) << "anti-aliasing " << mode;
  }
}

// --- materials

TEST_F(RendererTest, DiffuseAndHighlightFollowTheAnglesToTheLight)
{
  Camera({0.0, 1000.0, 0.0}, {0.0, 90.0 * kDegree, 0.0});
  Node& floor = Add(kFloor, "Floor");
  Node& sun = Add(kLight, "Light");
  Set(sun, kLightKind, kLightDistant);
  sun.SetRotation({0.0, std::asin(0.6), 0.0}); // travelling down at 0.6 to the floor
  EXPECT_EQ(Grey(), Expected(0.6)) << "white by Lambert's cosine";
  Node& material = Material(floor, {{2100, Vector{1.0, 1.0, 1.0}}, {2008, 0}, {8000, 1}});
  // Seen along the normal, Oren-Nayar (roughness 0.5) keeps its A term only.
  EXPECT_EQ(Grey(), Expected(0.6 * (1.0 - 0.5 * 0.25 / 0.58)));
  Set(material, 2000, 0);
  Set(material, 2008, 1);
  Set(material, 2181, 0.4);
  sun.SetRotation({0.0, 90.0 * kDegree, 0.0});
  EXPECT_EQ(Grey(), Expected(0.4)) << "the highlight's height, seen at its centre";
}

TEST_F(RendererTest, BitmapShadersAreReadFromTheDocumentsFolder)
{
  test::TempDir dir;
  Bitmap texture(2, 1);
  texture.Row(0)[0] = 255; // red | blue
  texture.Row(0)[5] = 255;
  WriteImage(dir / "texture.png", texture);
  doc.SetFolder(dir.path);
  Camera();
  Size(2, 1);
  AmbientLight("Light", 1.0);
  // A plane exactly filling the view at distance 100, showing its texture once across.
  Node& wall = Add(kPlane, "Wall", nullptr, {0.0, 0.0, 100.0});
  wall.SetRotation({0.0, -90.0 * kDegree, 0.0});
  Set(wall, 1100, 200.0);
  Set(wall, 1101, 100.0);
  doc.Branch(HST_BRANCH_MATERIALS).Append(CreateNode(kStandardMaterial));
  Node& material = *doc.FirstMaterial();
  material.Branch(HST_BRANCH_SHADERS).Append(CreateNode(kBitmapShader));
  Node& shader = *material.FirstIn(HST_BRANCH_SHADERS);
  Set(shader, 1000, std::string("texture.png"));
  Set(material, kMaterialColorShader, Link{shader.GetIdentity()});
  Set(material, 2008, 0);
  Set(AddTag(wall, kTextureTag), kTextureTagMaterial, Link{material.GetIdentity()});
  Bitmap image;
  ASSERT_EQ(RenderInto(image).code, 0);
  EXPECT_EQ(image.Pixels(), (Bitmap::Bytes{255, 0, 0, 0, 0, 255}));
  Set(shader, 1000, std::string("missing.png"));
  RenderResult missing = RenderInto(image);
  EXPECT_EQ(missing.code, HST_RENDER_SCENE_ERROR);
  EXPECT_NE(missing.problem.find("missing.png"), std::string::npos) << missing.problem;
}

// --- pass layers

class LayerTest : public RendererTest {
protected:
  LayerTest()
  {
    Camera();
    Shell(500.0);
    Set(settings(), 5202, 1);
    Set(settings(), 5205, 1);
    AddPass(100);
  }
  void AddPass(int32_t type)
  {
    settings().Branch(HST_BRANCH_PASSES).Append(CreateNode(kMultipassNode));
    Node* pass = settings().FirstIn(HST_BRANCH_PASSES);
    while (pass->Next()) pass = pass->Next();
    Set(*pass, 1000, type);
  }
  static Grey3 At(const Bitmap& b) { return {b.Row(0)[0], b.Row(0)[1], b.Row(0)[2]}; }

  RenderJob external{0, true, nullptr, nullptr};
};

TEST_F(LayerTest, EachLightGetsALayerOfItsDirectLightClampedAtZero)
{
  AmbientLight("Key", 0.5);
  Set(AmbientLight("Fill", 0.25), kLightColor, Vector{1.0, 0.0, 0.0});
  AmbientLight("Dark", -0.25);
  MultipassBitmap image;
  ASSERT_EQ(RenderInto(image, external).code, 0);
  ASSERT_EQ(image.LayerCount(), 3);
  EXPECT_EQ(image.LayerAt(0)->Name(), "Key");
  EXPECT_EQ(image.LayerAt(1)->Name(), "Fill");
  EXPECT_EQ(image.LayerAt(2)->Name(), "Dark");
  EXPECT_EQ(At(*image.LayerAt(0)), (Grey3{128, 128, 128}));
  EXPECT_EQ(At(*image.LayerAt(1)), (Grey3{64, 0, 0}));
  EXPECT_EQ(At(*image.LayerAt(2)), (Grey3{0, 0, 0}));
  EXPECT_EQ(At(image), (Grey3{128, 64, 64}));
  EXPECT_EQ(image.FindLayer(kLightBuffer, 1), image.LayerAt(1));
}

TEST_F(LayerTest, LayersNeedTheExternalFlagMultipassAndSeparateLights)
{
  AmbientLight("Key", 0.5);
  MultipassBitmap image;
  ASSERT_EQ(RenderInto(image).code, 0);
  EXPECT_EQ(image.LayerCount(), 0);
  Set(settings(), 5205, 0);
  ASSERT_EQ(RenderInto(image, external).code, 0);
  EXPECT_EQ(image.LayerCount(), 0);
  Set(settings(), 5205, 1);
  Set(settings(), 5202, 0);
  ASSERT_EQ(RenderInto(image, external).code, 0);
  EXPECT_EQ(image.LayerCount(), 0);
}

TEST_F(LayerTest, TheReflectionLayerHoldsWhatSixBouncesReflect)
{
  AddPass(6);
  // Seen from its centre, a sphere of luminance 0.4 and reflection 0.5 reflects itself.
  Material(*doc.SearchObject("Shell"), {{2000, 0}, {2001, 1}, {2003, 1}, {2008, 0}, {2110, Vector{0.4, 0.4, 0.4}},
                                        {2130, Vector{0.5, 0.5, 0.5}}});
  double seen = 0.4; // the sixth bounce, which reflects nothing more
  for (int bounce = 5; bounce >= 0; --bounce) seen = 0.4 + 0.5 * seen;

  MultipassBitmap image;
  ASSERT_EQ(RenderInto(image, external).code, 0);
  ASSERT_NE(image.FindLayer(kReflectionBuffer, 0), nullptr);
  EXPECT_EQ(At(image), (Grey3{Expected(seen), Expected(seen), Expected(seen)}));
  EXPECT_EQ(At(*image.FindLayer(kReflectionBuffer, 0))[0], Expected(seen - 0.4));
  Set(settings(), kRenderReflections, 0);
  ASSERT_EQ(RenderInto(image, external).code, 0);
  EXPECT_EQ(At(image)[0], Expected(0.4));
  EXPECT_EQ(At(*image.FindLayer(kReflectionBuffer, 0))[0], 0);
}

TEST_F(LayerTest, AReflectionPassWithoutALightPassMakesNoLightLayers)
{
  settings().FirstIn(HST_BRANCH_PASSES)->Unlink();
  AddPass(6);
  AmbientLight("Key", 0.5);
  MultipassBitmap image;
  ASSERT_EQ(RenderInto(image, external).code, 0);
  ASSERT_EQ(image.LayerCount(), 1);
  EXPECT_NE(image.FindLayer(kReflectionBuffer, 0), nullptr);
  EXPECT_EQ(At(image), (Grey3{128, 128, 128}));
}

// --- threads, stopping and result codes

TEST_F(RendererTest, TheDemoGivesTheSameBytesOnOneAndTwoThreads)
{
  Host host;
  host.LoadPlugins(BuiltPluginFolder());
  std::unique_ptr<Document> demo = LoadScene(std::filesystem::path(LENSARA_SOURCE_DIR) / "examples/still-life.json");
  Container data = demo->ActiveRenderData()->Data();
  data.Set(kRenderWidth, Value(160));
  data.Set(kRenderHeight, Value(120));
  Bitmap one, two;
  ASSERT_EQ(Render(*demo, data, one, {1, false, nullptr, nullptr}).code, 0);
  ASSERT_EQ(Render(*demo, data, two, {2, false, nullptr, nullptr}).code, 0);
  EXPECT_TRUE(one == two);
  EXPECT_GT(std::count(one.Pixels().begin(), one.Pixels().end(), 0), 0);
  EXPECT_LT(std::count(one.Pixels().begin(), one.Pixels().end(), 0), 160 * 120);
}

TEST_F(RendererTest, TheBreakTestIsAskedEveryTileRowAndProgressRisesToOne)
{
  Camera();
  Shell(100.0);
  Size(8, 64);
  test::CountingBreak never;
  std::vector<double> fractions;
  RenderJob job{1, false, &never, [&](double f) { fractions.push_back(f); }};
  Bitmap image;
  ASSERT_EQ(RenderInto(image, job).code, 0);
  EXPECT_GE(never.asked, 4);
  ASSERT_FALSE(fractions.empty());
  EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
  EXPECT_EQ(fractions.back(), 1.0);
  test::CountingBreak soon(2);
  job.breakTest = &soon;
  EXPECT_EQ(RenderInto(image, job).code, HST_RENDER_USER_BREAK);
}

TEST_F(RendererTest, FailuresAnswerTheirCodes)
{
  Camera();
  Bitmap image;
  for (auto [w, h] : {std::pair{0, 10}, {10, 16385}, {-1, 5}}) {
    Size(w, h);
    EXPECT_EQ(RenderInto(image).code, HST_RENDER_BAD_IMAGE_SIZE) << w << " x " << h;
  }
  Size(16, 16);
  SetAllocationBudget(0);
  EXPECT_EQ(RenderInto(image).code, HST_RENDER_OUT_OF_MEMORY);
  SetAllocationBudget(-1);
  Add(kPolygon, "Broken").SetMesh(std::make_shared<Mesh>(Mesh{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 3}}, ""}));
  RenderResult broken = RenderInto(image);
  EXPECT_EQ(broken.code, HST_RENDER_SCENE_ERROR);
  EXPECT_NE(broken.problem.find("Broken"), std::string::npos) << broken.problem;
}

}  // namespace
}  // namespace lensara
