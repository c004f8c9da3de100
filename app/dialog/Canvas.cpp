#include "Canvas.h"

// Text is drawn by FreeType; a build without it (the Windows test programs) leaves it out,
// as when the font is missing.
#if __has_include(<ft2build.h>)
#define LENSARA_CANVAS_TEXT
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace lensara {

#ifdef LENSARA_CANVAS_TEXT
namespace {

constexpr int kFontSize = 13;

// The dialog's font, loaded by FreeType at the first text drawn; one glyph at a time is
// rendered into its slot, under its lock.
class Font {
public:
  // The font, or nullptr when it is not installed (or FreeType fails).
  static Font* Dialog()
  {
    static std::unique_ptr<Font> font = Load();
    return font.get();
  }
  ~Font()
  {
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  }

  std::mutex lock;
  FT_Face face = nullptr;

private:
  static std::unique_ptr<Font> Load()
  {
    auto font = std::make_unique<Font>();
    if (FT_Init_FreeType(&font->library) || FT_New_Face(font->library, kDialogFont, 0, &font->face) ||
        FT_Set_Pixel_Sizes(font->face, 0, kFontSize))
      return nullptr;
    return font;
  }

  FT_Library library = nullptr;
};

// The code points of UTF-8 text; a byte that starts no sequence stands for itself.
std::vector<char32_t> CodePoints(const std::string& text)
{
  std::vector<char32_t> points;
  for (std::size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i++]);
    int more = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    char32_t point = more ? byte & (0x3F >> more) : byte;
    for (; more > 0 && i < text.size(); --more) point = point << 6 | (static_cast<unsigned char>(text[i++]) & 0x3F);
    points.push_back(point);
  }
  return points;
}

}  // namespace
#endif

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

#ifndef LENSARA_CANVAS_TEXT
void Canvas::Text(int32_t, int32_t, const std::string&, Rgb) {}
#else
void Canvas::Text(int32_t x, int32_t y, const std::string& text, Rgb colour)
{
  Font* font = text.empty() || clip.Empty() ? nullptr : Font::Dialog();
  if (!font) return;
  // The glyphs' coverage of the clipping rectangle, then the colour over the image by it.
  std::vector<float> coverage(std::size_t(clip.width) * clip.height);
  int32_t penX = area.x + x, baseline = area.y + y + kFontSize;
  {
    std::lock_guard<std::mutex> hold(font->lock);
    FT_GlyphSlot glyph = font->face->glyph;
    for (char32_t point : CodePoints(text)) {
      if (FT_Load_Char(font->face, point, FT_LOAD_RENDER)) continue;
      const FT_Bitmap& shape = glyph->bitmap;
      Rect drawn = Rect{penX + glyph->bitmap_left, baseline - glyph->bitmap_top, int32_t(shape.width),
                        int32_t(shape.rows)}.Intersect(clip);
      for (int32_t py = drawn.y; py < drawn.y + drawn.height; ++py)
        for (int32_t px = drawn.x; px < drawn.x + drawn.width; ++px) {
          float value = shape.buffer[(py - baseline + glyph->bitmap_top) * shape.pitch + px - penX - glyph->bitmap_left] / 255.0f;
          float& a = coverage[std::size_t(py - clip.y) * clip.width + px - clip.x];
          a = std::max(a, value);
        }
      penX += int32_t(glyph->advance.x >> 6);
    }
  }
  const float rgb[3] = {colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f};
  for (int32_t py = clip.y; py < clip.y + clip.height; ++py)
    for (int32_t px = clip.x; px < clip.x + clip.width; ++px) {
      float a = coverage[std::size_t(py - clip.y) * clip.width + px - clip.x];
      uint8_t* p = image.Row(py) + px * 3;
      for (int c = 0; a > 0 && c < 3; ++c) p[c] = uint8_t((rgb[c] * a + p[c] / 255.0f * (1 - a)) * 255.0f + 0.5f);
    }
}

#endif

}  // namespace lensara
