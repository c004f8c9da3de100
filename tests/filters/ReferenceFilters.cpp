#include "ReferenceFilters.h"

#include <cmath>
#include <type_traits>

#include "filters/FilterSum.h"

namespace reference {

namespace {

// Reflected once at the ends, then clamped.
int Reflect(long i, int n)
{
  if (i < 0) i = -i;
  if (i > n - 1) i = 2L * n - 1 - i;
  if (i < 0) i = 0;
  if (i > n - 1) i = n - 1;
  return static_cast<int>(i);
}

double SampleWeight(Filter filter, int c, int k, int radius)
{
  if (filter == Filter::MedianLowPass) return 1.0;
  float d;
  if (filter == Filter::GaussImproved) {
    float sigma = static_cast<float>(static_cast<double>(c + 1) * 0.0078125 * static_cast<double>(3.456f));
    d = 2.0f * sigma * sigma;
  } else {
    if (radius <= 0) return 1.0;
    float s = 3.456f * static_cast<float>(radius);
    d = 2.0f * s * s;
  }
  return std::exp(-static_cast<double>(static_cast<long>(k) * k) / static_cast<double>(d));
}

// One pass over the columns before columns: along rows or columns, from in to out. Each
// addition to the colour sums and the weight sum is computed in double and stored as Sum.
template <class Sum>
void PassStoring(Filter filter, const Image& in, Image& out, const Image& map, int radius, bool depthTest,
                 bool alongRows, int columns)
{
  for (int x = 0; x < columns; ++x) {
    for (int y = 0; y < in.height; ++y) {
      int c = map.At(x, y)[0];
      if (filter == Filter::GaussImproved && c == 0) {
        for (int ch = 0; ch < 3; ++ch) out.At(x, y)[ch] = in.At(x, y)[ch];
        continue;
      }
      Sum sum[3] = {0, 0, 0}, weights = 0;
      for (int k = -radius; k <= radius; ++k) {
        int xs = alongRows ? Reflect(long(x) + k, in.width) : x;
        int ys = alongRows ? y : Reflect(long(y) + k, in.height);
        if (depthTest && c > map.At(xs, ys)[0] + 5) continue;
        double w = SampleWeight(filter, c, k, radius);
        weights = static_cast<Sum>(weights + w);
        for (int ch = 0; ch < 3; ++ch) sum[ch] = static_cast<Sum>(sum[ch] + w * in.At(xs, ys)[ch]);
      }
      for (int ch = 0; ch < 3; ++ch)
        out.At(x, y)[ch] = static_cast<uint8_t>(static_cast<int>(double{sum[ch]} / double{weights}));
    }
  }
}

// The macOS behaviour stores the Gaussians' sums in single precision. The mean's sums are
// whole numbers, exact in single precision up to 2^24 and kept exact beyond, where the
// count would stall.
void Pass(Filter filter, const Image& in, Image& out, const Image& map, int radius, bool depthTest, bool alongRows,
          int columns)
{
  if (std::is_same_v<filters::FilterSum, float> && filter != Filter::MedianLowPass)
    PassStoring<float>(filter, in, out, map, radius, depthTest, alongRows, columns);
  else
    PassStoring<double>(filter, in, out, map, radius, depthTest, alongRows, columns);
}

}  // namespace

Image Blur(Filter filter, const Image& source, const Image& map, int radius, bool depthTest)
{
  return Blur(filter, source, source, map, radius, depthTest, source.width, source.width);
}

Image Blur(Filter filter, const Image& source, const Image& target, const Image& map, int radius, bool depthTest,
           int firstColumns, int secondColumns)
{
  if (radius < 0) radius = 0;
  Image work = source;
  Image out = target;
  Pass(filter, work, out, map, radius, depthTest, true, firstColumns);
  Pass(filter, out, work, map, radius, depthTest, false, secondColumns);
  return work;
}

Image Drive(Filter filter, const Image& source, const Image& target, const Image& map, int radius, int passes,
            bool depthTest, bool blend)
{
  Image output = target;
  Image input = source;
  for (int p = 1; p <= passes; ++p) {
    output = Blur(filter, input, map, radius, depthTest);
    input = output;
  }
  if (!blend) return output;
  Image result = target;
  for (int x = 0; x < target.width; ++x)
    for (int y = 0; y < target.height; ++y) {
      const uint8_t* m = map.At(x, y);
      double f = (static_cast<double>(m[0] + m[1] + m[2]) / 3.0) / 255.0;
      for (int ch = 0; ch < 3; ++ch)
        result.At(x, y)[ch] =
            static_cast<uint8_t>(static_cast<int>(output.At(x, y)[ch] * f + source.At(x, y)[ch] * (1.0 - f)));
    }
  return result;
}

Image Dilate(const Image& source, int passes, int radius)
{
  Image in = source;
  for (int p = 0; p < passes; ++p) {
    Image out = in;
    for (int x = 0; x < in.width; ++x)
      for (int y = 0; y < in.height; ++y) {
        uint8_t m = in.At(x, y)[0];
        for (int dx = -radius; dx <= radius; ++dx)
          for (int dy = -radius; dy <= radius; ++dy) {
            uint8_t v = in.At(Reflect(long(x) + dx, in.width), Reflect(long(y) + dy, in.height))[0];
            if (v > m) m = v;
          }
        out.At(x, y)[0] = out.At(x, y)[1] = out.At(x, y)[2] = m;
      }
    in = out;
  }
  return in;
}

}  // namespace reference
