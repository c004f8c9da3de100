#include "Host.h"

#include <algorithm>
#include <cassert>

#include "Allocations.h"
#include "Error.h"
#include "FunctionTable.h"
#include "Lookup.h"
#include "Resource.h"

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
  videoPosts.clear();
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
    if (entry.is_regular_file() && entry.path().extension() == ".so") files.push_back(entry.path());
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
    Fail(file, answer == -3 ? "refused to start (answered -3): it needs a newer host than version " +
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
  if (starting) DropClassesOf(starting.get());
  starting.reset();
  failures.push_back({file, std::move(reason)});
}

std::string Host::TakeProblems(const std::string& lead)
{
  std::string text = problems.empty() ? lead : lead + ": " + problems;
  problems.clear();
  return text;
}

void Host::DropClassesOf(const PluginLibrary* library)
{
  videoPosts.erase(std::remove_if(videoPosts.begin(), videoPosts.end(),
                                  [library](const auto& c) { return c->library.get() == library; }),
                   videoPosts.end());
}

const std::shared_ptr<const VideoPostClass>* Host::FindClass(int32_t id) const
{
  return FindFirst(videoPosts, [id](const auto& c) { return c->id == id; });
}

const VideoPostClass* Host::FindVideoPost(int32_t id) const
{
  const auto* cls = FindClass(id);
  return cls ? cls->get() : nullptr;
}

std::unique_ptr<Node> Host::CreateVideoPost(int32_t id)
{
  const auto* cls = FindClass(id);
  if (!cls) return nullptr;
  auto node = Guarded([&] { return std::make_unique<Node>(id, (*cls)->name); }, std::unique_ptr<Node>());
  if (!node || !node->AttachInstance(*cls)) return nullptr;
  return node;
}

bool Host::RegisterVideoPost(const HstVideoPostRegistration& r)
{
  if (!starting) return false;
  if (FindVideoPost(r.id)) {
    NotePluginProblem("video post id " + std::to_string(r.id) + " is taken");
    return false;
  }
  auto cls = CountedShared<VideoPostClass>();
  cls->callbacks = r.node_class;
  cls->videoPost = r.video_post;
  cls->library = starting;
  cls->id = r.id;
  cls->name = r.name ? r.name : "";
  try {
    cls->description = Description::Load(Resource::DescriptionFile(starting->Folder(), r.description ? r.description : ""));
  } catch (const Error& e) {
    NotePluginProblem(e.what());
    return false;
  }
  videoPosts.push_back(std::move(cls));
  return true;
}

void Host::NotePluginProblem(std::string problem)
{
  problems += (problems.empty() ? "" : "; ") + problem;
}

}  // namespace lensara
