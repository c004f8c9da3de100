#include "MeshObjects.h"

#include <assimp/material.h>

#include <string>

#include "Json.h"
#include "app/core/Allocations.h"
#include "app/core/NodeTypes.h"
#include "host/keys/MaterialKeys.h"

namespace lensara {

namespace {

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

}  // namespace

void AppendMesh(const aiMesh& mesh, const aiMatrix4x4& m, Mesh& out, const std::filesystem::path& file)
{
  auto base = static_cast<int32_t>(out.points.size());
  for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
    Vector p = ToHost(m * mesh.mVertices[i]);
    if (!IsFinite(p))
      throw RefusedMeshFile(file, "point " + std::to_string(i) + " of mesh \"" + ValidUtf8(mesh.mName.C_Str()) +
                                      "\" is not a finite number");
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

std::unique_ptr<Node> MeshObjects::Polygon(const aiMesh& mesh, const aiMatrix4x4& m, const aiNode& node)
{
  auto points = CountedShared<Mesh>();
  AppendMesh(mesh, m, *points, imported.File());
  std::unique_ptr<Node> object = CreateNode(kPolygon);
  object->SetName(ValidUtf8(mesh.mName.length ? mesh.mName.C_Str() : node.mName.C_Str()));
  object->SetMesh(std::move(points));
  if (mesh.mMaterialIndex < imported.Scene().mNumMaterials) {
    std::unique_ptr<Node> tag = CreateNode(kTextureTag);
    tag->Data().Set(kTextureTagMaterial, Value(Link{Material(mesh.mMaterialIndex).GetIdentity()}));
    object->Branch(HST_BRANCH_TAGS).Append(std::move(tag));
  }
  return object;
}

Node& MeshObjects::Material(unsigned index)
{
  Node*& made = materials[index];
  if (made) return *made;
  const aiMaterial& material = *imported.Scene().mMaterials[index];
  std::unique_ptr<Node> mat = CreateNode(kStandardMaterial);
  mat->SetName(MaterialName(material, index));
  mat->Data().Set(kMaterialColor, Value(BaseColor(material)));
  made = mat.get();
  doc.Branch(HST_BRANCH_MATERIALS).Append(std::move(mat));
  return *made;
}

}  // namespace lensara
