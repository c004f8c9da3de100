// `lensara render`: a scene file rendered into pictures, frame by frame.
#pragma once

#include <ostream>

#include "app/core/Host.h"
#include "app/session/FrameSequence.h"

namespace lensara {

// Loads the scene (its warnings to messages), applies the --set edits (what they report, as
// EditParameter, to messages) and renders its frames as RenderFrames does, after checking the
// outputs (PrepareFrameOutputs) and the memory the render needs.
// Throws Error naming the file and the problem, UsageError for a bad --set or frame range.
RenderStatus RunRender(const Host& host, const RenderOptions& options, BreakTest* breakTest, ProgressDisplay* progress,
                       std::ostream& messages);

}  // namespace lensara
