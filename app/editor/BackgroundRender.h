// A final render run by the editor in the background: its progress for the page, its break
// test for the Stop button, and its layers as PNGs.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/core/Document.h"
#include "app/core/RenderCall.h"
#include "app/scene/ValueJson.h"

namespace lensara {

class BackgroundRender : public BreakTest, public ProgressDisplay {
public:
  BackgroundRender() = default;
  // Stops a render under way and waits for it.
  ~BackgroundRender();
  BackgroundRender(const BackgroundRender&) = delete;
  BackgroundRender& operator=(const BackgroundRender&) = delete;

  // Renders doc (the editor's copy) in the background: the final render (flags bit 0), then
  // the same document without effect as the "before" picture. False while a render runs.
  bool Start(std::unique_ptr<Document> doc, std::unique_ptr<Document> withoutEffect);
  void RequestStop() { stop = true; }

  // {state: idle|rendering|done|stopped|failed, text, fraction, message, layers [names]}
  Json Progress();
  bool Running();
  // The PNG of a layer of the last render ("image", a layer's name, "before"); empty when
  // there is none of that name.
  std::string LayerPng(const std::string& name);

  bool Stop() noexcept override { return stop; }
  void SetText(const char* text) noexcept override;
  void SetValue(double fraction) noexcept override;

private:
  void Run(std::unique_ptr<Document> doc, std::unique_ptr<Document> withoutEffect);
  void Finish(const std::string& state, const std::string& message);

  std::mutex mutex;
  std::thread worker;
  std::atomic<bool> stop{false};
  std::string state = "idle", text, message;
  double fraction = 0.0;
  std::vector<std::string> layerNames;
  std::map<std::string, std::string> layers;
};

}  // namespace lensara
