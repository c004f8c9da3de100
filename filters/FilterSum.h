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

// a x b + c rounded once, lane by lane: one instruction where the processor has fused
// multiply-adds (the x86-64-v3 and v4 copies), a call to the C library's fma in the baseline
// copy. Value is double or a vector of them.
template <class Value>
LENSARA_INLINE Value FusedMultiplyAdd(Value a, double b, Value c)
{
  if constexpr (std::is_same_v<Value, double>) {
    return __builtin_fma(a, b, c);
  } else {
    Value r;
    for (int i = 0; i < static_cast<int>(sizeof(Value) / sizeof(double)); ++i) r[i] = __builtin_fma(a[i], b, c[i]);
    return r;
  }
}

// x rounded to single precision (to nearest, ties to even), in double, by two additions
// that the processor issues more readily than the two conversions. For x in [2^e, 2^(e+1))
// take m = 2^e, x's sign and exponent bits, and M = 2^29 m. The doubles from M to 2M are
// 2^(e-23) apart, single precision's spacing in x's binade, so x + M rounds to M plus x
// rounded to single precision, ties to even as M is an even multiple of that spacing, and
// to 2M where x carries into the next binade; taking M off again is exact, the difference
// lying within a factor 2 of M (Sterbenz). Negative x alike, with -M. Each addition is a
// fused multiply-add of m by 2^29, a product that is exact, so it rounds as the addition
// alone would. Exact for 0 (m is then 0) and for magnitudes kLeastSingleRounded ..
// kMostSingleRounded, where the single-precision result is a normal number. Value is
// double or a vector of them, Bits std::int64_t or a vector of as many.
template <class Bits, class Value>
LENSARA_INLINE Value SingleRounded(Value x)
{
  static_assert(sizeof(Bits) == sizeof(Value));
  constexpr std::int64_t kSignAndExponent = ~((std::int64_t{1} << 52) - 1);
  Bits bits;
  std::memcpy(&bits, &x, sizeof bits);
  bits &= kSignAndExponent;
  Value m;
  std::memcpy(&m, &bits, sizeof m);
  return FusedMultiplyAdd(m, -0x1p29, FusedMultiplyAdd(m, 0x1p29, x));
}

}  // namespace filters
