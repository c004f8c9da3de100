// The vectors of the weighted blurs (WeightedSums.cpp, PlaneConversion.cpp, WeightedPasses.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "BlurKernel.h"
#include "FilterSum.h"
#include "InstructionSets.h"

namespace filters {

// The samples are converted once into planes of doubles, one per colour, and a plane of
// map values; kLanes adjacent pixels (along a row in both passes) are computed together,
// one pixel per lane, so that one vector operation advances the sums of all of them.
// Four doubles are a vector that AVX2 and AVX-512 hold in one register: wider vectors
// would be split for AVX2, which then keeps them in memory and shuffles them element by
// element.

// Pixels blurred at once: kGroups vectors of lanes whose additions interleave, so that the
// processor has one group's to do while another's wait for their previous sum.
// The macOS behaviour rounds every sum to single precision after each addition, and the
// two conversions lengthen each sum's chain several times over: there the sums of
// kGroupsPerSum adjacent groups share one vector of kSumLanes (an AVX-512 register), and
// twice the groups are blurred at once, so that four times the lanes are in flight.
constexpr bool kRoundedSums = std::is_same_v<FilterSum, float>;
constexpr int kGroups = kRoundedSums ? 4 : 2;
constexpr int kGroupPixels = kGroups * kLanes;
constexpr int kGroupsPerSum = kRoundedSums ? 2 : 1;
constexpr int kSumLanes = kGroupsPerSum * kLanes;
typedef double Lanes __attribute__((vector_size(kLanes * 8), aligned(8)));
typedef std::int32_t LaneInts __attribute__((vector_size(kLanes * 4), aligned(4)));
typedef std::uint8_t Bytes16 __attribute__((vector_size(16), aligned(1)));
typedef double SumVector __attribute__((vector_size(kSumLanes * 8), aligned(8)));
typedef std::int32_t SumInts __attribute__((vector_size(kSumLanes * 4), aligned(4)));
typedef std::int64_t SumMask __attribute__((vector_size(kSumLanes * 8)));
typedef float SumFloats __attribute__((vector_size(kSumLanes * 4)));

// The lanes as the sums are stored after each addition (FilterSum). ByBits rounds them by
// two additions on their exponents (SingleRounded), for sums that are 0 or normal
// single-precision numbers once rounded, else by the two conversions.
template <bool ByBits>
LENSARA_INLINE SumVector StoredLanes(SumVector sums)
{
  if constexpr (!kRoundedSums) {
    return sums;
  } else if constexpr (ByBits) {
    return SingleRounded<SumMask>(sums);
  } else {
    // GCC widens the 8 floats as two halves joined by a shuffle, in registers.
    return __builtin_convertvector(__builtin_convertvector(sums, SumFloats), SumVector);
  }
}

// The vertical pass works on blocks of this many columns (a multiple of kLanes), row by
// row, converting each row of the block once into a window of rows that slides down the
// image; kSpareRows rows beyond the 2 x radius + 1 a result needs let it slide that far
// before its last rows move back to its start. The rows a result reads (28 bytes a sample)
// stay within the first-level cache up to radius 8 or so.
constexpr std::int32_t kColumnBlock = 64;
// Samples per row of the window: one sum vector more than the block, so that the rows a
// result reads do not all fall into the same few cache sets, and every row starts where a
// sum vector does (a whole cache line in the macOS build), so that no load straddles two
// lines.
constexpr std::int32_t kWindowStride = kColumnBlock + kSumLanes;
constexpr std::int32_t kSpareRows = 64;

// Three colour planes and the map plane of one stretch of samples.
struct Planes {
  double* colour[3];
  std::int32_t* map;

  Planes At(std::ptrdiff_t offset) const
  {
    return {{colour[0] + offset, colour[1] + offset, colour[2] + offset}, map + offset};
  }
};

LENSARA_INLINE Lanes LoadLanes(const double* at) { return *reinterpret_cast<const Lanes*>(at); }
LENSARA_INLINE SumVector LoadSums(const double* at) { return *reinterpret_cast<const SumVector*>(at); }
LENSARA_INLINE SumInts LoadSumInts(const std::int32_t* at) { return *reinterpret_cast<const SumInts*>(at); }
LENSARA_INLINE void StoreLanes(double* at, const Lanes& lanes) { std::memcpy(at, &lanes, sizeof lanes); }

// Whole groups of pixels that hold count pixels.
template <class Count>
Count RoundToGroups(Count count)
{
  return (count + kGroupPixels - 1) / kGroupPixels * kGroupPixels;
}

// Blurs count adjacent pixels into out (3 bytes each); centre holds the first pixel's
// samples, the sample at offset k lies k samples further along the rows, or k rows of the
// window further along the columns. The planes have room for count rounded up to whole
// groups of pixels; slots has room for kGroups x the kernel's SlotCount() lane vectors.
void BlurPixelsInto(const BlurKernel& kernel, const Planes& centre, bool alongColumns, bool depthTest,
                    std::int32_t count, SumVector* slots, std::uint8_t* out);

// Pixels from .. from + count - 1 of image row y (width pixels, reflected at its ends), then
// pad cleared samples.
void ConvertRow(const std::uint8_t* image, const std::uint8_t* map, std::int32_t width, std::int32_t height,
                std::int32_t y, std::int64_t from, std::int32_t count, std::int32_t pad, const Planes& to);

// Columns x0 .. x0 + lanes - 1 of image row y (reflected into the image) into the planes
// from sample j on, cleared up to whole vectors of lanes.
void ConvertBlockRow(const std::uint8_t* image, const std::uint8_t* map, std::int32_t width, std::int32_t height,
                     std::int64_t y, std::int32_t x0, std::int32_t lanes, const Planes& to, std::ptrdiff_t j);

}  // namespace filters
