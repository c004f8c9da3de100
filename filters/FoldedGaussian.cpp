#include <algorithm>
#include <cmath>
#include <cstdint>

#include "EdgeIndex.h"
#include "LinePasses.h"
#include "SeparableBlur.h"

namespace filters {

namespace {

// Within the edge rule's reach each position of a window reads one sample of the line, and
// beyond it every position reads sample 0: the weights of a window can be summed per
// sample read (folded), so that a pixel costs the length of its line, whatever the radius.
// The sums are added in another order than the offsets', so a quotient may differ from
// the weighted passes' in its last place.

// Tails of up to this many weights are added one by one.
constexpr std::int64_t kDirectTail = 1 << 16;

}  // namespace

// Past kDirectTail weights the Euler-Maclaurin formula over the error function, whose next
// term (with the third derivative, about 1 / radius^3 here) is far below the sum's own
// rounding.
double GaussTail(std::int64_t a, std::int32_t radius, double d)
{
  if (a > radius) return 0.0;
  double sum = 0.0;
  if (radius - a < kDirectTail) {
    for (std::int64_t k = radius; k >= a; --k) sum += GaussWeight(k, d);
    return sum;
  }
  double root = std::sqrt(d), r = radius, fa = GaussWeight(a, d), fr = GaussWeight(radius, d);
  double integral = 0.5 * std::sqrt(M_PI) * root * (std::erf(r / root) - std::erf(static_cast<double>(a) / root));
  double slopes = -2.0 * (r * fr - static_cast<double>(a) * fa) / d;
  return integral + 0.5 * (fa + fr) + slopes / 12.0;
}

namespace {

// The Gaussian mean of a window folded onto the samples of its line.
class FoldedGaussian {
public:
  FoldedGaussian(std::int32_t radius, double d, std::int32_t width, std::int32_t height)
      : radius(radius), d(d), rowTails(3 * std::int64_t(width)), columnTails(3 * std::int64_t(height)),
        weights(std::max(width, height))
  {
    if (Ready()) {
      FillTails(width, rowTails.Get());
      FillTails(height, columnTails.Get());
    }
  }

  bool Ready() const { return rowTails.Get() && columnTails.Get() && weights.Get(); }

  // weights[i]: the weights of the positions of the window at position that read sample i.
  void Start(std::int32_t position, std::int32_t n, bool vertical)
  {
    const double* tails = (vertical ? columnTails : rowTails).Get();
    double* w = weights.Get();
    std::fill(w, w + n, 0.0);
    std::int64_t reach = 2 * std::int64_t(n) - 1;
    std::int64_t lo = std::max(std::int64_t(position) - radius, -reach);
    std::int64_t hi = std::min(std::int64_t(position) + radius, reach);
    for (std::int64_t p = lo; p <= hi; ++p) w[EdgeIndex(p, n)] += GaussWeight(p - position, d);
    // The offsets past either end of the reach, the left ones by symmetry.
    w[0] += tails[reach + 1 - position] + tails[reach + 1 + position];
  }

  void Pixel(const std::uint8_t* line, std::ptrdiff_t step, const std::uint8_t* mapLine, std::ptrdiff_t mapStep,
             std::int32_t n, std::int32_t, std::int32_t centre, bool depthTest, std::uint8_t* out) const
  {
    const double* w = weights.Get();
    double sums[3] = {0.0, 0.0, 0.0}, weightSum = 0.0;
    for (std::int32_t i = 0; i < n; ++i) {
      if (w[i] == 0.0 || (depthTest && centre > mapLine[i * mapStep] + 5)) continue;
      weightSum += w[i];
      for (int c = 0; c < 3; ++c) sums[c] += w[i] * line[i * step + c];
    }
    for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>(static_cast<std::int32_t>(sums[c] / weightSum));
  }

private:
  // tails[a]: the weights of offsets a .. radius summed, for a from n + 1 to 3n - 1.
  void FillTails(std::int32_t n, double* tails) const
  {
    std::int64_t last = 3 * std::int64_t(n) - 1;
    tails[last] = GaussTail(last, radius, d);
    for (std::int64_t a = last - 1; a > n; --a) tails[a] = tails[a + 1] + (a <= radius ? GaussWeight(a, d) : 0.0);
  }

  std::int32_t radius;
  double d;
  Scratch<double> rowTails, columnTails;
  Scratch<double> weights;
};

}  // namespace

bool RunFoldedGaussian(std::int32_t radius, float d, ImageView source, ImageView target, ImageView map, bool depthTest,
                       const Context& context, double passShare)
{
  if (!CanBlur(source, target, map)) return false;
  return RunPassesOf<LinePasses<FoldedGaussian>>(source, target, context, passShare, map, depthTest, radius,
                                                 static_cast<double>(d), map.width, map.height);
}

}  // namespace filters
