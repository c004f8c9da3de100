// The commands that run at a terminal with a progress bar and stop at Ctrl-C, and what
// they print when they end.
#pragma once

#include "app/cli/Blur.h"
#include "app/cli/Preview.h"
#include "app/cli/Render.h"
#include "app/core/Host.h"

namespace lensara {

// Runs `lensara render`: 1 when a video post failed on a frame (all frames written), 130
// when Ctrl-C stopped it, the frame under way unwritten (or, when its files were being
// written, the file under way left as it was).
int RenderAtTerminal(const Host& host, const RenderOptions& options);

// Runs `lensara blur`: 130 when Ctrl-C stopped it, without writing.
int BlurAtTerminal(const Host& host, const BlurOptions& options, const std::vector<std::string>& depthEdits);

// Runs `lensara preview`: prints the window's status text, or why there is no window.
int PreviewAtTerminal(const Host& host, const PreviewOptions& options);

}  // namespace lensara
