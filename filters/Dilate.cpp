// Dilate: the window maximum of a grey map, repeated, in constant time per pixel.
//
// The square's maximum is the maximum over its rows of each row's maximum, so a pass takes
// the maxima along the rows into a plane and then the maxima of the plane down the columns.
// Along a line, the window of 2r + 1 samples around i reaches, with the reflected edges,
// only samples that i - r .. i + r clamped to the line already holds, so its maximum is that
// of the clamped window. The line is padded with r zeros at both ends (no byte is below 0)
// and cut into blocks of k = 2r + 1 samples: every window then starts in one block and ends
// in the same or the next, and its maximum is the larger of the maximum from its start to
// the end of its block and the maximum from the start of its last block to its end (van
// Herk; Gil and Werman).
#include <algorithm>
#include <cstring>
#include <utility>

#include "ColumnSweep.h"
#include "Filters.h"
#include "ImageBuffer.h"
#include "InstructionSets.h"
#include "Scratch.h"

namespace filters {

namespace {

// Columns per block of the pass down the columns and rows per block of the pass along the
// rows: each block is computed as one vector, a lane per column or row.
constexpr std::int32_t kColumns = 64;
typedef std::uint8_t Column __attribute__((vector_size(kColumns)));
// The pass along the rows moves pixels into and out of its vectors in blocks of kBlock rows
// by kBlock pixels, transposed in registers, and kRowTile pixels of its kColumns rows at a
// time, so that the 16 KB of vectors being filled or read stay in the first-level cache.
constexpr std::int32_t kBlock = 16;
constexpr std::int32_t kRowTile = 256;
typedef std::uint8_t Bytes16 __attribute__((vector_size(kBlock)));

// The radius beyond which a window along a line of n samples reaches no further sample: at
// n - 1 every window already covers the whole line, and positions beyond it only read
// samples of the line again. The maximum over the window is the same for both radii.
std::int32_t ReachableRadius(std::int32_t radius, std::int32_t n) { return std::min(radius, std::max(n - 1, 0)); }

LENSARA_INLINE Column Larger(Column a, Column b) { return a > b ? a : b; }

// visit(j0, rows, x0, pixels) for the blocks of rows j0 .. j0 + rows - 1 of 0 .. count - 1
// and pixels x0 .. x0 + pixels - 1 of 0 .. width - 1 (each at most kBlock), a tile of
// kRowTile pixels down all rows before the next tile.
template <class Visit>
LENSARA_INLINE void ForEachBlock(std::int32_t width, std::int32_t count, Visit visit)
{
  for (std::int32_t tile = 0; tile < width; tile += kRowTile)
    for (std::int32_t j0 = 0; j0 < count; j0 += kBlock)
      for (std::int32_t x0 = tile; x0 < std::min(width, tile + kRowTile); x0 += kBlock)
        visit(j0, std::min(kBlock, count - j0), x0, std::min(kBlock, width - x0));
}

// v transposed, lane i of v[j] to lane j of v[i]: interleaving each vector with the one
// kBlock / 2 further, four times over, does that.
LENSARA_INLINE void Transpose(Bytes16 (&v)[kBlock])
{
  for (int round = 0; round < 4; ++round) {
    Bytes16 next[kBlock];
    for (int i = 0; i < kBlock / 2; ++i) {
      const Bytes16 a = v[i], b = v[i + kBlock / 2];
      next[2 * i] = __builtin_shufflevector(a, b, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
      next[2 * i + 1] = __builtin_shufflevector(a, b, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    }
    std::memcpy(v, next, sizeof next);
  }
}

// Byte 0 of the kBlock pixels (three bytes each) from p on.
LENSARA_INLINE Bytes16 FirstBytes(const std::uint8_t* p)
{
  Bytes16 a, b, c;
  std::memcpy(&a, p, sizeof a);
  std::memcpy(&b, p + 16, sizeof b);
  std::memcpy(&c, p + 32, sizeof c);
  Bytes16 ab = __builtin_shufflevector(a, b, 0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 0, 0, 0, 0, 0);
  return __builtin_shufflevector(ab, c, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 17, 20, 23, 26, 29);
}

// Lanes j0 .. j0 + kBlock - 1 of the vector at.
LENSARA_INLINE std::uint8_t* Lanes(Column* at, std::int32_t j0) { return reinterpret_cast<std::uint8_t*>(at) + j0; }

// The window maxima of a padded line: n + 2r values, line[p] for p = 0 .. n + 2r - 1, of
// which the r first and last are 0. suffix has room for n + 2r values; put(i, maximum) gets
// the maximum of window i = 0 .. n - 1, in order.
template <class Line, class Value, class Put>
LENSARA_INLINE void WindowMaxima(const Line& line, std::int64_t n, std::int64_t r, Value* suffix, Put put)
{
  const std::int64_t k = 2 * r + 1, padded = n + 2 * r;
  for (std::int64_t start = 0; start < padded; start += k) {
    std::int64_t last = std::min(start + k, padded) - 1;
    suffix[last] = line[last];
    for (std::int64_t p = last - 1; p >= start; --p) suffix[p] = Larger(line[p], suffix[p + 1]);
  }
  for (std::int64_t start = 0; start < padded; start += k) {
    Value prefix = line[start];
    for (std::int64_t p = start, end = std::min(start + k, padded); p < end; ++p) {
      prefix = Larger(prefix, line[p]);
      if (p >= 2 * r) put(p - 2 * r, Larger(suffix[p - 2 * r], prefix));
    }
  }
}

// The first count bytes of m (at most kColumns) as grey pixels, each byte three times, into out.
LENSARA_INLINE void StoreGrey(Column m, std::int32_t count, std::uint8_t* out)
{
  if (count < kColumns) {
    for (std::int32_t j = 0; j < count; ++j) out[j * 3] = out[j * 3 + 1] = out[j * 3 + 2] = m[j];
    return;
  }
  for (int i = 0; i < kColumns; i += 16) {
    Bytes16 b;
    std::memcpy(&b, reinterpret_cast<const std::uint8_t*>(&m) + i, sizeof b);
    Bytes16 grey[3] = {__builtin_shufflevector(b, b, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5),
                       __builtin_shufflevector(b, b, 5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10),
                       __builtin_shufflevector(b, b, 10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15)};
    std::memcpy(out + i * 3, grey, sizeof grey);
  }
}

// The memory of the passes: the row maxima as a plane of height + 2 down rows whose first
// and last down rows are 0 (each row kColumns bytes longer than the image's, so that a
// block's vector never reads past it), the column blocks' suffix maxima, and for kColumns
// rows at a time their pixels gathered into a padded line of vectors (lane j of vector x
// byte 0 of pixel x of the j-th row), its suffix maxima and its window maxima.
class DilatePlanes {
public:
  DilatePlanes(std::int32_t width, std::int32_t height, std::int32_t radius)
      : width(width), height(height), across(ReachableRadius(radius, width)), down(ReachableRadius(radius, height)),
        stride(std::int64_t(width) + kColumns), rows(std::int64_t(height) + 2 * down), plane(rows * stride),
        columnSuffix(rows), line(3 * (std::int64_t(width) + 2 * across))
  {
    if (!Ready()) return;
    std::uint8_t* p = plane.Get();
    std::memset(p, 0, static_cast<std::size_t>(down * stride));
    std::memset(p + (down + height) * stride, 0, static_cast<std::size_t>(down * stride));
    for (std::int64_t y = down; y < down + height; ++y) std::memset(p + y * stride + width, 0, kColumns);
    std::memset(line.Get(), 0, static_cast<std::size_t>(3 * (width + 2 * across)) * sizeof(Column));
  }

  bool Ready() const { return plane.Get() && columnSuffix.Get() && line.Get(); }

  // The maxima along every row of in, byte 0 of each pixel, into the plane: kColumns rows at
  // a time gathered into the line's vectors and their maxima scattered back, by blocks.
  LENSARA_CLONES void TakeRowMaxima(const std::uint8_t* in)
  {
    // Local copies: the byte stores below may alias any member, which the compiler would
    // otherwise load again for every byte.
    const std::int32_t w = width, r = across;
    const std::int64_t padded = std::int64_t(w) + 2 * r, rowBytes = std::int64_t(w) * 3;
    Column *gathered = line.Get() + r, *suffix = line.Get() + padded, *maxima = suffix + padded;
    for (std::int32_t y0 = 0; y0 < height; y0 += kColumns) {
      const std::int32_t count = std::min(kColumns, height - y0);
      const std::uint8_t* sourceRows = in + y0 * rowBytes;
      std::uint8_t* planeRows = plane.Get() + (down + y0) * stride;
      ForEachBlock(w, count, [&](std::int32_t j0, std::int32_t nj, std::int32_t x0, std::int32_t nx) {
        if (nj < kBlock || nx < kBlock) {
          for (std::int32_t j = j0; j < j0 + nj; ++j)
            for (std::int32_t x = x0; x < x0 + nx; ++x) gathered[x][j] = sourceRows[j * rowBytes + x * 3];
          return;
        }
        Bytes16 v[kBlock];
        for (std::int32_t i = 0; i < kBlock; ++i) v[i] = FirstBytes(sourceRows + (j0 + i) * rowBytes + x0 * 3);
        Transpose(v);
        for (std::int32_t i = 0; i < kBlock; ++i) std::memcpy(Lanes(gathered + x0 + i, j0), &v[i], sizeof v[i]);
      });
      WindowMaxima(line.Get(), w, r, suffix, [&](std::int64_t x, Column m) { maxima[x] = m; });
      ForEachBlock(w, count, [&](std::int32_t j0, std::int32_t nj, std::int32_t x0, std::int32_t nx) {
        if (nj < kBlock || nx < kBlock) {
          for (std::int32_t j = j0; j < j0 + nj; ++j)
            for (std::int32_t x = x0; x < x0 + nx; ++x) planeRows[j * stride + x] = maxima[x][j];
          return;
        }
        Bytes16 v[kBlock];
        for (std::int32_t i = 0; i < kBlock; ++i) std::memcpy(&v[i], Lanes(maxima + x0 + i, j0), sizeof v[i]);
        Transpose(v);
        for (std::int32_t i = 0; i < kBlock; ++i) std::memcpy(planeRows + (j0 + i) * stride + x0, &v[i], sizeof v[i]);
      });
    }
  }

  // The maxima down columns x0 .. x1 - 1 (at most kColumns) of the plane into all three
  // bytes of those pixels of out.
  LENSARA_CLONES void TakeColumnMaxima(std::uint8_t* out, std::int32_t x0, std::int32_t x1) const
  {
    PlaneColumns columns{plane.Get() + x0, stride};
    WindowMaxima(columns, height, down, columnSuffix.Get(),
                 [&](std::int64_t y, Column m) { StoreGrey(m, x1 - x0, out + (y * width + x0) * 3); });
  }

private:
  // Columns of the plane from first on, row p as one vector.
  struct PlaneColumns {
    const std::uint8_t* first;
    std::int64_t stride;
    LENSARA_INLINE Column operator[](std::int64_t p) const
    {
      Column c;
      std::memcpy(&c, first + p * stride, sizeof c);
      return c;
    }
  };

  std::int32_t width, height, across, down;
  std::int64_t stride, rows;
  Scratch<std::uint8_t> plane;
  Scratch<Column> columnSuffix;
  Scratch<Column> line; // gathered rows, their suffix and window maxima
};

}  // namespace

bool Dilate(ImageView source, ImageView target, ImageView, const Parameters& parameters, const Context& context)
{
  if (!source.data || !target.data || !SameSize(target, source)) return false;
  // A pass takes all its row maxima before it writes, so the first reads the source as it
  // is, even when it is the target; the later ones alternate with a working copy of it.
  ImageBuffer work(parameters.passes > 1 ? source : ImageView{});
  std::int32_t width = target.width;
  DilatePlanes planes(width, target.height, std::max(parameters.radius, 0));
  if ((parameters.passes > 1 && !work.View().data) || !planes.Ready()) return false;
  const ColumnProgress progress{0.0, 1.0};
  const std::uint8_t* in = source.data;
  std::uint8_t* out = target.data;
  std::uint8_t* other = work.View().data;
  // A stop ends the passes (the first asks at its columns): each would return at once.
  for (std::int32_t pass = 0; pass < parameters.passes && (pass == 0 || !StopAsked(context)); ++pass) {
    planes.TakeRowMaxima(in);
    SweepColumns(context, width, kColumns, &progress,
                 [&](std::int32_t x0, std::int32_t x1) { planes.TakeColumnMaxima(out, x0, x1); });
    in = out;
    std::swap(out, other);
  }
  if (parameters.passes > 0 && parameters.passes % 2 == 0) work.CopyTo(target);
  return true;
}

}  // namespace filters
