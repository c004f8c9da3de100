#include "SeparableBlur.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ColumnSweep.h"
#include "EdgeIndex.h"
#include "InstructionSets.h"

namespace {

// Red, green, blue and 1: a sample and its contribution to the weight sum, so that one
// vector operation adds w x (r, g, b) to the colour sums and w to the weight sum. The
// host's allocator promises no more than the alignment of a double.
typedef double Vec4 __attribute__((vector_size(32), aligned(8)));

// Columns per block. A pass asks the break test for every column of a block and then
// works through the block row by row: the weighted sums along the rows (kRowBlock) and
// along the columns (kColumnBlock, below), the box mean along the rows and the columns.
constexpr Int32 kRowBlock = 64;
constexpr Int32 kBoxRowBlock = 256;
constexpr Int32 kBoxColumnBlock = 128;

// The two passes over one image; each blurs the columns x0 .. x1 - 1 of the pass.
class SeparablePasses {
public:
  virtual ~SeparablePasses() = default;
  virtual void Horizontal(const UChar* in, UChar* out, Int32 x0, Int32 x1) = 0;
  virtual void Vertical(const UChar* in, UChar* out, Int32 x0, Int32 x1) = 0;
  virtual Int32 HorizontalBlock() const = 0;
  virtual Int32 VerticalBlock() const = 0;
};

Bool SizesMatch(FastBitmap* source, FastBitmap* target, FastBitmap* map)
{
  return target->SameSize(source) && target->SameSize(map);
}

// Both passes with their break tests and progress; the working copy replaces the target.
void RunPasses(SeparablePasses& passes, FastBitmap* work, FastBitmap* target, VideoPostStruct* vps, Float passShare)
{
  Int32 width = target->GetWidth();
  UChar* t = work->GetData();
  UChar* d = target->GetData();
  ColumnProgress first{0.0, passShare};
  ColumnProgress second{1.0 - 1.0 / passShare, passShare};
  SweepColumns(vps, width, passes.HorizontalBlock(), &first,
               [&](Int32 x0, Int32 x1) { passes.Horizontal(t, d, x0, x1); });
  SweepColumns(vps, width, passes.VerticalBlock(), &second,
               [&](Int32 x0, Int32 x1) { passes.Vertical(d, t, x0, x1); });
  work->CopyTo(target);
}

// A block of the host's memory, released with the holder.
template <class T>
class Scratch {
public:
  explicit Scratch(std::int64_t count)
      : data(static_cast<T*>(MemAlloc(static_cast<std::size_t>(std::max<std::int64_t>(count, 1)) * sizeof(T))))
  {
  }
  ~Scratch() { MemFree(data); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  T* Get() const { return data; }

private:
  T* data;
};

// --- weighted sums

// The vertical weighted pass converts a block of columns once and then works row by row.
constexpr Int32 kColumnBlock = 8;

template <Bool DepthTest>
LENSARA_INLINE double Weight(double weight, Int32 centre, Int32 neighbour)
{
  return !DepthTest || centre <= neighbour + 5 ? weight : 0.0;
}

LENSARA_INLINE void StoreQuotient(Vec4 sum, UChar* out)
{
  Vec4 quotient = sum / sum[3];
  for (int c = 0; c < 3; ++c) out[c] = static_cast<UChar>(static_cast<Int32>(quotient[c]));
}

typedef UChar Bytes4 __attribute__((vector_size(4)));

LENSARA_INLINE void Convert(const UChar* pixel, const UChar* mapPixel, Vec4* sample, Int32* neighbour)
{
  Bytes4 bytes = {pixel[0], pixel[1], pixel[2], 1};
  *sample = __builtin_convertvector(bytes, Vec4);
  *neighbour = mapPixel[0];
}

// count adjacent pixels. All but the last are read 4 bytes at a time (the fourth belongs
// to the next pixel and is replaced by 1), which compiles to one widening conversion.
LENSARA_INLINE void ConvertRun(const UChar* pixels, const UChar* mapPixels, Int32 count, Vec4* samples, Int32* neighbours)
{
  for (Int32 j = 0; j + 1 < count; ++j) {
    Bytes4 bytes;
    std::memcpy(&bytes, pixels + j * 3, 4);
    bytes[3] = 1;
    samples[j] = __builtin_convertvector(bytes, Vec4);
    neighbours[j] = mapPixels[j * 3];
  }
  if (count > 0) Convert(pixels + (count - 1) * 3, mapPixels + (count - 1) * 3, samples + count - 1, neighbours + count - 1);
}

// N adjacent pixels at once, with independent sums (enough of them to hide the latency of
// the additions). samples and neighbours point at the
// first pixel's centre; the sample at offset k lies k x kStride further.
template <Bool DepthTest, int N>
LENSARA_INLINE void BlurPixels(const BlurKernel& kernel, const Vec4* samples, const Int32* neighbours,
                               std::ptrdiff_t kStride, UChar* out)
{
  const double* weights[N];
  Int32 centre[N];
  Int32 extent = 0;
#pragma GCC unroll 8
  for (int i = 0; i < N; ++i) {
    centre[i] = neighbours[i];
    weights[i] = kernel.Row(centre[i]);
    extent = std::max(extent, kernel.Extent(centre[i]));
  }
  Vec4 sum[N] = {};
  const Vec4* s = samples - extent * kStride;
  const Int32* m = neighbours - extent * kStride;
  for (Int32 k = -extent; k <= extent; ++k, s += kStride, m += kStride) {
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) sum[i] += Weight<DepthTest>(weights[i][k], centre[i], m[i]) * s[i];
  }
#pragma GCC unroll 8
  for (int i = 0; i < N; ++i) StoreQuotient(sum[i], out + i * 3);
}

template <Bool DepthTest>
LENSARA_INLINE void BlurPixelRun(const BlurKernel& kernel, const Vec4* samples, const Int32* neighbours,
                                 std::ptrdiff_t kStride, Int32 count, UChar* out)
{
  Int32 p = 0;
  for (; p + 8 <= count; p += 8) BlurPixels<DepthTest, 8>(kernel, samples + p, neighbours + p, kStride, out + p * 3);
  for (; p + 4 <= count; p += 4) BlurPixels<DepthTest, 4>(kernel, samples + p, neighbours + p, kStride, out + p * 3);
  for (; p < count; ++p) BlurPixels<DepthTest, 1>(kernel, samples + p, neighbours + p, kStride, out + p * 3);
}

// Blurs count adjacent pixels into out (3 bytes each); samples and neighbours point at the
// first pixel's centre.
LENSARA_CLONES void BlurPixelsInto(const BlurKernel& kernel, const Vec4* samples, const Int32* neighbours,
                                   std::ptrdiff_t kStride, Bool depthTest, Int32 count, UChar* out)
{
  if (depthTest)
    BlurPixelRun<true>(kernel, samples, neighbours, kStride, count, out);
  else
    BlurPixelRun<false>(kernel, samples, neighbours, kStride, count, out);
}

// Pixels from .. from + count - 1 of a row of width pixels, reflected at its ends.
LENSARA_CLONES void ConvertRow(const UChar* row, const UChar* mapRow, Int32 width, std::int64_t from, Int32 count,
                               Vec4* samples, Int32* neighbours)
{
  std::int64_t inside = std::clamp<std::int64_t>(-from, 0, count);
  std::int64_t end = std::clamp<std::int64_t>(width - from, inside, count);
  for (Int32 j = 0; j < count; ++j) {
    if (j == inside) {
      ConvertRun(row + (from + j) * 3, mapRow + (from + j) * 3, static_cast<Int32>(end - inside), samples + j,
                 neighbours + j);
      j = static_cast<Int32>(end);
      if (j == count) break;
    }
    std::ptrdiff_t at = EdgeIndex(from + j, width) * 3;
    Convert(row + at, mapRow + at, samples + j, neighbours + j);
  }
}

// Columns x0 .. x0 + lanes - 1 of rows -radius .. height - 1 + radius, reflected at the
// top and bottom: the sample of column x0 + p in row y lies at (y + radius) x lanes + p.
LENSARA_CLONES void ConvertColumns(const UChar* image, const UChar* map, Int32 width, Int32 height, Int32 radius,
                                   Int32 x0, Int32 lanes, Vec4* samples, Int32* neighbours)
{
  for (std::int64_t y = -radius; y < std::int64_t(height) + radius; ++y) {
    std::ptrdiff_t at = (std::ptrdiff_t(EdgeIndex(y, height)) * width + x0) * 3;
    std::ptrdiff_t to = (y + radius) * lanes;
    ConvertRun(image + at, map + at, lanes, samples + to, neighbours + to);
  }
}

class WeightedPasses : public SeparablePasses {
public:
  WeightedPasses(const BlurKernel& kernel, const FastBitmap* map, Bool depthTest)
      : kernel(kernel), map(map->GetData()), width(map->GetWidth()), height(map->GetHeight()),
        radius(kernel.GetRadius()), depthTest(depthTest),
        length(std::max<std::int64_t>(std::min(kRowBlock, width) + 2 * std::int64_t(radius),
                                      (height + 2 * std::int64_t(radius)) * kColumnBlock)),
        samples(length * 4), neighbours(length)
  {
  }

  Bool Ready() const { return samples.Get() && neighbours.Get(); }
  Int32 HorizontalBlock() const override { return kRowBlock; }
  Int32 VerticalBlock() const override { return kColumnBlock; }

  void Horizontal(const UChar* in, UChar* out, Int32 x0, Int32 x1) override
  {
    for (Int32 y = 0; y < height; ++y) {
      std::ptrdiff_t row = std::ptrdiff_t(y) * width * 3;
      ConvertRow(in + row, map + row, width, std::int64_t(x0) - radius, x1 - x0 + 2 * radius, Samples(), neighbours.Get());
      BlurPixelsInto(kernel, Samples() + radius, neighbours.Get() + radius, 1, depthTest, x1 - x0, out + row + x0 * 3);
    }
  }

  void Vertical(const UChar* in, UChar* out, Int32 x0, Int32 x1) override
  {
    Int32 lanes = x1 - x0;
    ConvertColumns(in, map, width, height, radius, x0, lanes, Samples(), neighbours.Get());
    for (Int32 y = 0; y < height; ++y) {
      std::ptrdiff_t centre = (std::ptrdiff_t(y) + radius) * lanes;
      BlurPixelsInto(kernel, Samples() + centre, neighbours.Get() + centre, lanes, depthTest, lanes,
                     out + (std::ptrdiff_t(y) * width + x0) * 3);
    }
  }

private:
  Vec4* Samples() { return reinterpret_cast<Vec4*>(samples.Get()); }

  const BlurKernel& kernel;
  const UChar* map;
  Int32 width, height, radius;
  Bool depthTest;
  std::int64_t length;
  Scratch<double> samples; // length samples of 4 doubles
  Scratch<Int32> neighbours;
};

// --- running sums

// floor(sum / window) for every sum, exactly: (sum + 0.5) / window lies at least
// 0.5 / window away from every integer, while the rounding of the multiplication moves it
// by at most 2 x 2^-24 x 256 in float (so float serves windows below 2^14) and far less
// in double.
constexpr Int32 kFloatWindowLimit = 1 << 14;

template <class Real>
LENSARA_INLINE void StoreQuotientsIn(const Int32* sums, Int32 count, Real inverse, UChar* out)
{
  for (Int32 j = 0; j < count; ++j)
    out[j] = static_cast<UChar>(static_cast<Int32>((static_cast<Real>(sums[j]) + Real(0.5)) * inverse));
}

LENSARA_CLONES void StoreQuotients(const Int32* sums, Int32 count, Int32 window, UChar* out)
{
  if (window < kFloatWindowLimit)
    StoreQuotientsIn(sums, count, 1.0f / static_cast<float>(window), out);
  else
    StoreQuotientsIn(sums, count, 1.0 / static_cast<double>(window), out);
}

LENSARA_CLONES void AddBytes(Int32* sums, const UChar* add, Int32 count)
{
  for (Int32 j = 0; j < count; ++j) sums[j] += add[j];
}

LENSARA_CLONES void SlideBytes(Int32* sums, const UChar* add, const UChar* remove, Int32 count)
{
  for (Int32 j = 0; j < count; ++j) sums[j] += add[j] - remove[j];
}

// The window sums of count pixels of a segment that starts with the first pixel's window.
LENSARA_CLONES void RunningSums(const UChar* segment, Int32 count, Int32 window, Int32* sums)
{
  Int32 run[3] = {0, 0, 0};
  for (Int32 j = 0; j < window; ++j)
    for (int c = 0; c < 3; ++c) run[c] += segment[j * 3 + c];
  const UChar* add = segment + window * 3;
  for (Int32 i = 0; i < count * 3; i += 3)
    for (int c = 0; c < 3; ++c) {
      sums[i + c] = run[c];
      run[c] += add[i + c] - segment[i + c];
    }
}

class BoxPasses : public SeparablePasses {
public:
  BoxPasses(Int32 radius, Int32 width, Int32 height)
      : radius(radius), width(width), height(height), window(2 * radius + 1),
        segment((std::int64_t(std::min(kBoxRowBlock, width)) + 2 * std::int64_t(radius) + 1) * 3),
        sums(std::int64_t(std::max(kBoxRowBlock, kBoxColumnBlock)) * 3)
  {
  }

  Bool Ready() const { return segment.Get() && sums.Get(); }
  Int32 HorizontalBlock() const override { return kBoxRowBlock; }
  Int32 VerticalBlock() const override { return kBoxColumnBlock; }

  // Per row: the reflected segment, then its running sums, then the quotients.
  void Horizontal(const UChar* in, UChar* out, Int32 x0, Int32 x1) override
  {
    Int32 count = x1 - x0;
    for (Int32 y = 0; y < height; ++y) {
      FillSegment(in + std::ptrdiff_t(y) * width * 3, std::int64_t(x0) - radius, count + window);
      RunningSums(segment.Get(), count, window, sums.Get());
      StoreQuotients(sums.Get(), count * 3, window, out + (std::ptrdiff_t(y) * width + x0) * 3);
    }
  }

  // Column sums of the block's bytes, carried down the rows.
  void Vertical(const UChar* in, UChar* out, Int32 x0, Int32 x1) override
  {
    Int32 bytes = (x1 - x0) * 3;
    Int32* s = sums.Get();
    std::fill(s, s + bytes, 0);
    for (Int32 k = -radius; k <= radius; ++k) AddBytes(s, Row(in, k, x0), bytes);
    for (Int32 y = 0; y < height; ++y) {
      StoreQuotients(s, bytes, window, out + (std::ptrdiff_t(y) * width + x0) * 3);
      SlideBytes(s, Row(in, std::int64_t(y) + radius + 1, x0), Row(in, std::int64_t(y) - radius, x0), bytes);
    }
  }

private:
  const UChar* Row(const UChar* image, std::int64_t y, Int32 x0) const
  {
    return image + (std::ptrdiff_t(EdgeIndex(y, height)) * width + x0) * 3;
  }

  // Pixels from .. from + count - 1 of a row, reflected at its ends: the part inside the
  // row in one copy.
  void FillSegment(const UChar* row, std::int64_t from, Int32 count)
  {
    UChar* seg = segment.Get();
    std::int64_t inside = std::max<std::int64_t>(from, 0);
    std::int64_t end = std::min<std::int64_t>(from + count, width);
    for (std::int64_t j = from; j < std::min(inside, from + count); ++j) CopyPixel(row, j, seg + (j - from) * 3);
    if (end > inside) std::memcpy(seg + (inside - from) * 3, row + inside * 3, (end - inside) * 3);
    for (std::int64_t j = std::max(end, inside); j < from + count; ++j) CopyPixel(row, j, seg + (j - from) * 3);
  }

  void CopyPixel(const UChar* row, std::int64_t position, UChar* to) const
  {
    std::memcpy(to, row + EdgeIndex(position, width) * 3, 3);
  }

  Int32 radius, width, height, window;
  Scratch<UChar> segment;
  Scratch<Int32> sums;
};

// True when the working copy, the target and the map have storage and all sizes agree.
Bool CanBlur(FastBitmap* work, FastBitmap* source, FastBitmap* target, FastBitmap* map)
{
  return work->GetData() && target && target->GetData() && map && map->GetData() &&
         SizesMatch(source, target, map);
}

}  // namespace

BlurKernel::~BlurKernel() { MemFree(storage); }

Bool BlurKernel::Init(Int32 r, Bool perCentre)
{
  std::int64_t span = 2 * std::int64_t(r) + 1;
  storage = static_cast<double*>(MemAlloc(static_cast<std::size_t>(span * (perCentre ? 256 : 1)) * sizeof(double)));
  if (!storage) return false;
  radius = r;
  for (Int32 c = 0; c < 256; ++c) rows[c] = storage + (perCentre ? c * span : 0);
  return true;
}

void BlurKernel::Finish()
{
  for (Int32 c = 0; c < 256; ++c) {
    const double* row = Row(c);
    Int32 extent = radius;
    while (extent > 0 && row[extent] == 0.0 && row[-extent] == 0.0) --extent;
    extents[c] = extent;
  }
}

Bool RunWeightedBlur(const BlurKernel& kernel, FastBitmap* source, FastBitmap* target, FastBitmap* map,
                     Bool depthTest, VideoPostStruct* vps, Float passShare)
{
  FastBitmap work(source);
  if (!CanBlur(&work, source, target, map)) return false;
  WeightedPasses passes(kernel, map, depthTest);
  if (!passes.Ready()) return false;
  RunPasses(passes, &work, target, vps, passShare);
  return true;
}

Bool RunBoxBlur(Int32 radius, FastBitmap* source, FastBitmap* target, FastBitmap* map, VideoPostStruct* vps)
{
  FastBitmap work(source);
  if (!CanBlur(&work, source, target, map)) return false;
  BoxPasses passes(radius, target->GetWidth(), target->GetHeight());
  if (!passes.Ready()) return false;
  RunPasses(passes, &work, target, vps, 1.0);
  return true;
}
