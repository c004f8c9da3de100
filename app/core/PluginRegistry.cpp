#include "PluginRegistry.h"

#include <algorithm>

#include "Allocations.h"
#include "Error.h"
#include "Guarded.h"
#include "Lookup.h"
#include "Resource.h"

namespace lensara {

namespace {

// The POD structs a plug-in hands over start with their size; the host reads up to its own.
static_assert(offsetof(HstVideoPostRegistration, size) == 0 && offsetof(HstNodeClass, size) == 0 &&
                  offsetof(HstVideoPostCallbacks, size) == 0,
              "a struct the plug-in hands over starts with its size");

// Refuses a struct that a plug-in built against an older interface, smaller than T is here.
template <class T>
void CheckSize(const T& handed, const char* what)
{
  if (handed.size >= sizeof(T)) return;
  throw Error("its " + std::string(what) + " has " + std::to_string(handed.size) + " bytes where this host reads " +
              std::to_string(sizeof(T)) + ": it was built against an older plug-in interface");
}

}  // namespace

void PluginRegistry::RegisterVideoPost(const HstVideoPostRegistration& r, std::shared_ptr<PluginLibrary> library)
{
  CheckSize(r, "video post registration");
  CheckSize(r.node_class, "node class");
  CheckSize(r.video_post, "video post callbacks");
  if (FindVideoPost(r.id)) throw Error("video post id " + std::to_string(r.id) + " is taken");
  auto cls = CountedShared<VideoPostClass>();
  cls->callbacks = r.node_class;
  cls->videoPost = r.video_post;
  cls->id = r.id;
  cls->name = r.name ? r.name : "";
  cls->description = Description::Load(Resource::DescriptionFile(library->Folder(), r.description ? r.description : ""));
  cls->library = std::move(library);
  videoPosts.push_back(std::move(cls));
}

void PluginRegistry::DropClassesOf(const PluginLibrary* library)
{
  videoPosts.erase(std::remove_if(videoPosts.begin(), videoPosts.end(),
                                  [library](const auto& c) { return c->library.get() == library; }),
                   videoPosts.end());
}

const std::shared_ptr<const VideoPostClass>* PluginRegistry::FindClass(int32_t id) const
{
  return FindFirst(videoPosts, [id](const auto& c) { return c->id == id; });
}

const VideoPostClass* PluginRegistry::FindVideoPost(int32_t id) const
{
  const auto* cls = FindClass(id);
  return cls ? cls->get() : nullptr;
}

std::unique_ptr<Node> PluginRegistry::CreateVideoPost(int32_t id) const
{
  const auto* cls = FindClass(id);
  if (!cls) return nullptr;
  auto node = Guarded([&] { return std::make_unique<Node>(id, (*cls)->name); }, std::unique_ptr<Node>());
  if (!node || !node->AttachInstance(*cls)) return nullptr;
  return node;
}

}  // namespace lensara
