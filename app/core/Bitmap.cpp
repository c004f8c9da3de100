#include "Bitmap.h"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#include <cstdint>
#include <limits>
#include <new>

#include "Allocations.h"

namespace lensara {

namespace {

// Asks the system to back the whole 2 MB pages of a large block with one page each (Linux's
// transparent huge pages, lent on request by default): a fresh image then costs a few page
// faults instead of one per 4 KB, which dominate the time of writing it the first time.
void AdviseLargePages(uint8_t* block, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t kPage = 4096, kLargePage = std::uintptr_t(2) << 20;
  if (bytes < kLargePage) return;
  std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(block) + kPage - 1) & ~(kPage - 1);
  std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(kPage - 1);
  madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);  // only advice: a refusal changes nothing
#else
  (void)block;
  (void)bytes;
#endif
}

}  // namespace

Bitmap::Bitmap(int32_t width, int32_t height)
{
  if (!Init(width, height, 24)) throw std::bad_alloc();
}

bool Bitmap::Init(int32_t w, int32_t h, int32_t b) noexcept
{
  if (w < 0 || h < 0 || (b != 24 && b != 32) || !MayAllocate()) return false;
  try {
    // Counted in 64 bits: a 32-bit size_t (Windows x86) would wrap a large image's bytes.
    std::uint64_t exact = static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) * 3;
    if (exact > std::numeric_limits<std::size_t>::max()) return false;
    std::size_t bytes = static_cast<std::size_t>(exact);
    std::vector<uint8_t> fresh;
    fresh.reserve(bytes);
    AdviseLargePages(fresh.data(), bytes);
    fresh.resize(bytes);
    pixels.swap(fresh);
  } catch (const std::exception&) {
    return false;
  }
  width = w;
  height = h;
  return true;
}

bool Bitmap::operator==(const Bitmap& other) const
{
  return width == other.width && height == other.height && pixels == other.pixels;
}

}  // namespace lensara
