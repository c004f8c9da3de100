// A node class's description: its parameters with their ids, names, types, cycle values
// and what the editor shows of them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lensara {

struct CycleValue {
  int32_t id = 0;
  std::string name;
  std::string label;
};

struct ParameterDescription {
  enum class Type { Bool, Long, Real, Cycle, Link, InExclude, Button, String };

  int32_t id = 0;
  std::string name;
  Type type = Type::Bool;
  std::string label;
  std::string group;
  std::string unit;
  std::optional<double> min, max, step;
  std::vector<CycleValue> cycle;
};

class Description {
public:
  // Reads a description file; throws Error naming the file and the problem.
  static Description Load(const std::filesystem::path& file);

  const std::string& Name() const { return name; }
  const std::vector<ParameterDescription>& Parameters() const { return parameters; }
  // The parameter with this id, or null.
  const ParameterDescription* Find(int32_t id) const;
  const ParameterDescription* Find(const std::string& name) const;

private:
  std::string name;
  std::vector<ParameterDescription> parameters;
};

const char* TypeName(ParameterDescription::Type type);

}  // namespace lensara
