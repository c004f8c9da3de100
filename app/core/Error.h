// Errors in what a user or a plug-in handed to the host: bad files, bad arguments.
// The message names the file and the problem.
#pragma once

#include <stdexcept>
#include <string>

namespace lensara {

class Error : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A request the caller got wrong rather than work that failed: a value of the wrong type
// or out of range, an unknown name or format.
class UsageError : public Error {
public:
  using Error::Error;
};

// Work stopped by Ctrl-C; the message says what was left undone ("out.png was not written").
class Interrupted : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

}  // namespace lensara
