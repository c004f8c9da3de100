// SIGINT and SIGTERM in the host: files being written are removed before the process ends,
// and Ctrl-C can be polled by work that stops cleanly.
#pragma once

#include <csignal>
#include <string>

#include "InterruptPolling.h"

namespace lensara {

// While it lives, SIGINT and SIGTERM run the host's handler; the previous handlers come back
// when it ends. The handler removes every file a RemovedOnSignal names. SIGTERM then ends
// the process by that signal. SIGINT ends it with exit 130, unless an InterruptPolling lives
// and this is the first SIGINT since: then it only makes InterruptRequested() true.
class SignalHandlers {
public:
  SignalHandlers();
  ~SignalHandlers();
  SignalHandlers(const SignalHandlers&) = delete;
  SignalHandlers& operator=(const SignalHandlers&) = delete;

private:
  struct sigaction previousInterrupt {};
  struct sigaction previousTerminate {};
};

// A file the signal handler removes while it lives: a temporary being written. Throws Error
// when more files than the handler keeps are being written at once.
class RemovedOnSignal {
public:
  explicit RemovedOnSignal(std::string file);
  ~RemovedOnSignal();
  RemovedOnSignal(const RemovedOnSignal&) = delete;
  RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;

private:
  std::string file;  // not changed while registered: the handler reads it
  int slot;
};

}  // namespace lensara
