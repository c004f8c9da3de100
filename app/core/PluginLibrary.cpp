#include "PluginLibrary.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdint>
#include <string>

#include "Error.h"
#include "StringHandles.h"

namespace lensara {

namespace {

#ifdef _WIN32
// The library loaded as the host on Windows loads it, by its wide name; null on failure.
void* OpenLibrary(const std::filesystem::path& file)
{
  return reinterpret_cast<void*>(LoadLibraryW(file.c_str()));
}

void* FindSymbol(void* handle, const char* name)
{
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void CloseLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

std::string LoadProblem() { return "Windows error " + std::to_string(GetLastError()); }
#else
void* OpenLibrary(const std::filesystem::path& file) { return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL); }

void* FindSymbol(void* handle, const char* name) { return dlsym(handle, name); }

void CloseLibrary(void* handle) { dlclose(handle); }

std::string LoadProblem() { return dlerror(); }
#endif

}  // namespace

PluginLibrary::PluginLibrary(const std::filesystem::path& file, std::shared_ptr<const C4DOS> table)
    : file(file), table(std::move(table))
{
  handle = OpenLibrary(file);
  if (!handle) throw Error(file.string() + ": cannot be loaded: " + LoadProblem());
  entry = reinterpret_cast<HstEntry>(FindSymbol(handle, HST_ENTRY_NAME));
  if (!entry) {
    CloseLibrary(handle);
    throw Error(file.string() + ": not a plug-in: it exports no " + std::string(HST_ENTRY_NAME));
  }
}

PluginLibrary::~PluginLibrary()
{
  if (started) entry(HST_ACTION_END, nullptr, nullptr, nullptr);
  CloseLibrary(handle);
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
