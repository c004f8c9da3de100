// The command line's break test: Ctrl-C (SIGINT) asks running filters to stop.
#pragma once

#include <csignal>

#include "app/core/RenderCall.h"

namespace lensara {

// While it lives, SIGINT no longer ends the process but makes Stop() true.
class InterruptBreak : public BreakTest {
public:
  InterruptBreak();
  ~InterruptBreak() override;
  InterruptBreak(const InterruptBreak&) = delete;
  InterruptBreak& operator=(const InterruptBreak&) = delete;

  bool Stop() noexcept override;

private:
  struct sigaction previous {};
};

}  // namespace lensara
