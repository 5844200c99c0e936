// Page target session: Page domain events, Runtime.evaluate and navigation tracking.
#include "platform/devtools/page_session.h"

namespace vw {
namespace devtools {

std::shared_ptr<PageSession> PageSession::Open(const Endpoint& endpoint,
                                               const std::string& path) {
  std::shared_ptr<PageSession> session(new PageSession());
  session->path_ = path;
  // The event handler runs on the connection's thread, which the connection joins before
  // it is destroyed, and the connection dies with the session: the raw pointer stays valid.
  PageSession* self = session.get();
  session->connection_ = CdpConnection::Open(
      endpoint, path, [self](const std::string& method, const Json& params) {
        self->OnEvent(method, params);
      });
  if (!session->connection_) return nullptr;
  Json ignored;
  if (!session->connection_->Call("Page.enable", Json::object(), ignored)) return nullptr;
  return session;
}

PageSession::~PageSession() { connection_.reset(); }

bool PageSession::Evaluate(const std::string& expression, Json& value) {
  Json result;
  const Json params = {{"expression", expression}, {"returnByValue", true}};
  if (!connection_->Call("Runtime.evaluate", params, result)) return false;
  if (result.contains("exceptionDetails")) return false;
  const auto remote = result.find("result");
  if (remote == result.end() || !remote->is_object()) return false;
  const auto it = remote->find("value");
  value = it != remote->end() ? *it : Json();  // undefined and null both give null
  return true;
}

bool PageSession::Call(const std::string& method, const Json& params, Json& result) {
  return connection_->Call(method, params, result);
}

void PageSession::Navigate(const std::string& url) {
  std::uint64_t generation;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    generation = ++generation_;
    pending_ = true;
    replied_ = false;
    expectedLoader_.clear();
    committed_.clear();
  }
  connection_->Send("Page.navigate", Json{{"url", url}},
                    [this, generation](const Json* reply) { OnNavigateReply(generation, reply); });
}

void PageSession::OnNavigateReply(std::uint64_t generation, const Json* reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (generation != generation_ || reply == nullptr) return;  // superseded, or dropped
  const auto result = reply->find("result");
  // An error reply (an address the browser refuses) starts no navigation: the previous
  // page stays, and must not be taken for the requested one, so the state stays pending.
  if (result == reply->end() || !result->is_object()) return;
  replied_ = true;
  expectedLoader_ = result->value("loaderId", "");
  // A navigation within the same document has no loader of its own and is done now.
  if (expectedLoader_.empty() || committed_.count(expectedLoader_) != 0) pending_ = false;
}

void PageSession::OnEvent(const std::string& method, const Json& params) {
  if (method != "Page.frameNavigated") return;
  const auto frame = params.find("frame");
  if (frame == params.end() || !frame->is_object() || frame->contains("parentId")) return;
  const std::string loader = frame->value("loaderId", "");
  std::lock_guard<std::mutex> lock(mutex_);
  if (!pending_) return;
  committed_.insert(loader);
  if (replied_ && loader == expectedLoader_) pending_ = false;
}

bool PageSession::NavigationPending() {
  std::uint64_t generation;
  std::string expected;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!pending_ || !replied_) return pending_;
    generation = generation_;
    expected = expectedLoader_;
  }
  // Answered but not yet seen committed: the event may have come before Page.enable took
  // effect, so ask for the main frame's current loader directly.
  Json tree;
  if (!connection_->Call("Page.getFrameTree", Json::object(), tree)) return true;
  const std::string current = tree["frameTree"]["frame"].value("loaderId", "");
  std::lock_guard<std::mutex> lock(mutex_);
  if (generation == generation_ && current == expected) pending_ = false;
  return pending_;
}

}  // namespace devtools
}  // namespace vw
