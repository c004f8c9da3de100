#include "Signals.h"

#include <unistd.h>

#include <array>
#include <atomic>

#include "Error.h"

namespace lensara {

namespace {

// The handler touches only lock-free atomics and async-signal-safe calls (unlink, write,
// _exit, raise, sigaction).
static_assert(std::atomic<const char*>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

std::array<std::atomic<const char*>, 64> pendingFiles{};
std::atomic<bool> polling{false};    // an InterruptPolling lives
std::atomic<bool> requested{false};  // SIGINT came while polling

void RemovePendingFiles()
{
  for (std::atomic<const char*>& pending : pendingFiles)
    if (const char* file = pending.load()) unlink(file);
}

void OnSignal(int signal)
{
  if (signal == SIGINT && polling && !requested) {
    requested = true;
    return;
  }
  RemovePendingFiles();
  if (signal == SIGINT) {
    const char message[] = "\nlensara: interrupted\n";
    [[maybe_unused]] ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    _exit(130);
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  raise(signal);  // delivered once the handler returns, ending the process by the signal
}

}  // namespace

SignalHandlers::SignalHandlers()
{
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaction(SIGINT, &action, &previousInterrupt);
  sigaction(SIGTERM, &action, &previousTerminate);
}

SignalHandlers::~SignalHandlers()
{
  sigaction(SIGINT, &previousInterrupt, nullptr);
  sigaction(SIGTERM, &previousTerminate, nullptr);
}

InterruptPolling::InterruptPolling()
{
  requested = false;
  polling = true;
}

InterruptPolling::~InterruptPolling() { polling = false; }

bool InterruptRequested() noexcept { return polling && requested; }

RemovedOnSignal::RemovedOnSignal(std::string name) : file(std::move(name)), slot(-1)
{
  for (std::size_t i = 0; i < pendingFiles.size() && slot < 0; ++i) {
    const char* empty = nullptr;
    if (pendingFiles[i].compare_exchange_strong(empty, file.c_str())) slot = static_cast<int>(i);
  }
  if (slot < 0) throw Error(file + ": cannot be written: too many files are being written at once");
}

RemovedOnSignal::~RemovedOnSignal() { pendingFiles[static_cast<std::size_t>(slot)].store(nullptr); }

}  // namespace lensara
