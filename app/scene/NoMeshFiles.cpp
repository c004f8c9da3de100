// Mesh files where the build has no mesh importer (the Windows builds: Assimp is a Linux
// library here): a scene that names one fails with a clear message. Inline meshes of scene
// files are read as everywhere.
#include "MeshImport.h"
#include "app/core/Files.h"

namespace lensara {

namespace {

Error NoMeshFiles(const std::filesystem::path& file) { return FileError(file, "this build reads no mesh files"); }

}  // namespace

std::shared_ptr<const Mesh> ReadMeshGeometry(const std::filesystem::path& file) { throw NoMeshFiles(file); }

std::unique_ptr<Document> ImportMeshDocument(const std::filesystem::path& file, std::vector<std::string>*)
{
  throw NoMeshFiles(file);
}

}  // namespace lensara
