// GaussImproved, GaussBlending and MedianLowPass: their weights; the passes are
// SeparableBlur's.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "EdgeIndex.h"
#include "FilterSum.h"
#include "SeparableBlur.h"

namespace filters {

namespace {

// Running sums of a box of this radius or more would overflow 32 bits.
constexpr std::int32_t kBoxRadiusLimit = 1 << 22;

// The Gaussian width term D of centre value c: 2 sigma^2 with sigma from c, in float.
float ImprovedWidth(std::int32_t c)
{
  float sigma = static_cast<float>(static_cast<double>(c + 1) * 0.0078125 * static_cast<double>(3.456f));
  return 2.0f * sigma * sigma;
}

// The blend's one Gaussian width term D: 2 sigma^2 with sigma 3.456 x radius, in float.
float BlendWidth(std::int32_t radius)
{
  float s = 3.456f * static_cast<float>(radius);
  return 2.0f * s * s;
}

// The offsets beyond which every centre value's weight is exactly 0 (the widest Gaussian,
// c = 255, underflows first at about 267), capped by radius.
std::int32_t ImprovedReach(std::int32_t radius)
{
  float widest = ImprovedWidth(255);
  std::int32_t reach = 0;
  while (reach < radius && GaussWeight(reach + 1, widest) != 0.0) ++reach;
  return reach;
}

// True when every window is wider than the reflected samples of the image's longer side:
// counting the samples then costs less than weighing every offset.
bool Outreaches(std::int32_t radius, ImageView image)
{
  return 2 * std::int64_t(radius) + 1 > ReflectedSpan(std::max(image.width, image.height));
}

void FillRow(double* row, std::int32_t radius, float d)
{
  for (std::int32_t k = -radius; k <= radius; ++k) row[k] = GaussWeight(k, d);
}

// A single sample of weight 1: the pixel itself.
void FillIdentity(double* row, std::int32_t radius)
{
  for (std::int32_t k = -radius; k <= radius; ++k) row[k] = k == 0 ? 1.0 : 0.0;
}

// Above this radius a blend whose windows outreach the image folds its weights: its
// results then may differ from the weights' sums in the order of the offsets in the last
// place of a quotient, which every radius up to it keeps.
constexpr std::int32_t kFoldedGaussRadius = 1 << 14;

constexpr double kGaussShare = 2.0; // each Gaussian pass takes half the progress range
constexpr double kMeanShare = 1.0;  // each pass of the mean runs the progress from 0 to 1

}  // namespace

bool GaussImproved(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                   const Context& context)
{
  const std::int32_t radius = parameters.radius;
  BlurKernel kernel;
  if (!kernel.Init(ImprovedReach(radius), true)) return false;
  FillIdentity(kernel.Row(0), kernel.GetRadius());
  for (std::int32_t c = 1; c < 256; ++c) FillRow(kernel.Row(c), kernel.GetRadius(), ImprovedWidth(c));
  kernel.Finish();
  return RunWeightedBlur(kernel, source, target, map, parameters.depthTest, context, kGaussShare);
}

bool GaussBlending(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                   const Context& context)
{
  const std::int32_t radius = parameters.radius;
  if (radius > kFoldedGaussRadius && Outreaches(radius, target))
    return RunFoldedGaussian(radius, BlendWidth(radius), source, target, map, parameters.depthTest, context,
                             kGaussShare);
  BlurKernel kernel;
  if (!kernel.Init(std::max(radius, 0), false)) return false;
  if (radius > 0) {
    FillRow(kernel.Row(0), radius, BlendWidth(radius));
  } else {
    FillIdentity(kernel.Row(0), 0);
  }
  kernel.Finish();
  return RunWeightedBlur(kernel, source, target, map, parameters.depthTest, context, kGaussShare);
}

bool MedianLowPass(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                   const Context& context)
{
  const std::int32_t radius = std::max(parameters.radius, 0);
  const bool depthTest = parameters.depthTest;
  if (!depthTest && radius < kBoxRadiusLimit) return RunBoxBlur(radius, source, target, map, context);
  if (Outreaches(radius, target) || MeanOutgrowsFilterSum(radius))
    return RunCountedMean(radius, source, target, map, depthTest, context);
  BlurKernel kernel;
  if (!kernel.Init(radius, false)) return false;
  for (std::int32_t k = -radius; k <= radius; ++k) kernel.Row(0)[k] = 1.0;
  kernel.Finish();
  return RunWeightedBlur(kernel, source, target, map, depthTest, context, kMeanShare);
}

}  // namespace filters
