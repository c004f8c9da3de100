// Ctrl-C polled by work that stops cleanly: the part of the host's signal handling
// (Signals.h) that the scene reader needs, apart so that builds without POSIX signals (the
// Windows builds, NoInterrupts.cpp) read scenes too.
#pragma once

namespace lensara {

// While it lives, the first SIGINT only asks for a stop; a second one ends the process.
class InterruptPolling {
public:
  InterruptPolling();
  ~InterruptPolling();
  InterruptPolling(const InterruptPolling&) = delete;
  InterruptPolling& operator=(const InterruptPolling&) = delete;
};

// True once SIGINT asked a living InterruptPolling for a stop.
bool InterruptRequested() noexcept;

}  // namespace lensara
