#include "Render.h"

#include <cctype>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "app/core/Error.h"
#include "app/core/MultipassBitmap.h"
#include "app/image/ImageIO.h"
#include "app/render/Renderer.h"
#include "app/scene/SceneFile.h"

namespace lensara {

namespace {

// "image" for a render without frame numbers, "image.0005" for frame 5.
std::string Numbered(const std::string& stem, const std::optional<int32_t>& frame)
{
  if (!frame) return stem;
  char number[16];
  std::snprintf(number, sizeof number, ".%04d", static_cast<int>(*frame));
  return stem + number;
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

// The layers' file names, made unique by "-2", "-3", ... and never "image".
std::vector<std::string> LayerFileNames(const MultipassBitmap& image)
{
  std::set<std::string> taken{"image"};
  std::vector<std::string> names;
  for (int32_t i = 0; i < image.LayerCount(); ++i) {
    std::string base = FileNameOf(image.LayerAt(i)->Name()), name = base;
    for (int n = 2; taken.count(name); ++n) name = base + "-" + std::to_string(n);
    taken.insert(name);
    names.push_back(name);
  }
  return names;
}

void WriteFrame(const RenderOptions& options, const MultipassBitmap& image, const std::optional<int32_t>& frame)
{
  std::vector<NamedBitmap> channels{{"", &image}};
  for (int32_t i = 0; i < image.LayerCount(); ++i) channels.push_back({image.LayerAt(i)->Name(), image.LayerAt(i)});
  WriteImage(options.output / (Numbered("image", frame) + ".png"), image);
  WriteLayeredImage(options.output / (Numbered("image", frame) + ".exr"), channels);
  if (!options.layers) return;
  std::vector<std::string> names = LayerFileNames(image);
  for (int32_t i = 0; i < image.LayerCount(); ++i)
    WriteImage(options.output / (Numbered(names[static_cast<std::size_t>(i)], frame) + ".png"), *image.LayerAt(i));
}

std::string Problem(const RenderResult& result)
{
  return result.problem.empty() ? "the render failed with code " + std::to_string(result.code) : result.problem;
}

// Renders doc at frame (its own time without one); false when stopped.
bool RenderFrame(const Document& doc, const RenderOptions& options, const std::optional<int32_t>& frame,
                 BreakTest* breakTest, ProgressDisplay* progress)
{
  const std::string scene = options.scene.string();
  std::unique_ptr<Document> copy = doc.CloneDocument();
  if (!copy) throw Error(scene + ": cannot be copied for rendering");
  if (frame) copy->SetTime(*frame / copy->Fps());
  Node* settings = copy->ActiveRenderData();
  if (progress) progress->SetText(frame ? ("Rendering frame " + std::to_string(*frame)).c_str() : "Rendering");

  RenderJob job;
  job.threads = options.threads;
  job.layers = true;
  job.breakTest = breakTest;
  if (progress) job.progress = [progress](double fraction) { progress->SetValue(fraction); };
  MultipassBitmap image;
  RenderResult result = Render(*copy, settings ? settings->Data() : Container(), image, job);
  if (result.code == HST_RENDER_USER_BREAK) return false;
  if (result.code != HST_RENDER_OK) throw Error(scene + ": cannot be rendered: " + Problem(result));
  WriteFrame(options, image, frame);
  return true;
}

}  // namespace

std::filesystem::path DemoScene() { return std::filesystem::path(LENSARA_EXAMPLES_DIR) / "still-life.json"; }

bool RunRender(const Host&, const RenderOptions& options, BreakTest* breakTest, ProgressDisplay* progress)
{
  RenderOptions resolved = options;
  if (resolved.scene.empty()) resolved.scene = DemoScene();
  if (options.frames && options.frames->first > options.frames->last)
    throw Error("frames " + std::to_string(options.frames->first) + "-" + std::to_string(options.frames->last) +
                ": the first frame comes after the last");
  std::unique_ptr<Document> doc = LoadScene(resolved.scene);
  std::error_code ec;
  std::filesystem::create_directories(resolved.output, ec);
  if (ec) throw Error(resolved.output.string() + ": cannot be made a folder: " + ec.message());

  if (!options.frames) return RenderFrame(*doc, resolved, std::nullopt, breakTest, progress);
  for (int32_t frame = options.frames->first; frame <= options.frames->last; ++frame)
    if (!RenderFrame(*doc, resolved, frame, breakTest, progress)) return false;
  return true;
}

}  // namespace lensara
