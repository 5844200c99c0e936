// The loopback HTTP server on raw POSIX sockets.
#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace vw {
namespace testing {
namespace {

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

bool SendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

LoopbackServer::LoopbackServer() {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof(address);
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(listenFd_, 64) != 0 ||
      ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(listenFd_);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    // Wake connections blocked in recv or send; their threads close the descriptors.
    for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
  }
  stopped_.notify_all();
  acceptThread_.join();
  for (std::thread& t : connections_) t.join();
  ::close(listenFd_);
}

void LoopbackServer::Add(const std::string& path, Route route) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_[path] = std::move(route);
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

int LoopbackServer::RequestCount(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = counts_.find(path);
  return it == counts_.end() ? 0 : it->second;
}

bool LoopbackServer::Wait(int ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !stopped_.wait_for(lock, std::chrono::milliseconds(ms),
                            [this] { return stopping_.load(); });
}

void LoopbackServer::AcceptLoop() {
  while (!stopping_) {
    pollfd pfd{listenFd_, POLLIN, 0};
    if (::poll(&pfd, 1, 50) <= 0) continue;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) {
      ::close(fd);
      break;
    }
    openFds_.push_back(fd);
    connections_.emplace_back([this, fd] { Serve(fd); });
  }
}

void LoopbackServer::Serve(int fd) {
  std::string request;
  char chunk[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    const ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
    if (n <= 0) break;
    request.append(chunk, static_cast<std::size_t>(n));
  }
  // Request line: METHOD SP TARGET SP VERSION.
  const std::size_t first = request.find(' ');
  const std::size_t second = first == std::string::npos ? first : request.find(' ', first + 1);
  if (second != std::string::npos) {
    std::string target = request.substr(first + 1, second - first - 1);
    Route route;
    bool found = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = routes_.find(target);
      if (it == routes_.end()) {
        target = target.substr(0, target.find('?'));
        it = routes_.find(target);
      }
      ++counts_[target];
      if (it != routes_.end()) {
        route = it->second;
        found = true;
      }
    }
    if (!found) {
      route.status = 404;
      route.body = "<html><body>Not found</body></html>";
    }
    if (route.delayMs <= 0 || Wait(route.delayMs)) {
      std::string head = "HTTP/1.1 " + std::to_string(route.status) + " " +
                         Reason(route.status) + "\r\nContent-Type: " + route.contentType +
                         "\r\nConnection: close\r\n" + route.headers;
      if (!route.hangAfterHeaders) {
        head += "Content-Length: " + std::to_string(route.body.size()) + "\r\n";
      }
      head += "\r\n";
      if (SendAll(fd, head + route.body) && route.hangAfterHeaders) {
        std::unique_lock<std::mutex> lock(mutex_);
        stopped_.wait(lock, [this] { return stopping_.load(); });
      }
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  openFds_.erase(std::remove(openFds_.begin(), openFds_.end(), fd), openFds_.end());
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

}  // namespace testing
}  // namespace vw
