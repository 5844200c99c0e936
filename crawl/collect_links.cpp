#include "crawl/collect_links.h"

#include "acquire/document_ops.h"
#include "html/link_collector.h"

namespace vw {

void CollectLinks(PageDocument* document, CLinkNode& pageList, CLinkNode& resourceList,
                  const std::string& linkPrefix, const std::string& pageUrl, RunState& run) {
  std::string source;
  if (!GetPageSource(document, source) || source.empty()) return;
  CollectLinksFromSource(source, pageList, resourceList, linkPrefix, pageUrl, run);
}

}  // namespace vw
