#include "app/scene/SceneFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "app/core/Error.h"
#include "app/core/Host.h"
#include "app/core/Signals.h"
#include "host/keys/RenderDataKeys.h"
#include "resources/description/vpdof.h"
#include "tests/support/TempDir.h"

namespace lensara {
namespace {

const std::filesystem::path kExamples = std::filesystem::path(LENSARA_SOURCE_DIR) / "examples";

// The error message of reading text as scene file "test.json", or "" when it loads.
std::string ReadError(const std::string& text, const std::filesystem::path& file = "test.json")
{
  try {
    ReadScene(text, file);
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

// The same keys in the same order with the same values; links, which hold each
// document's own identities, only by type.
void ExpectSameData(const Container& a, const Container& b)
{
  ASSERT_EQ(a.Entries().size(), b.Entries().size());
  for (std::size_t i = 0; i < a.Entries().size(); ++i) {
    const auto& [keyA, valueA] = a.Entries()[i];
    const auto& [keyB, valueB] = b.Entries()[i];
    EXPECT_EQ(keyA, keyB);
    EXPECT_EQ(valueA.TypeCode(), valueB.TypeCode()) << keyA;
    if (valueA.GetContainer()) {
      ExpectSameData(*valueA.GetContainer(), *valueB.GetContainer());
    } else if (!valueA.GetLink() && !valueA.GetInExclude() && !valueA.GetVector()) {
      EXPECT_EQ(valueA, valueB) << keyA;
    }
  }
}

// Object trees of two documents alike, for comparing a document with its reread copy.
void ExpectSameObjects(Node* a, Node* b)
{
  for (; a && b; a = a->Next(), b = b->Next()) {
    EXPECT_EQ(a->Type(), b->Type());
    EXPECT_EQ(a->Name(), b->Name());
    ExpectSameData(a->Data(), b->Data());
    EXPECT_EQ(a->Position(), b->Position()) << a->Name();
    ExpectSameObjects(a->Down(), b->Down());
  }
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(b, nullptr);
}

class SceneFile : public ::testing::Test {
protected:
  SceneFile() { host.LoadPlugins(LENSARA_TEST_PLUGIN_DIR); }
  Host host;
};

TEST_F(SceneFile, SecondRoundTripIsByteIdentical)
{
  std::unique_ptr<Document> doc = LoadScene(kExamples / "still-life.json");
  std::filesystem::path out = kExamples / "converted.json";
  std::string first = WriteScene(*doc, out);
  std::unique_ptr<Document> again = ReadScene(first, out);
  EXPECT_EQ(WriteScene(*again, out), first);
  ExpectSameObjects(doc->FirstObject(), again->FirstObject());
}

TEST_F(SceneFile, EveryExampleLoadsAndWritesCanonically)
{
  int count = 0;
  for (const std::filesystem::path& dir : {kExamples, kExamples / "tests"}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.path().extension() != ".json") continue;
      SCOPED_TRACE(entry.path().string());
      std::unique_ptr<Document> doc = LoadScene(entry.path());
      std::string first = WriteScene(*doc, entry.path());
      EXPECT_EQ(WriteScene(*ReadScene(first, entry.path()), entry.path()), first);
      ++count;
    }
  }
  EXPECT_GE(count, 4);
}

TEST_F(SceneFile, TheFormatsCompleteExampleIsTheExampleFile)
{
  std::ifstream doc(std::filesystem::path(LENSARA_SOURCE_DIR) / "docs" / "scene-format.md");
  std::string text((std::istreambuf_iterator<char>(doc)), std::istreambuf_iterator<char>());
  std::size_t start = text.find("```json\n") + 8;
  std::ifstream file(kExamples / "format-example.json");
  std::string example((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.substr(start, text.find("```\n", start) - start), example);
}

TEST_F(SceneFile, EveryValueTypeAndUnknownKeySurvivesARoundTrip)
{
  const char* text = R"({
    "objects": [
      {"type": "null", "name": "Target"},
      {"type": "null", "name": "Holder", "data": {
        "1": 7, "2": 2.5, "3": "text", "4": [1, 2, 3],
        "5": {"matrix": [[1, 2, 3], [0, 1, 0], [-1, 0, 0], [0, 0, 1]]},
        "6": {"link": "Target"}, "7": {"link": null},
        "8": {"container": {"6": {"container": {"1020104": true}}, "9": {"link": "Target"}}},
        "9": {"inexclude": [{"link": "Target", "flags": 3}, {"link": "Holder"}]},
        "10": {"gradient": [{"color": [1, 0, 0], "brightness": 0.5, "position": 0.25, "bias": 0.4, "index": 2}]},
        "11": null, "-12": true, "13": {"real": "inf"}, "14": [1, "-inf", "nan"]
      }}
    ]
  })";
  std::unique_ptr<Document> doc = ReadScene(text, "values.json");
  Node* holder = doc->SearchObject("Holder");
  const Container& data = holder->Data();
  EXPECT_EQ(data.Find(1)->ToLong(), 7);
  EXPECT_EQ(data.Find(2)->ToReal(), 2.5);
  EXPECT_EQ(data.Find(3)->ToString(), "text");
  EXPECT_EQ(*data.Find(4)->GetVector(), (Vector{1.0, 2.0, 3.0}));
  EXPECT_EQ(data.Find(5)->GetMatrix()->v2, (Vector{-1.0, 0.0, 0.0}));
  EXPECT_EQ(doc->Resolve(*data.Find(6)->GetLink()), doc->SearchObject("Target"));
  EXPECT_EQ(data.Find(7)->GetLink()->target, 0u);
  EXPECT_EQ(data.Find(8)->GetContainer()->Find(6)->GetContainer()->GetLong(kDofId, 0), 1);
  const InExclude& list = *data.Find(9)->GetInExclude();
  ASSERT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[0].flags, 3);
  EXPECT_EQ(list.entries[1].flags, 15);
  EXPECT_EQ(doc->Resolve(list.entries[1].target), holder);
  const GradientKnot& knot = data.Find(10)->GetGradient()->knots.at(0);
  EXPECT_EQ(knot.pos, 0.25);
  EXPECT_EQ(knot.index, 2);
  EXPECT_TRUE(data.Find(11)->IsNone());
  EXPECT_EQ(data.Find(-12)->ToLong(), 1);
  EXPECT_TRUE(std::isinf(data.Find(13)->ToReal()));
  EXPECT_TRUE(std::isnan(data.Find(14)->GetVector()->z));

  std::string written = WriteScene(*doc, "values.json");
  std::unique_ptr<Document> again = ReadScene(written, "values.json");
  ExpectSameObjects(doc->FirstObject(), again->FirstObject());
  EXPECT_EQ(WriteScene(*again, "values.json"), written);
}

TEST_F(SceneFile, KeysMayBeGivenByNameOrNumber)
{
  std::unique_ptr<Document> named = ReadScene(R"({"objects": [{"type": "sphere", "data": {"radius": 5}}]})", "a.json");
  std::unique_ptr<Document> numbered = ReadScene(R"({"objects": [{"type": 5160, "data": {"1110": 5.0}}]})", "b.json");
  EXPECT_EQ(named->FirstObject()->Data(), numbered->FirstObject()->Data());
  EXPECT_EQ(named->FirstObject()->Data().GetReal(1110, 0.0), 5.0);
}

TEST_F(SceneFile, VideoPostParametersGoByTheirDescriptionNames)
{
  const char* text = R"({
    "objects": [{"type": "camera", "name": "Cam"}],
    "render_settings": [{"type": "render_settings", "video_posts": [{"type": "Lensara", "data": {
      "DOF_FOCUS_DISTANCE": 750, "DOF_FILTER": "DOF_FILTER_MEDIAN", "DOF_HAIR": true,
      "DOF_CAMERA": {"link": "Cam"}}}]}]
  })";
  std::unique_ptr<Document> doc = ReadScene(text, "vp.json");
  Node* vp = doc->ActiveRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS);
  ASSERT_TRUE(vp);
  EXPECT_TRUE(vp->HasInstance());
  EXPECT_EQ(vp->Data().GetReal(1020, 0.0), 750.0);
  EXPECT_EQ(vp->Data().GetLong(1010, 0), 1011);
  EXPECT_EQ(vp->Data().GetLong(1021, 0), 1);
  EXPECT_EQ(vp->Data().GetReal(1007, 0.0), 3.0);  // the plug-in's default

  std::unique_ptr<Document> copy = doc->CloneDocument();
  Node* copied = copy->ActiveRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS);
  ASSERT_TRUE(copied);
  EXPECT_TRUE(copied->HasInstance());
  EXPECT_EQ(copied->Data(), vp->Data());
  EXPECT_EQ(copy->Resolve(*copied->Data().Find(1022)->GetLink()), copy->SearchObject("Cam"));
  EXPECT_NE(copy->SearchObject("Cam"), doc->SearchObject("Cam"));
}

TEST_F(SceneFile, DuplicateNamesAreLinkedThroughIds)
{
  const char* text = R"({
    "objects": [{"type": "cube", "name": "Box"}, {"type": "cube", "name": "Box", "id": "second"},
                {"type": "light", "data": {"list": {"inexclude": [{"link": "second"}]}}}]
  })";
  std::unique_ptr<Document> doc = ReadScene(text, "ids.json");
  Node* second = doc->FirstObject()->Next();
  const InExclude& list = *doc->SearchObject("Light")->Data().Find(100000)->GetInExclude();
  EXPECT_EQ(doc->Resolve(list.entries.at(0).target), second);
  std::string written = WriteScene(*doc, "ids.json");
  std::unique_ptr<Document> again = ReadScene(written, "ids.json");
  const InExclude& reread = *again->SearchObject("Light")->Data().Find(100000)->GetInExclude();
  EXPECT_EQ(again->Resolve(reread.entries.at(0).target), again->FirstObject()->Next());
}

TEST_F(SceneFile, IdsGivenOnWritingAreNoNodeNames)
{
  const char* text = R"({
    "objects": [{"type": "null", "name": "A", "id": "first"}, {"type": "null", "name": "A"},
                {"type": "null", "name": "A#1"},
                {"type": "null", "name": "Holder", "data": {"1": {"link": "first"}, "2": {"link": "A#1"}}}]
  })";
  std::unique_ptr<Document> doc = ReadScene(text, "ids.json");
  std::unique_ptr<Document> again = ReadScene(WriteScene(*doc, "ids.json"), "ids.json");
  const Container& data = again->SearchObject("Holder")->Data();
  EXPECT_EQ(again->Resolve(*data.Find(1)->GetLink()), again->FirstObject());
  EXPECT_EQ(again->Resolve(*data.Find(2)->GetLink()), again->FirstObject()->Next()->Next());
}

TEST_F(SceneFile, MalformedFilesNameFileAndLine)
{
  EXPECT_EQ(ReadError("{\n  \"objects\": [\n    {\"type\": \"cube\",}\n  ]\n}"),
            "test.json:3: malformed JSON: syntax error while parsing object key - unexpected '}'; expected string literal");
  EXPECT_EQ(ReadError("{\n\"objects\": [\n{\"type\": \"sphre\"}]}"), "test.json:3: unknown object type \"sphre\"");
  EXPECT_EQ(ReadError("{\"objects\": [\n{\"type\": \"texture\"}]}"), "test.json:2: \"texture\" is a tag, not an object");
  EXPECT_EQ(ReadError("{\"objects\": [{\"type\": \"sphere\",\n \"data\": {\n\"radius\": \"big\"}}]}"),
            "test.json:3: key \"radius\" of sphere \"Sphere\" expects real number, not \"big\"");
  EXPECT_EQ(ReadError("{\"objects\": [{\"type\": \"light\", \"data\": {\"falloff\": 2.5}}]}"),
            "test.json:1: key \"falloff\" of light \"Light\" expects integer, not 2.5");
  EXPECT_EQ(ReadError("{\"objects\": [{\"type\": \"sphere\", \"data\": {\n\n\"radiuss\": 1}}]}"),
            "test.json:3: unknown key \"radiuss\" for sphere \"Sphere\"");
  EXPECT_EQ(ReadError("{\"objects\": [{\"type\": \"cube\",\n \"posiiton\": [0, 0, 0]}]}"),
            "test.json:2: unknown field \"posiiton\" in an object");
  EXPECT_EQ(ReadError("{\"objects\": [{\"type\": \"texture\"}]}").find("test.json:1:"), 0u);
  EXPECT_NE(ReadError("{\"objects\": [{\"type\": \"cube\", \"data\": {\"size\": [1, 2]}}]}").find("expects vector"),
            std::string::npos);
  EXPECT_NE(ReadError("{\"objects\": [{\"type\": \"cube\", \"data\": {\"1\": {\"link\": \"Nobody\"}}}]}")
                .find("no node is named"),
            std::string::npos);
  EXPECT_NE(ReadError("{\"objects\": [{\"type\": \"cube\"}, {\"type\": \"cube\"}, {\"type\": \"light\", \"data\": "
                      "{\"list\": {\"inexclude\": [{\"link\": \"Cube\"}]}}}]}")
                .find("a name 2 nodes carry"),
            std::string::npos);
  EXPECT_NE(ReadError("{\"objects\": [{\"type\": \"polygon\", \"points\": [[0, 0, 0]], \"triangles\": [[0, 1, 2]]}]}")
                .find("must be three indices of points (0 to 0)"),
            std::string::npos);
  EXPECT_NE(ReadError("[1, 2]").find("one JSON object"), std::string::npos);
  EXPECT_NE(ReadError("{\"active_camera\": \"Sky\", \"objects\": [{\"type\": \"sky\"}]}").find("which is no camera"),
            std::string::npos);
  EXPECT_NE(ReadError("{\"render_settings\": [{\"type\": \"render_settings\", \"video_posts\": [{\"type\": \"Lensar\"}]}]}")
                .find("unknown video post type \"Lensar\""),
            std::string::npos);
  EXPECT_NE(ReadError("{\"render_settings\": [{\"type\": \"render_settings\", \"video_posts\": [{\"type\": \"Lensara\", "
                      "\"data\": {\"DOF_FILTER\": \"DOF_FILTER_NONE\"}}]}]}")
                .find("unknown cycle value \"DOF_FILTER_NONE\""),
            std::string::npos);
  EXPECT_NE(ReadError("{\"objects\": [{\"type\": 99999999999}]}").find("unknown object type 99999999999"),
            std::string::npos);
  EXPECT_NE(ReadError(std::string(5000, '[') + std::string(5000, ']')).find("nested deeper than"), std::string::npos);
  EXPECT_EQ(ReadError(""), "test.json:1: malformed JSON: syntax error while parsing value - unexpected end of input; "
                           "expected '[', '{', or a literal");
}

TEST_F(SceneFile, CtrlCStopsTheLoad)
{
  SignalHandlers handlers;
  InterruptPolling polling;
  std::raise(SIGINT);
  try {
    ReadScene("{\"objects\": [{\"type\": \"sphere\"}]}", "big.json");
    FAIL() << "the load went on";
  } catch (const Interrupted& e) {
    EXPECT_EQ(std::string(e.what()), "big.json was not loaded");
  }
}

TEST_F(SceneFile, ValuesARendererCannotUseFailWithTheirLine)
{
  EXPECT_EQ(ReadError("{\"objects\": [{\"type\": \"sphere\",\n \"data\": {\"radius\": 0}}]}"),
            "test.json:2: key \"radius\" of sphere \"Sphere\" is 0, not above 0");
  EXPECT_EQ(ReadError("{\"objects\": [{\"type\": \"cube\", \"data\": {\"size\": [1, -2, 1]}}]}"),
            "test.json:1: key \"size\" of cube \"Cube\" is -2, not above 0");
  EXPECT_EQ(ReadError("{\"render_settings\": [{\"type\": \"render_settings\", \"data\": {\"height\": 16385}}]}"),
            "test.json:1: key \"height\" of render_settings \"My Render Setting\" is 16385, outside 1 .. 16384");
  EXPECT_EQ(ReadError("{\"objects\": [{\"type\": \"plane\", \"data\": {\"width\": {\"real\": \"nan\"}}}]}"),
            "test.json:1: key \"width\" of plane \"Plane\" is not a finite number");
  EXPECT_EQ(ReadError("{\"objects\": [{\"type\": \"null\", \"position\": [0, \"inf\", 0]}]}"),
            "test.json:1: \"position\" must be a vector [x, y, z] of finite numbers");
  EXPECT_EQ(ReadError("{\"time\": \"nan\"}"), "test.json:1: \"time\" must be a finite number");
}

TEST_F(SceneFile, EffectParametersOutsideTheirLimitsAreClampedWithAWarning)
{
  std::vector<std::string> warnings;
  std::unique_ptr<Document> doc = ReadScene(R"({"render_settings": [{"type": "render_settings", "video_posts": [
    {"type": "Lensara", "data": {"DOF_RADIUS": 150.0,
     "DOF_PASSES": 1e9}}]}]})", "fx.json", &warnings);
  const Container& data = doc->FirstRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS)->Data();
  EXPECT_EQ(data.GetReal(1007, 0.0), 100.0);
  EXPECT_EQ(data.GetReal(1015, 0.0), 20.0);
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0], "fx.json:2: key \"DOF_RADIUS\" of Lensara \"Lensara\" is 150, outside 0 .. 100 (the "
                         "limits of its description); clamped to 100");
  EXPECT_EQ(warnings[1], "fx.json:3: key \"DOF_PASSES\" of Lensara \"Lensara\" is 1e+09, outside 1 .. 20 (the "
                         "limits of its description); clamped to 20");
}

// What cannot be clamped is refused: a cycle value that is not one of its choices, a truth
// value other than true or false, a number that is not finite.
TEST_F(SceneFile, EffectValuesOutsideTheirChoicesFailWithTheirLine)
{
  auto effect = [](const std::string& data) {
    return "{\"render_settings\": [{\"type\": \"render_settings\", \"video_posts\": [{\"type\": \"Lensara\",\n "
           "\"data\": {" + data + "}}]}]}";
  };
  EXPECT_EQ(ReadError(effect("\"DOF_FILTER\": 99")),
            "test.json:2: key \"DOF_FILTER\" of Lensara \"Lensara\" unknown cycle value 99 (the choices: "
            "DOF_FILTER_MEDIAN, DOF_FILTER_GAUSSIAN, DOF_FILTER_GAUSSIAN_BLEND)");
  EXPECT_EQ(ReadError(effect("\"DOF_USE_CAMERA_DOF\": -5")),
            "test.json:2: key \"DOF_USE_CAMERA_DOF\" of Lensara \"Lensara\" expects truth value, not -5");
  EXPECT_EQ(ReadError(effect("\"DOF_PASSES\": {\"real\": \"nan\"}")),
            "test.json:2: key \"DOF_PASSES\" of Lensara \"Lensara\" is not a finite number");
  EXPECT_EQ(ReadError(effect("\"DOF_FILTER\": 1011, \"DOF_BLUR\": 0, \"DOF_HAIR\": true")), "");
}

TEST_F(SceneFile, TracksLoadEvaluatedAtTheFilesTimeAndKeepTheirKeysExactly)
{
  std::unique_ptr<Document> doc = LoadScene(kExamples / "tests" / "animation.json");  // frame 12 at 24 fps
  Node* ball = doc->SearchObject("Ball");
  Node* effect = doc->FirstRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS);
  EXPECT_EQ(ball->Position().x, 100.0);
  EXPECT_EQ(ball->Data().GetReal(1110, 0.0), 120.0);
  EXPECT_EQ(effect->Data().GetReal(1020, 0.0), 900.0);
  EXPECT_EQ(doc->FirstMaterial()->Data().Find(2100)->GetVector()->y, 0.5);
  EXPECT_EQ(effect->Data().Find(1022)->GetLink()->target, 0u);  // the link steps to Ball at frame 20
  std::string first = WriteScene(*doc, "a.json");
  std::unique_ptr<Document> again = ReadScene(first, "a.json");
  const Track& rotation = again->SearchObject("Ball")->Tracks()[1];
  EXPECT_EQ(rotation.Keys()[1].value, ball->Tracks()[1].Keys()[1].value);
  EXPECT_EQ(rotation.Keys()[1].interpolation, Interpolation::Smooth);
  again->SetTime(20.0 / 24.0);
  EXPECT_EQ(again->Resolve(*again->FirstRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS)->Data().Find(1022)->GetLink()),
            again->SearchObject("Ball"));
}

TEST_F(SceneFile, FaultsInTracksNameFileAndLine)
{
  auto sphere = [](const std::string& track) {
    return "{\"objects\": [{\"type\": \"sphere\", \"name\": \"Ball\",\n\"tracks\": [\n" + track + "]}]}";
  };
  auto keyed = [&](const std::string& parameter, const std::string& keys) {
    return sphere("{\"parameter\": \"" + parameter + "\", \"keys\": [\n" + keys + "]}");
  };
  EXPECT_EQ(ReadError(keyed("positon.x", "{\"frame\": 0, \"value\": 1.0}")),
            "test.json:3: unknown parameter \"positon.x\" for sphere \"Ball\" (a vector's component is \".x\", "
            "\".y\" or \".z\")");
  EXPECT_NE(ReadError(keyed("radius.x", "{\"frame\": 0, \"value\": 1.0}")).find("test.json:3: unknown parameter"),
            std::string::npos);
  EXPECT_EQ(ReadError(keyed("radius", "{\"frame\": 0, \"value\": 1.0},\n{\"frame\": 0, \"value\": 2.0}")),
            "test.json:5: track \"radius\" of sphere \"Ball\" has a key at frame 0 after one at a later or the same "
            "frame; frames must increase");
  EXPECT_EQ(ReadError(keyed("radius", "{\"frame\": 0, \"value\": \"big\"}")),
            "test.json:4: track \"radius\" of sphere \"Ball\" expects real number, not \"big\"");
  EXPECT_EQ(ReadError(keyed("position", "{\"frame\": 0, \"value\": 1.0}")),
            "test.json:4: track \"position\" of sphere \"Ball\" expects vector, not 1.0");
  EXPECT_EQ(ReadError(keyed("radius", "{\"frame\": 0, \"value\": 5.0},\n{\"frame\": 3, \"value\": 0.0}")),
            "test.json:5: track \"radius\" of sphere \"Ball\" is 0, not above 0");
  EXPECT_EQ(ReadError(keyed("radius", "{\"frame\": 0, \"value\": 5.0, \"interpolation\": \"cubic\"}")),
            "test.json:4: track \"radius\" of sphere \"Ball\" has an \"interpolation\" of \"cubic\"; it is "
            "\"step\", \"linear\" or \"smooth\"");
  EXPECT_EQ(ReadError(keyed("radius", "")), "test.json:3: track \"radius\" of sphere \"Ball\" needs \"keys\": a list "
                                              "of at least one key");
  EXPECT_EQ(ReadError(sphere("{\"parameter\": \"radius\", \"keys\": [{\"value\": 1.0}], \"ease\": 1}")),
            "test.json:3: unknown field \"ease\" in a track");
  EXPECT_EQ(ReadError("{\"render_settings\": [{\"type\": \"render_settings\", \"video_posts\": [{\"type\": "
                      "\"Lensara\",\n\"tracks\": [{\"parameter\": \"DOF_CAMERA\", \"keys\": [\n{\"frame\": 0, "
                      "\"value\": {\"link\": \"Nobody\"}}]}]}]}]}"),
            "test.json:3: track \"DOF_CAMERA\" of Lensara \"Lensara\" links to \"Nobody\", which no node is named "
            "or identified as");
  EXPECT_EQ(ReadError("{\"materials\": [{\"type\": \"standard\",\n\"tracks\": [{\"parameter\": \"position\", "
                      "\"keys\": [{\"frame\": 0, \"value\": [0, 0, 0]}]}]}]}")
                .find("test.json:2: unknown parameter \"position\" for standard"),
            0u);
}

TEST_F(SceneFile, MissingMeshFileIsReportedWithItsLine)
{
  std::filesystem::path scene = kExamples / "missing.json";
  std::string message = ReadError("{\"objects\": [\n{\"type\": \"polygon\",\n \"mesh\": \"meshes/nothing.obj\"}]}", scene);
  EXPECT_EQ(message.find(scene.string() + ":3: "), 0u) << message;
  EXPECT_NE(message.find("nothing.obj"), std::string::npos);
}

TEST_F(SceneFile, HostileInputFailsWithFileAndLine)
{
  // Names the reader's own line records are kept under are plain unknown fields.
  const std::pair<const char*, const char*> cases[] = {
      {"{\n\"time\": 1e400}", "test.json:2: number out of range"},
      {"{\n\"\\u0001line\": 5}", "test.json:2: unknown field \"\\u0001line\" in the scene"},
      {"{\"objects\": [{\"type\": \"null\",\n \"\\u0001members\": {}}]}",
       "test.json:2: unknown field \"\\u0001members\" in an object"},
      {"{\"objects\": [{\"type\": \"polygon\", \"points\": [[{\"x\": 1}, 0, 0]]}]}",
       "test.json:1: every point must be a vector [x, y, z] of finite numbers, not [{\"x\":1},0,0]"}};
  for (const auto& [text, message] : cases) EXPECT_EQ(ReadError(text), message);
}

TEST_F(SceneFile, MeshesMustBeRegularFiles)
{
  test::TempDir dir;
  std::filesystem::create_directory(dir / "folder.obj");
  ASSERT_EQ(mkfifo((dir / "pipe.obj").c_str(), 0600), 0);
  auto meshError = [&](const std::string& mesh) {
    return ReadError("{\"objects\": [{\"type\": \"polygon\",\n \"mesh\": \"" + mesh + "\"}]}", dir / "s.json");
  };
  std::string at = (dir / "s.json").string() + ":2: ";
  EXPECT_EQ(meshError(""), at + "\"mesh\" is empty; it names a mesh file");
  EXPECT_EQ(meshError("folder.obj"), at + (dir / "folder.obj").string() + ": is a directory");
  EXPECT_EQ(meshError("pipe.obj"), at + (dir / "pipe.obj").string() + ": is not a regular file");
  // Files the mesh file names are not opened unless regular either.
  ASSERT_EQ(mkfifo((dir / "pipe.mtl").c_str(), 0600), 0);
  std::ofstream(dir / "m.obj") << "mtllib pipe.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
  EXPECT_EQ(meshError("m.obj"), "");
}

TEST_F(SceneFile, ReferencedMeshesKeepTheirRelativePath)
{
  std::string text = R"({"objects": [{"type": "polygon", "name": "Vase", "mesh": "meshes/vase.obj"}]})";
  std::unique_ptr<Document> doc = ReadScene(text, kExamples / "mesh.json");
  ASSERT_TRUE(doc->FirstObject()->GetMesh());
  EXPECT_GT(doc->FirstObject()->GetMesh()->triangles.size(), 100u);
  EXPECT_NE(WriteScene(*doc, kExamples / "mesh.json").find("\"mesh\": \"meshes/vase.obj\""), std::string::npos);
  EXPECT_NE(WriteScene(*doc, kExamples / "sub" / "mesh.json").find("\"mesh\": \"../meshes/vase.obj\""),
            std::string::npos);
  test::TempDir dir;
  std::filesystem::create_directory(dir / "caf\xe9");
  std::filesystem::copy(kExamples / "meshes" / "vase.obj", dir / "caf\xe9" / "vase.obj");
  doc = ReadScene(R"({"objects": [{"type": "polygon", "mesh": "vase.obj"}]})", dir / "caf\xe9" / "in.json");
  EXPECT_NE(WriteScene(*doc, dir / "caf\xe9" / "out.json").find("\"mesh\": \"vase.obj\""), std::string::npos);
  EXPECT_THROW(WriteScene(*doc, "/out.json"), Error);  // the absolute path would be written
}

TEST_F(SceneFile, ADocumentAlwaysHasRenderSettings)
{
  std::unique_ptr<Document> doc = ReadScene("{}", "empty.json");
  ASSERT_TRUE(doc->ActiveRenderData());
  EXPECT_EQ(doc->ActiveRenderData()->Data().GetLong(kRenderWidth, 0), 640);
  EXPECT_EQ(doc->ActiveCamera(), nullptr);
}

TEST_F(SceneFile, SaveReplacesTheFileWhole)
{
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "lensara-scene-test";
  std::filesystem::create_directories(dir);
  std::unique_ptr<Document> doc = ReadScene("{\"objects\": [{\"type\": \"cube\"}]}", dir / "in.json");
  SaveScene(*doc, dir / "out.json");
  EXPECT_TRUE(std::filesystem::exists(dir / "out.json"));
  EXPECT_FALSE(std::filesystem::exists(dir / "out.json.part"));
  EXPECT_THROW(SaveScene(*doc, dir / "no" / "such" / "out.json"), Error);
  EXPECT_EQ(LoadScene(dir / "out.json")->FirstObject()->Type(), 5159);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lensara
