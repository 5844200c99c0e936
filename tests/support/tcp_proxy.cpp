#include "tests/support/tcp_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace vw {
namespace testing {
namespace {

sockaddr_in Loopback(unsigned short port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

TcpProxy::TcpProxy(unsigned short targetPort) : targetPort_(targetPort) {
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listenFd_, 16) != 0 ||
      getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (listenFd_ >= 0) close(listenFd_);
    throw std::runtime_error("the proxy cannot listen on loopback");
  }
  port_ = ntohs(address.sin_port);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

TcpProxy::~TcpProxy() {
  stopping_ = true;
  shutdown(listenFd_, SHUT_RDWR);
  acceptThread_.join();
  CutAll();
  std::vector<std::thread> relays;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    relays.swap(relays_);
  }
  for (std::thread& t : relays) t.join();
  for (int fd : fds_) close(fd);
  close(listenFd_);
}

void TcpProxy::HoldAnswers() { holding_ = true; }

void TcpProxy::CutAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (int fd : fds_) shutdown(fd, SHUT_RDWR);
  holding_ = false;
}

void TcpProxy::AcceptLoop() {
  for (;;) {
    const int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
      if (stopping_) return;
      continue;
    }
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in target = Loopback(targetPort_);
    if (server < 0 ||
        connect(server, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
      close(client);
      if (server >= 0) close(server);
      continue;
    }
    ++connections_;
    std::lock_guard<std::mutex> lock(mutex_);
    fds_.push_back(client);
    fds_.push_back(server);
    relays_.emplace_back([this, client, server] { Relay(client, server, false); });
    relays_.emplace_back([this, client, server] { Relay(server, client, true); });
  }
}

void TcpProxy::Relay(int from, int to, bool fromServer) {
  char buffer[65536];
  for (;;) {
    if (fromServer && holding_) {
      // Leave the answer unread until the connections are cut.
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (stopping_) break;
      continue;
    }
    pollfd p{from, POLLIN, 0};
    if (poll(&p, 1, 50) == 0) {
      if (stopping_) break;
      continue;
    }
    const ssize_t n = recv(from, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    for (ssize_t sent = 0; sent < n;) {
      const ssize_t w = send(to, buffer + sent, std::size_t(n - sent), MSG_NOSIGNAL);
      if (w <= 0) {
        shutdown(from, SHUT_RDWR);
        return;
      }
      sent += w;
    }
  }
  shutdown(to, SHUT_RDWR);
}

}  // namespace testing
}  // namespace vw
