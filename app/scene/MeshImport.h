// Polygon meshes and scenes from 3-D files (glTF 2.0, OBJ and whatever else Assimp reads).
// Files are right-handed with +Y up; the host is left-handed, so z is mirrored and the
// triangles' winding reversed.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/core/Document.h"
#include "app/core/Mesh.h"

namespace lensara {

// Every mesh of file merged into one, placed by the file's node transforms; its source is
// the file. Throws Error naming the file and the problem.
std::shared_ptr<const Mesh> ReadMeshGeometry(const std::filesystem::path& file);

// A document of the file. A glTF (*.gltf, *.glb) becomes a whole scene: its nodes, meshes,
// cameras, lights and animation (SceneImport.h; what it approximates goes to warnings when
// given). Other files become a document of their meshes: one polygon object (5100) per
// mesh and node, each with a texture tag for a standard material (5703) made from its
// material's base colour.
std::unique_ptr<Document> ImportMeshDocument(const std::filesystem::path& file,
                                             std::vector<std::string>* warnings = nullptr);

}  // namespace lensara
