// Dof::BlurFrame: the frame's image blurred by the depth maps, in one pass over the main
// map or in two (rear, then front), and written back into the frame.
#include <algorithm>

#include "plugins/dof/Dof.h"
#include "plugins/dof/FastBitmap.h"
#include "resources/description/vpdof.h"

namespace {

using Driver = Bool (*)(FastBitmap*, FastBitmap*, FastBitmap*, Int32, Int32, Bool, Bool, VideoPostStruct*);

// The pass driver of a DOF_FILTER value; null for a value the description does not offer.
Driver DriverOf(Int32 filter)
{
  switch (filter) {
    case DOF_FILTER_MEDIAN: return Dof::MedianBlur;
    case DOF_FILTER_GAUSSIAN: return Dof::GaussianBlur;
    case DOF_FILTER_GAUSSIAN_BLEND: return Dof::GaussianBlend;
    default: return nullptr;
  }
}

// Rear map, then the front map (dilated and smoothed first when asked) over the result.
Bool BlurTwoPasses(Driver filter, FastBitmap& src, FastBitmap& dst, MultipassBitmap* frontLayer,
                   MultipassBitmap* rearLayer, Int32 r, Int32 p, Bool dilate, Bool depthAware, VideoPostStruct* vps)
{
  FastBitmap rear(rearLayer);
  if (!rear.GetData()) return false;
  filter(&src, &dst, &rear, r, p, depthAware, true, vps);
  if (!frontLayer) return false;
  FastBitmap front(frontLayer);
  if (!front.GetData()) return false;
  if (dilate) {
    FastBitmap wide(&front);
    if (!wide.GetData()) return false;
    Dof::Dilate(&front, &wide, static_cast<UInt32>(std::max(0, r + r * p / 4)), 1, vps);
    filter(&wide, &front, &wide, r, p, false, false, vps);
  }
  FastBitmap again(&dst);
  return again.GetData() && filter(&again, &dst, &front, r, p, false, true, vps);
}

}  // namespace

Bool Dof::BlurFrame(const DepthRender& depth, const RunSettings& s, VideoPostStruct* vps)
{
  Driver filter = DriverOf(s.filter);
  if (!filter) return false;
  // No pass leaves nothing blurred to write: the frame keeps its image.
  if (s.passes < 1) return true;
  VPBuffer* final = vps->render->GetBuffer(1, 0);
  FastBitmap src(final);
  FastBitmap dst(depth.bitmap->GetBw(), depth.bitmap->GetBh());
  if (!src.GetData() || !dst.GetData() || !src.SameSize(&dst)) return false;
  std::fill(dst.GetData(), dst.GetData() + static_cast<std::size_t>(dst.GetWidth()) * dst.GetHeight() * 3, UChar(0));

  Bool blurred;
  if ((s.dilate || s.depthAware) && !s.reflections && !s.hair) {
    blurred = BlurTwoPasses(filter, src, dst, depth.front, depth.rear, s.radius, s.passes, s.dilate, s.depthAware, vps);
  } else {
    FastBitmap map(depth.main);
    blurred = map.GetData() &&
              filter(&src, &dst, &map, s.radius, s.passes, false, s.filter != DOF_FILTER_GAUSSIAN, vps);
  }
  if (!blurred) return false;
  if (MultipassBitmap* image = final->FindUserLayer(1, 0)) dst.CopyTo(image);
  return true;
}
