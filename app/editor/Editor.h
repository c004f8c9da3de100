// The document the local web editor works on: every request of the page becomes a host
// library call here (the edits of the attribute manager, the preview button and window,
// click to focus, save), checked before it reaches the document. Requests come from the
// server's threads; one at a time touches the document.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "app/core/Host.h"
#include "app/editor/BackgroundRender.h"
#include "app/scene/ValueJson.h"

namespace lensara {

// A request the editor refuses: its HTTP status and a message for the page.
class RequestError : public std::runtime_error {
public:
  RequestError(int status, const std::string& message) : std::runtime_error(message), status(status) {}
  int Status() const { return status; }

private:
  int status;
};

class Editor {
public:
  // Loads scene (warnings to log). Throws Error when it cannot be read or holds no effect.
  Editor(const Host& host, std::filesystem::path scene, std::ostream& log);

  // {scene, dirty, parameters (ParametersJson), settings [{name, value, min, max, animated}],
  // objects, preview {open, status, version}, frame (the document's time in frames), frames
  // {first, last} (AnimatedFrames), fps, sequence}. sequence counts the states taken, in the
  // order they were taken: answers to requests served side by side may arrive out of order.
  Json State();
  // {"name": NAME, "value": VALUE}: an effect parameter or one of the settings, set as the
  // attribute manager sets it (EditParameter with the description's limits enforced). The
  // state afterwards with "report": the lines the edit reported. RequestError 422 for an
  // unknown name, a value of the wrong type or out of range, 409 for an animated parameter
  // (its track would overwrite the value at the next time change); the document is unchanged.
  Json Edit(const Json& request);
  // {"frame": F}: the document's time set to F / fps (Document::SetTime, which evaluates the
  // tracks), F a whole frame of the scene's frame range; with live preview on, an open preview
  // window is redrawn at that time. RequestError 422 for any other frame.
  Json SetFrame(const Json& request);
  // The preview button; and the window closed as its Cancel button closes it.
  Json PressPreview();
  Json ClosePreview();
  // The preview window as a PNG; RequestError 404 while it is closed.
  std::string PreviewPng();
  // {"x": X, "y": Y}, fractions 0..1 of the rendered image, or with "preview": true of the
  // preview window's image: the focus distance set to the distance from the camera to the
  // surface under that point, as an Edit of DOF_FOCUS_DISTANCE, or of the camera's
  // focus_distance while the effect uses the camera's depth of field. RequestError 422
  // when no surface is there, or the point is not on the preview's picture.
  Json Focus(const Json& request);
  // {} or {"name": FILE.json}: writes the document to the scene file, or to a new file of that
  // plain name in its folder, which becomes the scene file. RequestError 422 for any other name,
  // and for a file that is there but no regular file (a symbolic link is never written through).
  Json Save(const Json& request);
  // Starts a final render of the document as it is now; RequestError 409 while one runs,
  // 422 when it needs more memory than there is.
  void StartRender();
  // {"from": A, "to": B}, whole frames of the scene's frame range (by default all of it): starts
  // rendering frames A to B of the document as it is now into the folder STEM-frames beside
  // the scene file (still-life-frames/), named as the render command names them
  // (image.0012.png). RequestError 422 for other frames or an output that cannot be written,
  // and as StartRender.
  void StartFrames(const Json& request);
  BackgroundRender& Render() { return render; }

private:
  Json StateLocked();
  Json EditLocked(const std::string& name, const Json& value);
  // Whether a track drives the effect parameter or setting of that name.
  bool Animated(const std::string& name);
  // Starts work in the background, when the render needs no more memory than there is.
  void Launch(RenderWork work);
  void RefreshPreview();
  // The point (x, y) of the picture the preview window shows, in its pixels (out of
  // kPreviewWidth x kPreviewHeight), for the point at fractions of the window's image.
  std::pair<double, double> PreviewPicturePoint(double x, double y);

  const Host& host;
  std::filesystem::path scene;
  std::mutex mutex;
  std::unique_ptr<Document> doc;
  Node* effect = nullptr;
  bool dirty = false;
  std::string previewPng;  // the window as last drawn; empty while closed
  int previewVersion = 0;  // counts the changes of what the window shows
  std::uint64_t statesTaken = 0;
  BackgroundRender render;
};

}  // namespace lensara
