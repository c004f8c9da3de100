// The host application's core: its function table, the loaded plug-ins and the registry
// of the node classes they registered.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Node.h"
#include "PluginLibrary.h"
#include "PluginRegistry.h"
#include "host/abi/C4DOS.h"

namespace lensara {

// The host's product kind as an interactive application with the editor.
constexpr int32_t kStandardProduct = 1;

struct HostOptions {
  int32_t version = HST_VERSION;
  int32_t productKind = kStandardProduct;
};

// A plug-in library that could not be used, and why; or one that loaded with a problem.
struct PluginReport {
  std::filesystem::path library;
  std::string reason;
};

// One host per process: the table's functions reach it through Active().
class Host {
public:
  explicit Host(HostOptions options = {});
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The host of this process, or null.
  static Host* Active();

  const C4DOS* Table() const { return table.get(); }
  int32_t Version() const { return options.version; }
  int32_t ProductKind() const { return options.productKind; }

  // Loads every plug-in library (kPluginExtension: *.so, on Windows *.cdl64 or *.cdl) in
  // folder and in its direct subfolders, in name order. A library that cannot be used is
  // listed in Failures() and left unloaded.
  void LoadPlugins(const std::filesystem::path& folder);
  // Loads one library; false when it was listed in Failures().
  bool LoadPlugin(const std::filesystem::path& file);

  const std::vector<std::shared_ptr<PluginLibrary>>& Libraries() const { return libraries; }
  const std::vector<PluginReport>& Failures() const { return failures; }
  // Libraries that loaded but ran into a problem, such as resources they could not read.
  const std::vector<PluginReport>& Warnings() const { return warnings; }
  // The classes the libraries registered (PluginRegistry).
  const std::vector<std::shared_ptr<const VideoPostClass>>& VideoPosts() const { return registry.VideoPosts(); }
  const VideoPostClass* FindVideoPost(int32_t id) const { return registry.FindVideoPost(id); }
  std::unique_ptr<Node> CreateVideoPost(int32_t id) const { return registry.CreateVideoPost(id); }

  // Through the table, while a plug-in starts: registers a video post class of it. False,
  // with the reason noted as a problem of the plug-in, when the registry refuses it.
  bool RegisterVideoPost(const HstVideoPostRegistration& registration);
  // Through the table: a problem a plug-in ran into, for the report of its library.
  void NotePluginProblem(std::string problem);

private:
  void Fail(const std::filesystem::path& file, std::string reason);
  std::string TakeProblems(const std::string& lead);

  HostOptions options;
  std::shared_ptr<const C4DOS> table;
  PluginRegistry registry;
  std::vector<std::shared_ptr<PluginLibrary>> libraries;
  std::vector<PluginReport> failures;
  std::vector<PluginReport> warnings;
  std::shared_ptr<PluginLibrary> starting; // the library whose actions run now
  std::string problems;
};

}  // namespace lensara
