#include "Render.h"

#include "app/core/Error.h"
#include "app/render/RenderMemory.h"
#include "app/render/Renderer.h"
#include "app/session/SceneLoading.h"

namespace lensara {

RenderStatus RunRender(const Host&, const RenderOptions& options, BreakTest* breakTest, ProgressDisplay* progress,
                       std::ostream& messages)
{
  RenderOptions run = options;
  if (run.scene.empty()) run.scene = DemoScene();
  PrepareFrameOutputs(run);
  std::unique_ptr<Document> doc = LoadSceneReporting(run.scene, messages);
  EditParametersReporting(*doc, run.sets, messages);
  MemoryVerdict memory = JudgeRenderMemory(*doc);
  if (memory.refused) throw Error(run.scene.string() + ": cannot be rendered: " + memory.problem);
  if (!memory.problem.empty()) messages << "warning: " << memory.problem << "\n";
  if (run.threads > MaxRenderThreads())
    messages << "warning: --threads " << run.threads << ": this machine runs at most " << MaxRenderThreads()
             << " render threads at once; rendering with " << MaxRenderThreads() << "\n";
  return RenderFrames(*doc, run, breakTest, progress, messages);
}

}  // namespace lensara
