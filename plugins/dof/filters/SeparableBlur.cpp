#include "SeparableBlur.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "ColumnSweep.h"
#include "EdgeIndex.h"
#include "InstructionSets.h"
#include "plugins/dof/PlatformBehaviour.h"

namespace {

// Columns per block. A pass asks the break test for every column of a block and then
// works through the block row by row: the weighted sums along the rows (kRowBlock) and
// along the columns (kColumnBlock, below), the box mean along the rows and the columns.
constexpr Int32 kRowBlock = 256;
constexpr Int32 kBoxRowBlock = 256;
constexpr Int32 kBoxColumnBlock = 128;

// The two passes over one image; each blurs the columns x0 .. x1 - 1 of the pass. The
// vertical pass writes its results back into the image it reads.
class SeparablePasses {
public:
  virtual ~SeparablePasses() = default;
  virtual void Horizontal(const UChar* in, UChar* out, Int32 x0, Int32 x1) = 0;
  virtual void Vertical(UChar* image, Int32 x0, Int32 x1) = 0;
  virtual Int32 HorizontalBlock() const = 0;
  virtual Int32 VerticalBlock() const = 0;
};

// Columns x0 .. width - 1 of every row of from into to.
void CopyColumns(const UChar* from, UChar* to, Int32 width, Int32 height, Int32 x0)
{
  for (Int32 y = 0; y < height; ++y) {
    std::ptrdiff_t at = (std::ptrdiff_t(y) * width + x0) * 3;
    std::memcpy(to + at, from + at, std::size_t(width - x0) * 3);
  }
}

// Both passes with their break tests and progress: the rows of the source into the target,
// then the columns of the target in place. The result is that of passes over a working
// copy of the source that replaces the target at the end: the columns the second pass
// left undone after a stop take the source's pixels (all of them when it was told to
// stop before its first column). The source is read as it is unless it is the target
// itself, whose pixels the first pass overwrites; then a copy of it is made first.
// False when that copy finds no memory.
Bool RunPasses(SeparablePasses& passes, FastBitmap* source, FastBitmap* target, VideoPostStruct* vps,
               Float passShare)
{
  FastBitmap copy(source == target ? source : nullptr);
  const UChar* original = source == target ? copy.GetData() : source->GetData();
  if (!original) return false;
  Int32 width = target->GetWidth();
  UChar* image = target->GetData();
  ColumnProgress first{0.0, passShare};
  ColumnProgress second{1.0 - 1.0 / passShare, passShare};
  SweepColumns(vps, width, passes.HorizontalBlock(), &first,
               [&](Int32 x0, Int32 x1) { passes.Horizontal(original, image, x0, x1); });
  Int32 done = SweepColumns(vps, width, passes.VerticalBlock(), &second,
                            [&](Int32 x0, Int32 x1) { passes.Vertical(image, x0, x1); });
  if (done < width) CopyColumns(original, image, width, target->GetHeight(), done);
  return true;
}

// A block of the host's memory for count values, starting on a cache line (whole vectors
// then never straddle two lines), released with the holder.
template <class T>
class Scratch {
public:
  explicit Scratch(std::int64_t count)
      : block(MemAlloc(static_cast<std::size_t>(std::max<std::int64_t>(count, 1)) * sizeof(T) + kLine))
  {
  }
  ~Scratch() { MemFree(block); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  T* Get() const
  {
    if (!block) return nullptr;
    std::uintptr_t at = reinterpret_cast<std::uintptr_t>(block);
    return reinterpret_cast<T*>((at + kLine - 1) / kLine * kLine);
  }

private:
  static constexpr std::size_t kLine = 64;
  void* block;
};

// --- weighted sums
//
// The samples are converted once into planes of doubles, one per colour, and a plane of
// map values; kLanes adjacent pixels (along a row in both passes) are computed together,
// one pixel per lane, so that one vector operation advances the sums of all of them.
// Four doubles are a vector that AVX2 and AVX-512 hold in one register: wider vectors
// would be split for AVX2, which then keeps them in memory and shuffles them element by
// element.

constexpr int kLanes = 4;
// Slots (inverse and weights) that short kernels keep in registers; every centre value's
// slots come in a whole multiple of them.
constexpr int kFewSlots = 2 * kLanes;
// Pixels blurred at once: kGroups vectors of lanes whose additions interleave, so that the
// processor has one group's to do while another's wait for their previous sum.
constexpr int kGroups = 2;
constexpr int kGroupPixels = kGroups * kLanes;
typedef double Lanes __attribute__((vector_size(kLanes * 8), aligned(8)));
typedef Int32 LaneInts __attribute__((vector_size(kLanes * 4), aligned(4)));
typedef std::int64_t LaneMask __attribute__((vector_size(kLanes * 8)));
typedef UChar LaneBytes __attribute__((vector_size(kLanes * 4)));
typedef UChar Bytes16 __attribute__((vector_size(16), aligned(1)));
typedef UChar Bytes8 __attribute__((vector_size(8), aligned(1)));
typedef float LaneFloats __attribute__((vector_size(kLanes * 4)));

// The lanes as the sums are stored after each addition (FilterSum).
LENSARA_INLINE Lanes StoredLanes(Lanes sums)
{
  if constexpr (std::is_same_v<FilterSum, double>) return sums;
  return __builtin_convertvector(__builtin_convertvector(sums, LaneFloats), Lanes);
}

// The vertical pass works on blocks of this many columns (a multiple of kLanes), row by
// row, converting each row of the block once into a window of rows that slides down the
// image; kSpareRows rows beyond the 2 x radius + 1 a result needs let it slide that far
// before its last rows move back to its start.
constexpr Int32 kColumnBlock = 128;
// Samples per row of the window: one vector more than the block, so that the rows a
// result reads do not all fall into the same few cache sets.
constexpr Int32 kWindowStride = kColumnBlock + kLanes;
constexpr Int32 kSpareRows = 64;

// Three colour planes and the map plane of one stretch of samples.
struct Planes {
  double* colour[3];
  Int32* map;

  Planes At(std::ptrdiff_t offset) const
  {
    return {{colour[0] + offset, colour[1] + offset, colour[2] + offset}, map + offset};
  }
};

LENSARA_INLINE Lanes LoadLanes(const double* at) { return *reinterpret_cast<const Lanes*>(at); }
LENSARA_INLINE LaneInts LoadLaneInts(const Int32* at) { return *reinterpret_cast<const LaneInts*>(at); }

// The colour sums and the weight sums of the groups' lanes.
struct GroupSums {
  Lanes colour[kGroups][3];
  Lanes weight[kGroups];
};

// The slots of the groups' lanes: slot s of group g at at[g x span + s].
struct GroupSlots {
  Lanes* at;
  std::ptrdiff_t span;

  Lanes* Of(int g) const { return at + g * span; }
};

// Group g's weights of offsets k and -k: slot |k| for k != 0 and 1 for offset 0.
LENSARA_INLINE Lanes WeightOf(const GroupSlots& slots, int g, Int32 k)
{
  return k == 0 ? Lanes{} + 1.0 : slots.Of(g)[k < 0 ? -k : k];
}

// Adds the samples at offset at (a multiple of the stride) with the weights of offset k;
// the first offset's products start the sums (0 + x is x, as no product is -0). values
// are the groups' centre map values.
template <Bool DepthTest>
LENSARA_INLINE void AddSamples(const Planes& centre, std::ptrdiff_t at, const LaneInts* values,
                               const GroupSlots& slots, Int32 k, Bool first, GroupSums* sums)
{
#pragma GCC unroll 2
  for (int g = 0; g < kGroups; ++g) {
    std::ptrdiff_t i = at + g * kLanes;
    Lanes w = WeightOf(slots, g, k);
    if (DepthTest) {
      LaneInts counts = values[g] <= LoadLaneInts(centre.map + i) + 5;
      w = __builtin_convertvector(counts, LaneMask) ? w : Lanes{};
      sums->weight[g] = StoredLanes(first ? w : sums->weight[g] + w);
    }
#pragma GCC unroll 3
    for (int c = 0; c < 3; ++c) {
      Lanes product = w * LoadLanes(centre.colour[c] + i);
      sums->colour[g][c] = StoredLanes(first ? product : sums->colour[g][c] + product);
    }
  }
}

LENSARA_INLINE void LoadGroupValues(const Int32* map, LaneInts* values)
{
  for (int g = 0; g < kGroups; ++g) values[g] = LoadLaneInts(map + g * kLanes);
}

// The sums of the lanes at offsets -extent .. extent (extent > 0), stride apart.
template <Bool DepthTest, class Stride>
LENSARA_INLINE void SumLanes(const Planes& centre, Stride stride, Int32 extent, const GroupSlots& slots,
                             GroupSums* sums)
{
  LaneInts values[kGroups];
  LoadGroupValues(centre.map, values);
  AddSamples<DepthTest>(centre, -extent * stride, values, slots, -extent, true, sums);
#pragma GCC unroll 4
  for (Int32 k = 1 - extent; k <= extent; ++k) AddSamples<DepthTest>(centre, k * stride, values, slots, k, false, sums);
}

// SumLanes for an extent of Extent .. Largest, with the loop unrolled for each extent so
// that the weights can stay in registers.
template <Bool DepthTest, Int32 Extent, Int32 Largest, class Stride>
LENSARA_INLINE void SumUnrolled(const Planes& centre, Stride stride, Int32 extent, const GroupSlots& slots,
                                GroupSums* sums)
{
  if constexpr (Extent < Largest) {
    if (extent > Extent) return SumUnrolled<DepthTest, Extent + 1, Largest>(centre, stride, extent, slots, sums);
  }
  LaneInts values[kGroups];
  LoadGroupValues(centre.map, values);
#pragma GCC unroll 32
  for (Int32 k = -Extent; k <= Extent; ++k)
    AddSamples<DepthTest>(centre, k * stride, values, slots, k, k == -Extent, sums);
}

// Twice the largest error of a quotient taken as sum x rounded inverse (at most about
// 2^-52 relative on values below 2^8) and of the correctly rounded quotient (2^-53
// relative).
constexpr double kQuotientSlack = 0x1p-40;

LENSARA_INLINE Bool AnySet(LaneInts lanes)
{
  typedef std::uint64_t Halves __attribute__((vector_size(16)));
  Halves halves;
  static_assert(sizeof halves == sizeof lanes);
  std::memcpy(&halves, &lanes, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// trunc(sums[c] / weight sum) per lane and colour, where inverse is 1 / weight sum
// rounded. The product truncates to the same integer as the quotient unless an integer
// lies within the slack of it, where the quotient's rounding could decide; only then are
// the lanes divided, by the weight sums that weights() gives.
template <class WeightSums>
LENSARA_INLINE void TruncatedQuotients(const Lanes* sums, Lanes inverse, WeightSums weights, LaneInts* results)
{
  LaneInts differ = {};
#pragma GCC unroll 3
  for (int c = 0; c < 3; ++c) {
    Lanes approximate = sums[c] * inverse;
    results[c] = __builtin_convertvector(approximate - kQuotientSlack, LaneInts);
    differ |= results[c] ^ __builtin_convertvector(approximate + kQuotientSlack, LaneInts);
  }
  if (!AnySet(differ)) return;
  Lanes w = weights();
  for (int c = 0; c < 3; ++c) results[c] = __builtin_convertvector(sums[c] / w, LaneInts);
}

// The lanes' bytes of the three colours, pixel by pixel, into out (count pixels at most):
// each lane's colours packed into one word, then the words' fourth bytes dropped.
LENSARA_INLINE void StorePixels(const LaneInts* colours, Int32 count, UChar* out)
{
  LaneInts words = colours[0] | colours[1] << 8 | colours[2] << 16;
  LaneBytes bytes;
  std::memcpy(&bytes, &words, sizeof bytes);
  LaneBytes pixels = __builtin_shufflevector(bytes, bytes, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 3, 3, 3, 3);
  if (count < kLanes) return (void)std::memcpy(out, &pixels, count * 3);
  // Two stores straight from the register (a copy of the vector would go through memory).
  Bytes8 low = __builtin_shufflevector(pixels, pixels, 0, 1, 2, 3, 4, 5, 6, 7);
  LaneInts packed;
  std::memcpy(&packed, &pixels, sizeof packed);
  Int32 high = packed[2];
  std::memcpy(out, &low, sizeof low);
  std::memcpy(out + sizeof low, &high, sizeof high);
}

LENSARA_INLINE void StoreLanes(double* at, const Lanes& lanes) { std::memcpy(at, &lanes, sizeof lanes); }

// a[i][j] becomes out[j][i] for 4 x 4 doubles.
LENSARA_INLINE void Transpose(const Lanes* a, Lanes* out)
{
  Lanes p0 = __builtin_shufflevector(a[0], a[1], 0, 4, 2, 6), p1 = __builtin_shufflevector(a[0], a[1], 1, 5, 3, 7);
  Lanes p2 = __builtin_shufflevector(a[2], a[3], 0, 4, 2, 6), p3 = __builtin_shufflevector(a[2], a[3], 1, 5, 3, 7);
  out[0] = __builtin_shufflevector(p0, p2, 0, 1, 4, 5);
  out[1] = __builtin_shufflevector(p1, p3, 0, 1, 4, 5);
  out[2] = __builtin_shufflevector(p0, p2, 2, 3, 6, 7);
  out[3] = __builtin_shufflevector(p1, p3, 2, 3, 6, 7);
}

// The lanes' slots s .. s + kLanes - 1 (the kernel's inverse and weights of their centre
// values), slot j of all lanes in slots[j].
template <Bool PerCentre>
LENSARA_INLINE void LoadSlotBlock(const BlurKernel& kernel, const Int32* centre, Int32 s, Lanes* slots)
{
  if (!PerCentre) {
    for (Int32 j = s; j < s + kLanes; ++j) slots[j] = Lanes{} + kernel.Slots(0)[j];
    return;
  }
  Lanes rows[kLanes];
  for (int i = 0; i < kLanes; ++i) rows[i] = LoadLanes(kernel.Slots(centre[i]) + s);
  Transpose(rows, slots + s);
}

// The larger of a and b in each lane.
LENSARA_INLINE LaneInts Larger(LaneInts a, LaneInts b) { return a > b ? a : b; }

// The largest of the lanes' values.
static_assert(kLanes == 4, "the shuffles are written for 4 lanes");
LENSARA_INLINE Int32 LargestLane(LaneInts v)
{
  v = Larger(v, __builtin_shufflevector(v, v, 2, 3, 0, 1));
  v = Larger(v, __builtin_shufflevector(v, v, 1, 0, 3, 2));
  return v[0];
}

// The furthest offset any lane of the groups needs: beyond it every lane's weight is 0.
template <Bool PerCentre>
LENSARA_INLINE Int32 LaneExtent(const BlurKernel& kernel, const Int32* centre)
{
  if (!PerCentre) return kernel.Extent(0);
  LaneInts largest = LoadLaneInts(centre);
  for (int g = 1; g < kGroups; ++g) largest = Larger(largest, LoadLaneInts(centre + g * kLanes));
  return kernel.Extent(LargestLane(largest));
}

// Slots s .. s + kLanes - 1 of every group's lanes.
template <Bool PerCentre>
LENSARA_INLINE void LoadGroupSlots(const BlurKernel& kernel, const Int32* centre, Int32 s, const GroupSlots& slots)
{
  for (int g = 0; g < kGroups; ++g) LoadSlotBlock<PerCentre>(kernel, centre + g * kLanes, s, slots.Of(g));
}

// SumLanes for extents 1 .. kFewSlots - 1, whose slots are loaded in one block or two and
// kept in registers; the groups' inverse weight sums into inverse.
template <Bool DepthTest, Bool PerCentre, class Stride>
LENSARA_INLINE void SumFewLanes(const BlurKernel& kernel, const Planes& centre, Stride stride, Int32 extent,
                                GroupSums* sums, Lanes* inverse)
{
  Lanes few[kGroups * kFewSlots];
  GroupSlots slots{few, kFewSlots};
  LoadGroupSlots<PerCentre>(kernel, centre.map, 0, slots);
  if (extent < kLanes) {
    SumUnrolled<DepthTest, 1, kLanes - 1>(centre, stride, extent, slots, sums);
  } else {
    LoadGroupSlots<PerCentre>(kernel, centre.map, kLanes, slots);
    SumUnrolled<DepthTest, kLanes, kFewSlots - 1>(centre, stride, extent, slots, sums);
  }
  for (int g = 0; g < kGroups; ++g) inverse[g] = slots.Of(g)[0];
}

// The groups' results as bytes into out (count pixels at most).
LENSARA_INLINE void StoreGroups(const LaneInts (*results)[3], Int32 count, UChar* out)
{
  for (int g = 0; g < kGroups && g * kLanes < count; ++g)
    StorePixels(results[g], count - g * kLanes, out + g * kLanes * 3);
}

// Blurs the kGroupPixels pixels whose samples sit at centre into out (3 bytes each, count
// of them at most): without the depth test every pixel's weight sum is its centre
// value's. scratch has room for kGroups x the kernel's SlotCount() lane vectors.
template <Bool DepthTest, Bool PerCentre, class Stride>
LENSARA_INLINE void BlurLanes(const BlurKernel& kernel, const Planes& centre, Stride stride, Int32 count,
                              Lanes* scratch, UChar* out)
{
  Int32 extent = LaneExtent<PerCentre>(kernel, centre.map);
  LaneInts results[kGroups][3];
  if (extent == 0) {
    // Each lane's only sample is its own pixel, with weight 1: the pixel stays as it is.
    for (int g = 0; g < kGroups; ++g)
      for (int c = 0; c < 3; ++c)
        results[g][c] = __builtin_convertvector(LoadLanes(centre.colour[c] + g * kLanes), LaneInts);
    return StoreGroups(results, count, out);
  }
  GroupSums sums;
  Lanes inverse[kGroups];
  if (extent < kFewSlots) {
    SumFewLanes<DepthTest, PerCentre>(kernel, centre, stride, extent, &sums, inverse);
  } else {
    GroupSlots slots{scratch, kernel.SlotCount()};
    for (Int32 s = 0; s <= extent; s += kLanes) LoadGroupSlots<PerCentre>(kernel, centre.map, s, slots);
    SumLanes<DepthTest>(centre, stride, extent, slots, &sums);
    for (int g = 0; g < kGroups; ++g) inverse[g] = slots.Of(g)[0];
  }
  for (int g = 0; g < kGroups; ++g) {
    if (DepthTest) inverse[g] = 1.0 / sums.weight[g];
    auto weights = [&]() __attribute__((always_inline)) {
      if (DepthTest) return sums.weight[g];
      Lanes w;
      for (int i = 0; i < kLanes; ++i) w[i] = kernel.WeightSum(centre.map[g * kLanes + i]);
      return w;
    };
    TruncatedQuotients(sums.colour[g], inverse[g], weights, results[g]);
  }
  StoreGroups(results, count, out);
}

template <Bool DepthTest, Bool PerCentre, class Stride>
LENSARA_INLINE void BlurRun(const BlurKernel& kernel, const Planes& centre, Stride stride, Int32 count,
                            Lanes* slots, UChar* out)
{
  for (Int32 p = 0; p < count; p += kGroupPixels)
    BlurLanes<DepthTest, PerCentre>(kernel, centre.At(p), stride, count - p, slots, out + p * 3);
}

// The distance of adjacent samples in the planes along the rows and along the columns of
// the vertical pass's window: constants, so that every sample's address is a register
// plus a constant.
using AlongRows = std::integral_constant<std::ptrdiff_t, 1>;
using AlongColumns = std::integral_constant<std::ptrdiff_t, kWindowStride>;

template <Bool DepthTest, Bool PerCentre>
LENSARA_INLINE void BlurRunAlong(const BlurKernel& kernel, const Planes& centre, Bool alongColumns, Int32 count,
                                 Lanes* slots, UChar* out)
{
  if (alongColumns)
    BlurRun<DepthTest, PerCentre>(kernel, centre, AlongColumns(), count, slots, out);
  else
    BlurRun<DepthTest, PerCentre>(kernel, centre, AlongRows(), count, slots, out);
}

// Blurs count adjacent pixels into out (3 bytes each); centre holds the first pixel's
// samples, the sample at offset k lies k samples further along the rows, or k rows of the
// window further along the columns. The planes have room for count rounded up to whole
// groups of pixels; slots has room for kGroups x the kernel's SlotCount() lane vectors.
LENSARA_CLONES void BlurPixelsInto(const BlurKernel& kernel, Planes centre, Bool alongColumns, Bool depthTest,
                                   Int32 count, Lanes* slots, UChar* out)
{
  if (kernel.PerCentre()) {
    if (depthTest)
      BlurRunAlong<true, true>(kernel, centre, alongColumns, count, slots, out);
    else
      BlurRunAlong<false, true>(kernel, centre, alongColumns, count, slots, out);
  } else {
    if (depthTest)
      BlurRunAlong<true, false>(kernel, centre, alongColumns, count, slots, out);
    else
      BlurRunAlong<false, false>(kernel, centre, alongColumns, count, slots, out);
  }
}

LENSARA_INLINE void ConvertPixel(const UChar* pixel, const UChar* mapPixel, const Planes& to, std::ptrdiff_t j)
{
  for (int c = 0; c < 3; ++c) to.colour[c][j] = pixel[c];
  to.map[j] = mapPixel[0];
}

// Pixels converted at once: two vectors of lanes, from two loads of 16 bytes.
constexpr Int32 kConvertRun = 8;
static_assert(kConvertRun == 2 * kLanes && kGroupPixels % kConvertRun == 0);

// Byte 0 of the four pixels that start at byte At of bytes, the map values of their lanes.
template <int At>
LENSARA_INLINE LaneInts MapValues(Bytes16 bytes)
{
  Bytes16 moved = __builtin_shufflevector(bytes, bytes, At, 0, 0, 0, At + 3, 0, 0, 0, At + 6, 0, 0, 0, At + 9, 0, 0, 0);
  LaneInts words;
  std::memcpy(&words, &moved, sizeof words);
  return words & 0xFF;
}

LENSARA_INLINE Bytes16 LoadBytes(const UChar* at) { return *reinterpret_cast<const Bytes16*>(at); }

typedef UChar Bytes32 __attribute__((vector_size(32)));

// The 16 bytes in both halves of a 32-byte vector, so that the shuffles below move bytes
// only within a half: one instruction on every instruction set.
LENSARA_INLINE Bytes32 Twice(Bytes16 b)
{
  return __builtin_shufflevector(b, b, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7,
                                 8, 9, 10, 11, 12, 13, 14, 15);
}

// The bits of 2^52 + b for a byte b in the low bits; less 2^52, the double is b. (A
// conversion from integers would be split into halves in the AVX2 copy.)
constexpr std::int64_t kByteBias = 0x4330000000000000;

// Byte C of the four pixels that start at byte At of the 16 bytes, as doubles.
template <int C, int At>
LENSARA_INLINE Lanes PixelColour(const Bytes32& twice)
{
  constexpr int p = At + C, q = 16 + At + C;
  Bytes32 moved = __builtin_shufflevector(twice, twice, p, 0, 0, 0, 0, 0, 0, 0, p + 3, 0, 0, 0, 0, 0, 0, 0, q + 6, 16,
                                          16, 16, 16, 16, 16, 16, q + 9, 16, 16, 16, 16, 16, 16, 16);
  LaneMask words;
  std::memcpy(&words, &moved, sizeof words);
  words = (words & 0xFF) | kByteBias;
  Lanes biased;
  std::memcpy(&biased, &words, sizeof biased);
  return biased - 0x1p52;
}

// Colour C of kConvertRun adjacent pixels as doubles into to. Their 24 bytes are loaded as
// bytes 0 .. 15 and 8 .. 23, two loads that stay within them: pixels 0 .. 3 start at byte
// 0 of the first, pixels 4 .. 7 at byte 4 of the second.
template <int C>
LENSARA_INLINE void ConvertColour(const Bytes32& low, const Bytes32& high, double* to)
{
  StoreLanes(to, PixelColour<C, 0>(low));
  StoreLanes(to + kLanes, PixelColour<C, 4>(high));
}

// kConvertRun adjacent pixels into the planes from j on.
LENSARA_INLINE void ConvertPixelRun(const UChar* pixels, const UChar* mapPixels, const Planes& to, std::ptrdiff_t j)
{
  Bytes32 low = Twice(LoadBytes(pixels)), high = Twice(LoadBytes(pixels + 8));
  ConvertColour<0>(low, high, to.colour[0] + j);
  ConvertColour<1>(low, high, to.colour[1] + j);
  ConvertColour<2>(low, high, to.colour[2] + j);
  LaneInts values[2] = {MapValues<0>(LoadBytes(mapPixels)), MapValues<4>(LoadBytes(mapPixels + 8))};
  std::memcpy(to.map + j, values, sizeof values);
}

// count adjacent pixels into the planes from j on.
LENSARA_INLINE void ConvertRun(const UChar* pixels, const UChar* mapPixels, Int32 count, const Planes& to,
                               std::ptrdiff_t j)
{
  Int32 i = 0;
  for (; i + kConvertRun <= count; i += kConvertRun) ConvertPixelRun(pixels + i * 3, mapPixels + i * 3, to, j + i);
  for (; i < count; ++i) ConvertPixel(pixels + i * 3, mapPixels + i * 3, to, j + i);
}

// Zero samples of map value 0 at j .. j + count - 1: lanes that only fill a vector.
LENSARA_INLINE void ClearRun(const Planes& to, std::ptrdiff_t j, Int32 count)
{
  for (Int32 i = 0; i < count; ++i) {
    for (int c = 0; c < 3; ++c) to.colour[c][j + i] = 0.0;
    to.map[j + i] = 0;
  }
}

// Pixels from .. from + count - 1 of a row of width pixels, reflected at its ends, then
// pad cleared samples.
LENSARA_CLONES void ConvertRow(const UChar* row, const UChar* mapRow, Int32 width, std::int64_t from, Int32 count,
                               Int32 pad, Planes to)
{
  std::int64_t inside = std::clamp<std::int64_t>(-from, 0, count);
  std::int64_t end = std::clamp<std::int64_t>(width - from, inside, count);
  for (Int32 j = 0; j < inside; ++j) {
    std::ptrdiff_t at = EdgeIndex(from + j, width) * 3;
    ConvertPixel(row + at, mapRow + at, to, j);
  }
  ConvertRun(row + (from + inside) * 3, mapRow + (from + inside) * 3, static_cast<Int32>(end - inside), to, inside);
  for (Int32 j = static_cast<Int32>(end); j < count; ++j) {
    std::ptrdiff_t at = EdgeIndex(from + j, width) * 3;
    ConvertPixel(row + at, mapRow + at, to, j);
  }
  ClearRun(to, count, pad);
}

// Whole groups of pixels that hold count pixels.
template <class Count>
Count RoundToGroups(Count count)
{
  return (count + kGroupPixels - 1) / kGroupPixels * kGroupPixels;
}

// Columns x0 .. x0 + lanes - 1 of image row y (reflected into the image) into the planes
// from sample j on, cleared up to whole vectors of lanes.
LENSARA_CLONES void ConvertBlockRow(const UChar* image, const UChar* map, Int32 width, Int32 height,
                                    std::int64_t y, Int32 x0, Int32 lanes, Planes to, std::ptrdiff_t j)
{
  std::ptrdiff_t at = (std::ptrdiff_t(EdgeIndex(y, height)) * width + x0) * 3;
  ConvertRun(image + at, map + at, lanes, to, j);
  ClearRun(to, j + lanes, RoundToGroups(lanes) - lanes);
}

class WeightedPasses : public SeparablePasses {
public:
  WeightedPasses(const BlurKernel& kernel, const FastBitmap* map, Bool depthTest)
      : kernel(kernel), map(map->GetData()), width(map->GetWidth()), height(map->GetHeight()),
        radius(kernel.GetRadius()), depthTest(depthTest),
        windowRows(std::min<std::int64_t>(height, kSpareRows) + 2 * std::int64_t(radius)),
        length(RoundToGroups(std::max<std::int64_t>(std::min(kRowBlock, width) + 2 * std::int64_t(radius) + kGroupPixels,
                                                   windowRows * kWindowStride))),
        samples(length * 3), values(length), slots(std::int64_t(kernel.SlotCount()) * kLanes * kGroups)
  {
  }

  Bool Ready() const { return samples.Get() && values.Get() && slots.Get(); }
  Int32 HorizontalBlock() const override { return kRowBlock; }
  Int32 VerticalBlock() const override { return kColumnBlock; }

  void Horizontal(const UChar* in, UChar* out, Int32 x0, Int32 x1) override
  {
    Int32 count = x1 - x0;
    for (Int32 y = 0; y < height; ++y) {
      std::ptrdiff_t row = std::ptrdiff_t(y) * width * 3;
      ConvertRow(in + row, map + row, width, std::int64_t(x0) - radius, count + 2 * radius,
                 RoundToGroups(count) - count, GetPlanes());
      BlurPixelsInto(kernel, GetPlanes().At(radius), false, depthTest, count, Slots(), out + row + x0 * 3);
    }
  }

  // Row y of the result needs image rows y - radius .. y + radius; the window holds image
  // rows first .. first + windowRows - 1 of the block, row i at (i - first) x kWindowStride.
  // Results go into the image row by row, each after the last row it needs is converted;
  // rows past the bottom reflect rows that may already hold results, so they are copied
  // from the window, which still holds those rows as they were.
  void Vertical(UChar* image, Int32 x0, Int32 x1) override
  {
    Int32 lanes = x1 - x0;
    std::int64_t first = -radius;
    for (std::int64_t i = first; i < radius; ++i)
      ConvertBlockRow(image, map, width, height, i, x0, lanes, GetPlanes(), (i - first) * kWindowStride);
    for (Int32 y = 0; y < height; ++y) {
      std::int64_t last = std::int64_t(y) + radius;
      if (last - first >= windowRows) first = SlideWindow(first, y - std::int64_t(radius));
      if (last < height)
        ConvertBlockRow(image, map, width, height, last, x0, lanes, GetPlanes(), (last - first) * kWindowStride);
      else
        CopyWindowRow(EdgeIndex(last, height) - first, last - first);
      Planes centre = GetPlanes().At((y - first) * kWindowStride);
      BlurPixelsInto(kernel, centre, true, depthTest, lanes, Slots(),
                     image + (std::ptrdiff_t(y) * width + x0) * 3);
    }
  }

private:
  // Moves the window's rows from image row to on to its start; returns the new first row.
  std::int64_t SlideWindow(std::int64_t first, std::int64_t to)
  {
    MoveWindowRows(to - first, 0, first + windowRows - to);
    return to;
  }

  void CopyWindowRow(std::int64_t from, std::int64_t to) { MoveWindowRows(from, to, 1); }

  // rows rows of the window from row from on to row to on.
  void MoveWindowRows(std::int64_t from, std::int64_t to, std::int64_t rows)
  {
    Planes planes = GetPlanes();
    std::ptrdiff_t at = from * kWindowStride, into = to * kWindowStride, count = rows * kWindowStride;
    for (double* colour : planes.colour) std::memmove(colour + into, colour + at, count * sizeof(double));
    std::memmove(planes.map + into, planes.map + at, count * sizeof(Int32));
  }

  Planes GetPlanes() const
  {
    double* s = samples.Get();
    return {{s, s + length, s + 2 * length}, values.Get()};
  }
  Lanes* Slots() const { return reinterpret_cast<Lanes*>(slots.Get()); }

  const BlurKernel& kernel;
  const UChar* map;
  Int32 width, height, radius;
  Bool depthTest;
  std::int64_t windowRows; // rows of the vertical pass's window
  std::int64_t length;     // samples per plane, whole vectors
  Scratch<double> samples; // three colour planes
  Scratch<Int32> values;   // the map plane
  Scratch<double> slots;   // the kernel's slots of one vector of lanes
};

// --- running sums

// Columns x0 .. x0 + bytes / 3 - 1 of every row of the image into strip, row after row:
// what a vertical pass reads while its results overwrite the image.
void CopyBlock(const UChar* image, Int32 width, Int32 height, Int32 x0, Int32 bytes, UChar* strip)
{
  for (Int32 y = 0; y < height; ++y)
    std::memcpy(strip + std::ptrdiff_t(y) * bytes, image + (std::ptrdiff_t(y) * width + x0) * 3, bytes);
}

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

LENSARA_CLONES void AddBytes(Int32* sums, const UChar* add, Int32 count, Int32 times)
{
  for (Int32 j = 0; j < count; ++j) sums[j] += add[j] * times;
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

// RunningSums for windows that reach beyond the reflected samples of the row: the first
// window's sum counts the samples it reads, each slide reads the two samples directly.
LENSARA_CLONES void FarRunningSums(const UChar* row, Int32 width, std::int64_t from, Int32 count, Int32 window,
                                   Int32* sums)
{
  Int32 run[3] = {0, 0, 0};
  ForEachReadSample(from, from + window, width, [&](Int32 i, std::int64_t times) {
    for (int c = 0; c < 3; ++c) run[c] += row[i * 3 + c] * static_cast<Int32>(times);
  });
  for (Int32 j = 0; j < count; ++j) {
    const UChar* add = row + EdgeIndex(from + window + j, width) * 3;
    const UChar* remove = row + EdgeIndex(from + j, width) * 3;
    for (int c = 0; c < 3; ++c) {
      sums[j * 3 + c] = run[c];
      run[c] += add[c] - remove[c];
    }
  }
}

class BoxPasses : public SeparablePasses {
public:
  BoxPasses(Int32 radius, Int32 width, Int32 height)
      : radius(radius), width(width), height(height), window(2 * radius + 1),
        segment(std::min(std::int64_t(std::min(kBoxRowBlock, width)) + 2 * std::int64_t(radius) + 1,
                         ReflectedSpan(width)) * 3),
        sums(std::int64_t(std::max(kBoxRowBlock, kBoxColumnBlock)) * 3),
        strip(std::int64_t(height) * kBoxColumnBlock * 3)
  {
  }

  Bool Ready() const { return segment.Get() && sums.Get() && strip.Get(); }
  Int32 HorizontalBlock() const override { return kBoxRowBlock; }
  Int32 VerticalBlock() const override { return kBoxColumnBlock; }

  // Per row: the reflected segment, then its running sums, then the quotients. Windows
  // reaching further than the reflection read the row itself instead of a segment.
  void Horizontal(const UChar* in, UChar* out, Int32 x0, Int32 x1) override
  {
    Int32 count = x1 - x0;
    std::int64_t from = std::int64_t(x0) - radius;
    Bool segmentFits = count + window <= ReflectedSpan(width);
    for (Int32 y = 0; y < height; ++y) {
      const UChar* row = in + std::ptrdiff_t(y) * width * 3;
      if (segmentFits) {
        FillSegment(row, from, count + window);
        RunningSums(segment.Get(), count, window, sums.Get());
      } else {
        FarRunningSums(row, width, from, count, window, sums.Get());
      }
      StoreQuotients(sums.Get(), count * 3, window, out + (std::ptrdiff_t(y) * width + x0) * 3);
    }
  }

  // Column sums of the block's bytes, carried down the rows. The rows are read from a copy
  // of the block, as the results overwrite them.
  void Vertical(UChar* image, Int32 x0, Int32 x1) override
  {
    Int32 bytes = (x1 - x0) * 3;
    CopyBlock(image, width, height, x0, bytes, strip.Get());
    Int32* s = sums.Get();
    std::fill(s, s + bytes, 0);
    ForEachReadSample(-std::int64_t(radius), std::int64_t(radius) + 1, height, [&](Int32 row, std::int64_t times) {
      AddBytes(s, strip.Get() + std::ptrdiff_t(row) * bytes, bytes, static_cast<Int32>(times));
    });
    for (Int32 y = 0; y < height; ++y) {
      StoreQuotients(s, bytes, window, image + (std::ptrdiff_t(y) * width + x0) * 3);
      SlideBytes(s, StripRow(std::int64_t(y) + radius + 1, bytes), StripRow(std::int64_t(y) - radius, bytes), bytes);
    }
  }

private:
  // Row y of the copied block (bytes per row), reflected into the image.
  const UChar* StripRow(std::int64_t y, Int32 bytes) const
  {
    return strip.Get() + std::ptrdiff_t(EdgeIndex(y, height)) * bytes;
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
  Scratch<UChar> strip; // the vertical pass's block of columns
};

// --- counted means
//
// With every weight 1 the colour sums and the weight sum are whole numbers, exact in any
// order, so the samples beyond the edge rule's reach are counted rather than visited:
// each pixel costs at most the reach of its line, whatever the radius.

// The truncated mean of the samples that positions from .. from + window - 1 of a line of
// n pixels read (pixel i at line + i x step, its map pixel at mapLine + i x mapStep),
// leaving out those that fail the depth test against centre when depthTest is set. The
// centre sample always passes, so the count is never 0.
class CountedMean {
public:
  explicit CountedMean(Int32 radius) : radius(radius) {}

  Bool Ready() const { return true; }
  void Start(Int32, Int32, Bool) {}

  void Pixel(const UChar* line, std::ptrdiff_t step, const UChar* mapLine, std::ptrdiff_t mapStep, Int32 n,
             Int32 position, Int32 centre, Bool depthTest, UChar* out) const
  {
    std::int64_t sums[3] = {0, 0, 0}, count = 0;
    std::int64_t from = std::int64_t(position) - radius;
    ForEachReadSample(from, from + 2 * std::int64_t(radius) + 1, n, [&](Int32 i, std::int64_t times) {
      if (depthTest && centre > mapLine[i * mapStep] + 5) return;
      count += times;
      for (int c = 0; c < 3; ++c) sums[c] += line[i * step + c] * times;
    });
    for (int c = 0; c < 3; ++c)
      out[c] = static_cast<UChar>(static_cast<Int32>(static_cast<double>(sums[c]) / static_cast<double>(count)));
  }

private:
  Int32 radius;
};

// Passes whose every pixel is computed from its whole line by a Mean: Start(position, n,
// vertical) readies it for the pixels at that position of the lines of n pixels, Pixel
// computes one. A pixel costs up to its line's length, so blocks are narrow: a stop is
// heeded after at most kLineBlock columns' work.
constexpr Int32 kLineBlock = 8;

template <class Mean>
class LinePasses : public SeparablePasses {
public:
  template <class... MeanArgs>
  LinePasses(const FastBitmap* map, Bool depthTest, MeanArgs... meanArgs)
      : mean(meanArgs...), map(map->GetData()), width(map->GetWidth()), height(map->GetHeight()),
        depthTest(depthTest), strip(std::int64_t(height) * kLineBlock * 3)
  {
  }

  Bool Ready() const { return strip.Get() && mean.Ready(); }
  Int32 HorizontalBlock() const override { return kLineBlock; }
  Int32 VerticalBlock() const override { return kLineBlock; }

  void Horizontal(const UChar* in, UChar* out, Int32 x0, Int32 x1) override
  {
    for (Int32 x = x0; x < x1; ++x) {
      mean.Start(x, width, false);
      for (Int32 y = 0; y < height; ++y) {
        std::ptrdiff_t row = std::ptrdiff_t(y) * width * 3;
        mean.Pixel(in + row, 3, map + row, 3, width, x, map[row + x * 3], depthTest, out + row + x * 3);
      }
    }
  }

  // The block's columns are read from a copy, as the results overwrite them.
  void Vertical(UChar* image, Int32 x0, Int32 x1) override
  {
    Int32 bytes = (x1 - x0) * 3;
    CopyBlock(image, width, height, x0, bytes, strip.Get());
    std::ptrdiff_t rowBytes = std::ptrdiff_t(width) * 3;
    for (Int32 y = 0; y < height; ++y) {
      mean.Start(y, height, true);
      for (Int32 x = x0; x < x1; ++x)
        mean.Pixel(strip.Get() + (x - x0) * 3, bytes, map + x * 3, rowBytes, height, y, map[y * rowBytes + x * 3],
                   depthTest, image + y * rowBytes + x * 3);
    }
  }

private:
  Mean mean;
  const UChar* map;
  Int32 width, height;
  Bool depthTest;
  Scratch<UChar> strip; // the vertical pass's block of columns
};

// --- folded Gaussians
//
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
double GaussTail(std::int64_t a, Int32 radius, double d)
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
  FoldedGaussian(Int32 radius, double d, Int32 width, Int32 height)
      : radius(radius), d(d), rowTails(3 * std::int64_t(width)), columnTails(3 * std::int64_t(height)),
        weights(std::max(width, height))
  {
    if (Ready()) {
      FillTails(width, rowTails.Get());
      FillTails(height, columnTails.Get());
    }
  }

  Bool Ready() const { return rowTails.Get() && columnTails.Get() && weights.Get(); }

  // weights[i]: the weights of the positions of the window at position that read sample i.
  void Start(Int32 position, Int32 n, Bool vertical)
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

  void Pixel(const UChar* line, std::ptrdiff_t step, const UChar* mapLine, std::ptrdiff_t mapStep, Int32 n, Int32,
             Int32 centre, Bool depthTest, UChar* out) const
  {
    const double* w = weights.Get();
    double sums[3] = {0.0, 0.0, 0.0}, weightSum = 0.0;
    for (Int32 i = 0; i < n; ++i) {
      if (w[i] == 0.0 || (depthTest && centre > mapLine[i * mapStep] + 5)) continue;
      weightSum += w[i];
      for (int c = 0; c < 3; ++c) sums[c] += w[i] * line[i * step + c];
    }
    for (int c = 0; c < 3; ++c) out[c] = static_cast<UChar>(static_cast<Int32>(sums[c] / weightSum));
  }

private:
  // tails[a]: the weights of offsets a .. radius summed, for a from n + 1 to 3n - 1.
  void FillTails(Int32 n, double* tails) const
  {
    std::int64_t last = 3 * std::int64_t(n) - 1;
    tails[last] = GaussTail(last, radius, d);
    for (std::int64_t a = last - 1; a > n; --a) tails[a] = tails[a + 1] + (a <= radius ? GaussWeight(a, d) : 0.0);
  }

  Int32 radius;
  double d;
  Scratch<double> rowTails, columnTails;
  Scratch<double> weights;
};

// True when the source, the target and the map have storage and all sizes agree.
Bool CanBlur(FastBitmap* source, FastBitmap* target, FastBitmap* map)
{
  return source && source->GetData() && target && target->GetData() && map && map->GetData() &&
         target->SameSize(source) && target->SameSize(map);
}

}  // namespace

BlurKernel::~BlurKernel() { MemFree(storage); }

Bool BlurKernel::Init(Int32 r, Bool centres)
{
  std::int64_t span = 2 * std::int64_t(r) + 1;
  std::int64_t slotSpan = (std::int64_t(r) + 1 + kFewSlots - 1) / kFewSlots * kFewSlots;
  std::int64_t count = (centres ? 256 : 1) * (span + slotSpan);
  storage = static_cast<double*>(MemAlloc(static_cast<std::size_t>(count) * sizeof(double)));
  if (!storage) return false;
  radius = r;
  perCentre = centres;
  slotCount = static_cast<Int32>(slotSpan);
  slots = storage + (centres ? 256 : 1) * span;
  for (Int32 c = 0; c < 256; ++c) rows[c] = storage + (centres ? c * span : 0);
  return true;
}

void BlurKernel::Finish()
{
  Int32 widest = 0;
  for (Int32 c = 0; c < 256; ++c) {
    const double* row = Row(c);
    Int32 extent = radius;
    while (extent > widest && row[extent] == 0.0 && row[-extent] == 0.0) --extent;
    extents[c] = widest = extent;
    double sum = 0.0;
    for (Int32 k = -radius; k <= radius; ++k) sum = StoredSum(sum + row[k]);
    weightSums[c] = sum;
  }
  for (Int32 c = 0; c < (perCentre ? 256 : 1); ++c) {
    double* slot = slots + c * slotCount;
    slot[0] = 1.0 / weightSums[c];
    for (Int32 s = 1; s < slotCount; ++s) slot[s] = s <= radius ? Row(c)[s] : 0.0;
  }
}

Bool RunWeightedBlur(const BlurKernel& kernel, FastBitmap* source, FastBitmap* target, FastBitmap* map,
                     Bool depthTest, VideoPostStruct* vps, Float passShare)
{
  if (!CanBlur(source, target, map)) return false;
  WeightedPasses passes(kernel, map, depthTest);
  return passes.Ready() && RunPasses(passes, source, target, vps, passShare);
}

Bool RunBoxBlur(Int32 radius, FastBitmap* source, FastBitmap* target, FastBitmap* map, VideoPostStruct* vps)
{
  if (!CanBlur(source, target, map)) return false;
  BoxPasses passes(radius, target->GetWidth(), target->GetHeight());
  return passes.Ready() && RunPasses(passes, source, target, vps, 1.0);
}

Bool RunCountedMean(Int32 radius, FastBitmap* source, FastBitmap* target, FastBitmap* map, Bool depthTest,
                    VideoPostStruct* vps)
{
  if (!CanBlur(source, target, map)) return false;
  LinePasses<CountedMean> passes(map, depthTest, radius);
  return passes.Ready() && RunPasses(passes, source, target, vps, 1.0);
}

Bool RunFoldedGaussian(Int32 radius, float d, FastBitmap* source, FastBitmap* target, FastBitmap* map, Bool depthTest,
                       VideoPostStruct* vps, Float passShare)
{
  if (!CanBlur(source, target, map)) return false;
  LinePasses<FoldedGaussian> passes(map, depthTest, radius, static_cast<double>(d), map->GetWidth(), map->GetHeight());
  return passes.Ready() && RunPasses(passes, source, target, vps, passShare);
}
