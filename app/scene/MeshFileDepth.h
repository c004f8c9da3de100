// How deeply a mesh file nests, checked before Assimp reads it: its readers recurse once
// per level of a glTF's node hierarchy and JSON, and of an XML file's elements (Collada),
// so a file nested tens of thousands of levels deep would overflow the stack.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "app/core/Error.h"

namespace lensara {

// The deepest node hierarchy (and XML element nesting) the host imports from a mesh file.
constexpr int kMaxNodeDepth = 1000;

// Error "file: cannot be read as a mesh file: problem".
Error RefusedMeshFile(const std::filesystem::path& file, const std::string& problem);

// Error "file: cannot be read as a mesh file: node hierarchy deeper than 1000 levels".
Error NodeHierarchyTooDeep(const std::filesystem::path& file);

// Throws NodeHierarchyTooDeep for a glTF, as text or binary, whose nodes nest deeper than
// kMaxNodeDepth or in a cycle; Error "...: nested too deeply" for a glTF whose JSON nests
// past kMaxJsonDepth, and "...: elements nested deeper than 1000 levels" for an XML file
// whose elements nest past kMaxNodeDepth. Files of other kinds, and files these checks
// cannot make sense of, are left to the importer, which reports their problems. Returns a
// glTF's JSON as parsed for the check (discarded when malformed), null for other files.
nlohmann::json CheckMeshFileDepth(const std::filesystem::path& file);

}  // namespace lensara
