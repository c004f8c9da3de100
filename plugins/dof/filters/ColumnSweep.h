// The column loop every filter runs: before each column it asks the render call's break
// test and sets the progress value. Work is handed out in blocks of columns so that a
// filter can process a block row by row; a stop before column x leaves column x and all
// later columns undone, exactly as a column-by-column loop would.
#pragma once

#include <algorithm>

#include "host/c4d.h"

// The progress value before column x of a sweep over width columns: offset + x / (share * width).
struct ColumnProgress {
  Float offset;
  Float share;
};

// Asks the break test before column x and sets the progress value, unless progress is
// null; false when the host wants to stop.
inline Bool StartColumn(VideoPostStruct* vps, Int32 x, Int32 width, const ColumnProgress* progress)
{
  if (TestBreak(vps)) return false;
  if (progress && vps && vps->progress) vps->progress->SetValue(progress->offset + x / (progress->share * width));
  return true;
}

// Calls work(x0, x1) for consecutive blocks of at most blockWidth columns of 0 .. width - 1.
// Returns the number of columns done: width, or the column before which the host asked
// to stop.
template <class Work>
Int32 SweepColumns(VideoPostStruct* vps, Int32 width, Int32 blockWidth, const ColumnProgress* progress, Work work)
{
  for (Int32 x0 = 0; x0 < width; x0 += blockWidth) {
    Int32 x1 = std::min(width - x0, blockWidth) + x0;
    Int32 x = x0;
    while (x < x1 && StartColumn(vps, x, width, progress)) ++x;
    if (x > x0) work(x0, x);
    if (x < x1) return x;
  }
  return width;
}
