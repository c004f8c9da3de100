#include "Blur.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <sstream>

#include "app/cli/Command.h"
#include "app/core/Allocations.h"
#include "app/core/Error.h"
#include "app/core/Geometry.h"
#include "app/image/ImageIO.h"
#include "app/session/DepthMaps.h"
#include "app/session/FrameSequence.h"
#include "app/session/SceneLoading.h"
#include "filters/Filters.h"
#include "resources/description/vpdof.h"

namespace lensara {

namespace {

struct Filter {
  const char* name;
  filters::Filter driver;
  int32_t value;  // of DOF_FILTER
  const char* valueName;
};

const Filter kFilters[] = {{"median", filters::MedianBlur, DOF_FILTER_MEDIAN, "DOF_FILTER_MEDIAN"},
                           {"gaussian", filters::GaussianBlur, DOF_FILTER_GAUSSIAN, "DOF_FILTER_GAUSSIAN"},
                           {"gaussian-blend", filters::GaussianBlend, DOF_FILTER_GAUSSIAN_BLEND,
                            "DOF_FILTER_GAUSSIAN_BLEND"}};

// "median, gaussian or gaussian-blend"
std::string FilterList()
{
  std::string list;
  for (std::size_t i = 0; i < std::size(kFilters); ++i)
    list += (i == 0 ? "" : i + 1 < std::size(kFilters) ? ", " : " or ") + std::string(kFilters[i].name);
  return list;
}

const Filter& FindFilter(const std::string& filter)
{
  for (const Filter& f : kFilters)
    if (filter == f.name) return f;
  throw UsageError("unknown filter \"" + filter + "\" (" + FilterList() + ")");
}

filters::Filter FindDriver(const std::string& filter) { return FindFilter(filter).driver; }

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

// The result in the format of file's extension; an EXR holds it in the input's layer, the
// input's other channels as they were and layers (which replace channels of their names).
void WritePicture(const std::filesystem::path& file, const LayeredImage& input, const Bitmap& result,
                  const std::vector<NamedBitmap>& layers)
{
  if (file.extension() != ".exr" || (input.others.empty() && layers.empty())) return WriteImage(file, result);
  std::vector<NamedBitmap> all{{input.layer, &result}};
  all.insert(all.end(), layers.begin(), layers.end());
  WriteLayeredImage(file, all, input.others);
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
  LayeredImage input = ReadLayeredImage(options.image, options.layer);
  Bitmap& image = input.picture;
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
  WritePicture(options.output, input, result, {});
  return true;
}

namespace {

// The settings of the effect a frame render blurs with.
struct EffectRun {
  bool blur, reflections, hair, dilate, depthAware;
  const Filter* filter;
  int32_t radius, passes;
};

bool Flag(const Container& data, int32_t key) { return data.GetLong(key, 0) != 0; }

int32_t WholeNumber(double value)
{
  if (std::isnan(value)) return 0;
  constexpr double low = std::numeric_limits<int32_t>::min(), high = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(std::trunc(value), low, high));
}

EffectRun ReadEffectRun(const Container& data)
{
  int32_t value = data.GetLong(DOF_FILTER, DOF_FILTER_GAUSSIAN);
  const Filter* filter = std::find_if(std::begin(kFilters), std::end(kFilters), [value](const Filter& f) { return f.value == value; });
  if (filter == std::end(kFilters)) throw Error("the effect's DOF_FILTER " + std::to_string(value) + " names no filter");
  return {Flag(data, DOF_BLUR),         Flag(data, DOF_REFLECTIONS), Flag(data, DOF_HAIR),
          Flag(data, DOF_DILATE_DEPTH), Flag(data, DOF_DEPTH_AWARE), filter,
          WholeNumber(data.GetReal(DOF_RADIUS, 0.0)), WholeNumber(data.GetReal(DOF_PASSES, 1.0))};
}

// The document whose first effect gives the settings: options.params, else the demo with a
// new effect's settings; the edits applied.
std::unique_ptr<Document> EffectDocument(const Host& host, const BlurOptions& options,
                                         const std::vector<std::string>& edits, std::ostream& messages)
{
  const std::filesystem::path scene = options.params.empty() ? DemoScene() : options.params;
  std::unique_ptr<Document> doc = LoadSceneReporting(scene, messages);
  Node& effect = SceneEffect(*doc, scene);
  if (options.params.empty()) {
    std::unique_ptr<Node> fresh = host.CreateVideoPost(kDofId);
    if (!fresh) throw Error("the effect's plug-in is not loaded");
    effect.Data() = fresh->Data();
  }
  EditParametersReporting(*doc, edits, messages);
  return doc;
}

// tan of half the horizontal field of view that --fov or --focal-length and --aperture give.
double TanHalfWidth(const BlurOptions& options)
{
  if (options.fov > 0.0 && options.fov < 180.0) return std::tan(options.fov * kPi / 360.0);
  if (options.focalLength > 0.0 && options.aperture > 0.0) return options.aperture / (2.0 * options.focalLength);
  throw UsageError("--depth-kind planar needs the camera's field of view: --fov DEG (0 < DEG < 180) or "
                   "--focal-length MM and --aperture MM");
}

DepthPicture ReadRadialDepth(const BlurOptions& options)
{
  double tanHalfWidth = options.depthKind == "planar" ? TanHalfWidth(options) : 0.0;
  DepthPicture depth = ReadDepthPicture(options.depth, options.depthChannel, options.depthScale);
  if (options.depthKind == "planar") MakeRadial(depth, tanHalfWidth);
  return depth;
}

// Rear map, then the front map (dilated and smoothed first when asked) over the result, as the
// effect's two-pass blur runs.
bool BlurTwoPasses(const EffectRun& s, Bitmap& image, Bitmap& result, DepthMaps maps, const filters::Context& context)
{
  filters::Filter filter = s.filter->driver;
  filter(View(image), View(result), View(maps.rear), {s.radius, s.passes, s.depthAware, true},
         context);
  Bitmap front = maps.front;
  if (s.dilate) {
    Bitmap wide = front;
    std::int64_t passes = std::clamp<std::int64_t>(s.radius + std::int64_t(s.radius) * s.passes / 4, 0,
                                                   std::numeric_limits<int32_t>::max());
    filters::Dilate(View(front), View(wide), {}, {1, static_cast<int32_t>(passes)}, context);
    filter(View(wide), View(front), View(wide), {s.radius, s.passes, false, false}, context);
  }
  Bitmap again = result;
  return filter(View(again), View(result), View(front), {s.radius, s.passes, false, true}, context);
}

// The frame render's blur: two passes over the rear and front maps with dilation or the
// depth test (without reflections or hair), else one pass over the main map.
bool BlurByMaps(const EffectRun& s, Bitmap& image, Bitmap& result, const DepthMaps& maps, const filters::Context& context)
{
  if ((s.dilate || s.depthAware) && !s.reflections && !s.hair) return BlurTwoPasses(s, image, result, maps, context);
  Bitmap main = maps.main;
  return s.filter->driver(View(image), View(result), View(main),
                          {s.radius, s.passes, false, s.filter->value != DOF_FILTER_GAUSSIAN}, context);
}

const char* const kMapNames[] = {"Lensara Depth", "Lensara Depth Front", "Lensara Depth Rear"};

std::vector<NamedBitmap> MapLayers(const DepthMaps& maps)
{
  return {{kMapNames[0], &maps.main}, {kMapNames[1], &maps.front}, {kMapNames[2], &maps.rear}};
}

// Where --save-maps writes a map: named after its layer, as a render writes it.
std::filesystem::path MapFile(const std::filesystem::path& folder, const std::string& layer)
{
  return folder / (FileNameOf(layer) + ".png");
}

void SaveMaps(const std::filesystem::path& folder, const DepthMaps& maps)
{
  std::vector<NamedBitmap> layers = MapLayers(maps);
  for (const NamedBitmap& layer : layers) WriteImage(MapFile(folder, layer.name), *layer.bitmap);
}

// "START-END" as DOF_<side>_START and _END (end first: the effect keeps a start within its
// end), "off" as the range switched off.
void AddRange(std::vector<std::string>& edits, const std::string& side, const std::string& option, const std::string& text)
{
  if (text == "off") return edits.push_back("DOF_" + side + "_BLUR=0");
  std::istringstream in(text);
  double start = 0.0, end = 0.0;
  char dash = 0;
  if (!(in >> start >> dash >> end) || dash != '-' || !in.eof())
    throw UsageError(option + " \"" + text + "\" is neither START-END (scene units from the focus) nor off");
  edits.push_back("DOF_" + side + "_BLUR=1");
  edits.push_back("DOF_" + side + "_END=" + std::to_string(end));
  edits.push_back("DOF_" + side + "_START=" + std::to_string(start));
}

}  // namespace

std::vector<std::string> DepthBlurEdits(const BlurOptions& options, const std::function<bool(const char*)>& given)
{
  std::vector<std::string> edits;
  if (given("--focus") || given("--front") || given("--rear")) edits.push_back("DOF_USE_CAMERA_DOF=0");
  if (given("--focus")) edits.push_back("DOF_FOCUS_DISTANCE=" + options.focus);
  if (given("--front")) AddRange(edits, "FRONT", "--front", options.front);
  if (given("--rear")) AddRange(edits, "REAR", "--rear", options.rear);
  if (given("--filter")) edits.push_back(std::string("DOF_FILTER=") + FindFilter(options.filter).valueName);
  if (given("--radius")) edits.push_back("DOF_RADIUS=" + std::to_string(options.radius));
  if (given("--passes")) edits.push_back("DOF_PASSES=" + std::to_string(options.passes));
  if (given("--depth-aware")) edits.push_back("DOF_DEPTH_AWARE=1");
  if (given("--dilate")) edits.push_back("DOF_DILATE_DEPTH=1");
  return edits;
}

bool RunDepthBlur(const Host& host, const BlurOptions& options, const std::vector<std::string>& edits,
                  BreakTest* breakTest, ProgressDisplay* progress, std::ostream& messages)
{
  CheckImageOutput(options.output);
  if (!options.saveMaps.empty()) CheckImageOutput(MapFile(options.saveMaps, kMapNames[0]));
  std::unique_ptr<Document> doc = EffectDocument(host, options, edits, messages);
  EffectRun run = ReadEffectRun(SceneEffect(*doc, options.params).Data());
  DepthRules rules(*doc);
  DepthPicture depth = ReadRadialDepth(options);
  ImageSize size = ReadImageSize(options.image);
  if (size != ImageSize{depth.width, depth.height})
    throw Error(options.depth.string() + ": the depth is " + SizeText({depth.width, depth.height}) + " but the image " +
                options.image.string() + " is " + SizeText(size));
  DepthMaps maps = rules.Maps(depth);
  LayeredImage input = ReadLayeredImage(options.image, options.layer);
  Bitmap& image = input.picture;
  Bitmap result = image;
  if (run.blur && run.passes > 0) {
    result = Bitmap(image.Width(), image.Height());
    Observers observers{breakTest, progress};
    if (!BlurByMaps(run, image, result, maps, {Stop, SetValue, SetText, &observers}))
      throw Error(options.image.string() + ": the " + run.filter->name + " filter failed: out of memory");
    if (breakTest && breakTest->Stop()) return false;
  }
  WritePicture(options.output, input, result, MapLayers(maps));
  if (!options.saveMaps.empty()) SaveMaps(options.saveMaps, maps);
  return true;
}

}  // namespace lensara
