// Dof::Execute: the buffers and the depth scene at every render call, the stage gate, and
// the stage-5 run that renders the depth scene, assembles the maps and blurs the frame.
#include <algorithm>
#include <cmath>
#include <limits>

#include "DepthBuffers.h"
#include "host/keys/RenderDataKeys.h"
#include "plugins/dof/Dof.h"
#include "plugins/dof/FastBitmap.h"
#include "plugins/dof/PlatformBehaviour.h"
#include "plugins/dof/depthpass/DepthLights.h"
#include "resources/description/vpdof.h"

namespace {

constexpr Int32 kRenderStage = 4;
constexpr Int32 kInnerStage = 5;

void SetProgressText(VideoPostStruct* vps, const char* text)
{
  if (vps->progress) vps->progress->SetText(String(text));
}

// The post-effect buffer of subId, named name when the render has it; null otherwise.
VPBuffer* NameBuffer(Render* render, Int32 subId, const char* name)
{
  VPBuffer* buffer = render->GetBuffer(kPostEffectBuffer, subId);
  if (buffer) buffer->SetParameter(MPBTYPE_NAME, GeData(String(name)));
  return buffer;
}

// A whole number the user gave as a real: truncated toward zero, saturated at the ends of
// Int32, NaN as 0 (a plain cast of NaN or 1e10 is undefined).
Int32 WholeNumber(Float value)
{
  if (std::isnan(value)) return 0;
  constexpr Float low = std::numeric_limits<Int32>::min(), high = std::numeric_limits<Int32>::max();
  return static_cast<Int32>(std::clamp(std::trunc(value), low, high));
}

// Frees the video posts of a clone's rd that its depth pass never reads: all but the first
// effect (whose exclusion list it lists) and the last hair renderer. Otherwise every post's
// clone would hold all the others until the frame ends.
void DropUnreadVideoPosts(RenderData* rd)
{
  PluginVideoPost *firstEffect = nullptr, *lastHair = nullptr;
  for (PluginVideoPost* vp = rd->GetFirstVideoPost(); vp; vp = vp->GetNext()) {
    if (!firstEffect && vp->GetType() == kDofId) firstEffect = vp;
    if (vp->GetType() == kHairVideoPost) lastHair = vp;
  }
  for (PluginVideoPost* vp = rd->GetFirstVideoPost(); vp;) {
    PluginVideoPost* next = vp->GetNext();
    if (vp != firstEffect && vp != lastHair) {
      vp->Remove();
      PluginVideoPost::Free(vp);
    }
    vp = next;
  }
}

}  // namespace

void ProgressHk(float fraction, void* context)
{
  if (context) static_cast<RenderProgress*>(context)->SetValue(fraction);
}

Int32 Dof::Execute(PluginVideoPost* node, VideoPostStruct* vps)
{
  if (!node || !vps || !vps->render) return 0;
  const BaseContainer* data = node->GetDataInstance();
  Render* render = vps->render;
  depthTarget = data->GetBool(DOF_DEPTH_BUFFER) ? NameBuffer(render, kDepthBufferId, "Lensara Depth")
                                                : render->GetBuffer(kHiddenDepthBuffer, 0);
  if (data->GetBool(DOF_FRONT_REAR_BUFFERS)) {
    NameBuffer(render, kFrontBufferId, "Lensara Depth Front");
    NameBuffer(render, kRearBufferId, "Lensara Depth Rear");
  }
  if (vps->stage == kRenderStage && vps->open) {
    BaseDocument::Free(depthScene);
    depthScene = vps->doc ? vps->doc->GetClone(0) : nullptr;
    if (RenderData* rd = depthScene ? depthScene->GetActiveRenderData() : nullptr) DropUnreadVideoPosts(rd);
  }
  Bool gate = vps->stage == kInnerStage && !vps->open && (!vps->result || *vps->result == 0) && !TestBreak(vps) &&
              depthScene && IsGatedRender(*vps);
  return gate ? RenderDepth(node, vps) : 0;
}

Dof::RunSettings Dof::ReadRunSettings(const BaseContainer& data)
{
  RunSettings s;
  s.reflections = data.GetBool(DOF_REFLECTIONS);
  s.hair = data.GetBool(DOF_HAIR);
  s.blur = data.GetBool(DOF_BLUR);
  s.dilate = data.GetBool(DOF_DILATE_DEPTH);
  s.depthAware = data.GetBool(DOF_DEPTH_AWARE);
  s.filter = data.GetLong(DOF_FILTER);
  s.radius = WholeNumber(data.GetReal(DOF_RADIUS));
  s.passes = WholeNumber(data.GetReal(DOF_PASSES));
  s.excludeCount = ExcludedCount(data);
  return s;
}

Int32 Dof::RenderDepth(PluginVideoPost* node, VideoPostStruct* vps)
{
  const BaseContainer* data = node->GetDataInstance();
  RunSettings s = ReadRunSettings(*data);
  auto* camera = static_cast<BaseObject*>(data->GetLink(DOF_CAMERA, vps->doc));
  Bool polarity = PrepareDepthScene(depthScene, node, data, camera, false);

  const BaseContainer* frame = vps->render->GetRenderData();
  Int32 width = frame ? frame->GetLong(kRenderWidth) : 0, height = frame ? frame->GetLong(kRenderHeight) : 0;
  DepthRender depth(MultipassBitmap::Alloc(width, height, COLORMODE_RGB));
  if (!depth.bitmap) return 1;
  Bool composite = IsCompositeProduct();
  RenderData* rd = depthScene->GetActiveRenderData();
  depthScene->SetTime(BaseTime(vps->time));

  SetProgressText(vps, "");
  SetProgressText(vps, "Calculating DOF");
  Int32 code = RenderDocument(depthScene, *rd->GetDataInstance(), ProgressHk, vps->progress, depth.bitmap,
                              composite ? 0 : RENDERFLAGS_EXTERNAL, vps->thread);
  if (code != RENDERRESULT_OK) return code;
  SetProgressText(vps, "");

  depth.PickLayers();
  if (composite && !depth.UseComposite()) return 1;
  if (!depth.main) return 1;
  if (!AssembleDepthMaps(depth, s, polarity, composite, vps->render)) return 1;
  if (s.blur && !BlurFrame(depth, s, vps)) return 1;
  BaseDocument::Free(depthScene);
  return 0;
}

Dof::DepthRender::~DepthRender()
{
  MultipassBitmap::Free(composite);
  MultipassBitmap::Free(bitmap);
}

void Dof::DepthRender::PickLayers()
{
  MultipassBitmap** roles[] = {&front, &rear, &main, &exclusion};
  const char* names[] = {kFrontLightName, kRearLightName, kMainLightName, kExclusionLightName};
  for (Int32 i = 0; i < bitmap->GetLayerCount(); ++i) {
    MultipassBitmap* layer = bitmap->GetLayerNum(i);
    String name = layer ? layer->GetParameter(MPBTYPE_NAME).GetString() : String();
    for (Int32 role = 0; role < 4; ++role)
      if (name == String(names[role])) {
        *roles[role] = layer;
        break;
      }
  }
}

Bool Dof::DepthRender::UseComposite()
{
  FastBitmap image(bitmap);
  composite = MultipassBitmap::Alloc(bitmap->GetBw(), bitmap->GetBh(), COLORMODE_RGB);
  if (!image.GetData() || !composite) return false;
  image.CopyTo(composite);
  main = composite;
  return true;
}
