// Drawing into a rectangle of a window's image: fills, bitmap copies and text, clipped.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/Bitmap.h"

namespace lensara {

struct Rect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  Rect Intersect(const Rect& other) const;
  bool Empty() const { return width <= 0 || height <= 0; }
};

struct Rgb {
  uint8_t r, g, b;
};

// The colours of the host's windows.
constexpr Rgb kBackground{72, 72, 72};
constexpr Rgb kBorderDark{38, 38, 38};
constexpr Rgb kBorderLight{112, 112, 112};
constexpr Rgb kTextColour{220, 220, 220};

// The font of the windows' texts (drawn by FreeType); text is left out when it is not installed.
constexpr const char* kDialogFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Draws in area of image, in the area's own coordinates (0, 0 is its top-left corner).
// Nothing reaches outside the area, nor outside the clipping rectangle.
class Canvas {
public:
  Canvas(Bitmap& image, const Rect& area);

  // Limits drawing to r (area coordinates) within the area.
  void Clip(const Rect& r);
  void Fill(const Rect& r, Rgb colour);
  // Copies the from rectangle of source onto to, scaled by nearest pixel when the sizes
  // differ; source pixels outside source are left out.
  void Blit(const Bitmap& source, const Rect& from, const Rect& to);
  // One line of text, its top-left corner at x, y; nothing without the font.
  void Text(int32_t x, int32_t y, const std::string& text, Rgb colour);

private:
  Bitmap& image;
  Rect area;  // image coordinates
  Rect clip;  // image coordinates, within area
};

}  // namespace lensara
