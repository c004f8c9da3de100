// Scene files: documents as JSON a person can write (docs/scene-format.md).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/core/Document.h"

namespace lensara {

// Reads a scene file, or a mesh file (OBJ, glTF, ...) as a scene of its meshes. Throws
// Error "file:line: problem" (the line when the problem has one).
std::unique_ptr<Document> LoadScene(const std::filesystem::path& file);
// Reads scene text; file names it in errors and mesh paths are relative to its folder.
std::unique_ptr<Document> ReadScene(const std::string& text, const std::filesystem::path& file);

// The canonical text of doc, with mesh paths relative to the folder of file.
std::string WriteScene(Document& doc, const std::filesystem::path& file);
// Writes the canonical text to file through a temporary file; throws Error.
void SaveScene(Document& doc, const std::filesystem::path& file);

}  // namespace lensara
