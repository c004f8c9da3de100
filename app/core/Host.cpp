#include "Host.h"

#include <algorithm>
#include <cassert>

#include "Error.h"
#include "FunctionTable.h"

namespace lensara {

namespace {
Host* activeHost = nullptr;
}

Host::Host(HostOptions options) : options(options), table(MakeFunctionTable(options.version))
{
  assert(!activeHost && "one host per process");
  activeHost = this;
}

Host::~Host()
{
  // Classes first: their nodes are gone and the libraries may end.
  registry.Clear();
  libraries.clear();
  activeHost = nullptr;
}

Host* Host::Active() { return activeHost; }

void Host::LoadPlugins(const std::filesystem::path& folder)
{
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    Fail(folder, "no such plug-in folder");
    return;
  }
  std::vector<std::filesystem::path> files;
  auto collect = [&files](const std::filesystem::directory_entry& entry) {
    if (entry.is_regular_file() && entry.path().extension() == kPluginExtension) files.push_back(entry.path());
  };
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    collect(entry);
    if (entry.is_directory())
      for (const auto& inner : std::filesystem::directory_iterator(entry.path())) collect(inner);
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) LoadPlugin(file);
}

bool Host::LoadPlugin(const std::filesystem::path& file)
{
  try {
    starting = std::make_shared<PluginLibrary>(file, table);
  } catch (const Error& e) {
    failures.push_back({file, e.what()});
    return false;
  }
  problems.clear();
  int answer = 0;
  if (!starting->Start(answer)) {
    Fail(file, answer == HST_ENTRY_REFUSED ? "refused to start (answered -3): it needs a newer host than version " +
                                  std::to_string(options.version) + " or found no plug-in folder"
                            : "refused to start (answered " + std::to_string(answer) + ")");
    return false;
  }
  if (!starting->LoadResources()) NotePluginProblem("its resources could not be loaded");
  if (!starting->Register()) {
    Fail(file, TakeProblems("failed to register"));
    return false;
  }
  if (!problems.empty()) warnings.push_back({file, TakeProblems("loaded with problems")});
  libraries.push_back(std::move(starting));
  return true;
}

void Host::Fail(const std::filesystem::path& file, std::string reason)
{
  if (starting) registry.DropClassesOf(starting.get());
  starting.reset();
  failures.push_back({file, std::move(reason)});
}

std::string Host::TakeProblems(const std::string& lead)
{
  std::string text = problems.empty() ? lead : lead + ": " + problems;
  problems.clear();
  return text;
}

bool Host::RegisterVideoPost(const HstVideoPostRegistration& r)
{
  if (!starting) return false;
  try {
    registry.RegisterVideoPost(r, starting);
  } catch (const Error& e) {
    NotePluginProblem(e.what());
    return false;
  }
  return true;
}

void Host::NotePluginProblem(std::string problem)
{
  problems += (problems.empty() ? "" : "; ") + problem;
}

}  // namespace lensara
