// The connection to one page target, shared by every document taken from it: page events,
// script evaluation, and the navigation state that keeps the previous page from passing for
// the one just requested.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "platform/devtools/cdp_connection.h"
#include "platform/devtools/endpoint.h"

namespace vw {
namespace devtools {

// One page target's session. After Navigate, the page counts as loading until the browser
// has answered the navigation and the main frame shows the document of that navigation
// (same loader id); only then is the live ready state reported again. Thread-safe.
class PageSession {
 public:
  using Json = nlohmann::json;

  // Connects to the target's WebSocket path, enables page events and reads the main frame.
  // Null on failure.
  static std::shared_ptr<PageSession> Open(const Endpoint& endpoint, const std::string& path);

  // Closes the connection first, so that no reply or event reaches a half-destroyed session.
  ~PageSession();
  PageSession(const PageSession&) = delete;
  PageSession& operator=(const PageSession&) = delete;

  // The WebSocket path the session was opened on.
  const std::string& path() const { return path_; }

  // False once the connection has dropped.
  bool IsOpen() const { return connection_ && connection_->IsOpen(); }

  // Evaluates a script expression in the page and returns its value (by value). False when
  // the script throws or the browser does not answer.
  bool Evaluate(const std::string& expression, Json& value);

  // Sends a command and waits for its result (see CdpConnection::Call).
  bool Call(const std::string& method, const Json& params, Json& result);

  // Starts loading url (UTF-8) in the main frame and returns at once.
  void Navigate(const std::string& url);

  // True while a navigation requested by Navigate has not yet shown its own document.
  bool NavigationPending();

 private:
  PageSession() = default;
  void OnEvent(const std::string& method, const Json& params);
  void OnNavigateReply(std::uint64_t generation, const Json* reply);

  std::string path_;
  std::unique_ptr<CdpConnection> connection_;

  std::mutex mutex_;
  std::uint64_t generation_ = 0;     // counts navigation requests
  bool pending_ = false;             // a requested navigation has not shown its document
  bool replied_ = false;             // the browser has answered the pending navigation
  std::string expectedLoader_;       // loader id of the pending navigation (from the reply)
  std::set<std::string> committed_;  // main-frame loader ids seen since the request
};

}  // namespace devtools
}  // namespace vw
