// Sample positions outside a line of n samples: position i < 0 reads -i, i > n - 1 reads
// 2n - 1 - i (one step before the start reads 1, one step past the end reads n - 1). A
// position still outside after that, possible only when the window is not smaller than
// the line, is clamped to the nearest end.
#pragma once

#include <cstdint>

#include "host/Types.h"

inline Int32 EdgeIndex(std::int64_t i, Int32 n)
{
  if (i < 0) i = -i;
  if (i > n - 1) i = 2 * std::int64_t(n) - 1 - i;
  if (i < 0) return 0;
  return i > n - 1 ? n - 1 : static_cast<Int32>(i);
}
