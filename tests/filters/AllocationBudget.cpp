// The filters library takes its memory from operator new (std::nothrow) only: this program
// replaces that operator by one that fails once a budget is spent.
#include <atomic>
#include <new>

#include "FilterTest.h"

namespace {

std::atomic<long> budget{-1}; // allocations left to succeed; negative: no limit

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
  long left = budget.load();
  while (left > 0 && !budget.compare_exchange_weak(left, left - 1)) {
  }
  if (left == 0) return nullptr;
  // The plain operator new, so that the plain operator delete that frees the block matches it.
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

namespace test {

void SetAllocationBudget(long count) { budget = count; }

}  // namespace test
