// Dof::BlurFrame: the frame's image blurred by the depth maps, in one pass over the main
// map or in two (rear, then front), and written back into the frame.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "filters/Filters.h"
#include "plugins/dof/Dof.h"
#include "plugins/dof/FastBitmap.h"
#include "plugins/dof/filters/FilterContext.h"
#include "resources/description/vpdof.h"

namespace {

// The pass driver of a DOF_FILTER value; null for a value the description does not offer.
filters::Filter DriverOf(Int32 filter)
{
  switch (filter) {
    case DOF_FILTER_MEDIAN: return filters::MedianBlur;
    case DOF_FILTER_GAUSSIAN: return filters::GaussianBlur;
    case DOF_FILTER_GAUSSIAN_BLEND: return filters::GaussianBlend;
    default: return nullptr;
  }
}

// Rear map, then the front map (dilated and smoothed first when asked) over the result.
Bool BlurTwoPasses(filters::Filter filter, FastBitmap& src, FastBitmap& dst, MultipassBitmap* frontLayer,
                   MultipassBitmap* rearLayer, Int32 r, Int32 p, Bool dilate, Bool depthAware,
                   const filters::Context& context)
{
  FastBitmap rear(rearLayer);
  if (!rear.GetData()) return false;
  filter(src.View(), dst.View(), rear.View(), {r, p, depthAware != 0, true}, context);
  if (!frontLayer) return false;
  FastBitmap front(frontLayer);
  if (!front.GetData()) return false;
  if (dilate) {
    FastBitmap wide(&front);
    if (!wide.GetData()) return false;
    std::int64_t passes = std::clamp<std::int64_t>(r + std::int64_t(r) * p / 4, 0, std::numeric_limits<Int32>::max());
    filters::Dilate(front.View(), wide.View(), {}, {1, static_cast<Int32>(passes)}, context);
    filter(wide.View(), front.View(), wide.View(), {r, p, false, false}, context);
  }
  FastBitmap again(&dst);
  return again.GetData() && filter(again.View(), dst.View(), front.View(), {r, p, false, true}, context);
}

}  // namespace

Bool Dof::BlurFrame(const DepthRender& depth, const RunSettings& s, VideoPostStruct* vps)
{
  filters::Filter filter = DriverOf(s.filter);
  if (!filter) return false;
  // No pass leaves nothing blurred to write: the frame keeps its image.
  if (s.passes < 1) return true;
  VPBuffer* final = vps->render->GetBuffer(1, 0);
  FastBitmap src(final);
  FastBitmap dst(depth.bitmap->GetBw(), depth.bitmap->GetBh());
  if (!src.GetData() || !dst.GetData() || !src.SameSize(&dst)) return false;
  std::fill(dst.GetData(), dst.GetData() + static_cast<std::size_t>(dst.GetWidth()) * dst.GetHeight() * 3, UChar(0));

  const filters::Context context = FilterContext(vps);
  Bool blurred;
  if ((s.dilate || s.depthAware) && !s.reflections && !s.hair) {
    blurred =
        BlurTwoPasses(filter, src, dst, depth.front, depth.rear, s.radius, s.passes, s.dilate, s.depthAware, context);
  } else {
    FastBitmap map(depth.main);
    blurred = map.GetData() && filter(src.View(), dst.View(), map.View(),
                                      {s.radius, s.passes, false, s.filter != DOF_FILTER_GAUSSIAN}, context);
  }
  if (!blurred) return false;
  if (MultipassBitmap* image = final->FindUserLayer(1, 0)) dst.CopyTo(image);
  return true;
}
