#include "BackgroundRender.h"

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

bool BackgroundRender::Start(std::unique_ptr<Document> doc, std::unique_ptr<Document> withoutEffect)
{
  std::lock_guard<std::mutex> lock(mutex);
  if (state == "rendering") return false;
  if (worker.joinable()) worker.join();
  stop = false;
  state = "rendering";
  text = "Rendering";
  message.clear();
  fraction = 0.0;
  layerNames.clear();
  layers.clear();
  worker = std::thread([this, d = std::move(doc), w = std::move(withoutEffect)]() mutable { Run(std::move(d), std::move(w)); });
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
  text = t;
}

void BackgroundRender::SetValue(double f) noexcept
{
  std::lock_guard<std::mutex> lock(mutex);
  fraction = f;
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

}  // namespace

void BackgroundRender::Run(std::unique_ptr<Document> doc, std::unique_ptr<Document> withoutEffect)
{
  try {
    MultipassBitmap image, before;
    std::string problem;
    if (!RenderOnce(*doc, *this, image, problem)) return Finish(problem.empty() ? "stopped" : "failed", problem);
    SetText("Rendering without the effect");
    if (!RenderOnce(*withoutEffect, *this, before, problem)) return Finish(problem.empty() ? "stopped" : "failed", problem);
    std::map<std::string, std::string> encoded{{"image", EncodePng(image)}, {"before", EncodePng(before)}};
    std::vector<std::string> names{"image"};
    for (int32_t i = 0; i < image.LayerCount(); ++i) {
      const Layer* layer = image.LayerAt(i);
      if (!layer->Visible() || encoded.count(layer->Name())) continue;
      encoded[layer->Name()] = EncodePng(*layer);
      names.push_back(layer->Name());
    }
    std::lock_guard<std::mutex> lock(mutex);
    layers = std::move(encoded);
    layerNames = std::move(names);
  } catch (const std::exception& e) {
    return Finish("failed", e.what());
  }
  Finish("done", "");
}

void BackgroundRender::Finish(const std::string& s, const std::string& m)
{
  std::lock_guard<std::mutex> lock(mutex);
  state = s;
  message = m;
  if (s == "done") fraction = 1.0;
  text = s == "done" ? "Done" : s == "stopped" ? "Stopped" : "Failed";
}

}  // namespace lensara
