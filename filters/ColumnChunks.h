// A pass's columns in blocks, handed out in chunks of blocks through the context's parallel
// loop. Before each column the break test is asked; a stop is heeded by every chunk at its
// next column. The progress value is set on the calling thread only, from the number of
// columns started. Each block records how many of its columns were done, so that a pass can
// tell which columns a stop left undone.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "ColumnSweep.h"
#include "Filters.h"
#include "Scratch.h"

namespace filters {

class ColumnChunks {
public:
  // Blocks of at most maxBlock columns of 0 .. width - 1; progress may be null (none shown).
  ColumnChunks(const Context& context, std::int32_t width, std::int32_t maxBlock, const ColumnProgress* progress);
  ColumnChunks(const ColumnChunks&) = delete;
  ColumnChunks& operator=(const ColumnChunks&) = delete;

  // False when the record of done columns finds no memory.
  bool Ready() const { return done.Get(); }

  // Calls chunk(b0, b1) for chunks of blocks b0 .. b1 - 1 through the context's parallel
  // loop (or once for all blocks on the calling thread without one); chunk runs its blocks
  // with Sweep. Then, unless a stop was asked, chunk(b, b + 1) on the calling thread for
  // each block that no chunk swept (its chunk found no memory).
  template <class Chunk>
  void Run(Chunk& chunk)
  {
    HandOut(
        [](std::int64_t b0, std::int64_t b1, void* c) {
          (*static_cast<Chunk*>(c))(static_cast<std::int32_t>(b0), static_cast<std::int32_t>(b1));
        },
        &chunk);
    for (std::int32_t b = 0; b < blocks && !stopped.load(); ++b)
      if (done.Get()[b] < 0) chunk(b, b + 1);
  }

  // Blocks b0 .. b1 - 1 in order: work(x0, x1) for the columns of each that the break test
  // let start; a stop ends the sweep.
  template <class Work>
  void Sweep(std::int32_t b0, std::int32_t b1, Work work)
  {
    for (std::int32_t b = b0; b < b1; ++b) {
      std::int32_t x0 = b * blockWidth, x1 = std::min(width, x0 + blockWidth);
      std::int32_t x = x0;
      while (x < x1 && StartColumn()) ++x;
      if (x > x0) work(x0, x);
      done.Get()[b] = x - x0;
      if (x < x1) return;
    }
  }

  // undone(x0, x1) for the columns x0 .. x1 - 1 of each block that were not done.
  template <class Undone>
  void ForEachUndone(Undone undone) const
  {
    for (std::int32_t b = 0; b < blocks; ++b) {
      std::int32_t x0 = b * blockWidth, x1 = std::min(width, x0 + blockWidth);
      std::int32_t from = x0 + std::max(done.Get()[b], 0);
      if (from < x1) undone(from, x1);
    }
  }

private:
  using Body = void (*)(std::int64_t b0, std::int64_t b1, void* chunk);
  void HandOut(Body body, void* chunk);
  // Asks the break test and sets the progress value before a column; false on a stop.
  bool StartColumn();

  const Context& context;
  std::int32_t width, blockWidth, blocks;
  const ColumnProgress* progress;
  std::thread::id caller = std::this_thread::get_id();
  std::atomic<bool> stopped{false};
  std::atomic<std::int32_t> started{0}; // columns started
  Scratch<std::int32_t> done;           // per block: columns done, -1 before its sweep
};

}  // namespace filters
