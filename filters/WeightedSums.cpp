// The weighted sums: kGroupPixels adjacent pixels at a time, one per lane, their samples
// and the kernel's weights in vectors.
#include <cstring>
#include <type_traits>

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

// Group g's lanes of a sum vector (a template, so that only the shape's branch is compiled).
template <class Sums = SumVector>
LENSARA_INLINE Lanes GroupLanes(const Sums& sums, int g)
{
  if constexpr (sizeof(Sums) == sizeof(Lanes)) return sums;
  else return g % 2 ? __builtin_shufflevector(sums, sums, 4, 5, 6, 7) : __builtin_shufflevector(sums, sums, 0, 1, 2, 3);
}

// The slots of the groups' lanes: slot s of group g at at[g x span + s].
struct GroupSlots {
  Lanes* at;
  std::ptrdiff_t span;

  Lanes* Of(int g) const { return at + g * span; }
};

// Sum vector v's weights of offsets k and -k: its groups' slot |k| for k != 0 and 1 for
// offset 0.
template <class Sums = SumVector>
LENSARA_INLINE Sums WeightOf(const GroupSlots& slots, int v, std::int32_t k)
{
  if (k == 0) return Sums{} + 1.0;
  std::int32_t s = k < 0 ? -k : k;
  const Lanes& first = slots.Of(v * kGroupsPerSum)[s];
  if constexpr (sizeof(Sums) == sizeof(Lanes)) return first;
  else return __builtin_shufflevector(first, slots.Of(v * kGroupsPerSum + 1)[s], 0, 1, 2, 3, 4, 5, 6, 7);
}

// Adds the samples at offset at (a multiple of the stride) with the weights of offset k;
// the first offset's products start the sums (0 + x is x, as no product is -0). values
// are the sum vectors' centre map values; ByBits as StoredLanes.
template <bool DepthTest, bool ByBits>
LENSARA_INLINE void AddSamples(const Planes& centre, std::ptrdiff_t at, const SumInts* values,
                               const GroupSlots& slots, std::int32_t k, bool first, GroupSums* sums)
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
LENSARA_INLINE void SumLanes(const Planes& centre, Stride stride, std::int32_t extent, const GroupSlots& slots,
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
LENSARA_INLINE void SumUnrolled(const Planes& centre, Stride stride, std::int32_t extent, const GroupSlots& slots,
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

LENSARA_INLINE bool AnySet(LaneInts lanes)
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
LENSARA_INLINE void StorePixels(const LaneInts* colours, std::int32_t count, std::uint8_t* out)
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
  std::int32_t high = packed[2];
  std::memcpy(out, &low, sizeof low);
  std::memcpy(out + sizeof low, &high, sizeof high);
}

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
template <bool PerCentre>
LENSARA_INLINE void LoadSlotBlock(const BlurKernel& kernel, const std::int32_t* centre, std::int32_t s, Lanes* slots)
{
  if (!PerCentre) {
    for (std::int32_t j = s; j < s + kLanes; ++j) slots[j] = Lanes{} + kernel.Slots(0)[j];
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
LENSARA_INLINE std::int32_t LargestLane(LaneInts v)
{
  v = Larger(v, __builtin_shufflevector(v, v, 2, 3, 0, 1));
  v = Larger(v, __builtin_shufflevector(v, v, 1, 0, 3, 2));
  return v[0];
}

// The furthest offset any lane of the groups needs: beyond it every lane's weight is 0.
template <bool PerCentre>
LENSARA_INLINE std::int32_t LaneExtent(const BlurKernel& kernel, const std::int32_t* centre)
{
  if (!PerCentre) return kernel.Extent(0);
  LaneInts largest = LoadLaneInts(centre);
  for (int g = 1; g < kGroups; ++g) largest = Larger(largest, LoadLaneInts(centre + g * kLanes));
  return kernel.Extent(LargestLane(largest));
}

// Slots s .. s + kLanes - 1 of every group's lanes.
template <bool PerCentre>
LENSARA_INLINE void LoadGroupSlots(const BlurKernel& kernel, const std::int32_t* centre, std::int32_t s,
                                   const GroupSlots& slots)
{
  for (int g = 0; g < kGroups; ++g) LoadSlotBlock<PerCentre>(kernel, centre + g * kLanes, s, slots.Of(g));
}

// SumLanes for extents 1 .. kFewSlots - 1, whose slots are loaded in one block or two and
// kept in registers; the groups' inverse weight sums into inverse.
template <bool DepthTest, bool PerCentre, bool ByBits, class Stride>
LENSARA_INLINE void SumFewLanes(const BlurKernel& kernel, const Planes& centre, Stride stride, std::int32_t extent,
                                GroupSums* sums, Lanes* inverse)
{
  Lanes few[kGroups * kFewSlots];
  GroupSlots slots{few, kFewSlots};
  LoadGroupSlots<PerCentre>(kernel, centre.map, 0, slots);
  if (extent < kLanes) {
    SumUnrolled<DepthTest, ByBits, 1, kLanes - 1>(centre, stride, extent, slots, sums);
  } else {
    LoadGroupSlots<PerCentre>(kernel, centre.map, kLanes, slots);
    SumUnrolled<DepthTest, ByBits, kLanes, kFewSlots - 1>(centre, stride, extent, slots, sums);
  }
  for (int g = 0; g < kGroups; ++g) inverse[g] = slots.Of(g)[0];
}

// The sums of the groups' lanes at offsets -extent .. extent (extent > 0) and their
// inverse weight sums; scratch as BlurLanes's.
template <bool DepthTest, bool PerCentre, bool ByBits, class Stride>
LENSARA_INLINE void SumGroupsRounded(const BlurKernel& kernel, const Planes& centre, Stride stride,
                                     std::int32_t extent, Lanes* scratch, GroupSums* sums, Lanes* inverse)
{
  if (extent < kFewSlots) return SumFewLanes<DepthTest, PerCentre, ByBits>(kernel, centre, stride, extent, sums, inverse);
  GroupSlots slots{scratch, kernel.SlotCount()};
  for (std::int32_t s = 0; s <= extent; s += kLanes) LoadGroupSlots<PerCentre>(kernel, centre.map, s, slots);
  SumLanes<DepthTest, ByBits>(centre, stride, extent, slots, sums);
  for (int g = 0; g < kGroups; ++g) inverse[g] = slots.Of(g)[0];
}

// True when no lane of the groups has a centre value with tiny weights (BlurKernel), so
// that every sum rounds by its bits.
LENSARA_INLINE bool RoundsByBits(const BlurKernel& kernel, const std::int32_t* centre)
{
  LaneInts tiny = {};
  for (int g = 0; g < kGroups; ++g) {
    LaneInts values = LoadLaneInts(centre + g * kLanes);
    tiny |= (values >= kernel.TinyFrom()) & (values <= kernel.TinyTo());
  }
  return !AnySet(tiny);
}

// SumGroupsRounded, rounding by the bits where it can.
template <bool DepthTest, bool PerCentre, class Stride>
LENSARA_INLINE void SumGroups(const BlurKernel& kernel, const Planes& centre, Stride stride, std::int32_t extent,
                              Lanes* scratch, GroupSums* sums, Lanes* inverse)
{
  if constexpr (kRoundedSums) {
    if (RoundsByBits(kernel, centre.map))
      return SumGroupsRounded<DepthTest, PerCentre, true>(kernel, centre, stride, extent, scratch, sums, inverse);
  }
  SumGroupsRounded<DepthTest, PerCentre, false>(kernel, centre, stride, extent, scratch, sums, inverse);
}

// The groups' results as bytes into out (count pixels at most).
LENSARA_INLINE void StoreGroups(const LaneInts (*results)[3], std::int32_t count, std::uint8_t* out)
{
  for (int g = 0; g < kGroups && g * kLanes < count; ++g)
    StorePixels(results[g], count - g * kLanes, out + g * kLanes * 3);
}

// Blurs the kGroupPixels pixels whose samples sit at centre into out (3 bytes each, count
// of them at most): without the depth test every pixel's weight sum is its centre
// value's. scratch has room for kGroups x the kernel's SlotCount() lane vectors.
template <bool DepthTest, bool PerCentre, class Stride>
LENSARA_INLINE void BlurLanes(const BlurKernel& kernel, const Planes& centre, Stride stride, std::int32_t count,
                              Lanes* scratch, std::uint8_t* out)
{
  std::int32_t extent = LaneExtent<PerCentre>(kernel, centre.map);
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
  SumGroups<DepthTest, PerCentre>(kernel, centre, stride, extent, scratch, &sums, inverse);
  for (int g = 0; g < kGroups; ++g) {
    const SumVector* colours = sums.colour[g / kGroupsPerSum];
    Lanes colour[3] = {GroupLanes(colours[0], g), GroupLanes(colours[1], g), GroupLanes(colours[2], g)};
    Lanes weightSums = DepthTest ? GroupLanes(sums.weight[g / kGroupsPerSum], g) : Lanes{};
    if (DepthTest) inverse[g] = 1.0 / weightSums;
    auto weights = [&]() __attribute__((always_inline)) {
      if (DepthTest) return weightSums;
      Lanes w;
      for (int i = 0; i < kLanes; ++i) w[i] = kernel.WeightSum(centre.map[g * kLanes + i]);
      return w;
    };
    TruncatedQuotients(colour, inverse[g], weights, results[g]);
  }
  StoreGroups(results, count, out);
}

template <bool DepthTest, bool PerCentre, class Stride>
LENSARA_INLINE void BlurRun(const BlurKernel& kernel, const Planes& centre, Stride stride, std::int32_t count,
                            Lanes* slots, std::uint8_t* out)
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
                                 Lanes* slots, std::uint8_t* out)
{
  if (alongColumns)
    BlurRun<DepthTest, PerCentre>(kernel, centre, AlongColumns(), count, slots, out);
  else
    BlurRun<DepthTest, PerCentre>(kernel, centre, AlongRows(), count, slots, out);
}

}  // namespace

LENSARA_CLONES void BlurPixelsInto(const BlurKernel& kernel, Planes centre, bool alongColumns, bool depthTest,
                                   std::int32_t count, Lanes* slots, std::uint8_t* out)
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
