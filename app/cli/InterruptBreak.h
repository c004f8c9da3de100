// The command line's break test: Ctrl-C (SIGINT) asks running filters to stop.
#pragma once

#include "app/core/RenderCall.h"
#include "app/core/Signals.h"

namespace lensara {

// While it lives, the first SIGINT no longer ends the process but makes Stop() true; a
// second one ends it at once with exit 130, removing the files being written.
class InterruptBreak : public BreakTest {
public:
  bool Stop() noexcept override;

private:
  SignalHandlers handlers;
  InterruptPolling polling;
};

}  // namespace lensara
