#include "Resource.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "Error.h"
#include "JsonDepth.h"

namespace lensara {

Resource Resource::Load(const std::filesystem::path& folder)
{
  Resource r;
  if (!std::filesystem::is_directory(folder / "res")) throw Error((folder / "res").string() + ": no resource folder");
  std::filesystem::path file = folder / "res" / "strings.json";
  std::ifstream in(file);
  if (!in) return r;
  try {
    auto table = ParseBoundedJson<nlohmann::json>(in);
    for (const auto& [key, text] : table.items()) {
      std::size_t used = 0;
      int32_t id = std::stoi(key, &used);
      if (used != key.size()) throw Error("string id \"" + key + "\" is not a number");
      r.strings[id] = text.get<std::string>();
    }
  } catch (const std::exception& e) {
    throw Error(file.string() + ": " + e.what());
  }
  return r;
}

const std::string* Resource::String(int32_t id) const
{
  auto it = strings.find(id);
  return it == strings.end() ? nullptr : &it->second;
}

std::filesystem::path Resource::DescriptionFile(const std::filesystem::path& folder, const std::string& name)
{
  return folder / "res" / "description" / (name + ".json");
}

}  // namespace lensara
