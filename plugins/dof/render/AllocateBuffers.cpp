// Dof::AllocateBuffers: the output buffers of the depth images.
#include "DepthBuffers.h"
#include "plugins/dof/Dof.h"
#include "resources/description/vpdof.h"

Int32 Dof::AllocateBuffers(PluginVideoPost* node, Render* render, BaseDocument*)
{
  if (!node || !render) return 1;
  const BaseContainer* data = node->GetDataInstance();
  if (data->GetBool(DOF_DEPTH_BUFFER))
    render->AllocateBuffer(kPostEffectBuffer, kDepthBufferId, kBufferBits, true);
  else
    render->AllocateBuffer(kHiddenDepthBuffer, 0, kBufferBits, false);
  Bool frontRear = data->GetBool(DOF_FRONT_REAR_BUFFERS) && !data->GetBool(DOF_REFLECTIONS);
  render->AllocateBuffer(kPostEffectBuffer, kFrontBufferId, kBufferBits, frontRear);
  return render->AllocateBuffer(kPostEffectBuffer, kRearBufferId, kBufferBits, frontRear);
}
