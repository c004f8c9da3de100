#include "plugins/dof/Dof.h"
#include "host/keys/RenderDataKeys.h"
#include "resources/description/vpdof.h"

namespace {

// Frees every video post of rd but, with hair, the last hair renderer, which stays first.
void KeepOnlyHairVideoPost(RenderData* rd, Bool hair)
{
  PluginVideoPost* kept = nullptr;
  while (PluginVideoPost* vp = rd->GetFirstVideoPost()) {
    vp->Remove();
    if (hair && vp->GetType() == kHairVideoPost) {
      PluginVideoPost::Free(kept);
      kept = vp;
    } else {
      PluginVideoPost::Free(vp);
    }
  }
  if (kept) rd->InsertVideoPost(kept);
}

// The effect's pass options: empty, or with reflections a container at 6 holding TRUE
// at the effect's id.
void WritePassOptions(BaseContainer* data, Bool reflections)
{
  BaseContainer* options = BaseContainer::Alloc();
  BaseContainer* reflection = reflections ? BaseContainer::Alloc() : nullptr;
  if (options && reflection) {
    reflection->SetBool(kDofId, true);
    options->SetContainer(kPassReflection, *reflection);
  }
  if (options) data->SetContainer(kDofId, *options);
  BaseContainer::Free(reflection);
  BaseContainer::Free(options);
}

// Puts a pass entry of passType first in rd's list; skipped when it cannot be allocated.
void InsertPass(RenderData* rd, Int32 passType)
{
  BaseList2D* pass = BaseList2D::Alloc(kMultipassNode);
  if (!pass) return;
  pass->GetDataInstance()->SetLong(kPassKind, passType);
  rd->InsertMultipass(pass);
  rd->Message(MSG_PASSES_CHANGED);
}

}  // namespace

void Dof::AdjustRenderData(RenderData* rd, Bool reflections, Bool hair, Int32 antiAliasing)
{
  BaseContainer* data = rd->GetDataInstance();
  if (hair && !reflections) data->SetLong(kRenderReflections, 0);
  data->SetLong(kRenderTransparency, 0);
  if (antiAliasing != DOF_DEPTH_ANTIALIASING_UNCHANGED) data->SetLong(kRenderAntialiasing, antiAliasing - DOF_DEPTH_ANTIALIASING_NONE);
  KeepOnlyHairVideoPost(rd, hair);
  data->SetBool(kRenderDefaultLight, false);
  data->SetLong(kRenderEngine, 1);
  data->SetBool(kRenderSaveMultipass, false);
  data->SetBool(kRenderMultipass, true);
  data->SetLong(kRenderSeparateLights, 1);
  data->SetLong(kRenderLightPassMode, 0);
  WritePassOptions(data, reflections);
  InsertPass(rd, kPassLights);
  if (reflections) InsertPass(rd, kPassReflection);
  rd->Message(MSG_UPDATE);
}
