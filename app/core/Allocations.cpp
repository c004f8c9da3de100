#include "Allocations.h"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#include <atomic>
#include <cstdlib>
#include <new>

namespace lensara {

namespace {

std::atomic<long> first{0}, every{0}, counted{0}, failed{0};

bool Fails(long n)
{
  long f = first.load(std::memory_order_relaxed), e = every.load(std::memory_order_relaxed);
  if (f == 0 || n < f) return false;
  return e == 0 ? n == f : (n - f) % e == 0;
}

// A whole number from 1 that fits a long, or 0.
long Count(const std::string& text)
{
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::stol(text);
}

}  // namespace

void SetAllocationFaults(AllocationFaults faults)
{
  first.store(faults.first);
  every.store(faults.every);
  counted.store(0);
  failed.store(0);
}

void SetAllocationBudget(long count) { SetAllocationFaults(count < 0 ? AllocationFaults{} : AllocationFaults{count + 1, 1}); }

std::optional<AllocationFaults> ReadAllocationFaults(const std::string& text)
{
  if (text == "none") return AllocationFaults{};
  const std::string everyLead = "every:";
  bool repeated = text.compare(0, everyLead.size(), everyLead) == 0;
  long n = Count(repeated ? text.substr(everyLead.size()) : text);
  if (n == 0) return std::nullopt;
  return AllocationFaults{n, repeated ? n : 0};
}

bool MayAllocate()
{
  if (!Fails(counted.fetch_add(1) + 1)) return true;
  failed.fetch_add(1);
  return false;
}

void CountAllocation()
{
  if (!MayAllocate()) throw std::bad_alloc();
}

long AllocationsCounted() { return counted.load(); }
long AllocationsFailed() { return failed.load(); }

void* AllocateImageBlock(std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
  constexpr std::size_t kLargePage = std::size_t(2) << 20;
  if (bytes >= kLargePage) {
    std::size_t whole = (bytes + (kLargePage - 1)) / kLargePage * kLargePage;
    void* block = whole >= bytes ? std::aligned_alloc(kLargePage, whole) : nullptr;
    if (block) madvise(block, whole, MADV_HUGEPAGE); // only advice: a refusal changes nothing
    return block;
  }
#endif
  return std::malloc(bytes);
}

}  // namespace lensara
