// Setting one parameter of a document by name, as the command line's --set NAME=VALUE does.
#pragma once

#include <string>
#include <vector>

#include "ValueJson.h"
#include "app/core/Document.h"

namespace lensara {

// Sets NAME to VALUE as the attribute manager does: a parameter of a video post of the
// active render settings by its description's name (DOF_RADIUS), or a key of the active
// render settings by its scene-file name (width). VALUE is read as in a scene file (JSON);
// a bare word is a string, so cycle values go by name and links by object name. The node
// then gets the validation message, in which its plug-in may correct its values, and the
// change message. Adds to messages, as lines to print: "warning: --set NAME: ..." for a
// value outside a description's limits (set clamped to them), and every value of the
// node that validation changed from what was set, "DOF_FRONT_START 1500.0 became 1000.0".
// With strictLimits, a value outside a description's limits is refused like one outside a
// host type's (the attribute manager's fields keep values within their limits). A cycle
// takes only its choices, a truth value only true or false (1 or 0). Also
// sets a key of the active camera by its scene-file name (focus_distance). Throws
// UsageError naming the problem; the document is unchanged then.
void EditParameter(Document& doc, const std::string& assignment, std::vector<std::string>& messages,
                   bool strictLimits = false);

// Links named as scene files name them: by the name of the node in doc, null when doc
// has no node of that identity.
RefOfIdentity NamesIn(Document& doc);

// A value as --set takes it, typed by rule where one is given: as scene files write it,
// but a link as the bare name of its object (null for none): 1000.0, true,
// "DOF_FILTER_GAUSSIAN", "Camera".
Json SettableValue(Document& doc, const Value& value, const KeyRule* rule);

}  // namespace lensara
