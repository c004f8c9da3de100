// The effect's parameters as the attribute manager shows them, for `lensara params` and
// the editor.
#pragma once

#include <vector>

#include "app/core/Description.h"
#include "app/core/Document.h"
#include "app/scene/ValueJson.h"

namespace lensara {

// One parameter as the attribute manager shows it now.
struct ParameterRow {
  const ParameterDescription* parameter;
  Json value;  // null for a button
  bool enabled;
  bool animated;  // a track drives it: the value is the track's at the document's time
};

// Whether one of node's tracks drives the key of its data.
bool IsAnimated(const Node& node, int32_t key);

// Every parameter of effect, in the order of its description.
std::vector<ParameterRow> ParameterRows(Document& doc, Node& effect, const Description& description);

// The rows as JSON objects {name, label, group, type, value, unit, min, max, step, enabled,
// animated}
// (null for a unit, limit or step not given), cycles with their value names as "choices"
// and what the attribute manager shows of them as "choice_labels".
Json RowsJson(const std::vector<ParameterRow>& rows);

// RowsJson of the effect's parameters now.
Json ParametersJson(Document& doc, Node& effect, const Description& description);

// A limit as the JSON above gives it: the number, or null for none.
Json LimitJson(double limit);

}  // namespace lensara
