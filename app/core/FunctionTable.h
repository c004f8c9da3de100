// The host's implementation of the plug-in function table.
#pragma once

#include <cstdint>
#include <memory>
#include <new>

#include "Allocations.h"
#include "host/abi/C4DOS.h"

namespace lensara {

// The table a host of this version hands to its plug-ins. Every function is safe to call
// with null handles and never throws.
std::shared_ptr<const C4DOS> MakeFunctionTable(int32_t version);

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

// The bitmap, multipass, render call and renderer sections (RenderTables.cpp).
extern const HstBitmapTable kBitmapTable;
extern const HstMultipassTable kMultipassTable;
extern const HstRenderCallTable kRenderCallTable;
extern const HstRendererTable kRendererTable;
// The dialog section: plug-in windows and their user areas (app/dialog/DialogTable.cpp).
extern const HstDialogTable kDialogTable;
// The render section: the Render object of a frame render (app/render/FrameRender.cpp).
extern const HstRenderTable kRenderTable;

}  // namespace lensara
