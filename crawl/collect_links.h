// Link collection from a page document: the page source is assembled and read for links.
#pragma once

#include <string>

#include "acquire/page_document.h"
#include "app/run_state.h"
#include "crawl/link_list.h"

namespace vw {

// Reads the source of document for links and queues them: pages on pageList, everything else
// on resourceList. pageUrl is the address under which the page was queued. Adds nothing when
// the page has no source. Ends early when run.IsStopRequested() turns true.
void CollectLinks(PageDocument* document, CLinkNode& pageList, CLinkNode& resourceList,
                  const std::string& linkPrefix, const std::string& pageUrl, RunState& run);

}  // namespace vw
