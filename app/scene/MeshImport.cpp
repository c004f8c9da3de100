#include "MeshImport.h"

#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <pthread.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <new>
#include <vector>

#include "Json.h"
#include "MeshFileDepth.h"
#include "app/core/Allocations.h"
#include "app/core/Error.h"
#include "app/core/Files.h"
#include "app/core/NodeTypes.h"
#include "host/keys/MaterialKeys.h"

namespace lensara {

namespace {

// Opens regular files only, also for the files a mesh file names (an OBJ's materials, a
// glTF's buffers): a FIFO would block the import and a directory read as an empty file.
// (Assimp's own Exists opens the file to see whether it is there.)
class RegularFilesOnly : public Assimp::DefaultIOSystem {
public:
  bool Exists(const char* file) const override
  {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec);
  }
  Assimp::IOStream* Open(const char* file, const char* mode) override
  {
    return Exists(file) ? DefaultIOSystem::Open(file, mode) : nullptr;
  }
};

// The file's scene, triangulated; throws Error when Assimp cannot read it or it nests too
// deeply.
class ImportedFile {
public:
  explicit ImportedFile(const std::filesystem::path& file) : file(file)
  {
    CheckReadable(file);
    CheckMeshFileDepth(file);
    importer.SetIOHandler(new RegularFilesOnly);  // the importer owns it
    try {
      scene = importer.ReadFile(file.string(), aiProcess_Triangulate | aiProcess_JoinIdenticalVertices);
    } catch (const std::exception& e) {
      throw Error(file.string() + ": cannot be read as a mesh file: " + e.what());
    }
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode)
      throw Error(file.string() + ": cannot be read as a mesh file: " + importer.GetErrorString());
  }
  const aiScene& Scene() const { return *scene; }

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
  Assimp::Importer importer;
  const aiScene* scene = nullptr;
};

// Mirrors z: the file's right-handed frame into the host's left-handed one (0 - z keeps
// zero positive).
Vector ToHost(const aiVector3D& p) { return {p.x, p.y, 0.0 - p.z}; }

// Appends the triangles of mesh, transformed by m, to out. Throws Error naming file when a
// point is not a finite number, which a scene cannot hold.
void AppendMesh(const aiMesh& mesh, const aiMatrix4x4& m, Mesh& out, const std::filesystem::path& file)
{
  auto base = static_cast<int32_t>(out.points.size());
  for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
    Vector p = ToHost(m * mesh.mVertices[i]);
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
      throw Error(file.string() + ": cannot be read as a mesh file: point " + std::to_string(i) + " of mesh \"" +
                  ValidUtf8(mesh.mName.C_Str()) + "\" is not a finite number");
    out.points.push_back(p);
  }
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    if (face.mNumIndices != 3) continue;  // points and lines
    // Mirroring turns the winding, so the order is reversed to keep the front side.
    out.triangles.push_back({base + int32_t(face.mIndices[0]), base + int32_t(face.mIndices[2]),
                             base + int32_t(face.mIndices[1])});
  }
}

// Room for Assimp's readers and its scene's destructor, which recurse once per level of a
// file's hierarchy, some 1 to 3 KiB a level: far more than kMaxNodeDepth levels need, for
// the kinds of files CheckMeshFileDepth cannot see into. Only the pages used are taken.
constexpr std::size_t kImportStackBytes = 256u << 20;

// Runs work, the import of file, on a thread of its own with a stack of kImportStackBytes
// and waits for it, passing on what it throws.
void OnImportStack(const std::filesystem::path& file, const std::function<void()>& work)
{
  struct Call {
    const std::function<void()>& work;
    std::exception_ptr thrown;
  } call{work, nullptr};
  auto run = [](void* p) -> void* {
    auto& c = *static_cast<Call*>(p);
    try {
      c.work();
    } catch (...) {
      c.thrown = std::current_exception();
    }
    return nullptr;
  };
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kImportStackBytes);
  pthread_t thread;
  int failed = pthread_create(&thread, &attributes, run, &call);
  pthread_attr_destroy(&attributes);
  if (failed == EAGAIN || failed == ENOMEM) throw std::bad_alloc();  // no room for the stack
  if (failed)
    throw Error(file.string() + ": cannot be read as a mesh file: no thread to read it on: " + std::strerror(failed));
  pthread_join(thread, nullptr);
  if (call.thrown) std::rethrow_exception(call.thrown);
}

Vector BaseColor(const aiMaterial& material)
{
  aiColor4D color(0.8f, 0.8f, 0.8f, 1.0f);
  if (material.Get(AI_MATKEY_BASE_COLOR, color) != AI_SUCCESS) material.Get(AI_MATKEY_COLOR_DIFFUSE, color);
  return {color.r, color.g, color.b};
}

std::string MaterialName(const aiMaterial& material, unsigned index)
{
  aiString name;
  if (material.Get(AI_MATKEY_NAME, name) == AI_SUCCESS && name.length > 0) return ValidUtf8(name.C_Str());
  return "Material " + std::to_string(index);
}

// A document of the imported file's meshes, as ImportMeshDocument makes it.
std::unique_ptr<Document> MeshDocument(const ImportedFile& imported, const std::filesystem::path& file)
{
  const aiScene& scene = imported.Scene();
  auto doc = std::make_unique<Document>();
  // Materials are made when a mesh first uses them, in the order of use.
  std::map<unsigned, Node*> materials;
  auto material = [&](unsigned index) {
    Node*& made = materials[index];
    if (made) return made;
    std::unique_ptr<Node> mat = CreateNode(kStandardMaterial);
    mat->SetName(MaterialName(*scene.mMaterials[index], index));
    mat->Data().Set(kMaterialColor, Value(BaseColor(*scene.mMaterials[index])));
    made = mat.get();
    doc->Branch(HST_BRANCH_MATERIALS).Append(std::move(mat));
    return made;
  };
  auto addObject = [&](const aiMesh& m, const aiMatrix4x4& world, const aiNode& node) {
    auto mesh = CountedShared<Mesh>();
    AppendMesh(m, world, *mesh, file);
    std::unique_ptr<Node> object = CreateNode(kPolygon);
    object->SetName(ValidUtf8(m.mName.length ? m.mName.C_Str() : node.mName.C_Str()));
    object->SetMesh(std::move(mesh));
    if (m.mMaterialIndex < scene.mNumMaterials) {
      std::unique_ptr<Node> tag = CreateNode(kTextureTag);
      tag->Data().Set(kTextureTagMaterial, Value(Link{material(m.mMaterialIndex)->GetIdentity()}));
      object->Branch(HST_BRANCH_TAGS).Append(std::move(tag));
    }
    doc->Branch(HST_BRANCH_OBJECTS).Append(std::move(object));
  };
  imported.ForEachMesh(addObject);
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

std::unique_ptr<Document> ImportMeshDocument(const std::filesystem::path& file)
{
  std::unique_ptr<Document> doc;
  OnImportStack(file, [&] {
    ImportedFile imported(file);
    doc = MeshDocument(imported, file);
  });
  return doc;
}

}  // namespace lensara
