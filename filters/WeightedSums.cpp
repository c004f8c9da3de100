// The weighted sums: kGroupPixels adjacent pixels at a time, one per lane, their samples
// and the kernel's weights in vectors.
#include <cstring>
#include <type_traits>
#include <utility>

#include "Lanes.h"

namespace filters {

namespace {

// Vectors of sums that hold the groups' lanes.
constexpr int kSumVectors = kGroups / kGroupsPerSum;

// The colour sums and the weight sums of the groups' lanes, group g's in sum vector
// g / kGroupsPerSum.
struct GroupSums {
  SumVector colour[kSumVectors][3];
  SumVector weight[kSumVectors];
};

// Group g's lanes (the g % kGroupsPerSum th of its sum vector) of whole, a vector as wide
// as a sum vector (a template, so that only the shape's branch is compiled).
template <class Part, class Whole>
LENSARA_INLINE Part GroupLanes(const Whole& whole, int g)
{
  if constexpr (sizeof(Whole) == sizeof(Part)) return whole;
  else return g % 2 ? __builtin_shufflevector(whole, whole, 4, 5, 6, 7) : __builtin_shufflevector(whole, whole, 0, 1, 2, 3);
}

// The slots of the sum vectors' lanes: slot s of sum vector v at at[v x span + s].
struct SumSlots {
  SumVector* at;
  std::ptrdiff_t span;

  SumVector* Of(int v) const { return at + v * span; }
};

// Sum vector v's weights of offsets k and -k: its slot |k| for k != 0 and 1 for offset 0.
LENSARA_INLINE SumVector WeightOf(const SumSlots& slots, int v, std::int32_t k)
{
  if (k == 0) return SumVector{} + 1.0;
  return slots.Of(v)[k < 0 ? -k : k];
}

// Adds the samples at offset at (a multiple of the stride) with the weights of offset k;
// the first offset's products start the sums (0 + x is x, as no product is -0). values
// are the sum vectors' centre map values; ByBits as StoredLanes.
template <bool DepthTest, bool ByBits>
LENSARA_INLINE void AddSamples(const Planes& centre, std::ptrdiff_t at, const SumInts* values,
                               const SumSlots& slots, std::int32_t k, bool first, GroupSums* sums)
{
#pragma GCC unroll 2
  for (int v = 0; v < kSumVectors; ++v) {
    std::ptrdiff_t i = at + v * kSumLanes;
    SumVector w = WeightOf(slots, v, k);
    if (DepthTest) {
      SumInts counts = values[v] <= LoadSumInts(centre.map + i) + 5;
      w = __builtin_convertvector(counts, SumMask) ? w : SumVector{};
      sums->weight[v] = StoredLanes<ByBits>(first ? w : sums->weight[v] + w);
    }
#pragma GCC unroll 3
    for (int c = 0; c < 3; ++c) {
      SumVector product = w * LoadSums(centre.colour[c] + i);
      sums->colour[v][c] = StoredLanes<ByBits>(first ? product : sums->colour[v][c] + product);
    }
  }
}

LENSARA_INLINE void LoadGroupValues(const std::int32_t* map, SumInts* values)
{
  for (int v = 0; v < kSumVectors; ++v) values[v] = LoadSumInts(map + v * kSumLanes);
}

// The sums of the lanes at offsets -extent .. extent (extent > 0), stride apart.
template <bool DepthTest, bool ByBits, class Stride>
LENSARA_INLINE void SumLanes(const Planes& centre, Stride stride, std::int32_t extent, const SumSlots& slots,
                             GroupSums* sums)
{
  SumInts values[kSumVectors];
  LoadGroupValues(centre.map, values);
  AddSamples<DepthTest, ByBits>(centre, -extent * stride, values, slots, -extent, true, sums);
#pragma GCC unroll 4
  for (std::int32_t k = 1 - extent; k <= extent; ++k)
    AddSamples<DepthTest, ByBits>(centre, k * stride, values, slots, k, false, sums);
}

// SumLanes for an extent of Extent .. Largest, with the loop unrolled for each extent so
// that the weights can stay in registers.
template <bool DepthTest, bool ByBits, std::int32_t Extent, std::int32_t Largest, class Stride>
LENSARA_INLINE void SumUnrolled(const Planes& centre, Stride stride, std::int32_t extent, const SumSlots& slots,
                                GroupSums* sums)
{
  if constexpr (Extent < Largest) {
    if (extent > Extent) return SumUnrolled<DepthTest, ByBits, Extent + 1, Largest>(centre, stride, extent, slots, sums);
  }
  SumInts values[kSumVectors];
  LoadGroupValues(centre.map, values);
#pragma GCC unroll 32
  for (std::int32_t k = -Extent; k <= Extent; ++k)
    AddSamples<DepthTest, ByBits>(centre, k * stride, values, slots, k, k == -Extent, sums);
}

// Twice the largest error of a quotient taken as sum x rounded inverse (at most about
// 2^-52 relative on values below 2^8) and of the correctly rounded quotient (2^-53
// relative).
constexpr double kQuotientSlack = 0x1p-40;

// True when any lane of lanes (LaneInts or SumInts) is not 0.
template <class Ints>
LENSARA_INLINE bool AnySet(Ints lanes)
{
  typedef std::uint64_t Halves __attribute__((vector_size(16)));
  LaneInts folded = GroupLanes<LaneInts>(lanes, 0) | GroupLanes<LaneInts>(lanes, 1);
  Halves halves;
  static_assert(sizeof halves == sizeof folded);
  std::memcpy(&halves, &folded, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// trunc(sums[c] / weight sum) per lane and colour, where inverse is 1 / weight sum
// rounded. The product truncates to the same integer as the quotient unless an integer
// lies within the slack of it, where the quotient's rounding could decide; only then are
// the lanes divided, by the weight sums that weights() gives.
template <class WeightSums>
LENSARA_INLINE void TruncatedQuotients(const SumVector* sums, SumVector inverse, WeightSums weights,
                                       SumInts* results)
{
  SumInts differ = {};
#pragma GCC unroll 3
  for (int c = 0; c < 3; ++c) {
    SumVector approximate = sums[c] * inverse;
    results[c] = __builtin_convertvector(approximate - kQuotientSlack, SumInts);
    differ |= results[c] ^ __builtin_convertvector(approximate + kQuotientSlack, SumInts);
  }
  if (!AnySet(differ)) return;
  SumVector w = weights();
  for (int c = 0; c < 3; ++c) results[c] = __builtin_convertvector(sums[c] / w, SumInts);
}

// Slightly more than a quotient taken as sum x rounded inverse can lie below the true one:
// at most 1.5 x 2^-52 relative, 2^-43 below 2^9.
constexpr double kQuotientNudge = 0x1p-32;

// TruncatedQuotients for sums and weight sums that are single-precision numbers, the sums
// not negative and the weight sums positive: their quotient is a whole number or lies at
// least 2^-25 from one when it is 1/2 or more (sum - n x weight sum is a multiple of the
// smaller unit in the last place of the two, which is at least 2^-24 of the weight sum's
// size), so the product nudged up by more than its error truncates as the quotient does.
LENSARA_INLINE void TruncatedSingleQuotients(const SumVector* sums, SumVector inverse, SumInts* results)
{
#pragma GCC unroll 3
  for (int c = 0; c < 3; ++c) results[c] = __builtin_convertvector(sums[c] * inverse + kQuotientNudge, SumInts);
}

typedef std::uint8_t SumBytes __attribute__((vector_size(kSumLanes * 4)));
typedef std::uint8_t PixelHalf __attribute__((vector_size(kSumLanes * 2), aligned(1)));
typedef std::uint8_t PixelQuarter __attribute__((vector_size(kSumLanes), aligned(1)));

// Bytes From .. From + sizeof(Part) - 1 of bytes (a template, so that the shuffle's
// indices are constants).
template <class Part, std::size_t From, std::size_t... I>
LENSARA_INLINE Part BytesFrom(SumBytes bytes, std::index_sequence<I...>)
{
  return __builtin_shufflevector(bytes, bytes, (From + I)...);
}

// The words' bytes without every fourth: the lanes' pixels, then kSumLanes spare bytes.
// Dropped within each 16 bytes, then the words moved together: two shuffles that every
// instruction set has, where one across 16-byte halves would take four.
constexpr std::size_t ByteWithinHalf(std::size_t i)
{
  return i % 16 < 12 ? i / 16 * 16 + i % 16 / 3 * 4 + i % 16 % 3 : i;
}
constexpr std::size_t WordAcrossHalves(std::size_t j)
{
  constexpr std::size_t kPixelWords = 3 * kSumLanes / 4;
  return j < kPixelWords ? j / 3 * 4 + j % 3 : (j - kPixelWords) * 4 + 3;
}

template <std::size_t... I, std::size_t... J>
LENSARA_INLINE SumBytes PixelBytes(SumInts words, std::index_sequence<I...>, std::index_sequence<J...>)
{
  SumBytes bytes;
  std::memcpy(&bytes, &words, sizeof bytes);
  bytes = __builtin_shufflevector(bytes, bytes, ByteWithinHalf(I)...);
  std::memcpy(&words, &bytes, sizeof words);
  words = __builtin_shufflevector(words, words, WordAcrossHalves(J)...);
  std::memcpy(&bytes, &words, sizeof bytes);
  return bytes;
}

// The lanes' pixels, their three colours' bytes packed into one word per lane, into out
// (count pixels at most). The pixels are stored in order along the run: while the next
// sum vector's pixels cover the spare bytes past these, one store of the whole vector
// writes them.
LENSARA_INLINE void StorePixels(const SumInts* colours, std::int32_t count, std::uint8_t* out)
{
  SumInts words = colours[0] | colours[1] << 8 | colours[2] << 16;
  SumBytes pixels = PixelBytes(words, std::make_index_sequence<sizeof words>(), std::make_index_sequence<kSumLanes>());
  if (3 * count >= 4 * kSumLanes) return (void)std::memcpy(out, &pixels, sizeof pixels);
  if (count < kSumLanes) return (void)std::memcpy(out, &pixels, count * 3);
  // Two stores straight from the register (a copy of the vector would go through memory).
  PixelHalf half = BytesFrom<PixelHalf, 0>(pixels, std::make_index_sequence<sizeof(PixelHalf)>());
  PixelQuarter quarter = BytesFrom<PixelQuarter, sizeof half>(pixels, std::make_index_sequence<sizeof(PixelQuarter)>());
  std::memcpy(out, &half, sizeof half);
  std::memcpy(out + sizeof half, &quarter, sizeof quarter);
}

// a[i][j] becomes out[j][i] for 4 x 4 doubles, in each group's half of a sum vector
// alike (a template, so that only the shape's branch is compiled).
template <class Sums = SumVector>
LENSARA_INLINE void Transpose(const Sums* a, Sums* out)
{
  if constexpr (sizeof(Sums) == sizeof(Lanes)) {
    Sums p0 = __builtin_shufflevector(a[0], a[1], 0, 4, 2, 6), p1 = __builtin_shufflevector(a[0], a[1], 1, 5, 3, 7);
    Sums p2 = __builtin_shufflevector(a[2], a[3], 0, 4, 2, 6), p3 = __builtin_shufflevector(a[2], a[3], 1, 5, 3, 7);
    out[0] = __builtin_shufflevector(p0, p2, 0, 1, 4, 5);
    out[1] = __builtin_shufflevector(p1, p3, 0, 1, 4, 5);
    out[2] = __builtin_shufflevector(p0, p2, 2, 3, 6, 7);
    out[3] = __builtin_shufflevector(p1, p3, 2, 3, 6, 7);
  } else {
    Sums p0 = __builtin_shufflevector(a[0], a[1], 0, 8, 2, 10, 4, 12, 6, 14);
    Sums p1 = __builtin_shufflevector(a[0], a[1], 1, 9, 3, 11, 5, 13, 7, 15);
    Sums p2 = __builtin_shufflevector(a[2], a[3], 0, 8, 2, 10, 4, 12, 6, 14);
    Sums p3 = __builtin_shufflevector(a[2], a[3], 1, 9, 3, 11, 5, 13, 7, 15);
    out[0] = __builtin_shufflevector(p0, p2, 0, 1, 8, 9, 4, 5, 12, 13);
    out[1] = __builtin_shufflevector(p1, p3, 0, 1, 8, 9, 4, 5, 12, 13);
    out[2] = __builtin_shufflevector(p0, p2, 2, 3, 10, 11, 6, 7, 14, 15);
    out[3] = __builtin_shufflevector(p1, p3, 2, 3, 10, 11, 6, 7, 14, 15);
  }
}

// Slots s .. s + kLanes - 1 of lane i of a sum vector, then those of the same lane of its
// second group.
template <class Sums = SumVector>
LENSARA_INLINE Sums SlotRow(const BlurKernel& kernel, const std::int32_t* centre, int i, std::int32_t s)
{
  Lanes first = LoadLanes(kernel.Slots(centre[i]) + s);
  if constexpr (sizeof(Sums) == sizeof(Lanes)) return first;
  else return __builtin_shufflevector(first, LoadLanes(kernel.Slots(centre[i + kLanes]) + s), 0, 1, 2, 3, 4, 5, 6, 7);
}

// A sum vector's slots s .. s + kLanes - 1 (the kernel's inverse and weights of its lanes'
// centre values), slot j of all lanes in slots[j].
template <bool PerCentre>
LENSARA_INLINE void LoadSlotBlock(const BlurKernel& kernel, const std::int32_t* centre, std::int32_t s,
                                  SumVector* slots)
{
  if (!PerCentre) {
    for (std::int32_t j = s; j < s + kLanes; ++j) slots[j] = SumVector{} + kernel.Slots(0)[j];
    return;
  }
  SumVector rows[kLanes];
  for (int i = 0; i < kLanes; ++i) rows[i] = SlotRow(kernel, centre, i, s);
  Transpose(rows, slots + s);
}

// The larger of a and b in each lane (LaneInts or SumInts).
template <class Ints>
LENSARA_INLINE Ints Larger(Ints a, Ints b)
{
  return a > b ? a : b;
}

// The largest of the lanes' values.
static_assert(kLanes == 4, "the shuffles are written for 4 lanes");
LENSARA_INLINE std::int32_t LargestLane(SumInts lanes)
{
  LaneInts v = Larger(GroupLanes<LaneInts>(lanes, 0), GroupLanes<LaneInts>(lanes, 1));
  v = Larger(v, __builtin_shufflevector(v, v, 2, 3, 0, 1));
  v = Larger(v, __builtin_shufflevector(v, v, 1, 0, 3, 2));
  return v[0];
}

// The furthest offset any lane of the groups needs: beyond it every lane's weight is 0.
template <bool PerCentre>
LENSARA_INLINE std::int32_t LaneExtent(const BlurKernel& kernel, const std::int32_t* centre)
{
  if (!PerCentre) return kernel.Extent(0);
  SumInts largest = LoadSumInts(centre);
  for (int v = 1; v < kSumVectors; ++v) largest = Larger(largest, LoadSumInts(centre + v * kSumLanes));
  return kernel.Extent(LargestLane(largest));
}

// Slots s .. s + kLanes - 1 of every sum vector's lanes.
template <bool PerCentre>
LENSARA_INLINE void LoadSumSlots(const BlurKernel& kernel, const std::int32_t* centre, std::int32_t s,
                                 const SumSlots& slots)
{
  for (int v = 0; v < kSumVectors; ++v) LoadSlotBlock<PerCentre>(kernel, centre + v * kSumLanes, s, slots.Of(v));
}

// SumLanes for extents 1 .. kFewSlots - 1, whose slots are loaded in one block or two and
// kept in registers; the sum vectors' inverse weight sums into inverse.
template <bool DepthTest, bool PerCentre, bool ByBits, class Stride>
LENSARA_INLINE void SumFewLanes(const BlurKernel& kernel, const Planes& centre, Stride stride, std::int32_t extent,
                                GroupSums* sums, SumVector* inverse)
{
  SumVector few[kSumVectors * kFewSlots];
  SumSlots slots{few, kFewSlots};
  LoadSumSlots<PerCentre>(kernel, centre.map, 0, slots);
  if (extent < kLanes) {
    SumUnrolled<DepthTest, ByBits, 1, kLanes - 1>(centre, stride, extent, slots, sums);
  } else {
    LoadSumSlots<PerCentre>(kernel, centre.map, kLanes, slots);
    SumUnrolled<DepthTest, ByBits, kLanes, kFewSlots - 1>(centre, stride, extent, slots, sums);
  }
  for (int v = 0; v < kSumVectors; ++v) inverse[v] = slots.Of(v)[0];
}

// The sums of the groups' lanes at offsets -extent .. extent (extent > 0) and their
// inverse weight sums; scratch as BlurLanes's.
template <bool DepthTest, bool PerCentre, bool ByBits, class Stride>
LENSARA_INLINE void SumGroupsRounded(const BlurKernel& kernel, const Planes& centre, Stride stride,
                                     std::int32_t extent, SumVector* scratch, GroupSums* sums, SumVector* inverse)
{
  if (extent < kFewSlots) return SumFewLanes<DepthTest, PerCentre, ByBits>(kernel, centre, stride, extent, sums, inverse);
  SumSlots slots{scratch, kernel.SlotCount()};
  for (std::int32_t s = 0; s <= extent; s += kLanes) LoadSumSlots<PerCentre>(kernel, centre.map, s, slots);
  SumLanes<DepthTest, ByBits>(centre, stride, extent, slots, sums);
  for (int v = 0; v < kSumVectors; ++v) inverse[v] = slots.Of(v)[0];
}

// True when no lane of the groups has a centre value with tiny weights (BlurKernel), so
// that every sum rounds by two additions on its exponent bits (SingleRounded).
LENSARA_INLINE bool RoundsByBits(const BlurKernel& kernel, const std::int32_t* centre)
{
  SumInts tiny = {};
  for (int v = 0; v < kSumVectors; ++v) {
    SumInts values = LoadSumInts(centre + v * kSumLanes);
    tiny |= (values >= kernel.TinyFrom()) & (values <= kernel.TinyTo());
  }
  return !AnySet(tiny);
}

// SumGroupsRounded, rounding by the exponent bits where it can. True when it did: the
// sums are then single-precision numbers and not negative, the weight sums at least 1.
template <bool DepthTest, bool PerCentre, class Stride>
LENSARA_INLINE bool SumGroups(const BlurKernel& kernel, const Planes& centre, Stride stride, std::int32_t extent,
                              SumVector* scratch, GroupSums* sums, SumVector* inverse)
{
  if constexpr (kRoundedSums) {
    if (RoundsByBits(kernel, centre.map)) {
      SumGroupsRounded<DepthTest, PerCentre, true>(kernel, centre, stride, extent, scratch, sums, inverse);
      return true;
    }
  }
  SumGroupsRounded<DepthTest, PerCentre, false>(kernel, centre, stride, extent, scratch, sums, inverse);
  return false;
}

// Blurs the kGroupPixels pixels whose samples sit at centre into out (3 bytes each, count
// of them at most): without the depth test every pixel's weight sum is its centre
// value's. scratch has room for kSumVectors x the kernel's SlotCount() sum vectors.
template <bool DepthTest, bool PerCentre, class Stride>
LENSARA_INLINE void BlurLanes(const BlurKernel& kernel, const Planes& centre, Stride stride, std::int32_t count,
                              SumVector* scratch, std::uint8_t* out)
{
  std::int32_t extent = LaneExtent<PerCentre>(kernel, centre.map);
  SumInts results[3];
  if (extent == 0) {
    // Each lane's only sample is its own pixel, with weight 1: the pixel stays as it is.
    for (int v = 0; v < kSumVectors && v * kSumLanes < count; ++v) {
      for (int c = 0; c < 3; ++c)
        results[c] = __builtin_convertvector(LoadSums(centre.colour[c] + v * kSumLanes), SumInts);
      StorePixels(results, count - v * kSumLanes, out + v * kSumLanes * 3);
    }
    return;
  }
  GroupSums sums;
  SumVector inverse[kSumVectors];
  bool singles = SumGroups<DepthTest, PerCentre>(kernel, centre, stride, extent, scratch, &sums, inverse);
  for (int v = 0; v < kSumVectors && v * kSumLanes < count; ++v) {
    if (DepthTest) inverse[v] = 1.0 / sums.weight[v];
    auto weights = [&]() __attribute__((always_inline)) {
      if (DepthTest) return sums.weight[v];
      SumVector w;
      for (int i = 0; i < kSumLanes; ++i) w[i] = kernel.WeightSum(centre.map[v * kSumLanes + i]);
      return w;
    };
    if (singles)
      TruncatedSingleQuotients(sums.colour[v], inverse[v], results);
    else
      TruncatedQuotients(sums.colour[v], inverse[v], weights, results);
    StorePixels(results, count - v * kSumLanes, out + v * kSumLanes * 3);
  }
}

// BlurLanes along a run of count pixels (centre by value: a copy that the stores cannot
// change, so that its pointers stay in registers).
template <bool DepthTest, bool PerCentre, class Stride>
LENSARA_INLINE void BlurRun(const BlurKernel& kernel, Planes centre, Stride stride, std::int32_t count,
                            SumVector* slots, std::uint8_t* out)
{
  for (std::int32_t p = 0; p < count; p += kGroupPixels)
    BlurLanes<DepthTest, PerCentre>(kernel, centre.At(p), stride, count - p, slots, out + p * 3);
}

// The distance of adjacent samples in the planes along the rows and along the columns of
// the vertical pass's window: constants, so that every sample's address is a register
// plus a constant.
using AlongRows = std::integral_constant<std::ptrdiff_t, 1>;
using AlongColumns = std::integral_constant<std::ptrdiff_t, kWindowStride>;

template <bool DepthTest, bool PerCentre>
LENSARA_INLINE void BlurRunAlong(const BlurKernel& kernel, const Planes& centre, bool alongColumns, std::int32_t count,
                                 SumVector* slots, std::uint8_t* out)
{
  if (alongColumns)
    BlurRun<DepthTest, PerCentre>(kernel, centre, AlongColumns(), count, slots, out);
  else
    BlurRun<DepthTest, PerCentre>(kernel, centre, AlongRows(), count, slots, out);
}

}  // namespace

LENSARA_CLONES void BlurPixelsInto(const BlurKernel& kernel, const Planes& centre, bool alongColumns, bool depthTest,
                                   std::int32_t count, SumVector* slots, std::uint8_t* out)
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

}  // namespace filters
