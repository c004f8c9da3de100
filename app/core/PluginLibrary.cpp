#include "PluginLibrary.h"

#include <dlfcn.h>

#include <cstdint>

#include "Error.h"
#include "StringHandles.h"

namespace lensara {

PluginLibrary::PluginLibrary(const std::filesystem::path& file, std::shared_ptr<const C4DOS> table)
    : file(file), table(std::move(table))
{
  handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw Error(file.string() + ": cannot be loaded: " + dlerror());
  entry = reinterpret_cast<Entry>(dlsym(handle, "c4d_main"));
  if (!entry) {
    dlclose(handle);
    throw Error(file.string() + ": not a plug-in: it exports no c4d_main");
  }
}

PluginLibrary::~PluginLibrary()
{
  if (started) entry(kEnd, nullptr, nullptr, nullptr);
  dlclose(handle);
}

bool PluginLibrary::Start(int& answer)
{
  FilenameValue folder{Folder().string()};
  answer = entry(kStart, const_cast<C4DOS*>(table.get()), nullptr, ToHandle(&folder));
  started = answer == 1;
  return started;
}

bool PluginLibrary::LoadResources()
{
  constexpr std::intptr_t kLoadResources = 1;
  return entry(kMessage, reinterpret_cast<void*>(kLoadResources), nullptr, nullptr) == 1;
}

bool PluginLibrary::Register() { return entry(kRegister, nullptr, nullptr, nullptr) == 1; }

}  // namespace lensara
