// The filters library takes its memory from operator new (std::nothrow) only: this program
// replaces that operator by one that fails once a budget is spent.
#include <new>

#include "FilterTest.h"

namespace {

long budget = -1; // allocations left to succeed; negative: no limit

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
  if (budget == 0) return nullptr;
  if (budget > 0) --budget;
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
