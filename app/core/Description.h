// A node class's description: its parameters with their ids, names, types and cycle
// values.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lensara {

struct CycleValue {
  int32_t id = 0;
  std::string name;
};

struct ParameterDescription {
  enum class Type { Bool, Long, Real, Cycle, Link, InExclude, Button, String };

  int32_t id = 0;
  std::string name;
  Type type = Type::Bool;
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

private:
  std::string name;
  std::vector<ParameterDescription> parameters;
};

const char* TypeName(ParameterDescription::Type type);

}  // namespace lensara
