// `lensara scene check` and `lensara scene convert`.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/core/Document.h"

namespace lensara {

// Loads a scene or mesh file, printing the warnings of the load to warnings. Throws Error
// "file:line: problem" for a file that cannot be read or holds values a renderer cannot use.
std::unique_ptr<Document> LoadSceneReporting(const std::filesystem::path& file, std::ostream& warnings);

// Applies the --set assignments NAME=VALUE in order (EditParameter), printing each line
// they report (warnings, values the effect corrected) to messages. Throws UsageError.
void EditParametersReporting(Document& doc, const std::vector<std::string>& assignments, std::ostream& messages);

// The first Lensara effect of the document's active render settings, or null.
Node* FirstEffect(Document& doc);
// FirstEffect of the document read from scene; throws Error naming the file when it has none.
Node& SceneEffect(Document& doc, const std::filesystem::path& scene);

// Loads a scene (or mesh) file and prints its object tree with types and names, its
// materials and render settings, and with params the parameters of its video posts as
// they were understood.
void CheckScene(const std::filesystem::path& file, bool params, std::ostream& out, std::ostream& warnings);

// Loads a scene or mesh file and writes it as a canonical scene file, which must be named
// *.json (UsageError otherwise). The output is checked before the input is read; no
// output file is left on failure.
void ConvertScene(const std::filesystem::path& in, const std::filesystem::path& outFile, std::ostream& warnings);

}  // namespace lensara
