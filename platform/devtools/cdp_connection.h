// One DevTools protocol connection over a WebSocket: commands with ids and time-outs,
// replies sorted from events, and a background thread that always keeps one read pending.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/devtools/endpoint.h"

namespace vw {
namespace devtools {

// The time one command may take before it counts as failed.
constexpr std::chrono::milliseconds kCommandTimeout{10000};

// A connection to one WebSocket of the endpoint. All network work happens on the
// connection's own thread; Call blocks the caller until the reply or the time-out. A dropped
// connection fails every waiting and later command at once. Thread-safe.
class CdpConnection {
 public:
  using Json = nlohmann::json;
  // Receives the whole reply message ({"id", "result"} or {"id", "error"}), or null when
  // the connection closed first. Runs on the connection's thread: it must not call Call.
  using ReplyHandler = std::function<void(const Json* reply)>;
  // Receives each event (a message without id). Runs on the connection's thread, in the
  // order the browser sent the events: it must not call Call.
  using EventHandler = std::function<void(const std::string& method, const Json& params)>;

  // Connects to path (such as "/devtools/page/ID") on the endpoint, always on the endpoint's
  // own host and port. Null when the connection or the handshake fails or takes too long.
  static std::unique_ptr<CdpConnection> Open(const Endpoint& endpoint, const std::string& path,
                                             EventHandler onEvent,
                                             std::chrono::milliseconds timeout = kCommandTimeout);

  ~CdpConnection();
  CdpConnection(const CdpConnection&) = delete;
  CdpConnection& operator=(const CdpConnection&) = delete;

  // Sends a command and waits for its result object. False on an error reply, a closed
  // connection or the time-out; a reply that comes later is dropped.
  bool Call(const std::string& method, const Json& params, Json& result,
            std::chrono::milliseconds timeout = kCommandTimeout);

  // Sends a command without waiting; onReply runs when the reply comes (or with null when
  // the connection closes before).
  void Send(const std::string& method, const Json& params, ReplyHandler onReply);

  // False once the connection has closed or failed.
  bool IsOpen() const;

 private:
  class Impl;
  explicit CdpConnection(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace devtools
}  // namespace vw
