// Fuzzes the link collector on hostile pages: a page source, the page's URL and the link
// prefix all come from the input. Checks what the crawl relies on: every queued URL fits the
// URL buffers, carries no fragment and is queued once (ignoring letter case) across both
// lists; absolute links outside a non-empty prefix are never queued; a relative link never
// leaves the page's scheme; and a Stop press leaves a beginning of what the full scan finds.
//
// Input: byte 0 = the event (pump) at which Stop is pressed in the second scan; then three
// texts separated by the byte 0x01: page URL, link prefix, page source.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/run_state.h"
#include "crawl/link_list.h"
#include "crawl/url_map.h"
#include "fuzz_check.h"
#include "html/link_collector.h"
#include "platform/url.h"

namespace {

// A front end whose user presses Stop at a given pump (never when negative).
class ScriptedRun : public vw::RunState {
 public:
  explicit ScriptedRun(int stopAt) : stopAt_(stopAt) {}
  void PumpMessages() override {
    if (pumps_++ == stopAt_) m_bStopRequested = 1;
  }
  void ShowCurrentPage(const char*, const char*) override {}
  void SetNoteText(const char*) override {}
  void SetProgressText(const char*) override {}

 private:
  int stopAt_;
  int pumps_ = 0;
};

std::vector<std::string> Urls(const vw::CLinkNode& list) {
  std::vector<std::string> urls;
  for (const vw::LinkItem* item = list.head; item; item = item->next) urls.push_back(item->url);
  FUZZ_CHECK(urls.size() == std::size_t(list.count));
  return urls;
}

// The link values as the collector must pick them: for each opening tag the first present
// of src, href, url, value; nothing when that value is empty.
class LinkValues : public vw::CHtmlReaderEvents {
 public:
  std::vector<std::string> values;
  void OnStartTag(const vw::CHtmlTag* tag, void*, bool&) override {
    if (!tag->attributes) return;
    for (const char* name : {"src", "href", "url", "value"}) {
      const int index = tag->attributes->IndexOf(name);
      if (index < 0) continue;
      std::string value = tag->attributes->GetValue(index);
      if (!value.empty()) values.push_back(value);
      return;
    }
  }
};

// True when a link is written as an address of its own rather than a reference on the
// page's server: a colon before any "?" or "#" (after "x:.." is cut off, a colon before any
// "/", "?" or "#"), or a leading "//".
bool WrittenAbsolute(std::string link) {
  const std::size_t colon = link.find(':');
  if (colon != std::string::npos && link.compare(colon, 3, ":..") == 0) {
    link.erase(0, std::min(link.size(), colon + 4));
  } else if (colon != std::string::npos && colon < link.find_first_of("?#")) {
    return true;
  }
  const std::size_t c = link.find(':');
  if (c != std::string::npos && c < link.find_first_of("/?#")) return true;
  return link.compare(0, 2, "//") == 0;
}

void CheckLists(const vw::CLinkNode& pages, const vw::CLinkNode& resources) {
  std::map<std::string, int> seen;
  for (const vw::CLinkNode* list : {&pages, &resources}) {
    for (const std::string& url : Urls(*list)) {
      FUZZ_CHECK(!url.empty());
      FUZZ_CHECK(url.size() <= vw::kMaxUrlLength);
      FUZZ_CHECK(ansi::FindChar(url.c_str(), '#') == nullptr);
      FUZZ_CHECK(url.find('\0') == std::string::npos);
      FUZZ_CHECK(++seen[fuzz::NoCaseKey(url)] == 1);
    }
  }
}

bool IsPrefixOf(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  return a.size() <= b.size() && std::equal(a.begin(), a.end(), b.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int stopAt = data[0] == 255 ? -1 : data[0];
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t cut1 = rest.find('\x01');
  const std::size_t cut2 = cut1 == std::string::npos ? cut1 : rest.find('\x01', cut1 + 1);
  const std::string pageUrl = fuzz::UpToZero(rest.substr(0, cut1));
  const std::string prefix = cut1 == std::string::npos
                                 ? std::string()
                                 : fuzz::UpToZero(rest.substr(cut1 + 1, cut2 - cut1 - 1));
  const std::string source = cut2 == std::string::npos ? std::string() : rest.substr(cut2 + 1);

  // The full scan.
  vw::CLinkNode pages, resources;
  ScriptedRun run(-1);
  vw::CollectLinksFromSource(source, pages, resources, prefix, pageUrl, run);
  CheckLists(pages, resources);

  // The same links, picked independently and resolved one by one in page order, give the
  // same lists; each link alone shows where it went.
  LinkValues picker;
  {
    vw::CHtmlReader reader;
    reader.handler = &picker;
    reader.Read(source.c_str());
  }
  vw::CLinkNode replayPages, replayResources;
  const std::int32_t prefixLength = std::int32_t(prefix.size());
  for (const std::string& link : picker.values) {
    vw::CLinkCollector::ResolveLink(replayPages, replayResources, prefix, prefixLength, link,
                                    pageUrl);
    vw::CLinkNode onePage, oneResource;
    vw::CLinkCollector::ResolveLink(onePage, oneResource, prefix, prefixLength, link, pageUrl);
    FUZZ_CHECK(onePage.count + oneResource.count <= 1);
    const vw::LinkItem* added = onePage.head ? onePage.head : oneResource.head;
    if (!added) continue;
    if (WrittenAbsolute(link)) {
      // An address of its own is queued only under a non-empty prefix it belongs to.
      if (!prefix.empty()) FUZZ_CHECK(vw::MatchesPrefix(added->url, prefix));
    } else {
      // A relative link stays on the page's scheme, exactly as the page URL writes it.
      const std::size_t colon = pageUrl.find(':');
      FUZZ_CHECK(colon != std::string::npos);
      FUZZ_CHECK(added->url.compare(0, colon + 1, pageUrl, 0, colon + 1) == 0);
    }
  }
  FUZZ_CHECK(Urls(replayPages) == Urls(pages));
  FUZZ_CHECK(Urls(replayResources) == Urls(resources));

  // A Stop press keeps what was found up to then: a beginning of each full list.
  if (stopAt >= 0) {
    vw::CLinkNode stoppedPages, stoppedResources;
    ScriptedRun stopping(stopAt);
    vw::CollectLinksFromSource(source, stoppedPages, stoppedResources, prefix, pageUrl,
                               stopping);
    CheckLists(stoppedPages, stoppedResources);
    FUZZ_CHECK(IsPrefixOf(Urls(stoppedPages), Urls(pages)));
    FUZZ_CHECK(IsPrefixOf(Urls(stoppedResources), Urls(resources)));
  }

  // ResolveLink straight from the raw input, with what the attribute treatment would have
  // removed (line feeds, surrounding white space) still in it.
  vw::CLinkNode rawPages, rawResources;
  vw::CLinkCollector::ResolveLink(rawPages, rawResources, prefix, prefixLength,
                                  fuzz::UpToZero(source), pageUrl);
  CheckLists(rawPages, rawResources);
  return 0;
}
