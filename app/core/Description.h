// A node class's description: its parameters with their ids, names, types and cycle
// values.
#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace lensara {

// The numbers a value may take: min .. max, min itself left out when minExcluded (a size
// or radius must be above 0). Unbounded by default.
struct Limits {
  double min = -std::numeric_limits<double>::infinity();
  double max = std::numeric_limits<double>::infinity();
  bool minExcluded = false;

  // False for a number outside the limits, and for NaN.
  bool Allow(double value) const;
  // "0 .. 100", "at least 0", "above 0", "1 .. 16384"
  std::string Text() const;
};

struct CycleValue {
  int32_t id = 0;
  std::string name;
  std::string label;  // what the attribute manager shows ("Gaussian")
};

struct ParameterDescription {
  enum class Type { Bool, Long, Real, Cycle, Link, InExclude, Button, String };

  int32_t id = 0;
  std::string name;
  Type type = Type::Bool;
  std::vector<CycleValue> cycle;
  Limits limits;  // from the description's "min" and "max"
  // What the attribute manager shows: the label of the parameter and of its group, the
  // unit ("cm", empty for none) and the step of its arrows (0 for none given).
  std::string label, group, unit;
  double step = 0.0;
};

class Description {
public:
  // Reads a description file; throws Error naming the file and the problem.
  static Description Load(const std::filesystem::path& file);

  const std::string& Name() const { return name; }
  const std::vector<ParameterDescription>& Parameters() const { return parameters; }
  // The parameter with this id or name, or null.
  const ParameterDescription* Find(int32_t id) const;
  const ParameterDescription* Find(const std::string& name) const;

private:
  std::string name;
  std::vector<ParameterDescription> parameters;
};

const char* TypeName(ParameterDescription::Type type);

}  // namespace lensara
