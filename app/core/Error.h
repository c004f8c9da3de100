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

}  // namespace lensara
