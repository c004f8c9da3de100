// The memory a render will need, against what the machine and the process have: checked
// before a render starts, so that one too large for them is refused with the numbers
// instead of failing (or swapping) half-way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/core/Document.h"

namespace lensara {

// What there is: the machine's physical memory, the part of it available now, and the
// room left under the process's address-space limit (ulimit -v) when one is set.
struct MemoryAtHand {
  std::uint64_t physical = 0;
  std::uint64_t available = 0;
  std::optional<std::uint64_t> addressRoom;

  // The memory of this machine and process now.
  static MemoryAtHand Now();
};

// What a frame of width x height pixels with videoPosts video posts needs at its peak
// beyond the program itself: bytes per pixel measured at 512 x 512 and 2048 x 2048 (peak
// resident size): about 14 for the image, its layers and their files, and 48 more for each
// video post (the effect's depth render, its maps and its blur); and 64 MiB for the
// render's start (its threads and the ray tracer's), seen under address-space limits.
std::uint64_t RenderMemoryNeed(std::int32_t width, std::int32_t height, int videoPosts);

// Empty when need fits; else what is short, as "the render of 16384 x 16384 needs about
// 15.6 GiB of memory, and this machine has 8.0 GiB". Beyond physical memory or the
// address-space room the render is refused (refused is set); beyond what is available now
// it is only a warning.
struct MemoryVerdict {
  std::string problem;
  bool refused = false;
};
MemoryVerdict JudgeMemory(std::uint64_t need, const MemoryAtHand& hand, const std::string& what);

// JudgeMemory for a frame of doc's active render settings and the memory at hand now.
MemoryVerdict JudgeRenderMemory(Document& doc);

}  // namespace lensara
