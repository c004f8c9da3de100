// MedianBlur, GaussianBlur and GaussianBlend: repeated filter passes and the blend of the
// result with the source by the blur map.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ColumnChunks.h"
#include "Filters.h"
#include "ImageBuffer.h"
#include "InstructionSets.h"

namespace filters {

namespace {

constexpr std::int32_t kBlendBlock = 64; // columns blended row by row between break tests

void SetProgressText(const Context& context, const std::string& text)
{
  if (context.progressText) context.progressText(context.user, text.c_str());
}

// The label, followed by the pass number when there is more than one pass.
std::string PassText(const char* label, std::int32_t pass, std::int32_t passes)
{
  if (passes <= 1) return label;
  return label + std::to_string(pass);
}

// count adjacent pixels: out = trunc(filtered x F + source x (1 - F)), F from the map.
LENSARA_CLONES void BlendPixels(const std::uint8_t* filtered, const std::uint8_t* source, const std::uint8_t* map,
                                const double* factor, std::int32_t count, std::uint8_t* out)
{
  double f[3 * kBlendBlock], g[3 * kBlendBlock];
  for (std::int32_t p = 0; p < count; ++p) {
    double fp = factor[map[p * 3] + map[p * 3 + 1] + map[p * 3 + 2]];
    f[p * 3] = f[p * 3 + 1] = f[p * 3 + 2] = fp;
    g[p * 3] = g[p * 3 + 1] = g[p * 3 + 2] = 1.0 - fp;
  }
  for (std::int32_t j = 0; j < count * 3; ++j)
    out[j] = static_cast<std::uint8_t>(static_cast<std::int32_t>(filtered[j] * f[j] + source[j] * g[j]));
}

// Rows of columns x0 .. x1 - 1.
void BlendColumns(ImageView source, ImageView filtered, ImageView target, ImageView map, const double* factor,
                  std::int32_t x0, std::int32_t x1)
{
  for (std::int32_t y = 0; y < target.height; ++y) {
    std::ptrdiff_t at = (std::ptrdiff_t(y) * target.width + x0) * 3;
    BlendPixels(filtered.data + at, source.data + at, map.data + at, factor, x1 - x0, target.data + at);
  }
}

// Blends blocks of columns in chunks of the context's parallel loop, asking the break test
// before each column; columns a stop left undone keep the target's contents. False when
// the record of the blocks finds no memory.
bool BlendByMap(ImageView source, ImageView filtered, ImageView target, ImageView map, const Context& context)
{
  if (!source.data || !map.data || !filtered.data || !target.data) return false;
  if (!SameSize(target, source) || !SameSize(target, map) || !SameSize(target, filtered)) return false;
  ColumnChunks blocks(context, target.width, kBlendBlock, nullptr);
  if (!blocks.Ready()) return false;
  double factor[766];
  for (std::int32_t sum = 0; sum < 766; ++sum) factor[sum] = (static_cast<double>(sum) / 3.0) / 255.0;
  auto chunk = [&](std::int32_t b0, std::int32_t b1) {
    blocks.Sweep(b0, b1, [&](std::int32_t x0, std::int32_t x1) {
      BlendColumns(source, filtered, target, map, factor, x0, x1);
    });
  };
  blocks.Run(chunk);
  return true;
}

// One pass of filter between the progress texts.
bool RunPass(Filter filter, const char* label, std::int32_t pass, ImageView source, ImageView target, ImageView map,
             const Parameters& parameters, const Context& context)
{
  SetProgressText(context, PassText(label, pass, parameters.passes));
  if (!filter(source, target, map, parameters, context)) return false;
  SetProgressText(context, "");
  return true;
}

// A single pass without the blend writes the target straight from the source. Otherwise
// the passes run in a working copy of the target, each on the last one's result (the
// filters take the source as the target), so that a failed pass leaves the target
// untouched, and the copy then becomes the target or is blended into it.
bool RepeatFilter(Filter filter, const char* label, ImageView source, ImageView target, ImageView map,
                  const Parameters& parameters, const Context& context)
{
  if (!source.data || !target.data || !map.data) return false;
  if (parameters.passes == 1 && !parameters.blend)
    return RunPass(filter, label, 1, source, target, map, parameters, context);
  ImageBuffer output(target);
  ImageView input = source;
  // A stop ends the passes, before the text of the next: each would return at once, and a
  // huge pass count would keep the loop and its text going long after.
  for (std::int32_t pass = 1; pass <= parameters.passes && !StopAsked(context); ++pass) {
    if (!RunPass(filter, label, pass, input, output.View(), map, parameters, context)) return false;
    input = output.View();
  }
  if (parameters.blend) return BlendByMap(source, output.View(), target, map, context);
  output.CopyTo(target);
  return true;
}

}  // namespace

bool MedianBlur(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                const Context& context)
{
  return RepeatFilter(MedianLowPass, "Median Filter ", source, target, map, parameters, context);
}

bool GaussianBlur(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                  const Context& context)
{
  return RepeatFilter(GaussImproved, "Gaussian Filter ", source, target, map, parameters, context);
}

bool GaussianBlend(ImageView source, ImageView target, ImageView map, const Parameters& parameters,
                   const Context& context)
{
  return RepeatFilter(GaussBlending, "Gaussian Filter ", source, target, map, parameters, context);
}

}  // namespace filters
