// The samples of the weighted blurs: bytes converted into planes of doubles, eight pixels
// at a time.
#include <algorithm>
#include <cstring>
#include <utility>

#include "EdgeIndex.h"
#include "Lanes.h"

namespace filters {

namespace {

LENSARA_INLINE void ConvertPixel(const std::uint8_t* pixel, const std::uint8_t* mapPixel, const Planes& to,
                                 std::ptrdiff_t j)
{
  for (int c = 0; c < 3; ++c) to.colour[c][j] = pixel[c];
  to.map[j] = mapPixel[0];
}

// Pixels converted at once: two vectors of lanes, from two loads of 16 bytes.
constexpr std::int32_t kConvertRun = 8;
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

LENSARA_INLINE Bytes16 LoadBytes(const std::uint8_t* at) { return *reinterpret_cast<const Bytes16*>(at); }

typedef std::uint8_t Bytes32 __attribute__((vector_size(32)));

// The 16 bytes in both halves of a 32-byte vector, so that the shuffles below move bytes
// only within a half: one instruction on every instruction set.
LENSARA_INLINE Bytes32 Twice(Bytes16 b)
{
  return __builtin_shufflevector(b, b, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7,
                                 8, 9, 10, 11, 12, 13, 14, 15);
}

// Less 2^52, the double whose bits are 0x43300000000000bb is the byte bb. The four pixels
// of a load fill 12 of its 16 bytes; the other four (spare) are set to 0, 0x30, 0x43 and 0,
// so that one shuffle puts every byte of four such doubles in place. (A conversion from
// integers would be split into halves in the AVX2 copy.)
constexpr Bytes16 kBiasBytes = {0, 0x30, 0x43, 0, 0, 0x30, 0x43, 0, 0, 0x30, 0x43, 0, 0, 0x30, 0x43, 0};

// bytes with its four spare bytes, from Spare on (a multiple of 4), set to 0, 0x30, 0x43, 0.
template <int Spare, std::size_t... I>
LENSARA_INLINE Bytes16 WithBias(Bytes16 bytes, std::index_sequence<I...>)
{
  return __builtin_shufflevector(bytes, kBiasBytes, (I >= Spare && I < Spare + 4 ? 16 + I : I)...);
}

template <int Spare>
LENSARA_INLINE Bytes16 WithBias(Bytes16 bytes)
{
  return WithBias<Spare>(bytes, std::make_index_sequence<16>());
}

// Byte C of the four pixels that start at byte At of the 16 bytes, whose spare bytes start
// at Spare, as doubles.
template <int C, int At, int Spare>
LENSARA_INLINE Lanes PixelColour(const Bytes32& twice)
{
  constexpr int p = At + C, q = 16 + At + C, z = Spare, l = Spare + 1, h = Spare + 2;
  Bytes32 moved = __builtin_shufflevector(twice, twice, p, z, z, z, z, z, l, h, p + 3, z, z, z, z, z, l, h, q + 6,
                                          16 + z, 16 + z, 16 + z, 16 + z, 16 + z, 16 + l, 16 + h, q + 9, 16 + z, 16 + z,
                                          16 + z, 16 + z, 16 + z, 16 + l, 16 + h);
  Lanes biased;
  std::memcpy(&biased, &moved, sizeof biased);
  return biased - 0x1p52;
}

// Colour C of kConvertRun adjacent pixels as doubles into to. Their 24 bytes are loaded as
// bytes 0 .. 15 and 8 .. 23, two loads that stay within them: pixels 0 .. 3 start at byte
// 0 of the first, bytes 12 .. 15 spare, pixels 4 .. 7 at byte 4 of the second, bytes 0 ..
// 3 spare.
template <int C>
LENSARA_INLINE void ConvertColour(const Bytes32& low, const Bytes32& high, double* to)
{
  StoreLanes(to, PixelColour<C, 0, 12>(low));
  StoreLanes(to + kLanes, PixelColour<C, 4, 0>(high));
}

// kConvertRun adjacent pixels into the planes from j on.
LENSARA_INLINE void ConvertPixelRun(const std::uint8_t* pixels, const std::uint8_t* mapPixels, const Planes& to,
                                    std::ptrdiff_t j)
{
  Bytes32 low = Twice(WithBias<12>(LoadBytes(pixels))), high = Twice(WithBias<0>(LoadBytes(pixels + 8)));
  ConvertColour<0>(low, high, to.colour[0] + j);
  ConvertColour<1>(low, high, to.colour[1] + j);
  ConvertColour<2>(low, high, to.colour[2] + j);
  // One store of both vectors: two stores read back as one would stall the load.
  typedef std::int32_t RunInts __attribute__((vector_size(kConvertRun * 4)));
  LaneInts first = MapValues<0>(LoadBytes(mapPixels)), second = MapValues<4>(LoadBytes(mapPixels + 8));
  RunInts values = __builtin_shufflevector(first, second, 0, 1, 2, 3, 4, 5, 6, 7);
  std::memcpy(to.map + j, &values, sizeof values);
}

// A pass's rows are far apart in the image, too far for the processor to fetch them
// ahead by itself: each run of a row asks for the same pixels kPrefetchRows further down
// as it goes, a few at a time (asked all at once, a row's requests overflow the
// processor's queue of misses, and most of them are lost).
constexpr std::int64_t kPrefetchRows = 4;

// The distance in bytes from the pixels of image row y (reflected into the image) to the
// same pixels kPrefetchRows further down.
LENSARA_INLINE std::ptrdiff_t PrefetchDistance(std::int32_t width, std::int32_t height, std::int64_t y)
{
  return (std::ptrdiff_t(EdgeIndex(y + kPrefetchRows, height)) - EdgeIndex(y, height)) * width * 3;
}

// count adjacent pixels into the planes from j on, asking for those ahead bytes further on
// (to by value: a copy that the stores cannot change, so that its pointers stay in
// registers).
LENSARA_INLINE void ConvertRun(const std::uint8_t* pixels, const std::uint8_t* mapPixels, std::int32_t count,
                               Planes to, std::ptrdiff_t j, std::ptrdiff_t ahead)
{
  std::int32_t i = 0;
  for (; i + kConvertRun <= count; i += kConvertRun) {
    __builtin_prefetch(pixels + i * 3 + ahead);
    __builtin_prefetch(mapPixels + i * 3 + ahead);
    ConvertPixelRun(pixels + i * 3, mapPixels + i * 3, to, j + i);
  }
  for (; i < count; ++i) ConvertPixel(pixels + i * 3, mapPixels + i * 3, to, j + i);
}

// Zero samples of map value 0 at j .. j + count - 1: lanes that only fill a vector.
LENSARA_INLINE void ClearRun(const Planes& to, std::ptrdiff_t j, std::int32_t count)
{
  for (std::int32_t i = 0; i < count; ++i) {
    for (int c = 0; c < 3; ++c) to.colour[c][j + i] = 0.0;
    to.map[j + i] = 0;
  }
}

}  // namespace

LENSARA_CLONES void ConvertRow(const std::uint8_t* image, const std::uint8_t* map, std::int32_t width,
                               std::int32_t height, std::int32_t y, std::int64_t from, std::int32_t count,
                               std::int32_t pad, const Planes& to)
{
  std::int64_t inside = std::clamp<std::int64_t>(-from, 0, count);
  std::int64_t end = std::clamp<std::int64_t>(width - from, inside, count);
  std::ptrdiff_t rowStart = std::ptrdiff_t(y) * width * 3;
  const std::uint8_t* row = image + rowStart;
  const std::uint8_t* mapRow = map + rowStart;
  for (std::int32_t j = 0; j < inside; ++j) {
    std::ptrdiff_t at = EdgeIndex(from + j, width) * 3;
    ConvertPixel(row + at, mapRow + at, to, j);
  }
  ConvertRun(row + (from + inside) * 3, mapRow + (from + inside) * 3, static_cast<std::int32_t>(end - inside), to,
             inside, PrefetchDistance(width, height, y));
  for (std::int32_t j = static_cast<std::int32_t>(end); j < count; ++j) {
    std::ptrdiff_t at = EdgeIndex(from + j, width) * 3;
    ConvertPixel(row + at, mapRow + at, to, j);
  }
  ClearRun(to, count, pad);
}

LENSARA_CLONES void ConvertBlockRow(const std::uint8_t* image, const std::uint8_t* map, std::int32_t width,
                                    std::int32_t height, std::int64_t y, std::int32_t x0, std::int32_t lanes,
                                    const Planes& to, std::ptrdiff_t j)
{
  std::ptrdiff_t at = (std::ptrdiff_t(EdgeIndex(y, height)) * width + x0) * 3;
  ConvertRun(image + at, map + at, lanes, to, j, PrefetchDistance(width, height, y));
  ClearRun(to, j + lanes, RoundToGroups(lanes) - lanes);
}

}  // namespace filters
