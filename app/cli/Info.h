// `lensara info`: the host, its plug-ins and the defaults of their video posts.
#pragma once

#include <ostream>

#include "app/core/Host.h"

namespace lensara {

// Writes the report as text, or as one JSON object when json is set.
void WriteInfo(Host& host, bool json, std::ostream& out);

}  // namespace lensara
