// The host's renderer: a document through its scene camera into a bitmap, in tiles on the
// host's parallel loop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/core/Bitmap.h"
#include "app/core/Container.h"
#include "app/core/Document.h"
#include "app/core/RenderCall.h"

namespace lensara {

// The answer of a render: one of the HST_RENDER_... codes, and what was wrong for the
// codes that name a problem (bad size, scene error).
struct RenderResult {
  int32_t code = 0;
  std::string problem;
};

// The most threads a render runs at once: one per core this process may use (one where the
// build has no thread library). A render asked for more runs with this many (the thread
// library would only warn and ignore them).
int MaxRenderThreads();
// The threads a render asked for threads (0: every core) runs on at once.
int RenderThreads(int threads);

struct RenderJob {
  int threads = 0;     // 0: every core; at most MaxRenderThreads()
  bool layers = false; // a MultipassBitmap target also gets its pass layers
  BreakTest* breakTest = nullptr;
  // Called on the calling thread with the fraction done, rising to 1.
  std::function<void(double)> progress;
  std::vector<float>* distances = nullptr;  // when set, filled as CameraDistances fills it
};

// Renders doc with the render settings settings (pass entries from the document's active
// render settings) into target, which becomes the settings' size. The same document and
// settings give the same bytes whatever the number of threads. Never throws.
RenderResult Render(Document& doc, const Container& settings, Bitmap& target, const RenderJob& job) noexcept;

}  // namespace lensara
