#include "InterruptBreak.h"

namespace lensara {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void NoteInterrupt(int) { interrupted = 1; }

}  // namespace

InterruptBreak::InterruptBreak()
{
  interrupted = 0;
  struct sigaction action {};
  action.sa_handler = NoteInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous);
}

InterruptBreak::~InterruptBreak() { sigaction(SIGINT, &previous, nullptr); }

bool InterruptBreak::Stop() noexcept { return interrupted != 0; }

}  // namespace lensara
