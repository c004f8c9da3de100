// A mesh file as Assimp reads it, read on a thread with room for Assimp's recursion, and the
// conversion of its right-handed frame into the host's left-handed one (z mirrored). Internal
// to the mesh import.
#pragma once

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <vector>

#include "MeshFileDepth.h"
#include "app/core/Geometry.h"

namespace lensara {

// The file's scene, triangulated; throws Error when Assimp cannot read it or it nests too
// deeply.
class ImportedFile {
public:
  explicit ImportedFile(const std::filesystem::path& file);
  const aiScene& Scene() const { return *scene; }
  const std::filesystem::path& File() const { return file; }
  // A glTF's JSON, for what Assimp leaves out of it; null for files of other kinds.
  const nlohmann::json& GltfJson() const { return gltf; }

  // Calls f(mesh, transform to the file's world, node) for every mesh of every node, a
  // node before its children. Walks without recursion and throws NodeHierarchyTooDeep
  // past kMaxNodeDepth levels.
  template <class F>
  void ForEachMesh(const F& f) const
  {
    struct Level {
      const aiNode* node;
      aiMatrix4x4 parent;
      int depth;
    };
    std::vector<Level> pending{{scene->mRootNode, aiMatrix4x4(), 1}};
    while (!pending.empty()) {
      auto [node, parent, depth] = pending.back();
      pending.pop_back();
      if (depth > kMaxNodeDepth) throw NodeHierarchyTooDeep(file);
      aiMatrix4x4 world = parent * node->mTransformation;
      for (unsigned i = 0; i < node->mNumMeshes; ++i) f(*scene->mMeshes[node->mMeshes[i]], world, *node);
      for (unsigned i = node->mNumChildren; i-- > 0;) pending.push_back({node->mChildren[i], world, depth + 1});
    }
  }

private:
  std::filesystem::path file;
  nlohmann::json gltf;
  Assimp::Importer importer;
  const aiScene* scene = nullptr;
};

// Runs work, the import of file, on a thread of its own with a stack big enough for
// Assimp's readers and waits for it, passing on what it throws.
void OnImportStack(const std::filesystem::path& file, const std::function<void()>& work);

// True when every component is a finite number, as a scene holds only.
inline bool IsFinite(const Vector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A point of the file in the host's frame: z mirrored (0 - z keeps zero positive).
template <class T>
Vector ToHost(const aiVector3t<T>& p)
{
  return {p.x, p.y, 0.0 - p.z};
}

// A transform of the file in the host's frame: mirrored before and after, which negates
// the z row of its columns (axes and offset) and then its z axis.
template <class T>
Matrix ToHost(const aiMatrix4x4t<T>& m)
{
  auto column = [&m](int c) { return ToHost(aiVector3t<T>(m[0][c], m[1][c], m[2][c])); };
  return Matrix(column(3), column(0), column(1), column(2) * -1.0);
}

}  // namespace lensara
