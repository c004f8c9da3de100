#include "Allocations.h"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(block, bytes) ((void)(block), (void)(bytes))
#define ASAN_UNPOISON_MEMORY_REGION(block, bytes) ((void)(block), (void)(bytes))
#endif

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

#ifdef MADV_HUGEPAGE
namespace {

constexpr std::size_t kLargePage = std::size_t(2) << 20;
constexpr std::size_t kIdleBytes = std::size_t(256) << 20;

// Every large image block with its size, and the freed ones kept for the next block of
// their size. A fresh block's first writes fault in its pages, which on virtual machines
// that hand memory back to their host costs milliseconds per large page; a kept block
// faults no more. Kept blocks are poisoned for AddressSanitizer, so that a use after free
// is still caught.
class BlockPool {
public:
  void* Take(std::size_t whole)
  {
    std::lock_guard<std::mutex> lock(mutex);
    // The last freed first: its pages are the likeliest in the caches.
    auto found = std::find_if(idle.rbegin(), idle.rend(), [&](const Idle& b) { return b.bytes == whole; });
    if (found == idle.rend()) return nullptr;
    void* block = found->block;
    idle.erase(std::next(found).base());
    idleBytes -= whole;
    ASAN_UNPOISON_MEMORY_REGION(block, whole);
    return block;
  }
  void Add(void* block, std::size_t whole)
  {
    std::lock_guard<std::mutex> lock(mutex);
    sizes.emplace(block, whole);
  }
  // False when block is not a large block.
  bool Release(void* block)
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = sizes.find(block);
    if (it == sizes.end()) return false;
    if (idleBytes + it->second > kIdleBytes) {
      std::free(block);
      sizes.erase(it);
      return true;
    }
    ASAN_POISON_MEMORY_REGION(block, it->second);
    idle.push_back({block, it->second});
    idleBytes += it->second;
    return true;
  }
  // Frees every kept block, for an allocation the system refused.
  void Drain()
  {
    std::lock_guard<std::mutex> lock(mutex);
    for (const Idle& b : idle) {
      ASAN_UNPOISON_MEMORY_REGION(b.block, b.bytes);
      std::free(b.block);
      sizes.erase(b.block);
    }
    idle.clear();
    idleBytes = 0;
  }

private:
  struct Idle {
    void* block;
    std::size_t bytes;
  };
  std::mutex mutex;
  std::unordered_map<void*, std::size_t> sizes;
  std::vector<Idle> idle;
  std::size_t idleBytes = 0;
};

// Never destroyed: blocks are freed through it until the program's very end, after static
// destructors have run, and the kept ones stay reachable for LeakSanitizer.
BlockPool& Pool()
{
  static BlockPool& pool = *new BlockPool;
  return pool;
}

// A fresh block of whole bytes on a large-page boundary, backed by large pages where the
// system agrees; the kept blocks are given back first when memory is short.
void* NewLargeBlock(std::size_t whole)
{
  void* block = std::aligned_alloc(kLargePage, whole);
  if (!block) {
    Pool().Drain();
    block = std::aligned_alloc(kLargePage, whole);
  }
  if (!block) return nullptr;
  madvise(block, whole, MADV_HUGEPAGE); // only advice: a refusal changes nothing
  Pool().Add(block, whole);
  return block;
}

}  // namespace
#endif

void* AllocateImageBlock(std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
  if (bytes >= kLargePage) {
    std::size_t whole = (bytes + (kLargePage - 1)) / kLargePage * kLargePage;
    if (whole < bytes) return nullptr;
    if (void* kept = Pool().Take(whole)) return kept;
    return NewLargeBlock(whole);
  }
#endif
  return std::malloc(bytes);
}

void FreeImageBlock(void* block) noexcept
{
#ifdef MADV_HUGEPAGE
  if (block && Pool().Release(block)) return;
#endif
  std::free(block);
}

}  // namespace lensara
