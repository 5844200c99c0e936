#include "html/link_collector.h"

#include <cstring>

#include "app/run_state.h"
#include "crawl/link_list.h"

namespace vw {

CLinkCollector::CLinkCollector(CLinkNode& pageList, CLinkNode& resourceList,
                               const std::string& linkPrefix, const std::string& pageUrl,
                               RunState& runState)
    : pageList(pageList),
      resourceList(resourceList),
      linkPrefix(linkPrefix),
      linkPrefixLength(static_cast<std::int32_t>(std::strlen(linkPrefix.c_str()))),
      pageUrl(pageUrl),
      runState(&runState) {
  handler = this;
  appData = this;
  decodeTextEntities = false;
  eventMask = EVENT_DOCUMENT | EVENT_START_TAG | EVENT_END_TAG | EVENT_TEXT | EVENT_COMMENT;
}

void CLinkCollector::CollectFromTag(const CHtmlTag& tag) {
  if (!tag.attributes) return;
  for (const char* name : {"src", "href", "url", "value"}) {
    const int index = tag.attributes->IndexOf(name);
    if (index < 0) continue;
    const std::string value = tag.attributes->GetValue(index);
    if (!value.empty()) {
      ResolveLink(pageList, resourceList, linkPrefix, linkPrefixLength, value, pageUrl);
    }
    return;
  }
}

void CLinkCollector::OnBeginDocument(void*, bool& abort) {
  abort = runState->IsStopRequested();
}

void CLinkCollector::OnStartTag(const CHtmlTag* tag, void*, bool& abort) {
  if (tag != nullptr) CollectFromTag(*tag);
  abort = runState->IsStopRequested();
}

void CLinkCollector::OnEndTag(const CHtmlTag*, void*, bool& abort) {
  abort = runState->IsStopRequested();
}

void CLinkCollector::OnText(const std::string&, void*, bool& abort) {
  abort = runState->IsStopRequested();
}

void CLinkCollector::OnComment(const std::string&, void*, bool& abort) {
  abort = runState->IsStopRequested();
}

void CLinkCollector::OnEndDocument(void*, bool) {}

void CollectLinksFromSource(const std::string& source, CLinkNode& pageList,
                            CLinkNode& resourceList, const std::string& linkPrefix,
                            const std::string& pageUrl, RunState& run) {
  if (source.empty()) return;
  CLinkCollector collector(pageList, resourceList, linkPrefix, pageUrl, run);
  collector.Read(source.c_str());
}

}  // namespace vw
