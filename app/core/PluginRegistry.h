// The node classes the plug-ins registered: video posts, by id.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Description.h"
#include "Node.h"
#include "PluginLibrary.h"
#include "host/abi/C4DOS.h"

namespace lensara {

// A video post class a plug-in registered.
struct VideoPostClass : NodeClass {
  int32_t id = 0;
  std::string name;
  Description description;
};

class PluginRegistry {
public:
  // Adds the video post class of registration for library. Throws Error saying why it
  // is refused: a registration (or a struct in it) smaller than the fields this host
  // reads, an id already taken, or a description that cannot be read.
  void RegisterVideoPost(const HstVideoPostRegistration& registration, std::shared_ptr<PluginLibrary> library);
  // Drops every class of library.
  void DropClassesOf(const PluginLibrary* library);
  void Clear() { videoPosts.clear(); }

  const std::vector<std::shared_ptr<const VideoPostClass>>& VideoPosts() const { return videoPosts; }
  const VideoPostClass* FindVideoPost(int32_t id) const;
  // A new node of video post class id with its plug-in instance, named after the class;
  // null when the class is unknown, memory is short or the plug-in cannot create or
  // initialise it.
  std::unique_ptr<Node> CreateVideoPost(int32_t id) const;

private:
  const std::shared_ptr<const VideoPostClass>* FindClass(int32_t id) const;

  std::vector<std::shared_ptr<const VideoPostClass>> videoPosts;
};

}  // namespace lensara
