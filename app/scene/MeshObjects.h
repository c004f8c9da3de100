// Polygon objects made of a mesh file's meshes. Internal to the mesh import.
#pragma once

#include <filesystem>
#include <map>
#include <memory>

#include "ImportedFile.h"
#include "app/core/Document.h"
#include "app/core/Mesh.h"

namespace lensara {

// Appends the triangles of mesh, transformed by m (in the file's frame), to out in the host's
// frame. Throws Error naming file when a point is not a finite number, which a scene cannot
// hold.
void AppendMesh(const aiMesh& mesh, const aiMatrix4x4& m, Mesh& out, const std::filesystem::path& file);

// Makes polygon objects (5100) for a document, each with a texture tag for a standard
// material (5703) made from its mesh's material's base colour. Materials are made when a
// mesh first uses them, in the order of use, and appended to the document.
class MeshObjects {
public:
  MeshObjects(const ImportedFile& imported, Document& doc) : imported(imported), doc(doc) {}
  // mesh, its points transformed by m, named after the mesh or, when it has no name, node.
  std::unique_ptr<Node> Polygon(const aiMesh& mesh, const aiMatrix4x4& m, const aiNode& node);

private:
  Node& Material(unsigned index);

  const ImportedFile& imported;
  Document& doc;
  std::map<unsigned, Node*> materials;
};

}  // namespace lensara
