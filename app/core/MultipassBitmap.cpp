#include "MultipassBitmap.h"

#include <new>

#include "Allocations.h"

namespace lensara {

Layer* MultipassBitmap::LayerAt(int32_t index) const
{
  return index >= 0 && index < LayerCount() ? layers[static_cast<std::size_t>(index)].get() : nullptr;
}

Layer* MultipassBitmap::FindLayer(int32_t type, int32_t subId)
{
  if (type == Type() && subId == SubId()) return this;
  for (const auto& layer : layers)
    if (layer->Type() == type && layer->SubId() == subId) return layer.get();
  return nullptr;
}

Layer& MultipassBitmap::AddLayer(std::string name, int32_t type, int32_t subId)
{
  auto layer = CountedUnique<Layer>(std::move(name), type, subId);
  if (!layer->Init(Width(), Height(), 24)) throw std::bad_alloc();
  layer->owned = true;
  layers.push_back(std::move(layer));
  return *layers.back();
}

}  // namespace lensara
