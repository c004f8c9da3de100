// The filters library takes its memory from operator new (std::nothrow) only: this program
// replaces that operator by one that fails once a budget is spent.
#include <cstdlib>
#include <new>

#include "FilterTest.h"

namespace {

long budget = -1; // allocations left to succeed; negative: no limit

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
  if (budget == 0) return nullptr;
  if (budget > 0) --budget;
  return std::malloc(size > 0 ? size : 1);
}

namespace test {

void SetAllocationBudget(long count) { budget = count; }

}  // namespace test
