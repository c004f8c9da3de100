// Materials, their channels and their shaders.
#pragma once

#include "BaseList2D.h"

class BaseShader;

// A channel of a standard material, owned by the material.
class BaseChannel {
public:
  // The shader of the channel, or null.
  BaseShader* GetShader() const;

  HstChannel Handle() const { return reinterpret_cast<HstChannel>(const_cast<BaseChannel*>(this)); }

  BaseChannel() = delete;
  ~BaseChannel() = delete;
};

class BaseMaterial : public BaseList2D {
public:
  // A new material of type (5703 standard, 1017730 hair) with the host's defaults, in no
  // document; null for an unknown type or when memory is short.
  static BaseMaterial* Alloc(Int32 type);
  static void Free(BaseMaterial*& mat) { FreeNode(mat); }

  BaseMaterial* GetNext() const { return static_cast<BaseMaterial*>(GeListNode::GetNext()); }
  BaseMaterial* GetPred() const { return static_cast<BaseMaterial*>(GeListNode::GetPred()); }

  // Channel on/off (key 2000 + channel): 0 colour, 1 luminance ... 12 diffusion.
  Bool GetChannelState(Int32 channel) const;
  void SetChannelState(Int32 channel, Bool state);
  // The channel of a standard material; null for other materials and numbers.
  BaseChannel* GetChannel(Int32 channel);

  // The material's shaders, and inserting one that is in no list after pred.
  BaseShader* GetFirstShader() const;
  Bool InsertShader(BaseShader* shader, BaseShader* pred = nullptr);
};

class BaseShader : public BaseList2D {
public:
  static void Free(BaseShader*& shader) { FreeNode(shader); }
  BaseShader* GetNext() const { return static_cast<BaseShader*>(GeListNode::GetNext()); }
};

class PluginShader : public BaseShader {
public:
  // A new shader of type (5833 bitmap, 1018766 checkerboard), in no material.
  static PluginShader* Alloc(Int32 type);
  static void Free(PluginShader*& shader) { FreeNode(shader); }
};
