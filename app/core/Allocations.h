// The one counting point of the host's allocations: every host object, bitmap, node,
// render buffer and image buffer, and every block the plug-ins take through the table,
// asks MayAllocate (or CountAllocation) first. A fault plan makes chosen allocations fail,
// so that out-of-memory paths can be tried in tests and in the real program.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <optional>
#include <string>

namespace lensara {

// Which allocations fail, counted from 1 since the plan was set: none when first is 0;
// else the first-th, and after it every every-th (every 0: that one alone).
struct AllocationFaults {
  long first = 0;
  long every = 0;
};

// Sets the plan and starts counting from zero. Not to be called while others allocate.
void SetAllocationFaults(AllocationFaults faults);

// For tests: the next count allocations succeed and every later one fails; a negative
// count lifts the limit.
void SetAllocationBudget(long count);

// The plan a LENSARA_FAIL_ALLOCATION value names: "N" (the Nth allocation fails), "every:N"
// (every Nth), "none" (count only); none for any other text.
std::optional<AllocationFaults> ReadAllocationFaults(const std::string& text);

// Counts one allocation; false when the plan makes it fail. Thread-safe.
bool MayAllocate();

// MayAllocate for code that reports short memory by exception: throws std::bad_alloc.
void CountAllocation();

// A block of bytes for an image, freed with FreeImageBlock; null when memory is short. One
// of 2 MB or more starts on a 2 MB boundary and spans whole 2 MB pages, all of which the
// system is asked to back with one large page each (Linux's transparent huge pages, lent on
// request by default): a fresh image then costs a page fault per 2 MB instead of one per
// 4 KB, which would dominate the time of writing it the first time. Freed, such a block is
// kept (up to 256 MiB of them) for the next block of the same number of large pages, whose
// pages are then already there; they are given back when the system refuses a block.
// Elsewhere, or refused, it is an ordinary block.
void* AllocateImageBlock(std::size_t bytes);
// Frees a block of AllocateImageBlock; null is ignored.
void FreeImageBlock(void* block) noexcept;

// A standard allocator of image bytes: blocks from AllocateImageBlock.
template <class T>
struct ImageAllocator {
  using value_type = T;
  ImageAllocator() = default;
  template <class U>
  ImageAllocator(const ImageAllocator<U>&) noexcept
  {
  }
  T* allocate(std::size_t n)
  {
    if (void* block = AllocateImageBlock(n * sizeof(T))) return static_cast<T*>(block);
    throw std::bad_alloc();
  }
  void deallocate(T* block, std::size_t) noexcept { FreeImageBlock(block); }
  template <class U>
  bool operator==(const ImageAllocator<U>&) const noexcept
  {
    return true;
  }
  template <class U>
  bool operator!=(const ImageAllocator<U>&) const noexcept
  {
    return false;
  }
};

// The allocations counted, and those made to fail, since the plan was set.
long AllocationsCounted();
long AllocationsFailed();

// std::make_unique and std::make_shared of a host object, counted first.
template <class T, class... Args>
std::unique_ptr<T> CountedUnique(Args&&... args)
{
  CountAllocation();
  return std::make_unique<T>(std::forward<Args>(args)...);
}

template <class T, class... Args>
std::shared_ptr<T> CountedShared(Args&&... args)
{
  CountAllocation();
  return std::make_shared<T>(std::forward<Args>(args)...);
}

}  // namespace lensara
