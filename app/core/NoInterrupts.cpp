// Ctrl-C where the build has no POSIX signals (the Windows builds): no handler is installed,
// so no stop is ever asked for.
#include "InterruptPolling.h"

namespace lensara {

bool InterruptRequested() noexcept { return false; }

}  // namespace lensara
