#include "InterruptBreak.h"

namespace lensara {

bool InterruptBreak::Stop() noexcept { return InterruptRequested(); }

}  // namespace lensara
