// The local web editor's HTTP server: the page, and the JSON API over an Editor. Listens on
// 127.0.0.1 only and answers only requests whose Host (and Origin, when sent) name that
// address, so no other web site can drive it.
#pragma once

#include <memory>
#include <string>

#include "app/editor/Editor.h"

namespace httplib {
class Server;
}

namespace lensara {

class EditorServer {
public:
  explicit EditorServer(Editor& editor);
  ~EditorServer();
  EditorServer(const EditorServer&) = delete;
  EditorServer& operator=(const EditorServer&) = delete;

  // Binds to 127.0.0.1:port (0: any free port); the port bound. Throws Error when it is taken.
  int Bind(int port);
  // Answers requests until Stop.
  void Listen();
  // Callable from any thread.
  void Stop();
  // "http://127.0.0.1:PORT/"
  std::string Address() const;

private:
  void Route();
  bool FromOwnPage(const std::string& host, const std::string& origin) const;

  Editor& editor;
  std::unique_ptr<httplib::Server> server;
  int port = 0;
};

}  // namespace lensara
