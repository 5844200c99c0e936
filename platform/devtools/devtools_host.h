// The viewer's browser as a Chromium-family browser with remote debugging: one page target
// of one DevTools endpoint, searched again on every request.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "acquire/browser_host.h"
#include "platform/devtools/endpoint.h"
#include "platform/devtools/page_session.h"

namespace vw {
namespace devtools {

// A browser host made of an endpoint and a page target id.
//
// FindDocument lists the endpoint's page targets on every call and takes the target with
// the id. When that id has gone (the browser replaced the page's target) and exactly one
// page target is left, that one is taken and its id kept from then on, as a re-created
// browser window is found again below the same host. An empty id takes the first page
// target (and keeps its id). The connection to a target is kept and reused while it stays
// open and the target's WebSocket path stays the same.
//
// Messages (only when FindDocument gets a sink):
// - the endpoint does not answer: "抱歉，本程序只能在Window 2000/XP下运行。" (the
//   "viewer not answering" message);
// - no such page target: none (as with no browser window below the host);
// - the target is listed but its page cannot be reached: "抱歉，不能获取此窗口的信息。
//   请到安装有IE 6以上版本的机器上再试试。".
class DevToolsHost : public BrowserHost {
 public:
  DevToolsHost(Endpoint endpoint, std::string targetId);

  DocumentRef FindDocument(MessageSink* sink) override;

  // True while the endpoint answers and the target (or the one that replaced it, as above)
  // is listed.
  bool Exists() override;

  // The endpoint this host talks to.
  const Endpoint& endpoint() const { return endpoint_; }

  // The id of the page target, as last found.
  std::string targetId() const;

  // The page targets of an endpoint, for choosing one (vellowick-cli targets). False when
  // the endpoint does not answer.
  static bool ListTargets(const Endpoint& endpoint, std::vector<PageTarget>& targets) {
    return ListPageTargets(endpoint, targets);
  }

  // The endpoint of a running browser started with --user-data-dir=userDataDir, checked
  // against the running browser (a killed browser leaves a stale DevToolsActivePort file).
  static bool EndpointFromUserDataDir(const std::string& userDataDir, Endpoint& endpoint) {
    return EndpointFromProfile(userDataDir, endpoint);
  }

 private:
  enum class Lookup { kFound, kNoTarget, kNotAnswering };
  Lookup FindTarget(PageTarget& target);

  Endpoint endpoint_;
  mutable std::mutex mutex_;
  std::string targetId_;
  std::shared_ptr<PageSession> session_;
};

}  // namespace devtools
}  // namespace vw
