// A fixture that renders a scene with the effect through the host's frame render, the scene
// of a camera inside a shell, and the clip formula the depth lights follow.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PluginFolder.h"
#include "app/core/Host.h"
#include "app/render/FrameRender.h"
#include "app/scene/ParameterEdit.h"
#include "app/scene/SceneFile.h"
#include "tests/filters/ReferenceFilters.h"

// A camera at the centre of a shell of radius d: every pixel sees the shell at distance d.
// Effect settings join as JSON members after the focus and the ranges.
inline std::string ShellScene(double d, const std::string& effect)
{
  return R"({"active_camera": "Camera", "objects": [
      {"type": "camera", "name": "Camera"},
      {"type": "sphere", "name": "Shell", "data": {"radius": )" +
         std::to_string(d) + R"(}}],
    "render_settings": [{"type": "render_settings", "data": {"width": 4, "height": 3, "antialiasing": 0},
      "video_posts": [{"type": "Lensara", "data": {"DOF_FOCUS_DISTANCE": 1000.0,
        "DOF_FRONT_START": 0.0, "DOF_FRONT_END": 500.0, "DOF_REAR_START": 100.0, "DOF_REAR_END": 900.0,
        "DOF_DEPTH_BUFFER": true, "DOF_FRONT_REAR_BUFFERS": true)" +
         (effect.empty() ? "" : ", " + effect) + "}}]}]}";
}

// A light's near and far clip by the host's formula, written out independently.
inline double Clip(double d, bool nearOn, double nearFrom, double nearTo, bool farOn, double farFrom, double farTo)
{
  double f = 1.0;
  if (nearOn) f = d <= nearFrom ? 0.0 : d < nearTo ? f * (d - nearFrom) / (nearTo - nearFrom) : f;
  if (farOn) f = d >= farTo ? 0.0 : farFrom < d ? f * (farTo - d) / (farTo - farFrom) : f;
  return f;
}

inline int Byte(double f) { return static_cast<int>(std::lround(std::clamp(f, 0.0, 1.0) * 255.0)); }

// The layer of bitmap named name; null when there is none.
inline lensara::Layer* LayerNamed(const lensara::MultipassBitmap& bitmap, const std::string& name)
{
  for (int32_t i = 0; i < bitmap.LayerCount(); ++i)
    if (bitmap.LayerAt(i)->Name() == name) return bitmap.LayerAt(i);
  return nullptr;
}

// Overwrites the pixels of bitmap, of image's size, with image.
inline void Paint(lensara::Bitmap* bitmap, const reference::Image& image)
{
  ASSERT_NE(bitmap, nullptr);
  ASSERT_EQ(bitmap->Width(), image.width);
  ASSERT_EQ(bitmap->Height(), image.height);
  std::memcpy(bitmap->Row(0), image.bytes.data(), image.bytes.size());
}

// The layers of a render the effect asked for (NestedRenderWatch), by name.
inline lensara::Layer* DepthLayer(lensara::Bitmap& depthRender, const std::string& name)
{
  return LayerNamed(dynamic_cast<lensara::MultipassBitmap&>(depthRender), name);
}

class EffectRender : public ::testing::Test {
protected:
  explicit EffectRender(int32_t productKind = 1) : host(lensara::HostOptions{HST_VERSION, productKind})
  {
    host.LoadPlugins(BuiltPluginFolder());
  }

  // Renders scene (text), after the edits sets (NAME=VALUE as the render command's --set),
  // with options into image; the render's code.
  int32_t Render(const std::string& scene, lensara::FrameRenderOptions options = {},
                 const std::vector<std::string>& sets = {})
  {
    doc = lensara::ReadScene(scene, "effect.json");
    std::vector<std::string> messages;
    for (const std::string& set : sets) lensara::EditParameter(*doc, set, messages);
    return RenderDocument(options);
  }

  // Renders scene with the effect's keys set to values as given, past what scene files and
  // edits let through: as a host that hands the effect anything.
  int32_t RenderWith(const std::string& scene, const std::vector<std::pair<int32_t, lensara::Value>>& values,
                     lensara::FrameRenderOptions options = {})
  {
    doc = lensara::ReadScene(scene, "effect.json");
    lensara::Container& data = doc->ActiveRenderData()->FirstIn(HST_BRANCH_VIDEO_POSTS)->Data();
    for (const auto& [key, value] : values) data.Set(key, value);
    return RenderDocument(options);
  }

  // Renders doc with options into image; the render's code.
  int32_t RenderDocument(const lensara::FrameRenderOptions& options)
  {
    lensara::FrameRender render(*doc, options);
    image = lensara::MultipassBitmap();
    int32_t code = render.RenderFrame(0.0, image).code;
    failures.clear();
    for (const auto& f : render.Failures()) failures.push_back(f.code);
    return code;
  }

  // Channel 0 of pixel (x, y) of the layer named name; -1 when there is none.
  int Pixel(const std::string& name, int x = 0, int y = 0) const
  {
    const lensara::Layer* layer = LayerNamed(image, name);
    return layer ? layer->Row(y)[x * 3] : -1;
  }

  reference::Image Composite() const
  {
    reference::Image out(image.Width(), image.Height());
    std::memcpy(out.bytes.data(), image.Row(0), out.bytes.size());
    return out;
  }

  lensara::Host host;
  std::unique_ptr<lensara::Document> doc;
  lensara::MultipassBitmap image;
  std::vector<int32_t> failures;
};
