// The library's only way to memory: blocks from operator new (std::nothrow), null when
// memory is short, so that every filter reports it as a false result.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

namespace filters {

// A block for count values (at least one), starting on a cache line (whole vectors then
// never straddle two lines), released with the holder; Get() is null when memory is short,
// as it is for more bytes than the address space holds (a 32-bit size_t would wrap them).
template <class T>
class Scratch {
public:
  explicit Scratch(std::int64_t count) : block(Allocate(std::max<std::int64_t>(count, 1))) {}
  ~Scratch() { ::operator delete(block); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  T* Get() const
  {
    if (!block) return nullptr;
    std::uintptr_t at = reinterpret_cast<std::uintptr_t>(block);
    return reinterpret_cast<T*>((at + kLine - 1) / kLine * kLine);
  }

private:
  static constexpr std::size_t kLine = 64;

  static void* Allocate(std::int64_t count)
  {
    if (static_cast<std::uint64_t>(count) > (SIZE_MAX - kLine) / sizeof(T)) return nullptr;
    return ::operator new(static_cast<std::size_t>(count) * sizeof(T) + kLine, std::nothrow);
  }

  void* block;
};

}  // namespace filters
