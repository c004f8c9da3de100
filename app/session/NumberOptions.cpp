#include "NumberOptions.h"

#include <string>

namespace lensara {

const CLI::Validator kWholeNumber(
    [](std::string& text) -> std::string {
      std::size_t digits = text.find_first_not_of("+-") == 1 ? 1 : 0;
      bool whole = text.size() > digits && text.size() <= digits + 9 &&
                   text.find_first_not_of("0123456789", digits) == std::string::npos;
      return whole ? std::string() : "\"" + text + "\" is not a whole number";
    },
    "WHOLE NUMBER");

CLI::Validator WholeNumberIn(int min, int max)
{
  return CLI::Validator(
      [min, max](std::string& text) -> std::string {
        if (std::string problem = kWholeNumber(text); !problem.empty()) return problem;
        int value = std::stoi(text);
        if (value >= min && value <= max) return std::string();
        return text + " is out of range " + std::to_string(min) + " .. " + std::to_string(max);
      },
      "WHOLE NUMBER " + std::to_string(min) + ".." + std::to_string(max));
}

}  // namespace lensara
