// The host's renderer where the build has none (the Windows test programs: Embree and TBB
// are Linux libraries here). No test built with it renders: a render fails as a scene the
// renderer cannot build.
#include "app/render/Renderer.h"
#include "host/abi/HstRenderer.h"

namespace lensara {

int MaxRenderThreads() { return 1; }

RenderResult Render(Document&, const Container&, Bitmap&, const RenderJob&) noexcept
{
  return {HST_RENDER_SCENE_ERROR, "this build has no renderer"};
}

}  // namespace lensara
