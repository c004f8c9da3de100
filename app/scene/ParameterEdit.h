// Setting one parameter of a document by name, as the command line's --set NAME=VALUE does.
#pragma once

#include <string>
#include <vector>

#include "app/core/Document.h"

namespace lensara {

// Sets NAME to VALUE: a parameter of a video post of the active render settings by its
// description's name (DOF_RADIUS), or a key of the active render settings by its scene-file
// name (width). VALUE is read as in a scene file (JSON); a bare word is a string, so cycle
// values go by name and links by object name. A value outside a description's limits is
// set with a warning added to warnings. Throws UsageError naming the problem.
void EditParameter(Document& doc, const std::string& assignment, std::vector<std::string>& warnings);

}  // namespace lensara
