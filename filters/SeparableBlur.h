// The blurs behind GaussImproved, GaussBlending and MedianLowPass: two
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
#include <cstdint>

#include "BlurKernel.h"
#include "Filters.h"

namespace filters {

// The Gaussian weight exp(-k^2 / d) of offset k.
inline double GaussWeight(std::int64_t k, double d) { return std::exp(-static_cast<double>(k * k) / d); }

// The Gaussian weights exp(-k^2 / d) of offsets a .. radius summed (0 when a > radius):
// one by one when they are few, else in closed form, as close as the sum's own rounding.
double GaussTail(std::int64_t a, std::int32_t radius, double d);

// Blurs source into target by the kernel's weights; a neighbour counts only if centre
// value <= neighbour value + 5 when depthTest is set; the progress as RunPasses shows it.
// False when an image has no storage, the sizes differ or memory is short.
bool RunWeightedBlur(const BlurKernel& kernel, ImageView source, ImageView target, ImageView map,
                     bool depthTest, const Context& context, double passShare);

// The plain mean of the 2 x radius + 1 samples of every window (no depth test), with
// running integer sums; the progress value runs from 0 to 1 in each pass. Results as
// RunWeightedBlur with all weights 1; radius must be below 2^22.
bool RunBoxBlur(std::int32_t radius, ImageView source, ImageView target, ImageView map, const Context& context);

// The plain mean of the samples of every window that pass the depth test (all of them
// when depthTest is not set), for any radius: each pixel visits at most the samples its
// lines can reach and counts the rest. Results as RunWeightedBlur with all weights 1.
bool RunCountedMean(std::int32_t radius, ImageView source, ImageView target, ImageView map, bool depthTest,
                    const Context& context);

// The Gaussian exp(-k^2 / d) of offsets -radius .. radius shared by every centre value, for
// windows wider than the edge rule's reach: the weights of each window are summed per
// sample it reads, so that time and memory go with the image, not the radius. Results as
// RunWeightedBlur's up to the rounding of the sums, which are added in another order.
bool RunFoldedGaussian(std::int32_t radius, float d, ImageView source, ImageView target, ImageView map, bool depthTest,
                       const Context& context, double passShare);

}  // namespace filters
