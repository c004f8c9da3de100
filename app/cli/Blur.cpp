#include "Blur.h"

#include <iterator>

#include "app/cli/Command.h"
#include "app/core/Allocations.h"
#include "app/core/Error.h"
#include "app/image/ImageIO.h"
#include "filters/Filters.h"
#include "resources/description/vpdof.h"

namespace lensara {

namespace {

struct Filter {
  const char* name;
  filters::Filter driver;
};

const Filter kFilters[] = {
    {"median", filters::MedianBlur}, {"gaussian", filters::GaussianBlur}, {"gaussian-blend", filters::GaussianBlend}};

// "median, gaussian or gaussian-blend"
std::string FilterList()
{
  std::string list;
  for (std::size_t i = 0; i < std::size(kFilters); ++i)
    list += (i == 0 ? "" : i + 1 < std::size(kFilters) ? ", " : " or ") + std::string(kFilters[i].name);
  return list;
}

filters::Filter FindDriver(const std::string& filter)
{
  for (const Filter& f : kFilters)
    if (filter == f.name) return f.driver;
  throw UsageError("unknown filter \"" + filter + "\" (" + FilterList() + ")");
}

std::string SizeText(const ImageSize& s) { return std::to_string(s.width) + " x " + std::to_string(s.height); }

// Compares the sizes the headers declare, so that neither image is decoded for nothing.
void CheckSameSize(const BlurOptions& options)
{
  ImageSize image = ReadImageSize(options.image), map = ReadImageSize(options.map);
  if (image != map)
    throw Error(options.map.string() + ": the blur map is " + SizeText(map) + " but the image " +
                options.image.string() + " is " + SizeText(image));
}

filters::ImageView View(Bitmap& bitmap) { return {bitmap.Row(0), bitmap.Width(), bitmap.Height()}; }

// The break test and the progress display, as the filters' context reaches them.
struct Observers {
  BreakTest* breakTest;
  ProgressDisplay* progress;
};

Observers& ObserversOf(void* user) { return *static_cast<Observers*>(user); }

bool Stop(void* user) { return ObserversOf(user).breakTest && ObserversOf(user).breakTest->Stop(); }

void SetValue(void* user, double value)
{
  if (ProgressDisplay* progress = ObserversOf(user).progress) progress->SetValue(value);
}

void SetText(void* user, const char* text)
{
  if (ProgressDisplay* progress = ObserversOf(user).progress) progress->SetText(text);
}

void CheckLimit(const Description& description, const char* parameter, const char* option, int32_t value)
{
  const ParameterDescription* p = description.Find(parameter);
  if (p && !p->limits.Allow(value))
    throw UsageError(std::string(option) + " " + std::to_string(value) + " is out of range " + p->limits.Text() +
                     " (the limits of " + parameter + ")");
}

}  // namespace

std::vector<std::string> BlurFilters()
{
  std::vector<std::string> names;
  for (const Filter& f : kFilters) names.push_back(f.name);
  return names;
}

void CheckBlurLimits(const Host& host, const BlurOptions& options)
{
  const VideoPostClass* dof = host.FindVideoPost(kDofId);
  if (!dof) throw Error("the effect's plug-in is not loaded, so the limits of --radius and --passes are unknown");
  CheckLimit(dof->description, "DOF_RADIUS", "--radius", options.radius);
  CheckLimit(dof->description, "DOF_PASSES", "--passes", options.passes);
}

bool RunBlur(const BlurOptions& options, BreakTest* breakTest, ProgressDisplay* progress)
{
  filters::Filter driver = FindDriver(options.filter);
  CheckImageOutput(options.output);
  CheckSameSize(options);
  Bitmap image = ReadImage(options.image);
  Bitmap map = ReadImage(options.map);
  CountAllocation();
  // Every pass writes each pixel of the target; with none, the result is the image.
  Bitmap result = options.passes > 0 ? Bitmap(image.Width(), image.Height()) : image;
  Observers observers{breakTest, progress};
  const filters::Context context{Stop, SetValue, SetText, &observers};
  const filters::Parameters parameters{options.radius, options.passes, options.depthAware, options.blend};
  if (!driver(View(image), View(result), View(map), parameters, context))
    throw Error(options.image.string() + ": the " + options.filter + " filter failed: out of memory");
  if (breakTest && breakTest->Stop()) return false;
  WriteImage(options.output, result);
  return true;
}

}  // namespace lensara
