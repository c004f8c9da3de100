// Dof::AssembleDepthMaps: the depth layers of the depth render turned into the depth maps.
#include <algorithm>

#include "DepthBuffers.h"
#include "plugins/dof/Dof.h"
#include "plugins/dof/FastBitmap.h"

namespace {

constexpr Int32 kReflectionBuffer = 6;

UChar Add(UChar a, UChar b) { return static_cast<UChar>(std::min(a + b, 255)); }
UChar Subtract(UChar a, UChar b) { return static_cast<UChar>(std::max(a - b, 0)); }
UChar Invert(UChar a, UChar) { return static_cast<UChar>(255 - a); }
UChar Screen(UChar a, UChar b) { return static_cast<UChar>(255 - (255 - a) * (255 - b) / 255); }

using Rule = UChar (*)(UChar, UChar);

template <Rule rule>
void CombineWith(FastBitmap& a, const FastBitmap& b)
{
  std::size_t count = static_cast<std::size_t>(a.GetWidth()) * a.GetHeight() * 3;
  UChar* p = a.GetData();
  const UChar* q = b.GetData();
  for (std::size_t i = 0; i < count; ++i) p[i] = rule(p[i], q[i]);
}

// Every sample of a := rule(a, b); b may be a itself for rules of one operand. Each rule has
// its own loop, compiled with the rule inlined (and vectorized).
void Combine(FastBitmap& a, const FastBitmap& b, Rule rule)
{
  if (rule == Add) return CombineWith<Add>(a, b);
  if (rule == Subtract) return CombineWith<Subtract>(a, b);
  if (rule == Invert) return CombineWith<Invert>(a, b);
  CombineWith<Screen>(a, b);
}

// A layer's map, read when made; Apply changes the map and writes it back into the layer.
// A step reads all the maps it needs before it applies any, so that a failed read leaves
// every layer as it was.
class LayerMap {
public:
  explicit LayerMap(MultipassBitmap* layer) : layer(layer), map(layer) {}
  Bool Read() const { return map.GetData() != nullptr; }
  // map := rule(map, other), other null for a rule of one operand; written back.
  void Apply(const FastBitmap* other, Rule rule)
  {
    Combine(map, other ? *other : map, rule);
    map.CopyTo(layer);
  }
  void CopyTo(BaseBitmap* bitmap) const { map.CopyTo(bitmap); }

private:
  MultipassBitmap* layer;
  FastBitmap map;
};

// The main layer folded with the exclusion map (fold), the front and rear layers, when both
// exist, raised by it. False when a layer cannot be read.
Bool FoldExclusion(MultipassBitmap* main, MultipassBitmap* front, MultipassBitmap* rear, const FastBitmap& exclusion,
                   Rule fold)
{
  Bool sides = front && rear;
  LayerMap mainMap(main), frontMap(sides ? front : nullptr), rearMap(sides ? rear : nullptr);
  if (!mainMap.Read() || (sides && (!frontMap.Read() || !rearMap.Read()))) return false;
  mainMap.Apply(&exclusion, fold);
  if (!sides) return true;
  frontMap.Apply(&exclusion, Add);
  rearMap.Apply(&exclusion, Add);
  return true;
}

// The front and rear layers inverted and, when both buffers are given, copied into them.
// False when a layer cannot be read.
Bool InvertFrontRear(MultipassBitmap* front, MultipassBitmap* rear, BaseBitmap* frontBuffer, BaseBitmap* rearBuffer)
{
  LayerMap rearMap(rear), frontMap(front);
  if (!rearMap.Read() || !frontMap.Read()) return false;
  rearMap.Apply(nullptr, Invert);
  frontMap.Apply(nullptr, Invert);
  if (!frontBuffer || !rearBuffer) return true;
  frontMap.CopyTo(frontBuffer);
  rearMap.CopyTo(rearBuffer);
  return true;
}

}  // namespace

Bool Dof::AssembleDepthMaps(DepthRender& depth, const RunSettings& s, Bool polarity, Bool composite, Render* render)
{
  Bool excluding = depth.exclusion && s.excludeCount > 0;
  FastBitmap exclusion(excluding ? depth.exclusion : nullptr);
  if (excluding && !exclusion.GetData()) return false;
  Rule fold = polarity ? Add : Subtract;

  if (excluding && !s.hair && !FoldExclusion(depth.main, depth.front, depth.rear, exclusion, fold)) return false;

  if (s.hair) {
    FastBitmap image(depth.bitmap);
    if (!image.GetData()) return false;
    if (excluding) Combine(image, exclusion, fold);
    image.CopyTo(depth.main);
  } else if (!s.reflections && !composite) {
    if (!depth.front || !depth.rear) return false;
    if (!InvertFrontRear(depth.front, depth.rear, render->GetBuffer(kPostEffectBuffer, kFrontBufferId),
                         render->GetBuffer(kPostEffectBuffer, kRearBufferId)))
      return false;
  }

  FastBitmap map(depth.main);
  if (!map.GetData()) return false;
  if (s.reflections) {
    if (MultipassBitmap* reflections = depth.bitmap->FindUserLayer(kReflectionBuffer, 0)) {
      FastBitmap refl(reflections);
      if (!refl.GetData()) return false;
      Combine(map, refl, Screen);
    }
  }
  if (polarity) Combine(map, map, Invert);
  map.CopyTo(depth.main);
  if (depthTarget) map.CopyTo(depthTarget);
  return true;
}
