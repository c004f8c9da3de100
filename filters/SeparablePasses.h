// The machinery every blur shares: two one-dimensional passes, along the rows from the
// source into the target and along the columns of the target in place, with their break
// tests and progress.
#pragma once

#include <cstdint>
#include <memory>
#include <new>

#include "Filters.h"

namespace filters {

// The two passes over one image; each blurs the columns x0 .. x1 - 1 of the pass. The
// vertical pass writes its results back into the image it reads.
class SeparablePasses {
public:
  virtual ~SeparablePasses() = default;
  virtual void Horizontal(const std::uint8_t* in, std::uint8_t* out, std::int32_t x0, std::int32_t x1) = 0;
  virtual void Vertical(std::uint8_t* image, std::int32_t x0, std::int32_t x1) = 0;
  virtual std::int32_t HorizontalBlock() const = 0;
  virtual std::int32_t VerticalBlock() const = 0;
};

// Makes one set of passes, with scratch memory of its own, from maker; null when memory is
// short. Called on any thread of the context's parallel loop, possibly at once.
using MakePasses = std::unique_ptr<SeparablePasses> (*)(const void* maker);

// Both passes with their break tests and progress: the rows of the source into the target,
// then the columns of the target in place, each pass in blocks of columns handed out in
// chunks through the context's parallel loop, every chunk running on a set of passes that
// no other chunk uses at the same time. The result is that of passes over a working copy
// of the source that replaces the target at the end: the columns the second pass left
// undone after a stop take the source's pixels (all of them when it was told to stop
// before its first column); the columns the first pass left undone keep the target's.
// The source is read as it is unless it is the target itself, whose pixels the first pass
// overwrites; then a copy of it is made first. The progress value runs from 0 to
// 1 / passShare over the first pass and from 1 - 1 / passShare onwards in the second.
// False, the target untouched, when the first set of passes, that copy or the record of
// the blocks finds no memory; a chunk that later finds none leaves its blocks to the
// calling thread.
bool RunPasses(MakePasses make, const void* maker, ImageView source, ImageView target, const Context& context,
               double passShare);

// RunPasses with sets of Passes(args...), which are ready when Ready() says so.
template <class Passes, class... Args>
bool RunPassesOf(ImageView source, ImageView target, const Context& context, double passShare, const Args&... args)
{
  auto maker = [&]() -> std::unique_ptr<SeparablePasses> {
    std::unique_ptr<Passes> passes(new (std::nothrow) Passes(args...));
    if (!passes || !passes->Ready()) return nullptr;
    return passes;
  };
  using Maker = decltype(maker);
  return RunPasses([](const void* m) { return (*static_cast<const Maker*>(m))(); }, &maker, source, target, context,
                   passShare);
}

// True when the source, the target and the map have storage and all sizes agree.
bool CanBlur(ImageView source, ImageView target, ImageView map);

// Columns x0 .. x0 + bytes / 3 - 1 of every row of the image into strip, row after row:
// what a vertical pass reads while its results overwrite the image.
void CopyBlock(const std::uint8_t* image, std::int32_t width, std::int32_t height, std::int32_t x0, std::int32_t bytes,
               std::uint8_t* strip);

}  // namespace filters
