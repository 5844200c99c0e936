// A small HTTP/1.1 server on 127.0.0.1 for tests: fixed routes with their bytes, a delay
// before the headers, or a response that never completes. Serves on a background thread,
// one thread per connection, and always answers "Connection: close".
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vw {
namespace testing {

// What the server answers for one path.
struct Route {
  Route() = default;
  // A plain answer: status 200 with these bytes at once.
  Route(std::string type, std::string bytes)
      : contentType(std::move(type)), body(std::move(bytes)) {}

  // The Content-Type header, such as "text/html; charset=gbk".
  std::string contentType = "text/html";
  // The body bytes, sent exactly as given.
  std::string body;
  // The HTTP status code (its reason phrase is fixed per code).
  int status = 200;
  // Milliseconds to wait after the request before the headers are sent.
  int delayMs = 0;
  // Further header lines, each ending in "\r\n" (such as "Cache-Control: no-store\r\n").
  std::string headers;
  // When true the headers (without Content-Length) and the body are sent, and the
  // connection then stays open until the server stops: the resource never completes.
  bool hangAfterHeaders = false;
};

// The server. Routes may be added while it runs. Unknown paths get a 404 page. Stopping
// (the destructor) ends delays and hanging responses at once.
class LoopbackServer {
 public:
  // Binds 127.0.0.1 on a free port and starts serving. Throws std::runtime_error on failure.
  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Adds or replaces the route for path: the request target as the client sends it
  // (percent-encoded bytes stay encoded). A target with a query matches its path's route
  // when it has no route of its own.
  void Add(const std::string& path, Route route);

  // The port the server listens on.
  unsigned short port() const { return port_; }

  // "http://127.0.0.1:PORT" followed by path.
  std::string Url(const std::string& path) const;

  // How many requests for path (as matched against the routes) have arrived so far.
  int RequestCount(const std::string& path) const;

 private:
  void AcceptLoop();
  void Serve(int fd);
  bool Wait(int ms);  // false when the server stops first

  int listenFd_ = -1;
  unsigned short port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptThread_;

  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  std::map<std::string, Route> routes_;
  std::map<std::string, int> counts_;
  std::vector<std::thread> connections_;
  std::vector<int> openFds_;
};

}  // namespace testing
}  // namespace vw
