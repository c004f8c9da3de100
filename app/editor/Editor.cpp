#include "Editor.h"

#include <cmath>
#include <iomanip>
#include <sstream>
#include <tuple>

#include "app/core/Error.h"
#include "app/dialog/Dialog.h"
#include "app/image/ImageIO.h"
#include "app/render/RenderMemory.h"
#include "app/render/RenderScene.h"
#include "app/scene/ParameterEdit.h"
#include "app/scene/SceneFile.h"
#include "app/scene/Schema.h"
#include "app/session/FrameSequence.h"
#include "app/session/ParameterRows.h"
#include "app/session/PreviewButton.h"
#include "app/session/SceneLoading.h"
#include "resources/description/vpdof.h"

namespace lensara {

namespace {

// The size of the picture the effect renders for its preview window, drawn at the top
// left of the window's user area.
constexpr int32_t kPreviewWidth = 320, kPreviewHeight = 240;

// The render settings and camera settings the page edits beside the effect's parameters.
const char* const kSettings[] = {"width", "height", "antialiasing", "focus_distance"};

// {name, value, min, max} of each setting of doc's active render settings or camera.
Json SettingsJson(Document& doc)
{
  Json list = Json::array();
  for (Node* node : {doc.ActiveRenderData(), doc.ActiveCamera()}) {
    if (!node) continue;
    Schema schema = Schema::ForType(node->Type());
    for (const char* name : kSettings) {
      const KeyRule* rule = schema.Find(name);
      if (!rule) continue;
      const Value* value = node->Data().Find(rule->key);
      list.push_back({{"name", name},
                      {"value", value ? SettableValue(doc, *value, rule) : Json()},
                      {"min", LimitJson(rule->limits.min)},
                      {"max", LimitJson(rule->limits.max)},
                      {"animated", IsAnimated(*node, rule->key)}});
    }
  }
  return list;
}

// The names of doc's objects, depth first: the choices of links and exclude lists.
void CollectObjects(const Node* node, Json& names)
{
  for (; node; node = node->Next()) {
    names.push_back(node->Name());
    CollectObjects(node->FirstIn(HST_BRANCH_CHILDREN), names);
  }
}

bool IsSetting(const std::string& name)
{
  for (const char* setting : kSettings)
    if (name == setting) return true;
  return false;
}

// A message of EditParameter without the command line's "--set " before the name.
std::string ForThePage(const std::string& message)
{
  const std::string prefix = "--set ";
  return message.rfind(prefix, 0) == 0 ? message.substr(prefix.size()) : message;
}

// A file name the page may save to: a plain name ending in .json, no folder, no hidden file.
bool IsPlainSceneName(const std::string& name)
{
  if (name.size() < 6 || name.size() > 200 || name[0] == '.') return false;
  if (name.compare(name.size() - 5, 5, ".json") != 0) return false;
  for (unsigned char c : name)
    if (!(std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == ' ')) return false;
  return true;
}

// Refuses (422) to write through a symbolic link, which may lead out of the scene's folder,
// or into anything but a regular file or a folder, as type asks.
void CheckPlain(const std::filesystem::path& path, std::filesystem::file_type type)
{
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
  const std::string kind = type == std::filesystem::file_type::directory ? "folder" : "regular file";
  if (std::filesystem::exists(status) && status.type() != type)
    throw RequestError(422, path.filename().string() + ": not a " + kind + " (a link?); the editor writes only " + kind +
                                "s in its folder");
}

const Json& Member(const Json& request, const char* name)
{
  static const Json none;
  return request.is_object() && request.contains(name) ? request.at(name) : none;
}

double Fraction(const Json& request, const char* name)
{
  const Json& v = Member(request, name);
  if (!v.is_number() || !(v.get<double>() >= 0.0 && v.get<double>() <= 1.0))
    throw RequestError(422, std::string(name) + " must be a number from 0 to 1");
  return v.get<double>();
}

// A whole frame of range; RequestError 422 for anything else.
int32_t FrameIn(const Json& v, const char* name, const FrameRange& range)
{
  if (!v.is_number() || !(v.get<double>() >= range.first && v.get<double>() <= range.last) ||
      v.get<double>() != std::floor(v.get<double>()))
    throw RequestError(422, std::string(name) + " must be a whole frame from " + std::to_string(range.first) + " to " +
                                std::to_string(range.last) + " (the frames the scene's tracks key)");
  return static_cast<int32_t>(v.get<double>());
}

}  // namespace

Editor::Editor(const Host& host, std::filesystem::path sceneFile, std::ostream& log)
    : host(host), scene(std::move(sceneFile))
{
  if (!host.FindVideoPost(kDofId)) throw Error("the Lensara plug-in is not loaded, so there is nothing to edit");
  doc = LoadSceneReporting(scene, log);
  effect = &SceneEffect(*doc, scene);
}

Json Editor::State()
{
  std::lock_guard<std::mutex> lock(mutex);
  return StateLocked();
}

Json Editor::StateLocked()
{
  Json objects = Json::array();
  CollectObjects(doc->FirstIn(HST_BRANCH_OBJECTS), objects);
  std::vector<Dialog*> windows = Dialog::OpenDialogs();
  std::vector<std::string> texts = windows.empty() ? std::vector<std::string>() : windows.front()->Texts();
  Json preview = Json::object();
  preview["open"] = !windows.empty();
  preview["status"] = texts.empty() ? std::string() : texts.front();
  preview["version"] = previewVersion;
  Json state = Json::object();
  state["scene"] = scene.filename().string();
  state["dirty"] = dirty;
  state["parameters"] = ParametersJson(*doc, *effect, host.FindVideoPost(kDofId)->description);
  state["settings"] = SettingsJson(*doc);
  state["objects"] = objects;
  state["preview"] = preview;
  FrameRange frames = AnimatedFrames(*doc);
  state["frame"] = doc->Frame();
  state["frames"] = {{"first", frames.first}, {"last", frames.last}};
  state["fps"] = doc->Fps();
  state["sequence"] = ++statesTaken;
  return state;
}

Json Editor::Edit(const Json& request)
{
  const Json& name = Member(request, "name");
  if (!name.is_string()) throw RequestError(400, "an edit is {\"name\": NAME, \"value\": VALUE}");
  if (!request.contains("value")) throw RequestError(400, name.get<std::string>() + ": no value given");
  std::lock_guard<std::mutex> lock(mutex);
  return EditLocked(name.get<std::string>(), request.at("value"));
}

Json Editor::EditLocked(const std::string& name, const Json& value)
{
  const ParameterDescription* parameter = host.FindVideoPost(kDofId)->description.Find(name);
  if (!(parameter && parameter->type != ParameterDescription::Type::Button) && !IsSetting(name))
    throw RequestError(422, name + ": no parameter of that name can be edited");
  if (Animated(name)) throw RequestError(409, name + " is animated: edit its keys in the scene file");
  std::vector<std::string> report;
  try {
    EditParameter(*doc, name + "=" + value.dump(), report, true);
  } catch (const UsageError& e) {
    throw RequestError(422, ForThePage(e.what()));
  }
  dirty = true;
  RefreshPreview();
  Json state = StateLocked();
  for (std::string& line : report) line = ForThePage(line);
  state["report"] = report;
  return state;
}

bool Editor::Animated(const std::string& name)
{
  if (const ParameterDescription* parameter = host.FindVideoPost(kDofId)->description.Find(name))
    return IsAnimated(*effect, parameter->id);
  for (Node* node : {doc->ActiveRenderData(), doc->ActiveCamera()}) {
    if (!node) continue;
    Schema schema = Schema::ForType(node->Type());
    if (const KeyRule* rule = schema.Find(name)) return IsAnimated(*node, rule->key);
  }
  return false;
}

Json Editor::SetFrame(const Json& request)
{
  std::lock_guard<std::mutex> lock(mutex);
  double time = FrameIn(Member(request, "frame"), "frame", AnimatedFrames(*doc)) / doc->Fps();
  if (time == doc->Time()) return StateLocked();
  doc->SetTime(time);
  dirty = true;
  if (!Dialog::OpenDialogs().empty() && effect->Data().GetLong(DOF_LIVE_PREVIEW, 0) != 0) PressPreviewButton(*effect);
  RefreshPreview();
  return StateLocked();
}

void Editor::RefreshPreview()
{
  std::vector<Dialog*> windows = Dialog::OpenDialogs();
  std::string png = windows.empty() ? std::string() : EncodePng(windows.front()->Draw());
  if (png != previewPng) ++previewVersion;
  previewPng = std::move(png);
}

Json Editor::PressPreview()
{
  std::lock_guard<std::mutex> lock(mutex);
  PressPreviewButton(*effect);
  RefreshPreview();
  return StateLocked();
}

Json Editor::ClosePreview()
{
  std::lock_guard<std::mutex> lock(mutex);
  for (Dialog* window : Dialog::OpenDialogs()) window->Command(2);
  RefreshPreview();
  return StateLocked();
}

std::string Editor::PreviewPng()
{
  std::lock_guard<std::mutex> lock(mutex);
  if (previewPng.empty()) throw RequestError(404, "the preview window is closed");
  return previewPng;
}

std::pair<double, double> Editor::PreviewPicturePoint(double x, double y)
{
  std::vector<Dialog*> windows = Dialog::OpenDialogs();
  std::vector<Rect> areas = windows.empty() ? std::vector<Rect>() : windows.front()->UserAreaFrames();
  if (areas.empty()) throw RequestError(422, "the preview window is closed");
  Size window = windows.front()->WindowSize();
  double px = x * window.width - areas.front().x, py = y * window.height - areas.front().y;
  if (px < 0.0 || py < 0.0 || px >= kPreviewWidth || py >= kPreviewHeight)
    throw RequestError(422, "that point is not on the preview's picture");
  return {px, py};
}

Json Editor::Focus(const Json& request)
{
  double x = Fraction(request, "x"), y = Fraction(request, "y");
  bool preview = Member(request, "preview") == true;
  std::lock_guard<std::mutex> lock(mutex);
  RenderSettings settings(doc->ActiveRenderData()->Data());
  if (preview) {
    std::tie(x, y) = PreviewPicturePoint(x, y);
    settings.width = kPreviewWidth;
    settings.height = kPreviewHeight;
  } else {
    x *= settings.width;
    y *= settings.height;
  }
  RenderScene world(*doc, settings);
  Hit hit;
  if (!world.Intersect(world.CameraRay(x, y), [](int32_t) { return true; }, hit))
    throw RequestError(422, "no surface under that point to focus on");
  bool cameraDof = effect->Data().GetLong(DOF_USE_CAMERA_DOF, 0) != 0;
  const std::string name = cameraDof ? "focus_distance" : "DOF_FOCUS_DISTANCE";
  double distance = std::round(hit.t * 10.0) / 10.0;  // a tenth of a unit is finer than any click
  Json state = EditLocked(name, distance);
  std::ostringstream line;
  line << name << " " << std::fixed << std::setprecision(1) << distance << ": the distance to the surface clicked";
  state["report"].insert(state["report"].begin(), line.str());
  state["focus"] = distance;
  return state;
}

Json Editor::Save(const Json& request)
{
  const Json& name = Member(request, "name");
  if (!name.is_null() && !(name.is_string() && IsPlainSceneName(name.get<std::string>())))
    throw RequestError(422, "save as takes a plain file name ending in .json (letters, digits, - _ . and spaces)");
  std::lock_guard<std::mutex> lock(mutex);
  std::filesystem::path file = name.is_null() ? scene : scene.parent_path() / name.get<std::string>();
  if (!IsSceneFile(file)) throw RequestError(422, file.filename().string() + ": only scene files (.json) are written");
  CheckPlain(file, std::filesystem::file_type::regular);
  try {
    SaveScene(*doc, file);
  } catch (const Error& e) {
    throw RequestError(500, e.what());
  }
  scene = file;
  dirty = false;
  return StateLocked();
}

void Editor::Launch(RenderWork work)
{
  if (MemoryVerdict memory = JudgeRenderMemory(*doc); memory.refused) throw RequestError(422, memory.problem);
  if (!render.Start(std::move(work))) throw RequestError(409, "a render is under way; stop it or wait for it to finish");
}

void Editor::StartRender()
{
  std::lock_guard<std::mutex> lock(mutex);
  std::unique_ptr<Document> without = doc->CloneDocument();
  FirstEffect(*without)->Unlink();
  Launch(FinalRenderWork(doc->CloneDocument(), std::move(without)));
}

void Editor::StartFrames(const Json& request)
{
  std::lock_guard<std::mutex> lock(mutex);
  FrameRange range = AnimatedFrames(*doc);
  auto frame = [&](const char* name, int32_t absent) {
    const Json& v = Member(request, name);
    return v.is_null() ? absent : FrameIn(v, name, range);
  };
  RenderOptions options;
  options.scene = scene;
  options.output = scene.parent_path() / (scene.stem().string() + "-frames");
  options.frames = {{frame("from", range.first), frame("to", range.last)}};
  if (options.frames.front().first > options.frames.front().last)
    throw RequestError(422, "from must not come after to");
  CheckPlain(options.output, std::filesystem::file_type::directory);
  try {
    PrepareFrameOutputs(options);
  } catch (const Error& e) {
    throw RequestError(422, e.what());
  }
  Launch(FramesWork(doc->CloneDocument(), std::move(options)));
}

}  // namespace lensara
