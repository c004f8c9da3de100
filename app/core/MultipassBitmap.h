// Multipass bitmaps: a composite image with layers of the same size, each a bitmap of its
// own with a name, a buffer type and a sub-id. A render fills them; the plug-in reads them
// through the function table's multipass section.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Bitmap.h"

namespace lensara {

// Buffer types of layers.
constexpr int32_t kImageBuffer = 1;
constexpr int32_t kReflectionBuffer = 6;
constexpr int32_t kLightBuffer = 100;

// A bitmap that names itself as a layer. Layers made by a MultipassBitmap are owned by it.
class Layer : public Bitmap {
public:
  Layer(std::string name, int32_t type, int32_t subId) : name(std::move(name)), type(type), subId(subId) {}

  const std::string& Name() const { return name; }
  void SetName(std::string n) { name = std::move(n); }
  int32_t Type() const { return type; }
  int32_t SubId() const { return subId; }
  // True for a layer that belongs to a multipass bitmap: it cannot be freed or resized alone.
  bool Owned() const { return owned; }
  // An output buffer of a render: the depth it was asked for (8, 16 or 32 bits per channel)
  // and whether it is saved and shown. Rows stay 8-bit: an 8-bit value v stands for v x 257
  // in 16 bits and v / 255 in a float buffer, which files get as v / 255 either way.
  int32_t Bits() const { return bits; }
  bool Visible() const { return visible; }
  void SetBuffer(int32_t depth, bool shown)
  {
    bits = depth;
    visible = shown;
  }

private:
  friend class MultipassBitmap;
  std::string name;
  int32_t type;
  int32_t subId;
  bool owned = false;
  int32_t bits = 8;
  bool visible = true;
};

// The composite is the bitmap itself: the layer of type 1, sub-id 0, named "Image".
class MultipassBitmap : public Layer {
public:
  MultipassBitmap() : Layer("Image", kImageBuffer, 0) {}

  int32_t LayerCount() const { return static_cast<int32_t>(layers.size()); }
  // Null when index is out of range.
  Layer* LayerAt(int32_t index) const;
  // The first layer of type and subId (type 1, sub-id 0: this bitmap); null when none.
  Layer* FindLayer(int32_t type, int32_t subId);
  // Appends a black layer of this bitmap's size; throws std::bad_alloc when memory is short.
  Layer& AddLayer(std::string name, int32_t type, int32_t subId);
  void ClearLayers() { layers.clear(); }

private:
  std::vector<std::unique_ptr<Layer>> layers;
};

}  // namespace lensara
