#include "FrameSequence.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <optional>
#include <set>

#include "app/core/Error.h"
#include "app/core/Files.h"
#include "app/core/MultipassBitmap.h"
#include "app/image/ImageIO.h"
#include "app/render/FrameRender.h"
#include "app/scene/SceneFile.h"
#include "host/abi/HstRenderer.h"

namespace lensara {

namespace {

constexpr int32_t kPostEffectBuffer = 111;

// "image" for a render without frame numbers, "image.0005" for frame 5.
std::string Numbered(const std::string& stem, const std::optional<int32_t>& frame)
{
  if (!frame) return stem;
  char number[16];
  std::snprintf(number, sizeof number, ".%04d", static_cast<int>(*frame));
  return stem + number;
}

// FILE with the frame number before its extension: depth.0005.json.
std::filesystem::path NumberedFile(const std::filesystem::path& file, const std::optional<int32_t>& frame)
{
  return file.parent_path() / (Numbered(file.stem().string(), frame) + file.extension().string());
}

// A file name from a layer name: lower-case letters and digits, every other run of
// characters one '-' ("Lensara Depth" -> "lensara-depth"); "layer" when nothing is left.
std::string FileNameOf(const std::string& layerName)
{
  std::string name;
  for (unsigned char c : layerName) {
    if (std::isalnum(c)) name += static_cast<char>(std::tolower(c));
    else if (!name.empty() && name.back() != '-') name += '-';
  }
  while (!name.empty() && name.back() == '-') name.pop_back();
  return name.empty() ? "layer" : name;
}

// The visible layers of image.
std::vector<const Layer*> VisibleLayers(const MultipassBitmap& image)
{
  std::vector<const Layer*> layers;
  for (int32_t i = 0; i < image.LayerCount(); ++i)
    if (image.LayerAt(i)->Visible()) layers.push_back(image.LayerAt(i));
  return layers;
}

// Each layer as a PNG named after it, made unique by "-2", "-3", ... and never "image".
void WriteLayerFiles(const std::vector<const Layer*>& layers, const std::filesystem::path& folder,
                     const std::optional<int32_t>& frame)
{
  std::set<std::string> taken{"image"};
  for (const Layer* layer : layers) {
    std::string base = FileNameOf(layer->Name()), name = base;
    for (int n = 2; taken.count(name); ++n) name = base + "-" + std::to_string(n);
    taken.insert(name);
    WriteImage(folder / (Numbered(name, frame) + ".png"), *layer);
  }
}

// The image, its visible layers in the EXR, and as PNGs the post-effect buffers (all
// visible layers with --layers).
void WriteFrame(const RenderOptions& options, const MultipassBitmap& image, const std::optional<int32_t>& frame)
{
  std::vector<const Layer*> layers = VisibleLayers(image);
  std::vector<NamedBitmap> channels{{"", &image}};
  for (const Layer* layer : layers) channels.push_back({layer->Name(), layer});
  WriteImage(options.output / (Numbered("image", frame) + ".png"), image);
  WriteLayeredImage(options.output / (Numbered("image", frame) + ".exr"), channels);
  if (!options.layers)
    layers.erase(std::remove_if(layers.begin(), layers.end(), [](const Layer* l) { return l->Type() != kPostEffectBuffer; }),
                 layers.end());
  WriteLayerFiles(layers, options.output, frame);
}

// Keeps the document and the layers of every nested render, as --save-depth-scene and
// --save-depth-layers ask; the first error is kept, as it was thrown, for after the render.
class DepthOutputs {
public:
  DepthOutputs(const RenderOptions& options) : options(options) {}

  void Save(Document& doc, Bitmap& bitmap, const std::optional<int32_t>& frame) noexcept
  {
    try {
      if (!options.depthScene.empty()) SaveScene(doc, NumberedFile(options.depthScene, frame));
      auto* image = dynamic_cast<MultipassBitmap*>(&bitmap);
      if (!options.depthLayers.empty() && image) {
        std::vector<const Layer*> layers;
        for (int32_t i = 0; i < image->LayerCount(); ++i) layers.push_back(image->LayerAt(i));
        WriteLayerFiles(layers, options.depthLayers, frame);
      }
    } catch (...) {
      if (!problem) problem = std::current_exception();
    }
  }

  void ThrowProblem() const
  {
    if (problem) std::rethrow_exception(problem);
  }

private:
  const RenderOptions& options;
  std::exception_ptr problem;
};

void CheckOutputs(const RenderOptions& options)
{
  CheckImageOutput(options.output / "image.png");
  if (!options.depthScene.empty()) {
    if (!IsSceneFile(options.depthScene))
      throw UsageError(options.depthScene.string() + ": scene files are written as JSON; name it *.json");
    CheckWritable(options.depthScene);
  }
  if (!options.depthLayers.empty()) CheckImageOutput(options.depthLayers / "layer.png");
}

void MakeFolder(const std::filesystem::path& folder)
{
  std::error_code ec;
  if (!folder.empty()) CheckNoLinkLoop(folder);
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  if (ec) throw Error(folder.string() + ": cannot be made a folder: " + ec.message());
}

std::string FrameName(const std::optional<int32_t>& frame)
{
  return frame ? "frame " + std::to_string(*frame) : "the frame";
}

// How many frames the ranges hold, each at least one (first <= last, checked before).
int64_t FrameCount(const std::vector<FrameRange>& ranges)
{
  int64_t count = 0;
  for (const FrameRange& r : ranges) count += (int64_t{r.last} - r.first) / r.step + 1;
  return count;
}

void CheckFrames(const std::vector<FrameRange>& ranges)
{
  for (const FrameRange& r : ranges)
    if (r.first > r.last)
      throw UsageError("frames " + std::to_string(r.first) + "-" + std::to_string(r.last) +
                       ": the first frame comes after the last");
}

// A final render (flag bit 0, the default) on threads, stopped by breakTest.
FrameRenderOptions FinalRender(int threads, BreakTest* breakTest, ProgressDisplay* progress)
{
  FrameRenderOptions options;
  options.threads = threads;
  options.breakTest = breakTest;
  options.progress = progress;
  return options;
}

// One render of a document's frames: each rendered at its time and written, the failures of
// its video posts warned about.
class FrameSequence {
public:
  FrameSequence(Document& doc, const RenderOptions& options, BreakTest* breakTest, ProgressDisplay* progress,
                std::ostream& warnings)
      : doc(doc), options(options), breakTest(breakTest), progress(progress), warnings(warnings),
        render(doc, FinalRender(options.threads, breakTest, progress)), depthOutputs(options)
  {
    // Watched only when asked for: the process has one watch, and the editor renders
    // previews on other threads while its frames render.
    if (!options.depthScene.empty() || !options.depthLayers.empty())
      watch.emplace([this](Document& d, Bitmap& b) { depthOutputs.Save(d, b, frame); });
  }

  // Renders and writes frame f, or the document's own time without a number; false when stopped.
  bool Render(const std::optional<int32_t>& f, const std::string& progressText)
  {
    frame = f;
    if (progress) progress->SetStepText(progressText.c_str());
    MultipassBitmap image;
    RenderResult result = render.RenderFrame(frame ? *frame / doc.Fps() : doc.Time(), image);
    if (result.code == HST_RENDER_USER_BREAK || (breakTest && breakTest->Stop())) return false;
    if (result.code != HST_RENDER_OK)
      throw Error(options.scene.string() + ": cannot be rendered: " +
                  (result.problem.empty() ? "the render failed with code " + std::to_string(result.code) : result.problem));
    depthOutputs.ThrowProblem();
    for (const VideoPostFailure& failure : render.Failures()) {
      warnings << "warning: " << failure.effect << " failed on " << FrameName(frame) << " (code " << failure.code
               << "); " << FrameName(frame) << " is written as it stands\n";
      effectsFailed = true;
    }
    WriteFrame(options, image, frame);
    return true;
  }

  RenderStatus Status() const { return effectsFailed ? RenderStatus::EffectsFailed : RenderStatus::Done; }

private:
  Document& doc;
  const RenderOptions& options;
  BreakTest* breakTest;
  ProgressDisplay* progress;
  std::ostream& warnings;
  FrameRender render;
  DepthOutputs depthOutputs;
  std::optional<int32_t> frame;  // the frame being rendered, for the nested renders' files
  std::optional<NestedRenderWatch> watch;
  bool effectsFailed = false;
};

}  // namespace

FrameRange AnimatedFrames(Document& doc)
{
  double first = std::numeric_limits<double>::infinity(), last = -first;
  doc.VisitSubtree([&](Node& node) {
    for (const Track& track : node.Tracks()) {
      first = std::min(first, track.Keys().front().frame);
      last = std::max(last, track.Keys().back().frame);
    }
  });
  if (first > last) return {};
  auto whole = [](double frame) {  // keys may lie at any finite frame
    using Limits = std::numeric_limits<int32_t>;
    return static_cast<int32_t>(std::clamp(frame, double{Limits::min()}, double{Limits::max()}));
  };
  return {whole(std::floor(first)), whole(std::ceil(last))};
}

void PrepareFrameOutputs(const RenderOptions& options)
{
  CheckFrames(options.frames);
  for (const std::filesystem::path& folder : {options.output, options.depthLayers}) MakeFolder(folder);
  CheckOutputs(options);
}

RenderStatus RenderFrames(Document& doc, const RenderOptions& options, BreakTest* breakTest, ProgressDisplay* progress,
                          std::ostream& warnings)
{
  FrameSequence sequence(doc, options, breakTest, progress, warnings);
  if (options.frames.empty()) return sequence.Render(std::nullopt, "Rendering") ? sequence.Status() : RenderStatus::Stopped;
  int64_t count = FrameCount(options.frames), done = 0;
  for (const FrameRange& r : options.frames)
    for (int64_t f = r.first; f <= r.last; f += r.step) {
      std::string text = "Rendering frame " + std::to_string(f) + " (" + std::to_string(++done) + " of " +
                         std::to_string(count) + ")";
      if (!sequence.Render(static_cast<int32_t>(f), text)) return RenderStatus::Stopped;
    }
  return sequence.Status();
}

}  // namespace lensara
