// The weights of the weighted blurs, laid out for their vector loads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace filters {

// Pixels computed together, one per lane of a vector of doubles.
constexpr int kLanes = 4;
// Slots (inverse and weights) that short kernels keep in registers; every centre value's
// slots come in a whole multiple of them.
constexpr int kFewSlots = 2 * kLanes;

// The weights of a separable blur for every centre value (byte 0 of the map at the pixel
// being computed) and offset k = -radius .. +radius. The weights must be symmetric
// (offsets k and -k weigh the same), as every Gaussian and the mean are, and offset 0
// must weigh 1.
class BlurKernel {
public:
  BlurKernel() = default;
  ~BlurKernel();
  BlurKernel(const BlurKernel&) = delete;
  BlurKernel& operator=(const BlurKernel&) = delete;

  // Room for the weights: one row per centre value when perCentre is set, else one row
  // that all centre values share. False when memory is short.
  bool Init(std::int32_t radius, bool perCentre);
  std::int32_t GetRadius() const { return radius; }
  bool PerCentre() const { return perCentre; }
  // The weights of centre value c, indexed by the offset (-radius .. +radius).
  double* Row(std::int32_t c) { return rows[c] + radius; }
  const double* Row(std::int32_t c) const { return rows[c] + radius; }
  // Derives the tables below from the rows. Call after the rows are filled.
  void Finish();
  // The largest offset with a non-zero weight for centre value c or any smaller one, so
  // that the largest centre value of a group of pixels gives the group's extent.
  std::int32_t Extent(std::int32_t c) const { return extents[c]; }
  // Centre value c's 1 / weight sum (rounded) followed by its weights of offsets 1 ..
  // radius (offset 0 weighs 1), then zeros up to SlotCount(): what the lanes of a vector
  // load at once.
  const double* Slots(std::int32_t c) const { return slots + (perCentre ? std::ptrdiff_t(c) * slotCount : 0); }
  std::int32_t SlotCount() const { return slotCount; }
  // The sum of centre value c's weights, added in the order of the offsets: the weight
  // sum of every pixel when all samples count.
  double WeightSum(std::int32_t c) const { return weightSums[c]; }
  // The centre values TinyFrom() .. TinyTo() (none when TinyFrom() > TinyTo()) take in
  // every one with a weight that is negative, not a number, above 2^40, or not 0 and
  // below kLeastSingleRounded (FilterSum.h), and all of them for radii of 2^22 or more.
  // Outside them, every sum of weights times samples (whole numbers 0 .. 255) is 0 or
  // lies in kLeastSingleRounded .. kMostSingleRounded, where SingleRounded rounds it.
  std::int32_t TinyFrom() const { return tinyFrom; }
  std::int32_t TinyTo() const { return tinyTo; }

private:
  void FindTinyWeights();
  bool HasTinyWeights(std::int32_t c) const;

  double* storage = nullptr;
  double* slots = nullptr;
  double* rows[256] = {};
  std::int32_t extents[256] = {};
  double weightSums[256] = {};
  std::int32_t tinyFrom = 256;
  std::int32_t tinyTo = -1;
  std::int32_t radius = 0;
  std::int32_t slotCount = 0;
  bool perCentre = false;
};

}  // namespace filters
