// The local web editor's HTTP server: the page, and the JSON API over an Editor. Listens on
// 127.0.0.1 only and answers only requests whose Host (and Origin, when sent) name that
// address, so no other web site can drive it; its page may not be framed by another, and
// runs only its own scripts.
#pragma once

#include <memory>
#include <string>

#include "app/editor/Editor.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace lensara {

class HttpServer;

class EditorServer {
public:
  explicit EditorServer(Editor& editor);
  ~EditorServer();
  EditorServer(const EditorServer&) = delete;
  EditorServer& operator=(const EditorServer&) = delete;

  // Binds to 127.0.0.1:port alone (0: any free port); the port bound. Throws Error "port P
  // is in use" when another program listens there.
  int Bind(int port);
  // Answers requests until Stop.
  void Listen();
  // Callable from any thread: Listen returns within the time the requests under way take
  // (progress streams end at once).
  void Stop();
  // "http://127.0.0.1:PORT/"
  std::string Address() const;

private:
  void Route();
  // Answers a request refused before it is routed (its body too large, or not from the
  // editor's own page) and returns true.
  bool Refused(const httplib::Request& req, httplib::Response& res) const;
  bool FromOwnPage(const std::string& host, const std::string& origin) const;

  Editor& editor;
  std::unique_ptr<HttpServer> server;
  int port = 0;
};

}  // namespace lensara
