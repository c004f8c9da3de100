#include "BlurKernel.h"

#include <algorithm>
#include <new>

#include "FilterSum.h"

namespace filters {

BlurKernel::~BlurKernel() { ::operator delete(storage); }

bool BlurKernel::Init(std::int32_t r, bool centres)
{
  std::int64_t span = 2 * std::int64_t(r) + 1;
  std::int64_t slotSpan = (std::int64_t(r) + 1 + kFewSlots - 1) / kFewSlots * kFewSlots;
  std::int64_t count = (centres ? 256 : 1) * (span + slotSpan);
  storage = static_cast<double*>(::operator new(static_cast<std::size_t>(count) * sizeof(double), std::nothrow));
  if (!storage) return false;
  radius = r;
  perCentre = centres;
  slotCount = static_cast<std::int32_t>(slotSpan);
  slots = storage + (centres ? 256 : 1) * span;
  for (std::int32_t c = 0; c < 256; ++c) rows[c] = storage + (centres ? c * span : 0);
  return true;
}

void BlurKernel::Finish()
{
  std::int32_t widest = 0;
  for (std::int32_t c = 0; c < 256; ++c) {
    const double* row = Row(c);
    std::int32_t extent = radius;
    while (extent > widest && row[extent] == 0.0 && row[-extent] == 0.0) --extent;
    extents[c] = widest = extent;
    double sum = 0.0;
    for (std::int32_t k = -radius; k <= radius; ++k) sum = StoredSum(sum + row[k]);
    weightSums[c] = sum;
  }
  FindTinyWeights();
  for (std::int32_t c = 0; c < (perCentre ? 256 : 1); ++c) {
    double* slot = slots + c * slotCount;
    slot[0] = 1.0 / weightSums[c];
    for (std::int32_t s = 1; s < slotCount; ++s) slot[s] = s <= radius ? Row(c)[s] : 0.0;
  }
}

void BlurKernel::FindTinyWeights()
{
  for (std::int32_t c = 0; c < (perCentre ? 256 : 1); ++c)
    if (HasTinyWeights(c)) {
      tinyFrom = std::min(tinyFrom, c);
      tinyTo = perCentre ? c : 255;
    }
}

bool BlurKernel::HasTinyWeights(std::int32_t c) const
{
  if (radius >= (1 << 22)) return true;
  const double* row = Row(c);
  for (std::int32_t k = -radius; k <= radius; ++k)
    if (row[k] != 0.0 && !(row[k] >= kLeastSingleRounded && row[k] <= 0x1p40)) return true;
  return false;
}

}  // namespace filters
