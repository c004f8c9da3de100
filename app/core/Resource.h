// A plug-in's resources as they lie in its folder:
//   res/strings.json              {"10000": "Lensara", ...}
//   res/description/NAME.json     one description per node class
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace lensara {

class Resource {
public:
  // Reads the string table under folder; throws Error naming the file and the problem,
  // or the missing res/ folder. A res/ folder without a string table has no strings.
  static Resource Load(const std::filesystem::path& folder);

  // String id, or null when there is none.
  const std::string* String(int32_t id) const;
  // The description file of that name in a plug-in's folder.
  static std::filesystem::path DescriptionFile(const std::filesystem::path& folder, const std::string& name);

private:
  std::map<int32_t, std::string> strings;
};

}  // namespace lensara
