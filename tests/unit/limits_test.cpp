// The fixed sizes of the URL and path work buffers, each at its limit, one byte past it and
// far past it: every operation either handles the whole text or refuses it as documented,
// and never shortens a text so that a page would be queued or saved under another name.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "app/run_state.h"
#include "crawl/link_list.h"
#include "crawl/url_map.h"
#include "html/entities.h"
#include "html/link_collector.h"
#include "html/reader.h"
#include "platform/url.h"

namespace {

using vw::kMaxPathLength;
using vw::kMaxUrlLength;

constexpr std::size_t kFarPast = 100 * 1024;

// A text of exactly `size` bytes: `head`, then filler, then `tail`.
std::string Sized(const std::string& head, std::size_t size, const std::string& tail,
                  char filler = 'a') {
  return head + std::string(size - head.size() - tail.size(), filler) + tail;
}

std::vector<std::string> Urls(const vw::CLinkNode& list) {
  std::vector<std::string> urls;
  for (const vw::LinkItem* item = list.head; item; item = item->next) urls.push_back(item->url);
  return urls;
}

// What a resolution queued in either list. (A URL this long is a resource even with a page
// extension: its path does not fit the 1024-byte buffer of the page test.)
std::vector<std::string> Queued(const vw::CLinkNode& pages, const vw::CLinkNode& resources) {
  std::vector<std::string> urls = Urls(pages);
  for (const std::string& url : Urls(resources)) urls.push_back(url);
  return urls;
}

struct SizeCase {
  const char* name;
  std::size_t size;
  bool fits;
};

// The URL buffers hold 2047 bytes and a zero.
const SizeCase kUrlSizes[] = {
    {"at the limit", kMaxUrlLength, true},
    {"one past", kMaxUrlLength + 1, false},
    {"far past", kFarPast, false},
};

TEST(UrlLimit, LinkListsKeepWholeUrlsOrNone) {
  for (const SizeCase& c : kUrlSizes) {
    SCOPED_TRACE(c.name);
    const std::string url = Sized("http://ebook/", c.size, ".htm");
    vw::CLinkNode list;
    list.AddLink(url, nullptr);
    EXPECT_EQ(Urls(list), c.fits ? std::vector<std::string>{url} : std::vector<std::string>{});
    // The fragment is cut before the length counts.
    vw::CLinkNode cut;
    cut.AddLink(url + "#" + std::string(kFarPast, 'f'), nullptr);
    EXPECT_EQ(Urls(cut), Urls(list));
  }
}

TEST(UrlLimit, MapUrlToPathRefusesUrlsBeyondTheBuffer) {
  for (const SizeCase& c : kUrlSizes) {
    SCOPED_TRACE(c.name);
    // A long e-book address whose prefix covers all but the file name.
    const std::string url = Sized("ebk:", c.size, "/x.htm");
    std::string path = "stale";
    EXPECT_EQ(vw::MapUrlToPath(path, url, int(c.size - 6)), c.fits);
    EXPECT_EQ(path, c.fits ? "x.htm" : "");
  }
}

TEST(UrlLimit, CombineUrlRefusesResultsBeyondTheBuffer) {
  for (const SizeCase& c : kUrlSizes) {
    SCOPED_TRACE(c.name);
    const std::string base = Sized("http://h/", c.size, ".htm");
    std::string out = "stale";
    EXPECT_EQ(vw::CombineUrl(base, "", out), c.fits);
    EXPECT_EQ(out, c.fits ? base : "stale");
  }
}

TEST(UrlLimit, ResolveLinkQueuesWholeUrlsOrDropsThem) {
  const std::string prefix = vw::kPseudoHostPrefix;
  for (const SizeCase& c : kUrlSizes) {
    SCOPED_TRACE(c.name);
    // An absolute link of the size.
    {
      const std::string link = Sized(prefix, c.size, ".htm");
      vw::CLinkNode pages, resources;
      vw::CLinkCollector::ResolveLink(pages, resources, prefix, int(prefix.size()), link,
                                      prefix + "a.htm");
      EXPECT_EQ(Queued(pages, resources),
                c.fits ? std::vector<std::string>{link} : std::vector<std::string>{});
    }
    // A relative link on a page whose URL has the size: the result is as long.
    {
      const std::string page = Sized(prefix, c.size, "/a.htm");
      vw::CLinkNode pages, resources;
      vw::CLinkCollector::ResolveLink(pages, resources, prefix, int(prefix.size()), "b.htm",
                                      page);
      const std::string expected = page.substr(0, page.size() - 5) + "b.htm";
      EXPECT_EQ(Queued(pages, resources),
                c.fits ? std::vector<std::string>{expected} : std::vector<std::string>{});
    }
  }
}

// The decoded URL path of a saved page lands in a 260-byte buffer: 259 bytes with its
// leading "/", so the relative file path that follows the placeholder host has 258.
TEST(PathLimit, MapUrlToPathRefusesDecodedPathsBeyondTheBuffer) {
  const struct {
    const char* name;
    std::string relative;  // written after "ebk:", so all of it is the relative part
    bool fits;
  } cases[] = {
      {"at the limit", std::string(kMaxPathLength - 1, 'p'), true},
      {"one past", std::string(kMaxPathLength, 'p'), false},
      {"far past (still a short enough URL)", std::string(2000, 'p'), false},
      {"escapes count decoded: at the limit", [] {
         std::string s;
         for (std::size_t i = 0; i < kMaxPathLength - 1; ++i) s += "%41";
         return s;
       }(), true},
      {"escapes count decoded: one past", [] {
         std::string s;
         for (std::size_t i = 0; i < kMaxPathLength; ++i) s += "%41";
         return s;
       }(), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = "stale";
    EXPECT_EQ(vw::MapUrlToPath(path, "ebk:" + c.relative, 0), c.fits);
    if (c.fits) {
      EXPECT_EQ(path.size(), kMaxPathLength - 1);
      EXPECT_EQ(path.find_first_not_of(c.relative[0] == '%' ? 'A' : 'p'), std::string::npos);
    } else {
      EXPECT_EQ(path, "");
    }
  }
}

TEST(PathLimit, CrackUrlPathFitsTheCallersBuffer) {
  const struct {
    const char* name;
    std::size_t pathSize;
    bool fits;
  } cases[] = {
      {"at the limit", kMaxPathLength, true},
      {"one past", kMaxPathLength + 1, false},
      {"far past", kFarPast, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string pathPart = "/" + std::string(c.pathSize - 1, 'p');
    std::string path = "stale";
    EXPECT_EQ(vw::CrackUrlPath("http://h" + pathPart + "?q#f", vw::kCrackDecode, path,
                               kMaxPathLength + 1),
              c.fits);
    EXPECT_EQ(path, c.fits ? pathPart : "stale");
  }
}

// A two-colon page URL ("its:C:\b.chm::/p1.htm") has its inner part, from after the first
// colon through the second, lifted out while a relative link is combined: at most 255 bytes.
TEST(InnerPartLimit, ResolveLinkDropsLinksOnPagesWithTooLongAnInnerPart) {
  const struct {
    const char* name;
    std::size_t innerSize;
    bool fits;
  } cases[] = {
      {"at the limit", 255, true},
      {"one past", 256, false},
      {"far past (the page URL still fits)", 1500, false},
      {"far past (the page URL too)", kFarPast, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string inner = std::string(c.innerSize - 1, 'C') + ":";
    const std::string page = "its:" + inner + "\\b.chm::/p1.htm";
    vw::CLinkNode pages, resources;
    vw::CLinkCollector::ResolveLink(pages, resources, "its:", 4, "p2.htm", page);
    EXPECT_EQ(Urls(pages), c.fits ? std::vector<std::string>{"its:" + inner + "\\b.chm::\\p2.htm"}
                                  : std::vector<std::string>{});
    EXPECT_TRUE(Urls(resources).empty());
  }
}

// Texts far beyond every buffer go through the helpers whole: nothing is cut at a buffer
// size, so a long link is compared, normalised and read as written.
TEST(LongTexts, HelpersHandleTheWholeText) {
  const std::string prefix = vw::kPseudoHostPrefix;
  const std::string longUrl = prefix + std::string(kFarPast, 'd') + "/a.htm";
  EXPECT_EQ(vw::NormalizeUrl(longUrl), "http:/ebook/" + std::string(kFarPast, 'd') + "/a.htm");
  EXPECT_EQ(vw::LastSeparator(longUrl), longUrl.size() - 6);
  EXPECT_TRUE(vw::MatchesPrefix(longUrl, prefix));
  // A long prefix that differs from a link only after 2047 bytes still tells the two apart.
  const std::string book = "file:///C:/" + std::string(kFarPast, 'd');
  EXPECT_FALSE(vw::MatchesPrefix(book + "x/a.htm", book + "y/"));
  EXPECT_TRUE(vw::MatchesPrefix(book + "/x/a.htm", book + "/"));

  // A reference of any length decodes through its ";" with the strtol range limits.
  const struct {
    std::string text;
    unsigned char byte;
  } references[] = {
      {"&#" + std::string(kFarPast, '9') + ";", 0xFF},  // saturates at INT32_MAX
      {"&#4294967361;", 0xFF},                          // not wrapped to 65
      {"&#x-" + std::string(kFarPast, 'f') + ";", 0x00},  // INT32_MIN
      {"&#x" + std::string(kFarPast, 'f') + ";", 0xFF},
  };
  for (const auto& r : references) {
    const auto decoded = vw::DecodeEntity(r.text);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->byte, r.byte);
    EXPECT_EQ(decoded->length, r.text.size());
  }
}

class RecordValues : public vw::CHtmlReaderEvents {
 public:
  std::vector<std::string> values;
  void OnStartTag(const vw::CHtmlTag* tag, void*, bool&) override {
    if (tag->attributes) values.push_back(tag->attributes->GetValue(0));
  }
};

TEST(LongTexts, TheReaderKeepsLongAttributeValuesWhole) {
  const std::string value(kFarPast, 'v');
  const std::string source = "<a href=\"" + value + "\">x</a><img src=" + value + ">";
  RecordValues handler;
  vw::CHtmlReader reader;
  reader.handler = &handler;
  EXPECT_EQ(reader.Read(source.c_str()), source.size());
  EXPECT_EQ(handler.values, (std::vector<std::string>{value, value}));
}

}  // namespace
