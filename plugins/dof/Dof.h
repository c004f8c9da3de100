// Dof: the Lensara depth-of-field video post.
#pragma once

#include "host/c4d.h"

class BaseObject;

class Dof : public VideoPostData {
public:
  // The settings that change the depth image, as the last validation saw them; the
  // preview is refreshed when the node's settings no longer match.
  struct Snapshot {
    Bool cachedFrontBlur = false;
    Bool cachedRearBlur = false;
    Float cachedFrontStart = 0.0;
    Float cachedFrontEnd = 0.0;
    Float cachedRearStart = 0.0;
    Float cachedRearEnd = 0.0;
    Bool cachedReflections = false;
    Bool cachedUseCameraDof = false;
    Float cachedFocusDistance = 0.0;
    const BaseObject* cachedCamera = nullptr; // compared by identity, never dereferenced
    Int32 cachedExcludeCount = 0;
  };

  // A new instance from the host's allocator; null when memory is short.
  static NodeData* Alloc();

  // Stores the defaults in the node's container and zeroes the snapshot.
  Bool Init(GeListNode* node) override;

  const Snapshot& GetSnapshot() const { return snapshot; }

private:
  // The preview thread object joins here, ahead of the snapshot, with the preview.
  Snapshot snapshot;
  // The depth target, the depth scene and the preview dialog join here with the render
  // and the preview.
};
