// ResolveLink of the link collector: from a link as written on a page to a queued URL.
#include <algorithm>
#include <cstddef>
#include <string>

#include "crawl/link_list.h"
#include "crawl/url_map.h"
#include "html/link_collector.h"
#include "platform/ansi.h"
#include "platform/url.h"

namespace vw {
namespace {

// The longest part between the two colons of a "scheme:store:path" base.
constexpr std::size_t kMaxInnerPart = 255;

// A decoded URL path fits this buffer (1024 bytes with the terminating zero).
constexpr std::size_t kClassifyPathBuffer = 1024;

// Replaces every separator `from` by `to` in s[begin, end), stepping over double-byte
// characters from the start of s, so that a GBK trail byte equal to '\\' is left alone.
// Returns true if anything was replaced.
bool ReplaceSeparators(std::string& s, std::size_t begin, std::size_t end, char from, char to) {
  bool replaced = false;
  const char* start = s.c_str();
  const char* stop = start + std::min(end, s.size());
  for (const char* p = start; p < stop; p = ansi::Next(p, stop)) {
    if (*p == from && std::size_t(p - start) >= begin) {
      s[p - start] = to;
      replaced = true;
    }
  }
  return replaced;
}

// The index of the first "?" or "#" at or after `from`, or the length of s.
std::size_t QueryOrFragment(const std::string& s, std::size_t from = 0) {
  const std::size_t found = s.find_first_of("?#", from);
  return found == std::string::npos ? s.size() : found;
}

// True when the text begins with something shaped like a scheme: a ":" comes before any
// "/", "?" or "#". Everything that the URL splitter would take as an absolute address
// passes this test.
bool LooksAbsolute(const std::string& text) {
  const std::size_t colon = text.find(':');
  return colon != std::string::npos && colon < text.find_first_of("/?#");
}

// True when the path of the URL ends in a page extension.
bool IsPageUrl(const std::string& url) {
  std::string path;
  if (!CrackUrlPath(url, kCrackDecode, path, kClassifyPathBuffer)) return false;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string extension = path.substr(dot);
  for (const char* page : {".htm", ".html", ".shtml", ".mht"}) {
    if (ansi::EqualNoCase(extension.c_str(), page)) return true;
  }
  return false;
}

// The base prepared for combining, and what is needed to undo the preparation.
struct PreparedBase {
  std::string base;
  std::string inner;         // the part lifted out of a two-colon base
  std::size_t split = 0;     // where the inner part goes back; 0 for none
  bool backslashes = false;  // the base's path used backslashes
  bool slashInserted = false;
};

// Gives a base whose scheme is outside the scheme table a form the URL combiner resolves:
// a two-colon base loses its inner part, backslashes become slashes, and a path without a
// leading "/" gets one. Returns false when the inner part is too long.
bool PrepareBase(const std::string& pageUrl, PreparedBase& b) {
  b.base = pageUrl;
  if (HasKnownScheme(b.base)) return true;
  std::string& s = b.base;
  const std::size_t c1 = s.find(':');
  if (c1 == std::string::npos) return true;
  const std::size_t stop = s.find_first_of(".?#", c1 + 1);
  if (stop == std::string::npos) return true;
  const std::size_t c2 = s.find(':', c1 + 1);
  if (c2 < stop) {
    if (c2 - c1 > kMaxInnerPart) return false;
    b.inner = s.substr(c1 + 1, c2 - c1);
    s.erase(c1 + 1, c2 - c1);
    b.backslashes = ReplaceSeparators(s, 0, QueryOrFragment(s), '\\', '/');
    b.split = c1 + 1;
    return true;
  }
  const std::size_t end = QueryOrFragment(s, c1 + 1);
  b.backslashes = ReplaceSeparators(s, c1 + 1, end, '\\', '/');
  const bool hasPath = b.backslashes || s.find('/', c1 + 1) < end;
  if (hasPath && s.compare(c1 + 1, 1, "/") != 0) {
    s.insert(c1 + 1, "/");
    b.slashInserted = true;
  }
  return true;
}

// Undoes PrepareBase on the combined URL. Returns false when the result does not have the
// shape the preparation expects.
bool RestoreUrl(const PreparedBase& b, const std::string& combined, std::string& url) {
  if (b.split > 0) {
    if (combined.compare(0, b.split, b.base, 0, b.split) != 0) return false;
    std::string rest = combined.substr(b.split);
    if (b.backslashes) ReplaceSeparators(rest, 0, QueryOrFragment(rest), '/', '\\');
    url = combined.substr(0, b.split) + b.inner + rest;
  } else if (b.slashInserted) {
    const std::size_t colon = combined.find(':');
    if (colon == std::string::npos || combined.compare(colon + 1, 1, "/") != 0) return false;
    url = combined.substr(0, colon + 1) + combined.substr(colon + 2);
    if (b.backslashes) ReplaceSeparators(url, 0, QueryOrFragment(url), '/', '\\');
  } else {
    url = combined;
  }
  return true;
}

}  // namespace

void CLinkCollector::ResolveLink(CLinkNode& pageList, CLinkNode& resourceList,
                                 const std::string& linkPrefix, std::int32_t linkPrefixLength,
                                 const std::string& link, const std::string& pageUrl) {
  std::string url = link;
  bool absolute = false;
  const std::size_t colon = url.find(':');
  if (colon != std::string::npos) {
    if (url.compare(colon, 3, ":..") == 0) {
      // "x:..\page.htm": the text four bytes after the colon is a relative link, unless it
      // is an absolute address itself, which must then pass the prefix test like any other.
      url.erase(0, std::min(url.size(), colon + 4));
      absolute = LooksAbsolute(url);
    } else {
      // A colon that only turns up in the query or the fragment ("#sec:2", "?at=10:30") is
      // no scheme: such a link refers to the page itself and resolves like "#top". Taken as
      // absolute, its normalised text is empty, matches every prefix, and the fragment cut
      // would queue an empty URL (or the bare "?..." text) as a page of its own.
      absolute = colon < url.find_first_of("?#");
    }
  }

  if (absolute) {
    if (linkPrefixLength != 0 && !MatchesPrefix(url, linkPrefix)) return;
  } else {
    if (pageUrl.size() > kMaxUrlLength) return;
    PreparedBase base;
    if (!PrepareBase(pageUrl, base)) return;
    std::string combined;
    if (!CombineUrl(base.base, url, combined)) return;
    // "//host/page.htm" names another server as surely as an absolute address does.
    const bool otherServer = url.compare(0, 2, "//") == 0;
    if (!RestoreUrl(base, combined, url)) return;
    if (otherServer && linkPrefixLength != 0 && !MatchesPrefix(url, linkPrefix)) return;
  }
  if (url.size() > kMaxUrlLength) return;

  if (IsPageUrl(url)) {
    pageList.AddLink(url, nullptr);
  } else {
    resourceList.AddLink(url, &pageList);
  }
}

}  // namespace vw
