// The frames a render goes through: frame ranges in order, or one part of them.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace lensara {

struct FrameRange {
  int32_t first = 0;
  int32_t last = 0;
  int32_t step = 1;  // every step-th frame from first
};

// The index-th (from 0) of count near-equal contiguous parts of a list of frames.
struct FrameChunk {
  int32_t index = 0;
  int32_t count = 1;
};

// The frames the ranges select, in their order, or the chunk of them: the parts' sizes
// differ by at most one and the parts in order make the whole list.
// No frame is listed ahead, so that ranges of any length take no memory.
class FrameList {
public:
  // Throws UsageError when a range's first frame comes after its last.
  FrameList(std::vector<FrameRange> ranges, const std::optional<FrameChunk>& chunk = std::nullopt);

  int64_t Size() const { return end - begin; }

  // The i-th frame of the list (0 <= i < Size()).
  int32_t operator[](int64_t i) const;

private:
  std::vector<FrameRange> ranges;
  int64_t begin = 0, end = 0;  // positions in the frames of all ranges
};

}  // namespace lensara
