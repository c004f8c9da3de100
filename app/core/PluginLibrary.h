// One plug-in library loaded with dlopen (LoadLibrary on Windows), driven through its entry
// (host/abi/HstEntry.h).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/abi/C4DOS.h"

namespace lensara {

// The file name extension of plug-in libraries on this system.
#if defined(_WIN64)
constexpr const char* kPluginExtension = ".cdl64";
#elif defined(_WIN32)
constexpr const char* kPluginExtension = ".cdl";
#else
constexpr const char* kPluginExtension = ".so";
#endif

class PluginLibrary {
public:
  // Opens the library and finds its entry; throws Error naming the file and the reason.
  // The table must outlive the library: the plug-in keeps it until its end action.
  PluginLibrary(const std::filesystem::path& file, std::shared_ptr<const C4DOS> table);
  // Sends the end action when the start was accepted, then unloads the library.
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  const std::filesystem::path& File() const { return file; }
  std::filesystem::path Folder() const { return file.parent_path(); }

  // The start action with the table and the library's folder; true when accepted.
  // Otherwise returns false with the plug-in's answer in answer.
  bool Start(int& answer);
  // Message 1: the plug-in loads its resources. False when it could not.
  bool LoadResources();
  // The register action; false when the plug-in reports failure.
  bool Register();

private:
  std::filesystem::path file;
  std::shared_ptr<const C4DOS> table;
  void* handle = nullptr;
  HstEntry entry = nullptr;
  bool started = false;
};

}  // namespace lensara
