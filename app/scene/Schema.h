// What scene files know of nodes: the lists that hold them, and their keys' names and
// value types from the host's node types and the descriptions of registered video posts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/Description.h"
#include "app/core/Node.h"
#include "app/core/NodeTypes.h"

namespace lensara {

struct VideoPostClass;

// A list of nodes as a scene file writes it: its field, the branch it fills and the kind of
// node it holds.
struct ListField {
  const char* name;
  BranchKind branch;
  NodeKind kind;
};

// A node's lists and the document's, in the order files write them.
inline constexpr ListField kNodeLists[] = {{"tags", HST_BRANCH_TAGS, NodeKind::Tag},
                                           {"children", HST_BRANCH_CHILDREN, NodeKind::Object},
                                           {"shaders", HST_BRANCH_SHADERS, NodeKind::Shader},
                                           {"video_posts", HST_BRANCH_VIDEO_POSTS, NodeKind::VideoPost},
                                           {"passes", HST_BRANCH_PASSES, NodeKind::Pass}};
inline constexpr ListField kDocumentLists[] = {{"objects", HST_BRANCH_OBJECTS, NodeKind::Object},
                                               {"materials", HST_BRANCH_MATERIALS, NodeKind::Material},
                                               {"render_settings", HST_BRANCH_RENDER_DATA, NodeKind::RenderData}};

struct KeyRule {
  // The value type a key takes; Any for keys nobody describes.
  enum class Kind { Any, Bool, Long, Real, Vector, Matrix, String, Link, Container, InExclude, Gradient, Cycle };

  int32_t key = 0;
  std::string name;
  Kind kind = Kind::Any;
  const std::vector<CycleValue>* cycle = nullptr;
  // The numbers the key's values may take (each component of a vector): a host type's
  // limits are what its renderer can use, a video post's are its description's advice.
  Limits limits;
  bool advisory = false;
};

// What is wrong with value under rule's limits ("is -5, not above 0", "is not a finite
// number"), or empty when nothing is.
std::string LimitProblem(const Value& value, const KeyRule& rule);

class Schema {
public:
  // The schema of a node of type: a host type's keys or a registered video post's
  // description; empty for others.
  static Schema ForType(int32_t type);

  const KeyRule* Find(int32_t key) const;
  const KeyRule* Find(const std::string& name) const;

private:
  std::vector<KeyRule> keys;
};

// The video post the active host registers as type; null when none does.
const VideoPostClass* RegisteredVideoPost(int32_t type);

// The name a file gives node type type: the host type's name, a video post's display
// name, or the number.
std::string TypeNameOf(int32_t type);
// The host type or registered video post a file names; 0 when there is none.
int32_t TypeFromName(const std::string& name);

const char* KindName(KeyRule::Kind kind);
// The kind of value a value holds, for type checks (Long for every long).
KeyRule::Kind KindOf(const Value& value);

}  // namespace lensara
