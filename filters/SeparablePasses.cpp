#include "SeparablePasses.h"

#include <atomic>
#include <cstddef>
#include <cstring>

#include "ColumnChunks.h"
#include "ImageBuffer.h"

namespace filters {

namespace {

// Columns x0 .. x1 - 1 of every row of from into to.
void CopyColumns(const std::uint8_t* from, std::uint8_t* to, std::int32_t width, std::int32_t height, std::int32_t x0,
                 std::int32_t x1)
{
  for (std::int32_t y = 0; y < height; ++y) {
    std::ptrdiff_t at = (std::ptrdiff_t(y) * width + x0) * 3;
    std::memcpy(to + at, from + at, std::size_t(x1 - x0) * 3);
  }
}

// The sets of passes of the chunks: a chunk takes the spare set, or makes one while another
// chunk has it, and leaves its set as the spare when there is none, else frees it. Chunks
// that run one after another so share one set, and the spare is there again after a pass.
class PassesSpare {
public:
  PassesSpare(MakePasses make, const void* maker, std::unique_ptr<SeparablePasses> first)
      : make(make), maker(maker), spare(first.release())
  {
  }
  ~PassesSpare() { delete spare.load(); }
  PassesSpare(const PassesSpare&) = delete;
  PassesSpare& operator=(const PassesSpare&) = delete;

  std::unique_ptr<SeparablePasses> Take()
  {
    if (SeparablePasses* passes = spare.exchange(nullptr)) return std::unique_ptr<SeparablePasses>(passes);
    return make(maker);
  }

  void Leave(std::unique_ptr<SeparablePasses> passes)
  {
    SeparablePasses* none = nullptr;
    if (spare.compare_exchange_strong(none, passes.get())) passes.release();
  }

private:
  MakePasses make;
  const void* maker;
  std::atomic<SeparablePasses*> spare;
};

// One pass: work(passes, x0, x1) for the columns of each chunk's blocks, on the chunk's set.
template <class Work>
void RunPass(PassesSpare& sets, ColumnChunks& chunks, Work work)
{
  auto chunk = [&](std::int32_t b0, std::int32_t b1) {
    std::unique_ptr<SeparablePasses> passes = sets.Take();
    if (!passes) return;
    chunks.Sweep(b0, b1, [&](std::int32_t x0, std::int32_t x1) { work(*passes, x0, x1); });
    sets.Leave(std::move(passes));
  };
  chunks.Run(chunk);
}

}  // namespace

bool RunPasses(MakePasses make, const void* maker, ImageView source, ImageView target, const Context& context,
               double passShare)
{
  std::unique_ptr<SeparablePasses> first = make(maker);
  if (!first) return false;
  std::int32_t width = target.width, height = target.height;
  ColumnProgress firstShare{0.0, passShare};
  ColumnProgress secondShare{1.0 - 1.0 / passShare, passShare};
  ColumnChunks rows(context, width, first->HorizontalBlock(), &firstShare);
  ColumnChunks columns(context, width, first->VerticalBlock(), &secondShare);
  ImageBuffer copy(source.data == target.data ? source : ImageView{});
  const std::uint8_t* original = source.data == target.data ? copy.View().data : source.data;
  if (!original || !rows.Ready() || !columns.Ready()) return false;
  std::uint8_t* image = target.data;
  PassesSpare sets(make, maker, std::move(first));
  RunPass(sets, rows, [&](SeparablePasses& p, std::int32_t x0, std::int32_t x1) { p.Horizontal(original, image, x0, x1); });
  RunPass(sets, columns, [&](SeparablePasses& p, std::int32_t x0, std::int32_t x1) { p.Vertical(image, x0, x1); });
  columns.ForEachUndone([&](std::int32_t x0, std::int32_t x1) { CopyColumns(original, image, width, height, x0, x1); });
  return true;
}

bool CanBlur(ImageView source, ImageView target, ImageView map)
{
  return source.data && target.data && map.data && SameSize(target, source) && SameSize(target, map);
}

void CopyBlock(const std::uint8_t* image, std::int32_t width, std::int32_t height, std::int32_t x0, std::int32_t bytes,
               std::uint8_t* strip)
{
  for (std::int32_t y = 0; y < height; ++y)
    std::memcpy(strip + std::ptrdiff_t(y) * bytes, image + (std::ptrdiff_t(y) * width + x0) * 3, bytes);
}

}  // namespace filters
