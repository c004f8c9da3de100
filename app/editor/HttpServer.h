// The HTTP server under the editor: httplib's routing over connections handled so that no
// client, however slow, idle or hostile, keeps the others waiting or the server from
// stopping. It listens on its port alone (no SO_REUSEPORT), serves each connection on a
// worker of its own (the pool grows to kMaxConnections), gives a request kRequestSeconds
// to arrive whole, refuses a body past its limit unread, and on Stop closes every
// connection at once.
#pragma once

#include <httplib.h>

#include <cstddef>
#include <mutex>
#include <set>

namespace lensara {

class HttpServer : public httplib::Server {
public:
  // Connections served at once; more wait for a worker.
  static constexpr std::size_t kMaxConnections = 64;
  // The time a request's head and body have to arrive, from its first byte.
  static constexpr int kRequestSeconds = 10;

  // bodyLimit: the largest request body accepted, in bytes.
  explicit HttpServer(std::size_t bodyLimit);

  // True when req's body is refused unread: longer than the limit, or of no stated length
  // (chunked). The route answers it (413); its connection then closes.
  bool BodyRefused(const httplib::Request& req) const;
  // Stops listening and closes every open connection: listen_after_bind returns as soon as
  // the handlers under way have.
  void Stop();

private:
  class Connection;

  bool process_and_close_socket(socket_t sock) override;
  bool Listening() const;
  void Serve(socket_t sock);
  bool Open(socket_t sock);
  void Close(socket_t sock);

  std::size_t bodyLimit;
  std::mutex mutex;
  std::set<socket_t> open;  // the connections served, for Stop to close
};

}  // namespace lensara
