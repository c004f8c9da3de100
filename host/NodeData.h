// NodeData: the base of a plug-in's own node classes. The host creates one instance per
// node through the registered allocator and calls the virtual members; what a class does
// not override keeps the host's base behaviour.
#pragma once

#include "BaseContainer.h"
#include "BaseList2D.h"
#include "DescID.h"
#include "GeData.h"
#include "String.h"
#include "Types.h"

class NodeData {
public:
  virtual ~NodeData() = default;
  // Gives a new node its defaults.
  virtual Bool Init(GeListNode* node);
  // A message to the node; true when it was handled without error.
  virtual Bool Message(GeListNode* node, Int32 type, void* data);
  // Whether parameter id is editable now.
  virtual Bool GetDEnabling(GeListNode* node, const DescID& id, GeData& value, Int32 flags,
                            const BaseContainer* itemdesc);
};

// What message MSG_DESCRIPTION_COMMAND carries: the id of the pressed button.
struct DescriptionCommand {
  DescID id;
};
static_assert(sizeof(DescriptionCommand) == sizeof(HstDescriptionCommand));

// What message MSG_NOTIFY carries: the event, one of the NOTIFY_... codes.
struct NotifyData {
  Int32 eventCode;
};
static_assert(sizeof(NotifyData) == sizeof(HstNotification));

// Messages to a node: validate its container after an edit (no data), a description
// button was pressed (DescriptionCommand), a notification (NotifyData).
constexpr Int32 MSG_DESCRIPTION_VALIDATE = HST_MSG_DESCRIPTION_VALIDATE;
constexpr Int32 MSG_DESCRIPTION_COMMAND = HST_MSG_DESCRIPTION_COMMAND;
constexpr Int32 MSG_NOTIFY = HST_MSG_NOTIFY;
// Notification events: the user stopped editing the node.
constexpr Int32 NOTIFY_EDITING_ENDED = HST_NOTIFY_EDITING_ENDED;

class PluginVideoPost;
class Render;
struct VideoPostStruct;

// The base of video post effects.
class VideoPostData : public NodeData {
public:
  // Before a render: asks render for the buffers the effect writes. 0, or an error code.
  virtual Int32 AllocateBuffers(PluginVideoPost* node, Render* render, BaseDocument* doc);
  // At every stage of a render, when it opens and when it closes. 0, or a render result code.
  virtual Int32 Execute(PluginVideoPost* node, VideoPostStruct* vps);
};

// A registered class's allocator: a new instance from NewObj, or null.
using DataAllocator = NodeData*();

// The callbacks through which the host drives instances made by allocator.
HstNodeClass MakeNodeClass(DataAllocator* allocator);
// The render callbacks of a video post class, whose allocator makes VideoPostData.
HstVideoPostCallbacks MakeVideoPostCallbacks();
