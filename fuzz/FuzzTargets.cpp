#include "FuzzTargets.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "app/core/Error.h"
#include "app/image/ImageIO.h"
#include "app/scene/MeshImport.h"
#include "app/scene/SceneFile.h"
#include "app/session/DepthMaps.h"
#include "tests/support/TempDir.h"

namespace lensara {

namespace {

[[noreturn]] void Fault(const std::string& what)
{
  std::fprintf(stderr, "fault: %s\n", what.c_str());
  std::abort();
}

std::string_view Bytes(const uint8_t* data, std::size_t size) { return {reinterpret_cast<const char*>(data), size}; }

// A file named name in a folder of this process's own, holding bytes, for the readers that
// take a path.
std::filesystem::path InputFile(const std::string& name, std::string_view bytes)
{
  static const test::TempDir folder;
  if (folder.path.empty()) Fault("no temporary folder for the inputs");
  std::filesystem::path file = folder / name;
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
  return file;
}

// Writes doc, reads the text back and writes that again: both texts must be the same.
void CheckRoundTrip(Document& doc, const std::filesystem::path& file)
{
  std::string first, second;
  try {
    first = WriteScene(doc, file);
  } catch (const Error& e) {
    Fault(std::string("a scene that loaded cannot be written: ") + e.what());
  }
  try {
    second = WriteScene(*ReadScene(first, file), file);
  } catch (const Error& e) {
    Fault(std::string("the written scene does not read back: ") + e.what() + "\n" + first);
  }
  if (second != first) Fault("writing the scene read back changes it:\n" + first + "\n--- then ---\n" + second);
}

void CheckMesh(const Mesh& mesh)
{
  for (const auto& triangle : mesh.triangles)
    for (int32_t i : triangle)
      if (i < 0 || std::size_t(i) >= mesh.points.size())
        Fault("a triangle names point " + std::to_string(i) + " of " + std::to_string(mesh.points.size()));
}

// The extension Assimp is given: glTF binary, glTF, PLY and ASCII STL by their first bytes,
// else OBJ, which has no signature.
const char* MeshExtension(std::string_view bytes)
{
  const std::pair<std::string_view, const char*> signatures[] = {
      {"glTF", ".glb"}, {"{", ".gltf"}, {"ply", ".ply"}, {"solid", ".stl"}};
  for (const auto& [magic, extension] : signatures)
    if (bytes.substr(0, magic.size()) == magic) return extension;
  return ".obj";
}

}  // namespace

void FuzzSceneRoundTrip(const uint8_t* data, std::size_t size)
{
  const std::filesystem::path file = std::filesystem::path(LENSARA_EXAMPLES_DIR) / "fuzz-input.json";
  std::unique_ptr<Document> doc;
  try {
    doc = ReadScene(std::string(Bytes(data, size)), file);
  } catch (const Error&) {
    return;
  }
  CheckRoundTrip(*doc, file);
}

void FuzzMeshImport(const uint8_t* data, std::size_t size)
{
  std::string_view bytes = Bytes(data, size);
  std::filesystem::path file = InputFile(std::string("mesh") + MeshExtension(bytes), bytes);
  std::unique_ptr<Document> doc;
  try {
    doc = ImportMeshDocument(file);
  } catch (const Error&) {
    return;
  }
  doc->VisitSubtree([](Node& node) {
    if (node.GetMesh()) CheckMesh(*node.GetMesh());
  });
  CheckRoundTrip(*doc, file.parent_path() / "mesh.json");
}

namespace {

// The size file's header declares; 0 x 0 when it cannot be read.
ImageSize DeclaredSize(const std::filesystem::path& file)
{
  try {
    return ReadImageSize(file);
  } catch (const Error&) {
    return {};
  }
}

}  // namespace

void FuzzImageRead(const uint8_t* data, std::size_t size)
{
  std::filesystem::path file = InputFile("image", Bytes(data, size));
  const ImageSize header = DeclaredSize(file);
  // Every reader of image files: what each reads must be of the size the header declares.
  auto check = [&](int width, int height, const char* reader) {
    if (width != header.width || height != header.height)
      Fault(std::string(reader) + " read an image of another size than its header declares");
  };
  try {
    Bitmap image = ReadImage(file);
    check(image.Width(), image.Height(), "ReadImage");
  } catch (const Error&) {
  }
  try {
    LayeredImage layered = ReadLayeredImage(file, "");
    check(layered.picture.Width(), layered.picture.Height(), "ReadLayeredImage");
  } catch (const Error&) {
  }
  try {
    DepthPicture depth = ReadDepthPicture(file, "", 1.0);
    check(depth.width, depth.height, "ReadDepthPicture");
    if (depth.distance.size() != std::size_t(depth.width) * std::size_t(depth.height))
      Fault("ReadDepthPicture's distances are not one per pixel");
  } catch (const Error&) {
  }
}

}  // namespace lensara
