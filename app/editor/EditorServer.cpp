#include "EditorServer.h"

#include <httplib.h>

#include <chrono>
#include <functional>

#include "app/core/Error.h"
#include "app/core/JsonDepth.h"
#include "app/editor/HttpServer.h"
#include "app/editor/PageFiles.h"

namespace lensara {

namespace {

// The largest request body read: the page's requests are a few kilobytes at most.
constexpr std::size_t kBodyLimit = 1 << 20;

// Sent with every answer: no other page may frame the editor's (so none can trick a click
// on Save or Render), and the page runs only its own script and style files.
const httplib::Headers kPageSafety = {
    {"X-Frame-Options", "DENY"},
    {"Content-Security-Policy", "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
                                "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'"},
    {"X-Content-Type-Options", "nosniff"},
};

// The end of a prefix of text of at most size bytes that splits no UTF-8 character.
std::size_t CharacterBoundary(const std::string& text, std::size_t size)
{
  while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
  return size;
}

// A message of at most a line: a longer one loses its middle, where the value it echoes
// stands, and keeps its start (what was refused) and its end (why).
std::string OneLine(const std::string& message)
{
  constexpr std::size_t kHead = 100, kTail = 50;
  if (message.size() <= kHead + kTail + 10) return message;
  return message.substr(0, CharacterBoundary(message, kHead)) + " ... " +
         message.substr(CharacterBoundary(message, message.size() - kTail));
}

void Reply(httplib::Response& res, int status, const Json& body)
{
  res.status = status;
  res.set_content(body.dump(), "application/json");
}

void ReplyError(httplib::Response& res, int status, const std::string& message)
{
  Reply(res, status, Json{{"error", OneLine(message)}});
}

// Runs an API call: a JSON object body parsed (400 when malformed, nested too deeply or not an object), its answer
// sent as JSON, a refused request answered with its status and message, any other failure with 500.
httplib::Server::Handler Api(std::function<Json(const Json&)> call)
{
  return [call](const httplib::Request& req, httplib::Response& res) {
    Json body;
    try {
      body = req.body.empty() ? Json::object() : ParseBoundedJson<Json>(req.body, false);
    } catch (const JsonTooDeep& e) {
      return ReplyError(res, 400, std::string("the request is ") + e.what());
    }
    if (body.is_discarded()) return ReplyError(res, 400, "the request is not JSON");
    if (!body.is_object()) return ReplyError(res, 400, "the request is not a JSON object");
    try {
      Reply(res, 200, call(body));
    } catch (const RequestError& e) {
      ReplyError(res, e.Status(), e.what());
    } catch (const std::exception& e) {
      ReplyError(res, 500, e.what());
    }
  };
}

void ReplyPng(httplib::Response& res, const std::string& png)
{
  res.set_header("Cache-Control", "no-store");
  res.set_content(png, "image/png");
}

// A server-sent event with the render's progress; while following, every tenth of a second
// until the render ends.
bool SendProgress(BackgroundRender& job, bool follow, httplib::DataSink& sink)
{
  Json progress = job.Progress();
  std::string event = "data: " + progress.dump() + "\n\n";
  if (!sink.write(event.data(), event.size())) return false;
  if (!follow || progress["state"] != "rendering")
    sink.done();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return true;
}

}  // namespace

EditorServer::EditorServer(Editor& editor) : editor(editor), server(std::make_unique<HttpServer>(kBodyLimit))
{
  server->set_default_headers(kPageSafety);
  Route();
}

EditorServer::~EditorServer() = default;

int EditorServer::Bind(int requested)
{
  if (requested == 0)
    port = server->bind_to_any_port("127.0.0.1");
  else
    port = server->bind_to_port("127.0.0.1", requested) ? requested : -1;
  if (port <= 0 && requested == 0) throw Error("127.0.0.1: no free port to listen on");
  if (port <= 0) throw Error("port " + std::to_string(requested) + " is in use (choose another with --port)");
  return port;
}

void EditorServer::Listen() { server->listen_after_bind(); }

void EditorServer::Stop() { server->Stop(); }

std::string EditorServer::Address() const { return "http://127.0.0.1:" + std::to_string(port) + "/"; }

bool EditorServer::FromOwnPage(const std::string& host, const std::string& origin) const
{
  const std::string p = ":" + std::to_string(port);
  bool ownHost = host == "127.0.0.1" + p || host == "localhost" + p;
  return ownHost && (origin.empty() || origin == "http://" + host);
}

bool EditorServer::Refused(const httplib::Request& req, httplib::Response& res) const
{
  if (server->BodyRefused(req))
    ReplyError(res, 413, "a request body is at most " + std::to_string(kBodyLimit) + " bytes, of stated length");
  else if (!FromOwnPage(req.get_header_value("Host"), req.get_header_value("Origin")))
    ReplyError(res, 403, "only the editor's own page at " + Address() + " may use it");
  else
    return false;
  return true;
}

void EditorServer::Route()
{
  server->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    return Refused(req, res) ? httplib::Server::HandlerResponse::Handled : httplib::Server::HandlerResponse::Unhandled;
  });
  // A client that waits for leave to send its body learns at once that it would be refused.
  server->set_expect_100_continue_handler(
      [this](const httplib::Request& req, httplib::Response& res) { return Refused(req, res) ? res.status : 100; });
  for (const PageFile& file : PageFiles())
    server->Get(file.path == std::string("/index.html") ? "/" : file.path,
                [&file](const httplib::Request&, httplib::Response& res) {
                  res.set_content(file.content.data(), file.content.size(), file.type);
                });
  server->Get("/api/state", Api([this](const Json&) { return editor.State(); }));
  server->Post("/api/edit", Api([this](const Json& r) { return editor.Edit(r); }));
  server->Post("/api/time", Api([this](const Json& r) { return editor.SetFrame(r); }));
  server->Post("/api/preview", Api([this](const Json&) { return editor.PressPreview(); }));
  server->Post("/api/preview/close", Api([this](const Json&) { return editor.ClosePreview(); }));
  server->Post("/api/focus", Api([this](const Json& r) { return editor.Focus(r); }));
  server->Post("/api/save", Api([this](const Json& r) { return editor.Save(r); }));
  server->Post("/api/render", Api([this](const Json&) {
    editor.StartRender();
    return editor.Render().Progress();
  }));
  server->Post("/api/render/frames", Api([this](const Json& r) {
    editor.StartFrames(r);
    return editor.Render().Progress();
  }));
  server->Post("/api/render/stop", Api([this](const Json&) {
    editor.Render().RequestStop();
    return editor.Render().Progress();
  }));
  // Followed only by the editor's own page, which names its origin (the page POSTs): a
  // request of no origin, such as an image of another page, gets the progress once.
  auto progress = [this](const httplib::Request& req, httplib::Response& res) {
    bool follow = req.has_header("Origin");
    res.set_header("Cache-Control", "no-store");
    res.set_chunked_content_provider("text/event-stream", [this, follow](std::size_t, httplib::DataSink& sink) {
      return SendProgress(editor.Render(), follow, sink);
    });
  };
  server->Get("/api/render/progress", progress);
  server->Post("/api/render/progress", progress);
  server->Get("/api/render/layer", [this](const httplib::Request& req, httplib::Response& res) {
    std::string png = editor.Render().LayerPng(req.get_param_value("name"));
    if (png.empty()) return ReplyError(res, 404, "no layer of that name in the last render");
    ReplyPng(res, png);
  });
  server->Get("/api/preview/window", [this](const httplib::Request&, httplib::Response& res) {
    try {
      ReplyPng(res, editor.PreviewPng());
    } catch (const RequestError& e) {
      ReplyError(res, e.Status(), e.what());
    }
  });
}

}  // namespace lensara
