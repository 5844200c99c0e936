// The link collector: reads one page's source with the HTML reader and queues the links of
// its opening tags, resolved against the page's URL, in the page list or the resource list.
#pragma once

#include <cstdint>
#include <string>

#include "html/reader.h"
#include "html/tag.h"

namespace vw {

class CLinkNode;
class RunState;

// A reader that is its own event handler. For every opening tag it picks at most one link
// (the first present of src, href, url, value) and hands it to ResolveLink. Every event asks
// the run state whether the user wants to stop, so a Stop press ends the scan within one tag
// or text run. Lives for the reading of one page; owns none of its fields.
class CLinkCollector : public CHtmlReader, public CHtmlReaderEvents {
 public:
  CLinkCollector(CLinkNode& pageList, CLinkNode& resourceList, const std::string& linkPrefix,
                 const std::string& pageUrl, RunState& runState);

  // Looks for the link attribute of an opening tag and resolves its value, if any. An empty
  // value yields nothing, even when the tag has another of the four names.
  void CollectFromTag(const CHtmlTag& tag);

  // Turns `link`, found on the page at `pageUrl`, into an absolute URL, drops it when it is
  // an absolute address outside the link prefix (a prefix of length 0 lets everything pass;
  // "//host/..." links and links cut after ":.." that hold an address count as absolute),
  // and adds it to the page list when its path ends in ".htm", ".html", ".shtml" or ".mht"
  // (any case), otherwise to the resource list unless the page list holds it. Links that
  // cannot be resolved, or whose URL would exceed the URL buffers, are dropped.
  static void ResolveLink(CLinkNode& pageList, CLinkNode& resourceList,
                          const std::string& linkPrefix, std::int32_t linkPrefixLength,
                          const std::string& link, const std::string& pageUrl);

  // Each event checks for a stop request; OnStartTag first collects the tag's link, so the
  // tag during which the request is seen still counts.
  void OnBeginDocument(void* appData, bool& abort) override;
  void OnStartTag(const CHtmlTag* tag, void* appData, bool& abort) override;
  void OnEndTag(const CHtmlTag* tag, void* appData, bool& abort) override;
  void OnText(const std::string& text, void* appData, bool& abort) override;
  void OnComment(const std::string& comment, void* appData, bool& abort) override;
  void OnEndDocument(void* appData, bool aborted) override;

  // The page list of the run: receives page links.
  CLinkNode& pageList;
  // The resource list of the run: receives every other link.
  CLinkNode& resourceList;
  // The run's link prefix, and its byte length (0: every absolute link passes).
  const std::string& linkPrefix;
  std::int32_t linkPrefixLength;
  // The URL under which the page being read was queued.
  const std::string& pageUrl;
  // Answers the stop test of every event.
  RunState* runState;
};

// Reads the assembled source of one page and adds its links to the two lists; nothing
// happens for an empty source. Returns early when a stop is requested during the scan.
void CollectLinksFromSource(const std::string& source, CLinkNode& pageList,
                            CLinkNode& resourceList, const std::string& linkPrefix,
                            const std::string& pageUrl, RunState& run);

}  // namespace vw
