// The one counting point of the host's allocations: every host object, bitmap, node,
// render buffer and image buffer, and every block the plug-ins take through the table,
// asks MayAllocate (or CountAllocation) first. A fault plan makes chosen allocations fail,
// so that out-of-memory paths can be tried in tests and in the real program.
#pragma once

#include <cstddef>
#include <memory>
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

// Asks the system to back the whole 2 MB pages of a large block, not yet written, with one
// page each (Linux's transparent huge pages, lent on request by default): a fresh image
// then costs a few page faults instead of one per 4 KB, which dominate the time of writing
// it the first time. Only advice: elsewhere, or refused, nothing changes.
void AdviseLargePages(void* block, std::size_t bytes);

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
