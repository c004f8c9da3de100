// Scene files: documents as JSON a person can write (docs/scene-format.md).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/core/Document.h"

namespace lensara {

// True for a scene file's name (*.json); other names with an extension are mesh files.
bool IsSceneFile(const std::filesystem::path& file);
// True for a glTF's name (*.gltf, *.glb): a mesh file that stands as a whole scene.
bool IsGltfFile(const std::filesystem::path& file);

// Reads a scene file, or a mesh file: a glTF as a whole scene (its nodes, cameras, lights
// and animation), another (OBJ, ...) as a scene of its meshes. Throws
// Error "file:line: problem" (the line when the problem has one), also for a value a
// renderer cannot use (a size or radius not above 0, a number that is not finite, a render
// size outside 1 .. 16384). An effect parameter outside its description's limits is no
// error: "file:line: ..." is added to warnings when given.
std::unique_ptr<Document> LoadScene(const std::filesystem::path& file, std::vector<std::string>* warnings = nullptr);
// Reads scene text; file names it in errors and mesh paths are relative to its folder.
std::unique_ptr<Document> ReadScene(const std::string& text, const std::filesystem::path& file,
                                    std::vector<std::string>* warnings = nullptr);

// The canonical text of doc, with mesh paths relative to the folder of file.
std::string WriteScene(Document& doc, const std::filesystem::path& file);
// Writes the canonical text to file through a temporary file; throws Error.
void SaveScene(Document& doc, const std::filesystem::path& file);

}  // namespace lensara
