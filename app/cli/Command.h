// What every command shares: its exit codes and how its errors reach the user.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace lensara {

enum ExitCode : int {
  kExitSuccess = 0,
  kExitFailure = 1,       // the work failed: unreadable input, a failed render
  kExitUsage = 2,         // unknown option or command, a value of the wrong type or out of range
  kExitInterrupted = 130  // stopped by Ctrl-C
};

// The exit codes as --help and the README state them.
inline constexpr const char* kExitCodeText =
    "Exit codes: 0 success, 1 the work failed (unreadable input, a failed render), 2 usage error (unknown "
    "option or command, a value of the wrong type or out of range), 130 interrupted (Ctrl-C).";

// Runs work and answers its exit code. A UsageError, an Error or running out of memory is
// printed to err as "lensara COMMAND: message" and answers 2, 1 and 1; Interrupted as
// "lensara COMMAND: interrupted; message" and answers 130.
int RunCommand(const std::string& command, std::ostream& err, const std::function<int()>& work);

}  // namespace lensara
