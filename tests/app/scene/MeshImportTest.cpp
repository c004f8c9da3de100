#include "app/scene/MeshImport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "app/core/Error.h"
#include "app/scene/MeshFileDepth.h"
#include "tests/support/TempDir.h"

namespace lensara {
namespace {

const std::filesystem::path kMeshes = std::filesystem::path(LENSARA_SOURCE_DIR) / "examples" / "meshes";

// The material the first texture tag of object links, in doc.
Node* MaterialOf(Document& doc, const Node& object)
{
  const Node* tag = object.FirstIn(HST_BRANCH_TAGS);
  return tag ? doc.Resolve(*tag->Data().Find(1010)->GetLink()) : nullptr;
}

TEST(MeshImport, ObjBecomesAPolygonObjectWithItsDiffuseColour)
{
  std::unique_ptr<Document> doc = ImportMeshDocument(kMeshes / "vase.obj");
  Node* vase = doc->FirstObject();
  ASSERT_TRUE(vase);
  EXPECT_EQ(vase->Type(), 5100);
  EXPECT_EQ(vase->Name(), "Vase");
  // 12 fan triangles at the bottom and 5 rings of 12 quads, two triangles each.
  EXPECT_EQ(vase->GetMesh()->triangles.size(), 12u + 5u * 12u * 2u);
  Node* glaze = MaterialOf(*doc, *vase);
  ASSERT_TRUE(glaze);
  EXPECT_EQ(glaze->Type(), 5703);
  EXPECT_EQ(glaze->Name(), "Glaze");
  const Vector& color = *glaze->Data().Find(2100)->GetVector();
  EXPECT_NEAR(color.y, 0.45, 1e-6);
  EXPECT_EQ(glaze->Next(), nullptr);  // the importer's unused default material is left out
}

TEST(MeshImport, GltfNodesArePlacedAndMirroredIntoTheHostFrame)
{
  std::shared_ptr<const Mesh> geometry = ReadMeshGeometry(kMeshes / "gem.gltf");
  const Mesh& mesh = *geometry;
  ASSERT_EQ(mesh.points.size(), 6u);
  EXPECT_EQ(mesh.triangles.size(), 8u);
  EXPECT_EQ(mesh.points[0].y, 80.0);      // the node's translation of 40 applied
  EXPECT_EQ(mesh.points[2].z, -30.0);     // +z in the file is -z in the host
  EXPECT_EQ(mesh.triangles[0], (std::array<int32_t, 3>{0, 1, 2}));  // winding reversed from 0 2 1
  // As a scene, the node keeps the translation and the mesh its own points, metres made
  // centimetres.
  std::unique_ptr<Document> doc = ImportMeshDocument(kMeshes / "gem.gltf");
  Node* gem = doc->FirstObject();
  ASSERT_TRUE(gem);
  EXPECT_EQ(gem->Position().y, 4000.0);
  EXPECT_EQ(gem->GetMesh()->points[0].y, 4000.0);
  Node* ruby = MaterialOf(*doc, *gem);
  ASSERT_TRUE(ruby);
  EXPECT_NEAR(ruby->Data().Find(2100)->GetVector()->x, 0.7, 1e-6);
  ASSERT_TRUE(doc->ActiveRenderData());
}

TEST(MeshImport, UnreadableFilesThrowWithTheirName)
{
  try {
    ReadMeshGeometry(kMeshes / "none.obj");
    FAIL();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("none.obj"), std::string::npos);
  }
}

// Expects both readers to refuse file with "file: cannot be read as a mesh file: problem".
void ExpectRefused(const std::filesystem::path& file, const std::string& problem)
{
  for (auto read : {+[](const std::filesystem::path& f) { ReadMeshGeometry(f); },
                    +[](const std::filesystem::path& f) { ImportMeshDocument(f); }}) {
    try {
      read(file);
      ADD_FAILURE() << file;
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), file.string() + ": cannot be read as a mesh file: " + problem);
    }
  }
}

// A scene cannot hold them, so a converted file would not read back.
TEST(MeshImport, PointsThatAreNotFiniteAreRefused)
{
  test::TempDir dir;
  std::ofstream(dir / "inf.obj") << "o Far\nv 0 0 0\nv 1e400 0 0\nv 0 1 0\nf 1 2 3\n";
  ExpectRefused(dir / "inf.obj", "point 1 of mesh \"Far\" is not a finite number");
}

// The gem as a glTF whose nodes are given, as "children" lists; the last node holds the mesh.
std::string GemWithNodes(const std::vector<std::vector<int>>& children)
{
  nlohmann::json gltf = nlohmann::json::parse(std::ifstream(kMeshes / "gem.gltf"));
  gltf["nodes"] = nlohmann::json::array();
  for (const std::vector<int>& list : children) gltf["nodes"].push_back({{"children", list}});
  gltf["nodes"].back()["mesh"] = 0;
  return gltf.dump();
}

// A chain of levels nodes, each the child of the one before.
std::string GemChain(int levels)
{
  std::vector<std::vector<int>> children(levels);
  for (int i = 0; i + 1 < levels; ++i) children[i] = {i + 1};
  return GemWithNodes(children);
}

// The readers recurse once per level: deep files are refused before the stack runs out.
TEST(MeshImport, HierarchiesDeeperThanTheLimitAreRefused)
{
  test::TempDir dir;
  std::ofstream(dir / "deepest.gltf") << GemChain(kMaxNodeDepth);
  EXPECT_EQ(ReadMeshGeometry(dir / "deepest.gltf")->points.size(), 6u);

  const std::string tooDeep = "node hierarchy deeper than 1000 levels";
  for (int levels : {kMaxNodeDepth + 1, 10000, 100000}) {
    std::ofstream(dir / "chain.gltf") << GemChain(levels);
    ExpectRefused(dir / "chain.gltf", tooDeep);
  }
  std::ofstream(dir / "cycle.gltf") << GemWithNodes({{1}, {0}});
  ExpectRefused(dir / "cycle.gltf", tooDeep);
  // Binary glTF: magic, version, length, then the JSON chunk's length and type.
  std::string json = GemChain(kMaxNodeDepth + 1);
  auto word = [](uint32_t w) { return std::string(reinterpret_cast<const char*>(&w), 4); };
  std::ofstream(dir / "chain.glb", std::ios::binary)
      << "glTF" << word(2) << word(20 + json.size()) << word(json.size()) << "JSON" << json;
  ExpectRefused(dir / "chain.glb", tooDeep);

  auto nested = [](const std::string& open, const std::string& close, int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) text += open;
    for (int i = 0; i < levels; ++i) text += close;
    return text;
  };
  std::ofstream(dir / "nested.dae") << "<?xml version=\"1.0\"?>\n<COLLADA version=\"1.4.1\"><library_visual_scenes>"
                                    << nested("<node>", "</node>", 20000) << "</library_visual_scenes></COLLADA>\n";
  ExpectRefused(dir / "nested.dae", "elements nested deeper than 1000 levels");
  // Files the host does not look into first are read on a thread with room for deep
  // hierarchies, and refused afterwards.
  std::ofstream(dir / "frames.x") << "xof 0303txt 0032\n" << nested("Frame F {\n", "}\n", 50000);
  ExpectRefused(dir / "frames.x", tooDeep);
}

}  // namespace
}  // namespace lensara
