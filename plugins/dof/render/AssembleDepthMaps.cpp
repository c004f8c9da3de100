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

}  // namespace

Bool Dof::AssembleDepthMaps(DepthRender& depth, const RunSettings& s, Bool polarity, Bool composite, Render* render)
{
  Bool excluding = depth.exclusion && s.excludeCount > 0;
  FastBitmap exclusion(excluding ? depth.exclusion : nullptr);
  if (excluding && !exclusion.GetData()) return false;
  Rule fold = polarity ? Add : Subtract;

  if (excluding && !s.hair) {
    FastBitmap main(depth.main);
    if (!main.GetData()) return false;
    Combine(main, exclusion, fold);
    main.CopyTo(depth.main);
    if (depth.front && depth.rear) {
      FastBitmap front(depth.front), rear(depth.rear);
      if (!front.GetData() || !rear.GetData()) return false;
      Combine(front, exclusion, Add);
      Combine(rear, exclusion, Add);
      front.CopyTo(depth.front);
      rear.CopyTo(depth.rear);
    }
  }

  if (!s.reflections || s.hair) {
    if (s.hair) {
      FastBitmap image(depth.bitmap);
      if (!image.GetData()) return false;
      if (excluding) Combine(image, exclusion, fold);
      image.CopyTo(depth.main);
    } else if (!composite) {
      if (!depth.front || !depth.rear) return false;
      FastBitmap rear(depth.rear), front(depth.front);
      if (!rear.GetData() || !front.GetData()) return false;
      Combine(rear, rear, Invert);
      Combine(front, front, Invert);
      rear.CopyTo(depth.rear);
      front.CopyTo(depth.front);
      VPBuffer* frontBuffer = render->GetBuffer(kPostEffectBuffer, kFrontBufferId);
      VPBuffer* rearBuffer = render->GetBuffer(kPostEffectBuffer, kRearBufferId);
      if (frontBuffer && rearBuffer) {
        front.CopyTo(frontBuffer);
        rear.CopyTo(rearBuffer);
      }
    }
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
