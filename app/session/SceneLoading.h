// Loading a scene and finding its effect, as the command line and the editor both do.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/core/Document.h"

namespace lensara {

// The bundled demo scene, examples/still-life.json.
std::filesystem::path DemoScene();

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

}  // namespace lensara
