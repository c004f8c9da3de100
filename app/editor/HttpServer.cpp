#include "HttpServer.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <system_error>
#include <thread>
#include <vector>

namespace lensara {

namespace {

using Clock = std::chrono::steady_clock;

// An idle connection is closed after this long without a request.
constexpr int kKeepAliveSeconds = 5;
// One write of an answer waits this long for the client to take it.
constexpr int kWriteSeconds = 5;
// After a refused body, what the client still sends is read and dropped this long, so that
// it sees the answer rather than a reset connection.
constexpr int kLingerSeconds = 2;

// Waits until sock is ready for events (POLLIN, POLLOUT), closed or failed; false when the
// deadline passed first.
bool Await(socket_t sock, short events, Clock::time_point deadline)
{
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd entry{sock, events, 0};
    int ready = poll(&entry, 1, static_cast<int>(std::max<long long>(left, 0)));
    if (ready >= 0 || errno != EINTR) return ready > 0;
  }
}

Clock::time_point In(int seconds) { return Clock::now() + std::chrono::seconds(seconds); }

// Workers for the connections: one more whenever every worker is busy, up to most; past
// that a connection waits for a worker to finish. Called from the listening thread.
class GrowingPool final : public httplib::TaskQueue {
public:
  explicit GrowingPool(std::size_t most) : most(most) {}

  void enqueue(std::function<void()> job) override
  {
    std::lock_guard<std::mutex> lock(mutex);
    jobs.push_back(std::move(job));
    if (jobs.size() > idle && workers.size() < most) Grow();
    ready.notify_one();
  }

  void shutdown() override
  {
    {
      std::lock_guard<std::mutex> lock(mutex);
      ending = true;
    }
    ready.notify_all();
    for (std::thread& worker : workers) worker.join();
  }

private:
  void Grow()
  {
    try {
      workers.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      // No thread to be had now: the job waits for a busy worker.
    }
  }

  void Work()
  {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock<std::mutex> lock(mutex);
        ++idle;
        ready.wait(lock, [this] { return !jobs.empty() || ending; });
        --idle;
        if (jobs.empty()) return;
        job = std::move(jobs.front());
        jobs.pop_front();
      }
      job();
    }
  }

  const std::size_t most;
  std::mutex mutex;
  std::condition_variable ready;
  std::deque<std::function<void()>> jobs;
  std::vector<std::thread> workers;
  std::size_t idle = 0;
  bool ending = false;
};

// Binding options: the address may be bound again while old connections linger
// (SO_REUSEADDR), but never shared with another listener (no SO_REUSEPORT).
void ListenAlone(socket_t sock)
{
  int yes = 1;
  setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

}  // namespace

// A connection's socket as httplib's stream: reads buffered and bounded by the request's
// deadline, each write by kWriteSeconds.
class HttpServer::Connection final : public httplib::Stream {
public:
  explicit Connection(socket_t sock) : sock(sock) {}

  // Waits up to kKeepAliveSeconds for the next request and starts its deadline; false when
  // none came.
  bool AwaitRequest()
  {
    if (start == end && !Await(sock, POLLIN, In(kKeepAliveSeconds))) return false;
    deadline = In(kRequestSeconds);
    return true;
  }

  // Sends what was written, then reads and drops what the client still sends, for a while.
  void Linger()
  {
    shutdown(sock, SHUT_WR);
    Clock::time_point until = In(kLingerSeconds);
    while (Await(sock, POLLIN, until) && recv(sock, buffer.data(), buffer.size(), 0) > 0) {
    }
  }

  bool is_readable() const override { return start < end || Await(sock, POLLIN, deadline); }
  bool is_writable() const override { return Await(sock, POLLOUT, In(kWriteSeconds)); }

  ssize_t read(char* ptr, size_t size) override
  {
    if (start == end) {
      if (!Await(sock, POLLIN, deadline)) return -1;
      ssize_t got = recv(sock, buffer.data(), buffer.size(), MSG_DONTWAIT);
      if (got <= 0) return got;
      start = 0;
      end = static_cast<size_t>(got);
    }
    size_t n = std::min(size, end - start);
    std::memcpy(ptr, buffer.data() + start, n);
    start += n;
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override
  {
    if (!is_writable()) return -1;
    return send(sock, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { Address(getpeername, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { Address(getsockname, ip, port); }
  socket_t socket() const override { return sock; }

private:
  void Address(int (*get)(int, sockaddr*, socklen_t*), std::string& ip, int& port) const
  {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    std::array<char, NI_MAXHOST> host{};
    std::array<char, NI_MAXSERV> service{};
    if (get(sock, reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
    if (getnameinfo(reinterpret_cast<sockaddr*>(&address), length, host.data(), host.size(), service.data(),
                    service.size(), NI_NUMERICHOST | NI_NUMERICSERV) != 0)
      return;
    ip = host.data();
    port = std::atoi(service.data());
  }

  socket_t sock;
  Clock::time_point deadline = Clock::now();
  std::array<char, 16384> buffer{};
  size_t start = 0, end = 0;  // the unread part of buffer
};

HttpServer::HttpServer(std::size_t bodyLimit) : bodyLimit(bodyLimit)
{
  new_task_queue = [] { return new GrowingPool(kMaxConnections); };
  set_socket_options(ListenAlone);
  set_payload_max_length(bodyLimit);
}

bool HttpServer::BodyRefused(const httplib::Request& req) const
{
  if (req.has_header("Transfer-Encoding")) return true;
  const std::string length = req.get_header_value("Content-Length");
  if (length.empty()) return false;
  unsigned long long bytes = 0;
  auto [end, problem] = std::from_chars(length.data(), length.data() + length.size(), bytes);
  return problem != std::errc() || end != length.data() + length.size() || bytes > bodyLimit;
}

bool HttpServer::Listening() const { return svr_sock_ != INVALID_SOCKET; }

void HttpServer::Stop()
{
  // httplib's stop() does nothing before its loop has started: closing the socket here
  // also keeps a loop about to start from running.
  if (socket_t listening = svr_sock_.exchange(INVALID_SOCKET); listening != INVALID_SOCKET) {
    shutdown(listening, SHUT_RDWR);
    close(listening);
  }
  std::lock_guard<std::mutex> lock(mutex);
  for (socket_t sock : open) shutdown(sock, SHUT_RDWR);
}

bool HttpServer::process_and_close_socket(socket_t sock)
{
  if (Open(sock)) {
    Serve(sock);
    Close(sock);
  }
  close(sock);
  return true;
}

// Answers the connection's requests until it closes, idles, fails, or the server stops.
void HttpServer::Serve(socket_t sock)
{
  Connection connection(sock);
  bool refused = false;
  auto screen = [this, &refused](httplib::Request& req) {
    refused = BodyRefused(req);
    if (!refused) return;
    req.headers.erase("Connection");  // so that the answer says the connection closes
    req.headers.emplace("Connection", "close");
  };
  while (Listening() && connection.AwaitRequest()) {
    bool closed = false;
    bool answered = process_request(connection, false, closed, screen);
    if (refused) return connection.Linger();
    if (!answered || closed) return;
  }
}

// Registers a connection for Stop to close; false once the server is stopping.
bool HttpServer::Open(socket_t sock)
{
  std::lock_guard<std::mutex> lock(mutex);
  if (!Listening()) return false;
  open.insert(sock);
  return true;
}

void HttpServer::Close(socket_t sock)
{
  std::lock_guard<std::mutex> lock(mutex);
  open.erase(sock);
}

}  // namespace lensara
