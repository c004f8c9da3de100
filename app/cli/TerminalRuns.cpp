#include "TerminalRuns.h"

#include <iostream>
#include <optional>

#include "app/cli/Command.h"
#include "app/cli/InterruptBreak.h"
#include "app/cli/ProgressBar.h"
#include "app/core/Error.h"

namespace lensara {

int RenderAtTerminal(const Host& host, const RenderOptions& options)
{
  InterruptBreak interrupt;
  RenderStatus status;
  {
    ProgressBar progress;
    status = RunRender(host, options, &interrupt, &progress, std::cerr);
  }
  if (status == RenderStatus::Done) return kExitSuccess;
  if (status == RenderStatus::EffectsFailed) return kExitFailure;
  std::cerr << "lensara render: interrupted; the frame under way was not written\n";
  return kExitInterrupted;
}

int BlurAtTerminal(const Host& host, const BlurOptions& options, const std::vector<std::string>& depthEdits)
{
  CheckBlurLimits(host, options);
  if (options.depth.empty() == options.map.empty())
    throw UsageError("give either a blur MAP or --depth FILE, not " + std::string(options.depth.empty() ? "neither" : "both"));
  InterruptBreak interrupt;
  bool written;
  {
    ProgressBar progress;
    written = options.depth.empty() ? RunBlur(options, &interrupt, &progress)
                                    : RunDepthBlur(host, options, depthEdits, &interrupt, &progress, std::cerr);
  }
  if (written) return kExitSuccess;
  std::cerr << "lensara blur: interrupted; " << options.output.string() << " was not written\n";
  return kExitInterrupted;
}

int PreviewAtTerminal(const Host& host, const PreviewOptions& options)
{
  std::optional<std::string> status = RunPreview(host, options, std::cerr);
  if (status)
    std::cout << options.output.string() << ": the preview window; status \"" << *status << "\"\n";
  else
    std::cout << "no preview on product kind " << host.ProductKind() << ": the effect renders none\n";
  return kExitSuccess;
}

}  // namespace lensara
