#include "app/scene/MeshImport.h"

#include <gtest/gtest.h>

#include "app/core/Error.h"
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
  std::unique_ptr<Document> doc = ImportMeshDocument(kMeshes / "gem.gltf");
  Node* gem = doc->FirstObject();
  ASSERT_TRUE(gem);
  const Mesh& mesh = *gem->GetMesh();
  ASSERT_EQ(mesh.points.size(), 6u);
  EXPECT_EQ(mesh.triangles.size(), 8u);
  EXPECT_EQ(mesh.points[0].y, 80.0);      // the node's translation of 40 applied
  EXPECT_EQ(mesh.points[2].z, -30.0);     // +z in the file is -z in the host
  EXPECT_EQ(mesh.triangles[0], (std::array<int32_t, 3>{0, 1, 2}));  // winding reversed from 0 2 1
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

// A scene cannot hold them, so a converted file would not read back.
TEST(MeshImport, PointsThatAreNotFiniteAreRefused)
{
  test::TempDir dir;
  std::ofstream(dir / "inf.obj") << "o Far\nv 0 0 0\nv 1e400 0 0\nv 0 1 0\nf 1 2 3\n";
  std::string message = (dir / "inf.obj").string() + ": cannot be read as a mesh file: point 1 of mesh \"Far\" is not a "
                                                     "finite number";
  for (auto read : {+[](const std::filesystem::path& f) { ReadMeshGeometry(f); },
                    +[](const std::filesystem::path& f) { ImportMeshDocument(f); }}) {
    try {
      read(dir / "inf.obj");
      ADD_FAILURE();
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
}

}  // namespace
}  // namespace lensara
