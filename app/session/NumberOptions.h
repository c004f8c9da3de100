// Checks of the command line's number options, shared by the commands and the editor's
// serve command.
#pragma once

#include <CLI/CLI.hpp>

namespace lensara {

// Accepts an optional sign and digits that fit a 32-bit integer.
extern const CLI::Validator kWholeNumber;

// A whole number from min to max.
CLI::Validator WholeNumberIn(int min, int max);

}  // namespace lensara
