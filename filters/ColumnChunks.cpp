#include "ColumnChunks.h"

#include <algorithm>

namespace filters {

namespace {

// Blocks come in multiples of this many, of equal widths up to the last, so that two or
// four threads share a pass evenly; widths are multiples of kWidthStep where the blocks
// allow, whole vectors of the passes' lanes.
constexpr std::int32_t kBlockMultiple = 4;
constexpr std::int32_t kWidthStep = 8;
// A pass is handed out in about this many chunks at most, each with scratch of its own.
constexpr std::int32_t kChunks = 64;

std::int32_t Ceil(std::int32_t a, std::int32_t b) { return (a + b - 1) / b; }

std::int32_t EvenBlockWidth(std::int32_t width, std::int32_t maxBlock)
{
  std::int32_t count = Ceil(Ceil(width, maxBlock), kBlockMultiple) * kBlockMultiple;
  return std::min(maxBlock, Ceil(Ceil(width, count), kWidthStep) * kWidthStep);
}

}  // namespace

ColumnChunks::ColumnChunks(const Context& context, std::int32_t width, std::int32_t maxBlock,
                           const ColumnProgress* progress)
    : context(context), width(width), blockWidth(EvenBlockWidth(std::max(width, 1), maxBlock)),
      blocks(Ceil(width, blockWidth)), progress(progress), done(blocks)
{
  if (Ready()) std::fill(done.Get(), done.Get() + blocks, -1);
}

void ColumnChunks::HandOut(Body body, void* chunk)
{
  if (blocks == 0) return;
  if (context.parallelFor)
    context.parallelFor(context.user, 0, blocks, std::max(1, blocks / kChunks), body, chunk);
  else
    body(0, blocks, chunk);
}

bool ColumnChunks::StartColumn()
{
  if (stopped.load(std::memory_order_relaxed)) return false;
  if (StopAsked(context)) {
    stopped.store(true, std::memory_order_relaxed);
    return false;
  }
  std::int32_t x = started.fetch_add(1, std::memory_order_relaxed);
  if (progress && context.progressValue && std::this_thread::get_id() == caller)
    context.progressValue(context.user, progress->offset + x / (progress->share * width));
  return true;
}

}  // namespace filters
