#include "FrameList.h"

#include <string>

#include "app/core/Error.h"

namespace lensara {

namespace {

int64_t RangeSize(const FrameRange& r) { return (int64_t{r.last} - r.first) / r.step + 1; }

// floor(count * part / parts) without overflow: count may be any int64_t, parts an int32_t.
int64_t PartStart(int64_t count, int32_t part, int32_t parts)
{
  return count / parts * part + count % parts * part / parts;
}

}  // namespace

FrameList::FrameList(std::vector<FrameRange> frameRanges, const std::optional<FrameChunk>& chunk)
    : ranges(std::move(frameRanges))
{
  for (const FrameRange& r : ranges) {
    if (r.first > r.last)
      throw UsageError("frames " + std::to_string(r.first) + "-" + std::to_string(r.last) +
                       ": the first frame comes after the last");
    end += RangeSize(r);
  }
  if (!chunk) return;
  int64_t count = end;
  begin = PartStart(count, chunk->index, chunk->count);
  end = PartStart(count, chunk->index + 1, chunk->count);
}

int32_t FrameList::operator[](int64_t i) const
{
  int64_t position = begin + i;
  for (const FrameRange& r : ranges) {
    if (position < RangeSize(r)) return static_cast<int32_t>(r.first + position * r.step);
    position -= RangeSize(r);
  }
  return ranges.back().last;  // not reached for i < Size()
}

}  // namespace lensara
