// The memory section: the host's non-throwing allocator.
#include <cstdlib>

#include "Sections.h"
#include "app/core/Allocations.h"

namespace lensara {

namespace {

void* MemoryAlloc(size_t size)
{
  return MayAllocate() ? AllocateImageBlock(size) : nullptr; // mostly the plug-in's copies of images
}
void MemoryFree(void* block) { FreeImageBlock(block); }

HstMemoryTable MakeMemorySection()
{
  HstMemoryTable t{};
  t.size = sizeof t;
  t.alloc = MemoryAlloc;
  t.free = MemoryFree;
  return t;
}

}  // namespace

const HstMemoryTable* MemorySection()
{
  static const HstMemoryTable section = MakeMemorySection();
  return &section;
}

}  // namespace lensara
