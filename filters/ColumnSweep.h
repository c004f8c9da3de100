// The column loop every filter runs: before each column it asks the context's break test
// and sets the progress value. Work is handed out in blocks of columns so that a filter can
// process a block row by row; a stop before column x leaves column x and all later columns
// undone, exactly as a column-by-column loop would.
#pragma once

#include <algorithm>
#include <cstdint>

#include "Filters.h"

namespace filters {

// The progress value before column x of a sweep over width columns: offset + x / (share * width).
struct ColumnProgress {
  double offset;
  double share;
};

// True when the context's break test asks to stop.
inline bool StopAsked(const Context& context) { return context.stop && context.stop(context.user); }

// Asks the break test before column x and sets the progress value, unless progress is
// null; false when the caller wants to stop.
inline bool StartColumn(const Context& context, std::int32_t x, std::int32_t width, const ColumnProgress* progress)
{
  if (StopAsked(context)) return false;
  if (progress && context.progressValue)
    context.progressValue(context.user, progress->offset + x / (progress->share * width));
  return true;
}

// Calls work(x0, x1) for consecutive blocks of at most blockWidth columns of 0 .. width - 1.
// Returns the number of columns done: width, or the column before which the caller asked
// to stop.
template <class Work>
std::int32_t SweepColumns(const Context& context, std::int32_t width, std::int32_t blockWidth,
                          const ColumnProgress* progress, Work work)
{
  for (std::int32_t x0 = 0; x0 < width; x0 += blockWidth) {
    std::int32_t x1 = std::min(width - x0, blockWidth) + x0;
    std::int32_t x = x0;
    while (x < x1 && StartColumn(context, x, width, progress)) ++x;
    if (x > x0) work(x0, x);
    if (x < x1) return x;
  }
  return width;
}

}  // namespace filters
