#include "MeshImport.h"

#include "ImportedFile.h"
#include "MeshObjects.h"
#include "SceneFile.h"
#include "SceneImport.h"
#include "app/core/Allocations.h"
#include "app/core/NodeTypes.h"

namespace lensara {

namespace {

// A document of the imported file's meshes, as ImportMeshDocument makes it.
std::unique_ptr<Document> MeshDocument(const ImportedFile& imported)
{
  auto doc = std::make_unique<Document>();
  MeshObjects objects(imported, *doc);
  imported.ForEachMesh([&](const aiMesh& m, const aiMatrix4x4& world, const aiNode& node) {
    doc->Branch(HST_BRANCH_OBJECTS).Append(objects.Polygon(m, world, node));
  });
  doc->Branch(HST_BRANCH_RENDER_DATA).Append(CreateNode(kRenderData));
  return doc;
}

}  // namespace

std::shared_ptr<const Mesh> ReadMeshGeometry(const std::filesystem::path& file)
{
  std::shared_ptr<Mesh> mesh;
  OnImportStack(file, [&] {
    ImportedFile imported(file);
    mesh = CountedShared<Mesh>();
    imported.ForEachMesh(
        [&](const aiMesh& m, const aiMatrix4x4& world, const aiNode&) { AppendMesh(m, world, *mesh, file); });
    mesh->source = file.string();
  });
  return mesh;
}

std::unique_ptr<Document> ImportMeshDocument(const std::filesystem::path& file, std::vector<std::string>* warnings)
{
  std::unique_ptr<Document> doc;
  OnImportStack(file, [&] {
    ImportedFile imported(file);
    doc = IsGltfFile(file) ? ImportGltfScene(imported, warnings) : MeshDocument(imported);
  });
  return doc;
}

}  // namespace lensara
