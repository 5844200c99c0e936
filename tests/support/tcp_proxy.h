// A TCP relay on loopback for fault tests: it forwards connections to a real server and can
// hold back the server's answers and then cut every connection, as a dropped link does in
// the middle of a command.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace vw {
namespace testing {

// Relays 127.0.0.1:port() to 127.0.0.1:targetPort, one pair of threads per connection.
class TcpProxy {
 public:
  // Starts relaying. Throws std::runtime_error when it cannot listen.
  explicit TcpProxy(unsigned short targetPort);
  // Cuts every connection and stops.
  ~TcpProxy();
  TcpProxy(const TcpProxy&) = delete;
  TcpProxy& operator=(const TcpProxy&) = delete;

  // The port clients connect to.
  unsigned short port() const { return port_; }

  // From now on, answers from the server are held back (requests still pass), so that a
  // command sent now stays unanswered.
  void HoldAnswers();

  // Cuts every open connection and lets new ones through normally again.
  void CutAll();

  // The number of connections accepted so far.
  int connections() const { return connections_; }

 private:
  void AcceptLoop();
  void Relay(int from, int to, bool fromServer);

  int listenFd_ = -1;
  unsigned short port_ = 0;
  unsigned short targetPort_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> holding_{false};
  std::atomic<int> connections_{0};
  std::thread acceptThread_;
  std::mutex mutex_;
  std::vector<int> fds_;
  std::vector<std::thread> relays_;
};

}  // namespace testing
}  // namespace vw
