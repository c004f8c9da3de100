// The machinery behind Dof::GaussImproved, Dof::GaussBlending and Dof::MedianLowPass: two
// one-dimensional passes, along the rows from the source into the target and along the
// columns of the target in place. The results, also after a stop, are those of passes
// from a working copy of the source into the target and back into the copy, which then
// replaces the target; the copy itself is only made when the source is the target.
//
// Every result is bit-identical to the plain loops: per pixel the colour sums and the
// weight sum are added in double in the order of the offsets, from -radius to +radius,
// each stored as a FilterSum after every addition, and each result is the quotient
// truncated. Samples of weight exactly 0 are skipped (adding
// 0 changes no sum); without the depth test a pixel's weight sum is its centre value's,
// computed once; the quotient is taken as a product with the rounded inverse weight sum
// wherever no integer lies within that product's error, and divided elsewhere. Byte sums
// are exact integers in any order, so the box mean keeps them as running integer sums.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "plugins/dof/FastBitmap.h"

// The Gaussian weight exp(-k^2 / d) of offset k.
inline double GaussWeight(std::int64_t k, double d) { return std::exp(-static_cast<double>(k * k) / d); }

// The Gaussian weights exp(-k^2 / d) of offsets a .. radius summed (0 when a > radius):
// one by one when they are few, else in closed form, as close as the sum's own rounding.
double GaussTail(std::int64_t a, Int32 radius, double d);

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
  Bool Init(Int32 radius, Bool perCentre);
  Int32 GetRadius() const { return radius; }
  Bool PerCentre() const { return perCentre; }
  // The weights of centre value c, indexed by the offset (-radius .. +radius).
  double* Row(Int32 c) { return rows[c] + radius; }
  const double* Row(Int32 c) const { return rows[c] + radius; }
  // Derives the tables below from the rows. Call after the rows are filled.
  void Finish();
  // The largest offset with a non-zero weight for centre value c or any smaller one, so
  // that the largest centre value of a group of pixels gives the group's extent.
  Int32 Extent(Int32 c) const { return extents[c]; }
  // Centre value c's 1 / weight sum (rounded) followed by its weights of offsets 1 ..
  // radius (offset 0 weighs 1), then zeros up to SlotCount(): what the lanes of a vector
  // load at once.
  const double* Slots(Int32 c) const { return slots + (perCentre ? std::ptrdiff_t(c) * slotCount : 0); }
  Int32 SlotCount() const { return slotCount; }
  // The sum of centre value c's weights, added in the order of the offsets: the weight
  // sum of every pixel when all samples count.
  double WeightSum(Int32 c) const { return weightSums[c]; }

private:
  double* storage = nullptr;
  double* slots = nullptr;
  double* rows[256] = {};
  Int32 extents[256] = {};
  double weightSums[256] = {};
  Int32 radius = 0;
  Int32 slotCount = 0;
  Bool perCentre = false;
};

// Blurs source into target by the kernel's weights; a neighbour counts only if centre
// value <= neighbour value + 5 when depthTest is set. The progress value runs from 0 to
// 1 / passShare over the first pass and from 1 - 1 / passShare onwards in the second.
// False when a buffer has no storage, the sizes differ or memory is short.
Bool RunWeightedBlur(const BlurKernel& kernel, FastBitmap* source, FastBitmap* target, FastBitmap* map,
                     Bool depthTest, VideoPostStruct* vps, Float passShare);

// The plain mean of the 2 x radius + 1 samples of every window (no depth test), with
// running integer sums; the progress value runs from 0 to 1 in each pass. Results as
// RunWeightedBlur with all weights 1; radius must be below 2^22.
Bool RunBoxBlur(Int32 radius, FastBitmap* source, FastBitmap* target, FastBitmap* map, VideoPostStruct* vps);

// The plain mean of the samples of every window that pass the depth test (all of them
// when depthTest is not set), for any radius: each pixel visits at most the samples its
// lines can reach and counts the rest. Results as RunWeightedBlur with all weights 1.
Bool RunCountedMean(Int32 radius, FastBitmap* source, FastBitmap* target, FastBitmap* map, Bool depthTest,
                    VideoPostStruct* vps);

// The Gaussian exp(-k^2 / d) of offsets -radius .. radius shared by every centre value, for
// windows wider than the edge rule's reach: the weights of each window are summed per
// sample it reads, so that time and memory go with the image, not the radius. Results as
// RunWeightedBlur's up to the rounding of the sums, which are added in another order.
Bool RunFoldedGaussian(Int32 radius, float d, FastBitmap* source, FastBitmap* target, FastBitmap* map, Bool depthTest,
                       VideoPostStruct* vps, Float passShare);
