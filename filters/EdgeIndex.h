// Sample positions outside a line of n samples: position i < 0 reads -i, i > n - 1 reads
// 2n - 1 - i (one step before the start reads 1, one step past the end reads n - 1). A
// position still outside after that, possible only when the window is not smaller than
// the line, is clamped to the nearest end.
#pragma once

#include <algorithm>
#include <cstdint>

namespace filters {


inline std::int32_t EdgeIndex(std::int64_t i, std::int32_t n)
{
  if (i < 0) i = -i;
  if (i > n - 1) i = 2 * std::int64_t(n) - 1 - i;
  if (i < 0) return 0;
  return i > n - 1 ? n - 1 : static_cast<std::int32_t>(i);
}

// The longest stretch of positions that all reflect into a line of n samples.
inline std::int64_t ReflectedSpan(std::int32_t n) { return 4 * std::int64_t(n) - 1; }

// Calls read(i, times) for the samples that positions lo .. hi - 1 of a line of n samples
// read: once per position that reflects into the line, and once with the count of all
// positions further out, which read sample 0. The calls are as many as the line's reach
// allows, however wide the range.
template <class Read>
void ForEachReadSample(std::int64_t lo, std::int64_t hi, std::int32_t n, Read read)
{
  std::int64_t reach = 2 * std::int64_t(n) - 1;
  std::int64_t first = std::max(lo, -reach), last = std::max(std::min(hi, reach + 1), first);
  for (std::int64_t p = first; p < last; ++p) read(EdgeIndex(p, n), std::int64_t(1));
  if (hi - lo > last - first) read(std::int32_t(0), hi - lo - (last - first));
}

}  // namespace filters
