#include "BackgroundRender.h"

#include <sstream>

#include "app/core/MultipassBitmap.h"
#include "app/image/ImageIO.h"
#include "app/render/FrameRender.h"
#include "host/abi/HstRenderer.h"

namespace lensara {

BackgroundRender::~BackgroundRender()
{
  stop = true;
  if (worker.joinable()) worker.join();
}

bool BackgroundRender::Start(RenderWork work)
{
  std::lock_guard<std::mutex> lock(mutex);
  if (state == "rendering") return false;
  if (worker.joinable()) worker.join();
  stop = false;
  state = "rendering";
  text = "Rendering";
  message.clear();
  step.clear();
  fraction = 0.0;
  worker = std::thread([this, w = std::move(work)] { Run(w); });
  return true;
}

Json BackgroundRender::Progress()
{
  std::lock_guard<std::mutex> lock(mutex);
  return Json{{"state", state}, {"text", text}, {"fraction", fraction}, {"message", message}, {"layers", layerNames}};
}

bool BackgroundRender::Running()
{
  std::lock_guard<std::mutex> lock(mutex);
  return state == "rendering";
}

std::string BackgroundRender::LayerPng(const std::string& name)
{
  std::lock_guard<std::mutex> lock(mutex);
  auto found = layers.find(name);
  return found == layers.end() ? std::string() : found->second;
}

void BackgroundRender::SetText(const char* t) noexcept
{
  std::lock_guard<std::mutex> lock(mutex);
  text = step.empty() ? std::string(t) : step + ": " + t;
}

void BackgroundRender::SetStepText(const char* t) noexcept
{
  std::lock_guard<std::mutex> lock(mutex);
  text = step = t;
}

void BackgroundRender::SetValue(double f) noexcept
{
  std::lock_guard<std::mutex> lock(mutex);
  fraction = f;
}

void BackgroundRender::Run(const RenderWork& work)
{
  try {
    Finish(work(*this));
  } catch (const std::exception& e) {
    Finish({"failed", e.what()});
  }
}

void BackgroundRender::Finish(RenderOutcome outcome)
{
  std::lock_guard<std::mutex> lock(mutex);
  state = outcome.state;
  message = outcome.message;
  step.clear();
  if (state == "done") fraction = 1.0;
  text = !outcome.text.empty() ? outcome.text : state == "done" ? "Done" : state == "stopped" ? "Stopped" : "Failed";
  if (outcome.layers.empty()) return;
  layers = std::move(outcome.layers);
  layerNames = std::move(outcome.layerNames);
}

namespace {

// Renders doc's current frame; false when stopped or failed, with the reason in problem.
bool RenderOnce(Document& doc, BackgroundRender& job, MultipassBitmap& image, std::string& problem)
{
  FrameRenderOptions options;
  options.breakTest = &job;
  options.progress = &job;
  FrameRender render(doc, options);
  RenderResult result = render.RenderFrame(doc.Time(), image);
  if (result.code == HST_RENDER_USER_BREAK || job.Stop()) return false;
  if (result.code != HST_RENDER_OK)
    problem = result.problem.empty() ? "the render failed with code " + std::to_string(result.code) : result.problem;
  for (const VideoPostFailure& failure : render.Failures())
    problem = failure.effect + " failed (code " + std::to_string(failure.code) + ")";
  return problem.empty();
}

// A render that ended early: stopped, or failed for problem.
RenderOutcome EndedEarly(const std::string& problem) { return {problem.empty() ? "stopped" : "failed", problem}; }

// The image, the "before" picture and every visible layer of image as PNGs.
RenderOutcome EncodedLayers(const MultipassBitmap& image, const MultipassBitmap& before)
{
  RenderOutcome outcome("done");
  outcome.layers = {{"image", EncodePng(image)}, {"before", EncodePng(before)}};
  outcome.layerNames = {"image"};
  for (int32_t i = 0; i < image.LayerCount(); ++i) {
    const Layer* layer = image.LayerAt(i);
    if (!layer->Visible() || outcome.layers.count(layer->Name())) continue;
    outcome.layers[layer->Name()] = EncodePng(*layer);
    outcome.layerNames.push_back(layer->Name());
  }
  return outcome;
}

}  // namespace

RenderWork FinalRenderWork(std::unique_ptr<Document> doc, std::unique_ptr<Document> withoutEffect)
{
  std::shared_ptr<Document> with(std::move(doc)), without(std::move(withoutEffect));
  return [with, without](BackgroundRender& job) {
    MultipassBitmap image, before;
    std::string problem;
    if (!RenderOnce(*with, job, image, problem)) return EndedEarly(problem);
    job.SetText("Rendering without the effect");
    if (!RenderOnce(*without, job, before, problem)) return EndedEarly(problem);
    return EncodedLayers(image, before);
  };
}

RenderWork FramesWork(std::unique_ptr<Document> doc, RenderOptions options)
{
  std::shared_ptr<Document> frames(std::move(doc));
  return [frames, options](BackgroundRender& job) {
    std::ostringstream warnings;
    if (RenderFrames(*frames, options, &job, &job, warnings) == RenderStatus::Stopped) return EndedEarly("");
    const FrameRange& range = options.frames.front();
    return RenderOutcome{"done", warnings.str(),
                         "Done: frames " + std::to_string(range.first) + " to " + std::to_string(range.last) +
                             " are in " + options.output.filename().string() + "/"};
  };
}

}  // namespace lensara
