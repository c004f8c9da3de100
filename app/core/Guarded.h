// Host work that must not throw across the plug-in boundary: allocation that answers null
// and calls whose exceptions become a fallback value.
#pragma once

#include <new>

#include "Allocations.h"

namespace lensara {

// Allocates a host object of type T for a handle, or null when memory is short.
template <class T>
T* NewHostObject()
{
  return MayAllocate() ? new (std::nothrow) T() : nullptr;
}

// Runs f, turning any host exception (out of memory above all) into fallback.
template <class F, class R>
R Guarded(F f, R fallback) noexcept
{
  try {
    return f();
  } catch (...) {
    return fallback;
  }
}

// Runs f, which returns nothing, stopping it at any host exception.
template <class F>
void Guarded(F f) noexcept
{
  Guarded([&f] { return (f(), true); }, false);
}

}  // namespace lensara
