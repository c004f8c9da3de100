// The host's renderer and parallel loop where the build has none (the Windows test
// programs: Embree and TBB are Linux libraries here). No test built with it renders: a
// render fails as a scene the renderer cannot build. The parallel loop runs its chunks one
// after another on the calling thread.
#include "app/render/ParallelFor.h"
#include "app/render/Renderer.h"
#include "host/abi/HstRenderer.h"

namespace lensara {

int MaxRenderThreads() { return 1; }

void ParallelFor(int, int64_t begin, int64_t end, int64_t grain, HstParallelBody body, void* context) noexcept
{
  if (!body || end <= begin) return;
  RangeChunks chunks = SplitRange(begin, end, grain);
  for (int64_t i = 0; i < chunks.count; ++i) body(chunks.Start(i), chunks.Start(i + 1), context);
}

RenderResult Render(Document&, const Container&, Bitmap&, const RenderJob&) noexcept
{
  return {HST_RENDER_SCENE_ERROR, "this build has no renderer"};
}

}  // namespace lensara
