#include "NodeData.h"

#include "Memory.h"
#include "PluginVideoPost.h"
#include "Render.h"
#include "VideoPostStruct.h"

Bool NodeData::Init(GeListNode*) { return true; }

Bool NodeData::Message(GeListNode*, Int32, void*) { return true; }

Bool NodeData::GetDEnabling(GeListNode*, const DescID&, GeData&, Int32, const BaseContainer*) { return true; }

Int32 VideoPostData::AllocateBuffers(PluginVideoPost*, Render*, BaseDocument*) { return 0; }

Int32 VideoPostData::Execute(PluginVideoPost*, VideoPostStruct*) { return 0; }

namespace {

NodeData* Instance(HstPluginObject self) { return reinterpret_cast<NodeData*>(self); }

HstPluginObject Create(void* context)
{
  NodeData* instance = reinterpret_cast<DataAllocator*>(context)();
  return reinterpret_cast<HstPluginObject>(instance);
}

void Destroy(HstPluginObject self)
{
  NodeData* instance = Instance(self);
  DeleteObj(instance);
}

HstBool Init(HstPluginObject self, HstNode node) { return Instance(self)->Init(NodeCast<GeListNode>(node)); }

HstBool Message(HstPluginObject self, HstNode node, int32_t type, void* data)
{
  return Instance(self)->Message(NodeCast<GeListNode>(node), type, data);
}

HstBool GetDEnabling(HstPluginObject self, HstNode node, const HstDescID* id, HstData value, int32_t flags,
                     HstContainer itemdesc)
{
  GeData borrowed(value, GeData::Borrowed{});
  return Instance(self)->GetDEnabling(NodeCast<GeListNode>(node), DescID(*id), borrowed, flags,
                                      BaseContainer::FromHandle(itemdesc));
}

VideoPostData* VideoPost(HstPluginObject self) { return static_cast<VideoPostData*>(Instance(self)); }

int32_t AllocateBuffers(HstPluginObject self, HstNode node, HstRender render, HstNode doc)
{
  return VideoPost(self)->AllocateBuffers(NodeCast<PluginVideoPost>(node), Render::FromHandle(render),
                                          NodeCast<BaseDocument>(doc));
}

int32_t Execute(HstPluginObject self, HstNode node, HstVideoPostStruct* vps)
{
  return VideoPost(self)->Execute(NodeCast<PluginVideoPost>(node), VideoPostStruct::FromHandle(vps));
}

}  // namespace

HstVideoPostCallbacks MakeVideoPostCallbacks()
{
  HstVideoPostCallbacks callbacks{};
  callbacks.size = sizeof callbacks;
  callbacks.allocate_buffers = AllocateBuffers;
  callbacks.execute = Execute;
  return callbacks;
}

HstNodeClass MakeNodeClass(DataAllocator* allocator)
{
  HstNodeClass cls{};
  cls.size = sizeof cls;
  cls.context = reinterpret_cast<void*>(allocator);
  cls.create = Create;
  cls.destroy = Destroy;
  cls.init = Init;
  cls.message = Message;
  cls.get_enabling = GetDEnabling;
  return cls;
}
