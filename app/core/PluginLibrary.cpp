#include "PluginLibrary.h"

#include <dlfcn.h>

#include <cstdint>
#include <string>

#include "Error.h"
#include "StringHandles.h"

namespace lensara {

PluginLibrary::PluginLibrary(const std::filesystem::path& file, std::shared_ptr<const C4DOS> table)
    : file(file), table(std::move(table))
{
  handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw Error(file.string() + ": cannot be loaded: " + dlerror());
  entry = reinterpret_cast<HstEntry>(dlsym(handle, HST_ENTRY_NAME));
  if (!entry) {
    dlclose(handle);
    throw Error(file.string() + ": not a plug-in: it exports no " + std::string(HST_ENTRY_NAME));
  }
}

PluginLibrary::~PluginLibrary()
{
  if (started) entry(HST_ACTION_END, nullptr, nullptr, nullptr);
  dlclose(handle);
}

bool PluginLibrary::Start(int& answer)
{
  FilenameValue folder{Folder().string()};
  answer = entry(HST_ACTION_START, const_cast<C4DOS*>(table.get()), nullptr, ToHandle(&folder));
  started = answer == HST_ENTRY_OK;
  return started;
}

bool PluginLibrary::LoadResources()
{
  void* message = reinterpret_cast<void*>(std::intptr_t{HST_ENTRY_MSG_LOAD_RESOURCES});
  return entry(HST_ACTION_MESSAGE, message, nullptr, nullptr) == HST_ENTRY_OK;
}

bool PluginLibrary::Register() { return entry(HST_ACTION_REGISTER, nullptr, nullptr, nullptr) == HST_ENTRY_OK; }

}  // namespace lensara
