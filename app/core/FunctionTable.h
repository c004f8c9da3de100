// The function table the host hands to its plug-ins.
#pragma once

#include <cstdint>
#include <memory>

#include "host/abi/C4DOS.h"

namespace lensara {

// The table a host of this version hands to its plug-ins, its root and sections sized as
// built. Every function is safe to call with null handles and never throws. The host
// makes it through this declaration; the table room (app/table/FunctionTable.cpp), which
// implements the sections over the core, the renderer and the dialogs, defines it.
std::shared_ptr<const C4DOS> MakeFunctionTable(int32_t version);

}  // namespace lensara
