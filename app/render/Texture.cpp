#include "Texture.h"

#include <cmath>

#include "app/core/Allocations.h"
#include "app/image/ImageIO.h"
#include "host/TypeIds.h"
#include "host/keys/ObjectKeys.h"

namespace lensara {

namespace {

// The fractional part of x, in [0, 1).
double Wrap(double x) { return x - std::floor(x); }

// Samples are the image's bytes / 255, filtered bilinearly between pixel centres, wrapping
// around the edges.
class ImageTexture : public Texture {
public:
  explicit ImageTexture(Bitmap image) : image(std::move(image)) {}

  Vector Sample(double u, double v) const override
  {
    if (!std::isfinite(u) || !std::isfinite(v)) u = v = 0.0;
    double x = Wrap(u) * image.Width() - 0.5, y = Wrap(v) * image.Height() - 0.5;
    double fx = x - std::floor(x), fy = y - std::floor(y);
    int32_t x0 = static_cast<int32_t>(std::floor(x)), y0 = static_cast<int32_t>(std::floor(y));
    Vector top = Pixel(x0, y0) * (1.0 - fx) + Pixel(x0 + 1, y0) * fx;
    Vector bottom = Pixel(x0, y0 + 1) * (1.0 - fx) + Pixel(x0 + 1, y0 + 1) * fx;
    return top * (1.0 - fy) + bottom * fy;
  }

private:
  Vector Pixel(int32_t x, int32_t y) const
  {
    x = (x % image.Width() + image.Width()) % image.Width();
    y = (y % image.Height() + image.Height()) % image.Height();
    const uint8_t* p = image.Row(y) + static_cast<std::size_t>(x) * 3;
    return Vector{p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
  }

  Bitmap image;
};

class CheckerTexture : public Texture {
public:
  explicit CheckerTexture(const Container& data)
      : first(VectorOf(data, kCheckerboardColor1)), second(VectorOf(data, kCheckerboardColor2)),
        uFrequency(data.GetReal(kCheckerboardUFrequency, 8.0)),
        vFrequency(data.GetReal(kCheckerboardVFrequency, 8.0))
  {
  }

  Vector Sample(double u, double v) const override
  {
    double cell = std::floor(u * uFrequency) + std::floor(v * vFrequency);
    return !std::isfinite(cell) || std::fmod(cell, 2.0) == 0.0 ? first : second;
  }

private:
  static Vector VectorOf(const Container& data, int32_t key)
  {
    const Value* v = data.Find(key);
    return v && v->GetVector() ? *v->GetVector() : Vector{};
  }

  Vector first, second;
  double uFrequency, vFrequency;
};

}  // namespace

std::unique_ptr<Texture> MakeTexture(const Node& shader, const std::filesystem::path& folder)
{
  if (shader.Type() == kCheckerboardShader) return CountedUnique<CheckerTexture>(shader.Data());
  if (shader.Type() != kBitmapShader) return nullptr;
  const Value* file = shader.Data().Find(kBitmapShaderFile);
  std::filesystem::path path = file ? file->ToString() : std::string();
  if (path.empty()) return nullptr;
  return CountedUnique<ImageTexture>(ReadImage(path.is_absolute() ? path : folder / path));
}

}  // namespace lensara
