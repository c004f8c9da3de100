#include "plugins/dof/Dof.h"

#include "resources/description/vpdof.h"

Bool Dof::Message(GeListNode* node, Int32 type, void* data)
{
  if (type == MSG_DESCRIPTION_COMMAND && data &&
      static_cast<const DescriptionCommand*>(data)->id == DescID(DOF_PREVIEW))
    Preview(node);
  return VideoPostData::Message(node, type, data);
}
