#include "FrameSequence.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <limits>
#include <optional>
#include <set>
#include <utility>

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

// The visible layers of image.
std::vector<const Layer*> VisibleLayers(const MultipassBitmap& image)
{
  std::vector<const Layer*> layers;
  for (int32_t i = 0; i < image.LayerCount(); ++i)
    if (image.LayerAt(i)->Visible()) layers.push_back(image.LayerAt(i));
  return layers;
}

using Files = std::vector<std::filesystem::path>;

// Each layer as a PNG named after it, made unique by "-2", "-3", ... and never "image";
// each file is added to written.
void WriteLayerFiles(const std::vector<const Layer*>& layers, const std::filesystem::path& folder,
                     const std::optional<int32_t>& frame, Files& written)
{
  std::set<std::string> taken{"image"};
  for (const Layer* layer : layers) {
    std::string base = FileNameOf(layer->Name()), name = base;
    for (int n = 2; taken.count(name); ++n) name = base + "-" + std::to_string(n);
    taken.insert(name);
    written.push_back(folder / (Numbered(name, frame) + ".png"));
    WriteImage(written.back(), *layer);
  }
}

// The image, its visible layers in the EXR, and as PNGs the post-effect buffers (all
// visible layers with --layers); each file is added to written.
void WriteFrame(const RenderOptions& options, const MultipassBitmap& image, const std::vector<ExrChannel>& depth,
                const std::optional<int32_t>& frame, Files& written)
{
  std::vector<const Layer*> layers = VisibleLayers(image);
  std::vector<NamedBitmap> channels{{"", &image}};
  for (const Layer* layer : layers) channels.push_back({layer->Name(), layer});
  written.push_back(options.output / (Numbered("image", frame) + ".png"));
  WriteImage(written.back(), image);
  written.push_back(options.output / (Numbered("image", frame) + ".exr"));
  WriteLayeredImage(written.back(), channels, depth);
  if (!options.layers)
    layers.erase(std::remove_if(layers.begin(), layers.end(), [](const Layer* l) { return l->Type() != kPostEffectBuffer; }),
                 layers.end());
  WriteLayerFiles(layers, options.output, frame, written);
}

// The record of a frame's files: a hidden file in the output folder (".image.0005.complete")
// naming, one a line, every file the frame wrote, relative to that folder. It is removed
// before the frame's first file is replaced and written, through a temporary, after its last
// file is in place, so a render stopped or killed in between leaves no record. A frame is
// complete when its record names only files that exist.
class FrameRecord {
public:
  FrameRecord(const std::filesystem::path& folder, const std::optional<int32_t>& frame)
      : folder(folder), file(folder / ("." + Numbered("image", frame) + ".complete"))
  {
  }

  bool Complete() const
  {
    std::ifstream in(file);
    std::string name;
    bool named = false;
    for (; std::getline(in, name); named = true) {
      std::error_code ec;
      if (!std::filesystem::is_regular_file(folder / name, ec)) return false;
    }
    return named;
  }

  void Remove() const
  {
    std::error_code ec;
    std::filesystem::remove(file, ec);
  }

  void Write(const Files& written) const
  {
    std::string text;
    for (const std::filesystem::path& f : written) {
      std::error_code ec;
      text += std::filesystem::relative(f, folder, ec).string() + "\n";
    }
    WriteText(file, text);
  }

private:
  std::filesystem::path folder, file;
};

// Keeps the document and the layers of every nested render, as --save-depth-scene and
// --save-depth-layers ask; the first error is kept, as it was thrown, for after the render.
class DepthOutputs {
public:
  DepthOutputs(const RenderOptions& options) : options(options) {}

  void Save(Document& doc, Bitmap& bitmap, const std::optional<int32_t>& frame) noexcept
  {
    try {
      if (!options.depthScene.empty()) {
        written.push_back(NumberedFile(options.depthScene, frame));
        SaveScene(doc, written.back());
      }
      auto* image = dynamic_cast<MultipassBitmap*>(&bitmap);
      if (!options.depthLayers.empty() && image) {
        std::vector<const Layer*> layers;
        for (int32_t i = 0; i < image->LayerCount(); ++i) layers.push_back(image->LayerAt(i));
        WriteLayerFiles(layers, options.depthLayers, frame, written);
      }
    } catch (...) {
      if (!problem) problem = std::current_exception();
    }
  }

  void ThrowProblem() const
  {
    if (problem) std::rethrow_exception(problem);
  }

  // The files saved since the last call.
  Files TakeWritten() { return std::exchange(written, {}); }

private:
  const RenderOptions& options;
  std::exception_ptr problem;
  Files written;
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

// A final render (flag bit 0, the default) on threads, stopped by breakTest.
FrameRenderOptions FinalRender(int threads, BreakTest* breakTest, ProgressDisplay* progress,
                               std::vector<float>* distances)
{
  FrameRenderOptions options;
  options.threads = threads;
  options.breakTest = breakTest;
  options.progress = progress;
  options.distances = distances;
  return options;
}

// The depth pass as image.exr's Z channel: none without distances.
std::vector<ExrChannel> DepthChannel(const std::vector<float>& distances)
{
  if (distances.empty()) return {};
  ExrChannel z{"Z", ExrChannel::Type::Float, 1, 1, std::vector<char>(distances.size() * sizeof(float))};
  std::memcpy(z.samples.data(), distances.data(), z.samples.size());
  return {std::move(z)};
}

// One render of a document's frames: each rendered at its time and written with its record,
// the failures of its video posts warned about, and what became of each frame logged.
class FrameSequence {
public:
  FrameSequence(Document& doc, const RenderOptions& options, BreakTest* breakTest, ProgressDisplay* progress,
                std::ostream& messages)
      : doc(doc), options(options), breakTest(breakTest), progress(progress), messages(messages),
        render(doc, FinalRender(options.threads, breakTest, progress, options.depthPass ? &distances : nullptr)),
        depthOutputs(options)
  {
    // Watched only when asked for: the process has one watch, and the editor renders
    // previews on other threads while its frames render.
    if (!options.depthScene.empty() || !options.depthLayers.empty())
      watch.emplace([this](Document& d, Bitmap& b) { depthOutputs.Save(d, b, frame); });
  }

  // Renders and writes frame f, or the document's own time without a number, unless it is to
  // be skipped when complete and is; false when stopped.
  bool Render(const std::optional<int32_t>& f, const std::string& progressText)
  {
    frame = f;
    FrameRecord record(options.output, frame);
    if (options.skipExisting && record.Complete()) {
      messages << "Skipped " << FrameName(frame) << ": its files are complete\n";
      return true;
    }
    record.Remove();
    auto start = std::chrono::steady_clock::now();
    if (progress) progress->SetStepText(progressText.c_str());
    MultipassBitmap image;
    RenderResult result = render.RenderFrame(frame ? *frame / doc.Fps() : doc.Time(), image);
    if (result.code == HST_RENDER_USER_BREAK || (breakTest && breakTest->Stop())) return false;
    if (result.code != HST_RENDER_OK)
      throw Error(options.scene.string() + ": cannot be rendered: " +
                  (result.problem.empty() ? "the render failed with code " + std::to_string(result.code) : result.problem));
    depthOutputs.ThrowProblem();
    for (const VideoPostFailure& failure : render.Failures()) {
      messages << "warning: " << failure.effect << " failed on " << FrameName(frame) << " (code " << failure.code
               << "); " << FrameName(frame) << " is written as it stands\n";
      effectsFailed = true;
    }
    Files written = depthOutputs.TakeWritten();
    WriteFrame(options, image, DepthChannel(distances), frame, written);
    record.Write(written);
    std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    char time[32];
    std::snprintf(time, sizeof time, "%.2f", seconds.count());
    messages << "Rendered " << FrameName(frame) << " in " << time << " s\n";
    return true;
  }

  RenderStatus Status() const { return effectsFailed ? RenderStatus::EffectsFailed : RenderStatus::Done; }

private:
  Document& doc;
  const RenderOptions& options;
  BreakTest* breakTest;
  ProgressDisplay* progress;
  std::ostream& messages;
  std::vector<float> distances;  // the frame's, with a depth pass
  FrameRender render;
  DepthOutputs depthOutputs;
  std::optional<int32_t> frame;  // the frame being rendered, for the nested renders' files
  std::optional<NestedRenderWatch> watch;
  bool effectsFailed = false;
};

}  // namespace

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
  FrameList(options.frames, options.chunk);  // checks them
  for (const std::filesystem::path& folder : {options.output, options.depthLayers}) MakeFolder(folder);
  CheckOutputs(options);
}

RenderStatus RenderFrames(Document& doc, const RenderOptions& options, BreakTest* breakTest, ProgressDisplay* progress,
                          std::ostream& messages)
{
  FrameSequence sequence(doc, options, breakTest, progress, messages);
  if (options.frames.empty()) return sequence.Render(std::nullopt, "Rendering") ? sequence.Status() : RenderStatus::Stopped;
  FrameList frames(options.frames, options.chunk);
  for (int64_t i = 0; i < frames.Size(); ++i) {
    std::string text = "Rendering frame " + std::to_string(frames[i]) + " (" + std::to_string(i + 1) + " of " +
                       std::to_string(frames.Size()) + ")";
    if (!sequence.Render(frames[i], text)) return RenderStatus::Stopped;
  }
  return sequence.Status();
}

}  // namespace lensara
