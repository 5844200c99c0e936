// Target search and session caching for the DevTools browser host.
#include "platform/devtools/devtools_host.h"

#include "acquire/document_ops.h"
#include "platform/devtools/devtools_document.h"

namespace vw {
namespace devtools {

DevToolsHost::DevToolsHost(Endpoint endpoint, std::string targetId)
    : endpoint_(std::move(endpoint)), targetId_(std::move(targetId)) {}

std::string DevToolsHost::targetId() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return targetId_;
}

DevToolsHost::Lookup DevToolsHost::FindTarget(PageTarget& target) {
  std::vector<PageTarget> targets;
  if (!ListPageTargets(endpoint_, targets)) return Lookup::kNotAnswering;
  std::lock_guard<std::mutex> lock(mutex_);
  for (const PageTarget& candidate : targets) {
    if (candidate.id == targetId_) {
      target = candidate;
      return Lookup::kFound;
    }
  }
  if ((targetId_.empty() && !targets.empty()) || targets.size() == 1) {
    target = targets.front();
    targetId_ = target.id;
    return Lookup::kFound;
  }
  return Lookup::kNoTarget;
}

DocumentRef DevToolsHost::FindDocument(MessageSink* sink) {
  PageTarget target;
  switch (FindTarget(target)) {
    case Lookup::kNotAnswering:
      ShowAcquireMessage(sink, acquire_text::kNotAnswering);
      return nullptr;
    case Lookup::kNoTarget:
      return nullptr;
    case Lookup::kFound:
      break;
  }
  const std::string path = WebSocketPath(target.webSocketDebuggerUrl);
  std::shared_ptr<PageSession> session;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (session_ && session_->IsOpen() && session_->path() == path) session = session_;
  }
  if (!session && !target.webSocketDebuggerUrl.empty()) {
    session = PageSession::Open(endpoint_, path);
    std::lock_guard<std::mutex> lock(mutex_);
    session_ = session;
  }
  if (!session) {
    // Listed but unreachable: another client holds it, or the browser hung.
    ShowAcquireMessage(sink, acquire_text::kNoInformation);
    return nullptr;
  }
  return std::make_shared<DevToolsDocument>(session);
}

bool DevToolsHost::Exists() {
  PageTarget target;
  return FindTarget(target) == Lookup::kFound;
}

}  // namespace devtools
}  // namespace vw
