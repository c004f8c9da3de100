#include "Canvas.h"

#include <OpenImageIO/imagebufalgo.h>

#include <algorithm>
#include <filesystem>

namespace lensara {

namespace {

constexpr int kFontSize = 13;

}  // namespace

Rect Rect::Intersect(const Rect& o) const
{
  int32_t left = std::max(x, o.x), top = std::max(y, o.y);
  int32_t right = std::min(x + width, o.x + o.width), bottom = std::min(y + height, o.y + o.height);
  return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

Canvas::Canvas(Bitmap& image, const Rect& area)
    : image(image), area(area.Intersect({0, 0, image.Width(), image.Height()})), clip(this->area)
{
}

void Canvas::Clip(const Rect& r) { clip = Rect{area.x + r.x, area.y + r.y, r.width, r.height}.Intersect(area); }

void Canvas::Fill(const Rect& r, Rgb colour)
{
  Rect target = Rect{area.x + r.x, area.y + r.y, r.width, r.height}.Intersect(clip);
  for (int32_t y = target.y; y < target.y + target.height; ++y)
    for (int32_t x = target.x; x < target.x + target.width; ++x) {
      uint8_t* p = image.Row(y) + x * 3;
      p[0] = colour.r;
      p[1] = colour.g;
      p[2] = colour.b;
    }
}

void Canvas::Blit(const Bitmap& source, const Rect& from, const Rect& to)
{
  if (from.Empty() || to.Empty()) return;
  Rect target = Rect{area.x + to.x, area.y + to.y, to.width, to.height}.Intersect(clip);
  for (int32_t y = target.y; y < target.y + target.height; ++y) {
    int64_t sy = from.y + int64_t(y - area.y - to.y) * from.height / to.height;
    if (sy < 0 || sy >= source.Height()) continue;
    for (int32_t x = target.x; x < target.x + target.width; ++x) {
      int64_t sx = from.x + int64_t(x - area.x - to.x) * from.width / to.width;
      if (sx < 0 || sx >= source.Width()) continue;
      std::copy_n(source.Row(int32_t(sy)) + sx * 3, 3, image.Row(y) + x * 3);
    }
  }
}

void Canvas::Text(int32_t x, int32_t y, const std::string& text, Rgb colour)
{
  std::error_code ec;
  if (text.empty() || clip.Empty() || !std::filesystem::exists(kDialogFont, ec)) return;
  OIIO::ImageBuf buffer(OIIO::ImageSpec(image.Width(), image.Height(), 3, OIIO::TypeDesc::UINT8), image.Row(0));
  float rgb[3] = {colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f};
  OIIO::ROI roi(clip.x, clip.x + clip.width, clip.y, clip.y + clip.height, 0, 1, 0, 3);
  OIIO::ImageBufAlgo::render_text(buffer, area.x + x, area.y + y + kFontSize, text, kFontSize, kDialogFont, rgb,
                                  OIIO::ImageBufAlgo::TextAlignX::Left, OIIO::ImageBufAlgo::TextAlignY::Baseline, 0, roi);
}

}  // namespace lensara
