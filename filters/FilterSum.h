// Where the filters of the effect's macOS build compute unlike its Windows builds. A build
// configured with LENSARA_MACOS_BEHAVIOUR compiles the macOS behaviour, every other build
// the Windows one.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "InstructionSets.h"

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

// The smallest and the largest sum that SingleRounded takes besides 0.
constexpr double kLeastSingleRounded = 0x1p-126;
constexpr double kMostSingleRounded = 0x1p100;

// x rounded to single precision (to nearest, ties to even), in double, by two additions
// that the processor issues more readily than the two conversions. For x in [2^e, 2^(e+1))
// take M = 2^(e+29), from x's sign and exponent bits. The doubles from M to 2M are 2^(e-23)
// apart, single precision's spacing in x's binade, so x + M rounds to M plus x rounded to
// single precision, ties to even as M is an even multiple of that spacing, and to 2M where
// x carries into the next binade; taking M off again is exact, the difference lying within
// a factor 2 of M (Sterbenz). Negative x alike, with -M. Exact for 0 (M is then 2^-994)
// and for magnitudes kLeastSingleRounded .. kMostSingleRounded, where the single-precision
// result is a normal number. Value is double or a vector of them, Bits std::int64_t or a
// vector of as many.
template <class Bits, class Value>
LENSARA_INLINE Value SingleRounded(Value x)
{
  static_assert(sizeof(Bits) == sizeof(Value));
  constexpr std::int64_t kSignAndExponent = ~((std::int64_t{1} << 52) - 1);
  Bits bits;
  std::memcpy(&bits, &x, sizeof bits);
  bits = (bits & kSignAndExponent) + (std::int64_t{29} << 52);
  Value m;
  std::memcpy(&m, &bits, sizeof m);
  return (x + m) - m;
}

}  // namespace filters
