// Dof::Dilate: the window maximum of a grey map, repeated.
#include <algorithm>
#include <utility>

#include "ColumnSweep.h"
#include "EdgeIndex.h"
#include "plugins/dof/Dof.h"
#include "plugins/dof/FastBitmap.h"

namespace {

// The radius beyond which a window along a line of n samples reaches no further sample: at
// n - 1 every window already covers the whole line, and positions beyond it only read
// samples of the line again. The maximum over the window is the same for both radii.
Int32 ReachableRadius(Int32 radius, Int32 n) { return std::min(radius, std::max(n - 1, 0)); }

// One pass over columns x0 .. x1 - 1. The square's maximum is the maximum over its rows of
// each row's maximum, so every column first takes the row maxima (rowMax, one per row).
void DilateColumns(const UChar* in, UChar* out, Int32 width, Int32 height, Int32 radius, UChar* rowMax, Int32 x0,
                   Int32 x1)
{
  const Int32 across = ReachableRadius(radius, width), down = ReachableRadius(radius, height);
  for (Int32 x = x0; x < x1; ++x) {
    for (Int32 y = 0; y < height; ++y) {
      const UChar* row = in + std::ptrdiff_t(y) * width * 3;
      UChar m = row[x * 3];
      for (Int32 dx = -across; dx <= across; ++dx) m = std::max(m, row[EdgeIndex(std::int64_t(x) + dx, width) * 3]);
      rowMax[y] = m;
    }
    for (Int32 y = 0; y < height; ++y) {
      UChar m = rowMax[y];
      for (Int32 dy = -down; dy <= down; ++dy) m = std::max(m, rowMax[EdgeIndex(std::int64_t(y) + dy, height)]);
      UChar* o = out + (std::ptrdiff_t(y) * width + x) * 3;
      o[0] = o[1] = o[2] = m;
    }
  }
}

}  // namespace

Bool Dof::Dilate(FastBitmap* source, FastBitmap* target, UInt32 passes, Int32 radius, VideoPostStruct* vps)
{
  FastBitmap work(source);
  if (!work.GetData() || !target || !target->GetData() || !target->SameSize(source)) return false;
  Int32 width = target->GetWidth();
  Int32 height = target->GetHeight();
  UChar* rowMax = static_cast<UChar*>(MemAlloc(std::max(height, 1)));
  if (!rowMax) return false;
  radius = std::max(radius, 0);
  const ColumnProgress progress{0.0, 1.0};
  UChar* in = work.GetData();
  UChar* out = target->GetData();
  for (UInt32 pass = 0; pass < passes; ++pass) {
    SweepColumns(vps, width, 1, &progress,
                 [&](Int32 x0, Int32 x1) { DilateColumns(in, out, width, height, radius, rowMax, x0, x1); });
    std::swap(in, out);
  }
  if (passes > 0 && passes % 2 == 0) work.CopyTo(target);
  MemFree(rowMax);
  return true;
}
