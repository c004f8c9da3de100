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

// Every sample of a := rule(a, b); b may be a itself for rules of one operand.
void Combine(FastBitmap& a, const FastBitmap& b, Rule rule)
{
  std::size_t count = static_cast<std::size_t>(a.GetWidth()) * a.GetHeight() * 3;
  UChar* p = a.GetData();
  const UChar* q = b.GetData();
  for (std::size_t i = 0; i < count; ++i) p[i] = rule(p[i], q[i]);
}

// layer := rule(layer, other), other null for a rule of one operand, written back and, when
// given, into copy too. False when the layer cannot be read.
Bool Update(MultipassBitmap* layer, const FastBitmap* other, Rule rule, BaseBitmap* copy = nullptr)
{
  FastBitmap map(layer);
  if (!map.GetData()) return false;
  Combine(map, other ? *other : map, rule);
  map.CopyTo(layer);
  if (copy) map.CopyTo(copy);
  return true;
}

}  // namespace

Bool Dof::AssembleDepthMaps(DepthRender& depth, const RunSettings& s, Bool polarity, Bool composite, Render* render)
{
  Bool excluding = depth.exclusion && s.excludeCount > 0;
  FastBitmap exclusion(excluding ? depth.exclusion : nullptr);
  if (excluding && !exclusion.GetData()) return false;
  Rule fold = polarity ? Add : Subtract;

  if (excluding && !s.hair) {
    if (!Update(depth.main, &exclusion, fold)) return false;
    if (depth.front && depth.rear && (!Update(depth.front, &exclusion, Add) || !Update(depth.rear, &exclusion, Add)))
      return false;
  }

  if (s.hair) {
    FastBitmap image(depth.bitmap);
    if (!image.GetData()) return false;
    if (excluding) Combine(image, exclusion, fold);
    image.CopyTo(depth.main);
  } else if (!s.reflections && !composite) {
    if (!depth.front || !depth.rear) return false;
    // The inverted maps go to the front and rear buffers only when the render has both.
    VPBuffer* frontBuffer = render->GetBuffer(kPostEffectBuffer, kFrontBufferId);
    VPBuffer* rearBuffer = render->GetBuffer(kPostEffectBuffer, kRearBufferId);
    if (!frontBuffer || !rearBuffer) frontBuffer = rearBuffer = nullptr;
    if (!Update(depth.rear, nullptr, Invert, rearBuffer) || !Update(depth.front, nullptr, Invert, frontBuffer))
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
