// Dof::MedianBlur, Dof::GaussianBlur and Dof::GaussianBlend: repeated filter passes and
// the blend of the result with the source by the blur map.
#include "ColumnSweep.h"
#include "InstructionSets.h"
#include "plugins/dof/Dof.h"
#include "plugins/dof/FastBitmap.h"

namespace {

using PassFilter = Bool (*)(FastBitmap*, FastBitmap*, FastBitmap*, Int32, Bool, VideoPostStruct*);

constexpr Int32 kFormatLong = 0x666C6E67; // 'flng': integers in decimal
constexpr Int32 kBlendBlock = 64;          // columns blended row by row between break tests

void SetProgressText(VideoPostStruct* vps, const String& text)
{
  if (vps && vps->progress) vps->progress->SetText(text);
}

// The label, followed by the pass number when there is more than one pass.
String PassText(const char* label, Int32 pass, Int32 passes)
{
  if (passes <= 1) return String(label);
  return String(label) + FormatNumber(GeData(pass), kFormatLong, 0, true);
}

// count adjacent pixels: out = trunc(filtered x F + source x (1 - F)), F from the map.
LENSARA_CLONES void BlendPixels(const UChar* filtered, const UChar* source, const UChar* map, const double* factor,
                                Int32 count, UChar* out)
{
  double f[3 * kBlendBlock], g[3 * kBlendBlock];
  for (Int32 p = 0; p < count; ++p) {
    double fp = factor[map[p * 3] + map[p * 3 + 1] + map[p * 3 + 2]];
    f[p * 3] = f[p * 3 + 1] = f[p * 3 + 2] = fp;
    g[p * 3] = g[p * 3 + 1] = g[p * 3 + 2] = 1.0 - fp;
  }
  for (Int32 j = 0; j < count * 3; ++j) out[j] = static_cast<UChar>(static_cast<Int32>(filtered[j] * f[j] + source[j] * g[j]));
}

// Rows of columns x0 .. x1 - 1.
void BlendColumns(const FastBitmap* source, const FastBitmap* filtered, FastBitmap* target, const FastBitmap* map,
                  const double* factor, Int32 x0, Int32 x1)
{
  for (Int32 y = 0; y < target->GetHeight(); ++y) {
    std::ptrdiff_t at = (std::ptrdiff_t(y) * target->GetWidth() + x0) * 3;
    BlendPixels(filtered->GetData() + at, source->GetData() + at, map->GetData() + at, factor, x1 - x0,
                target->GetData() + at);
  }
}

// Blends column by column, asking the break test before each; columns after a stop keep
// the target's contents.
Bool BlendByMap(FastBitmap* source, FastBitmap* filtered, FastBitmap* target, FastBitmap* map, VideoPostStruct* vps)
{
  if (!source->GetData() || !map->GetData() || !filtered->GetData() || !target->GetData()) return false;
  if (!target->SameSize(source) || !target->SameSize(map) || !target->SameSize(filtered)) return false;
  double factor[766];
  for (Int32 sum = 0; sum < 766; ++sum) factor[sum] = (static_cast<double>(sum) / 3.0) / 255.0;
  SweepColumns(vps, target->GetWidth(), kBlendBlock, nullptr,
               [&](Int32 x0, Int32 x1) { BlendColumns(source, filtered, target, map, factor, x0, x1); });
  return true;
}

Bool RepeatFilter(PassFilter filter, const char* label, FastBitmap* source, FastBitmap* target, FastBitmap* map,
                  Int32 radius, Int32 passes, Bool depthTest, Bool blend, VideoPostStruct* vps)
{
  if (!source || !target || !map) return false;
  FastBitmap output(target);
  FastBitmap input(source);
  for (Int32 pass = 1; pass <= passes; ++pass) {
    SetProgressText(vps, PassText(label, pass, passes));
    if (!filter(&input, &output, map, radius, depthTest, vps)) return false;
    output.CopyTo(&input);
    SetProgressText(vps, String());
  }
  if (blend) return BlendByMap(source, &output, target, map, vps);
  output.CopyTo(target);
  return true;
}

}  // namespace

Bool Dof::MedianBlur(FastBitmap* source, FastBitmap* target, FastBitmap* map, Int32 radius, Int32 passes,
                     Bool depthTest, Bool blend, VideoPostStruct* vps)
{
  return RepeatFilter(MedianLowPass, "Median Filter ", source, target, map, radius, passes, depthTest, blend, vps);
}

Bool Dof::GaussianBlur(FastBitmap* source, FastBitmap* target, FastBitmap* map, Int32 radius, Int32 passes,
                       Bool depthTest, Bool blend, VideoPostStruct* vps)
{
  return RepeatFilter(GaussImproved, "Gaussian Filter ", source, target, map, radius, passes, depthTest, blend, vps);
}

Bool Dof::GaussianBlend(FastBitmap* source, FastBitmap* target, FastBitmap* map, Int32 radius, Int32 passes,
                        Bool depthTest, Bool blend, VideoPostStruct* vps)
{
  return RepeatFilter(GaussBlending, "Gaussian Filter ", source, target, map, radius, passes, depthTest, blend, vps);
}
