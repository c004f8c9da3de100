// A final render run by the editor in the background: its progress for the page, its break
// test for the Stop button, and its layers as PNGs.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/core/Document.h"
#include "app/core/RenderCall.h"
#include "app/scene/ValueJson.h"
#include "app/session/FrameSequence.h"

namespace lensara {

class BackgroundRender;

// How a render in the background ended.
struct RenderOutcome {
  RenderOutcome(std::string state, std::string message = "", std::string text = "")
      : state(std::move(state)), message(std::move(message)), text(std::move(text))
  {
  }

  std::string state;    // done, stopped or failed
  std::string message;  // why it failed, or what a render that went through warned about
  std::string text;     // the progress text it ends with; empty: "Done", "Stopped" or "Failed"
  std::map<std::string, std::string> layers;  // PNGs by name; none keeps the last render's
  std::vector<std::string> layerNames;        // in the order the page lists them
};

// The work of a render, run on the render's thread with job as its break test and progress
// display. It may throw: the render then failed with that message.
using RenderWork = std::function<RenderOutcome(BackgroundRender& job)>;

// The Render button's work: doc's final render (flags bit 0), then the same document without
// the effect as the "before" picture; their layers as PNGs.
RenderWork FinalRenderWork(std::unique_ptr<Document> doc, std::unique_ptr<Document> withoutEffect);
// The Render frames button's work: doc's frames written as the render command writes them
// (RenderFrames), each frame's progress text naming it.
RenderWork FramesWork(std::unique_ptr<Document> doc, RenderOptions options);

class BackgroundRender : public BreakTest, public ProgressDisplay {
public:
  BackgroundRender() = default;
  // Stops a render under way and waits for it.
  ~BackgroundRender();
  BackgroundRender(const BackgroundRender&) = delete;
  BackgroundRender& operator=(const BackgroundRender&) = delete;

  // Runs work in the background. False while a render runs.
  bool Start(RenderWork work);
  void RequestStop() { stop = true; }

  // {state: idle|rendering|done|stopped|failed, text, fraction, message, layers [names]}
  Json Progress();
  bool Running();
  // The PNG of a layer of the last render with layers ("image", a layer's name, "before");
  // empty when there is none of that name.
  std::string LayerPng(const std::string& name);

  bool Stop() noexcept override { return stop; }
  // A text during a step follows the step's: "Rendering frame 12 (3 of 48): Calculating DOF".
  void SetText(const char* text) noexcept override;
  void SetValue(double fraction) noexcept override;
  void SetStepText(const char* text) noexcept override;

private:
  void Run(const RenderWork& work);
  void Finish(RenderOutcome outcome);

  std::mutex mutex;
  std::thread worker;
  std::atomic<bool> stop{false};
  std::string state = "idle", text, message, step;
  double fraction = 0.0;
  std::vector<std::string> layerNames;
  std::map<std::string, std::string> layers;
};

}  // namespace lensara
