// Where the filters of the effect's macOS build compute unlike its Windows builds. A build
// configured with LENSARA_MACOS_BEHAVIOUR compiles the macOS behaviour, every other build
// the Windows one.
#pragma once

#include <cstdint>
#include <type_traits>

namespace filters {

// The type the filters store their colour sums and weight sums in after each addition;
// every addition itself is computed in double. The means' sums and counts are whole
// numbers, which single precision holds exactly while a window's sum stays below 2^24;
// past that it would stall the count and lose the mean, so the means keep them exactly.
#ifdef LENSARA_MACOS_BEHAVIOUR
using FilterSum = float;
#else
using FilterSum = double;
#endif

// True when a mean of radius needs sums that FilterSum cannot hold exactly: its windows'
// colour sums can reach 2^24. The means then keep them exactly.
constexpr bool MeanOutgrowsFilterSum(std::int64_t radius)
{
  return std::is_same_v<FilterSum, float> && 255 * (2 * radius + 1) >= (std::int64_t{1} << 24);
}

// value as stored in a FilterSum, back in double.
constexpr double StoredSum(double value) { return static_cast<double>(static_cast<FilterSum>(value)); }

// The smallest and the largest sum that SingleRoundedBits takes besides 0.
constexpr double kLeastBitsRounded = 0x1p-126;
constexpr double kMostBitsRounded = 0x1p100;

// The bits of a double rounded to single precision (to nearest, ties to even), as integer
// arithmetic on them: the 29 bits single precision drops are rounded into the 24 it keeps.
// Exact for 0 and for kLeastBitsRounded .. kMostBitsRounded, where the single-precision
// result is a normal number. Bits is std::int64_t or a vector of them.
template <class Bits>
constexpr Bits SingleRoundedBits(Bits bits)
{
  return (bits + 0x0FFFFFFF + ((bits >> 29) & 1)) & ~std::int64_t{0x1FFFFFFF};
}

}  // namespace filters
