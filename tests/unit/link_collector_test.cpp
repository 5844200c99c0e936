#include "html/link_collector.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/run_state.h"
#include "crawl/link_list.h"

namespace {

using vw::CLinkCollector;
using vw::CLinkNode;

// A front end whose user presses Stop during the n-th pump (never when n is 0). The real
// front ends are interactive; only a stand-in can press Stop at an exact reader event.
class StopAfterPumps : public vw::RunState {
 public:
  explicit StopAfterPumps(int stopAt = 0) : stopAt_(stopAt) {}
  void PumpMessages() override {
    if (++pumps_ == stopAt_) m_bStopRequested = 1;
  }
  void ShowCurrentPage(const char*, const char*) override {}
  void SetNoteText(const char*) override {}
  void SetProgressText(const char*) override {}
  int pumps() const { return pumps_; }

 private:
  int stopAt_;
  int pumps_ = 0;
};

std::vector<std::string> Urls(const CLinkNode& list) {
  std::vector<std::string> urls;
  for (const vw::LinkItem* item = list.head; item; item = item->next) urls.push_back(item->url);
  return urls;
}

// The lists of a run that has queued its page URL, as the crawl has when it reads a page.
struct Lists {
  explicit Lists(const std::string& pageUrl) {
    pages.AddLink(pageUrl, nullptr);
    queued_ = pages.count == 1;  // a page URL too long for the lists is not queued
  }
  // What was added besides the page URL.
  std::vector<std::string> NewPages() const {
    std::vector<std::string> urls = Urls(pages);
    if (queued_) urls.erase(urls.begin());
    return urls;
  }
  bool queued_ = false;
  CLinkNode pages;
  CLinkNode resources;
};

const std::string kPrefix = "http://ebook/";
const std::string kPage = "http://ebook/book/ch1.htm";

struct ResolveCase {
  const char* name;
  std::string prefix;
  std::string pageUrl;
  std::string link;
  std::vector<std::string> pages;      // added to the page list
  std::vector<std::string> resources;  // added to the resource list
};

void Check(const ResolveCase& c) {
  SCOPED_TRACE(c.name);
  Lists lists(c.pageUrl);
  CLinkCollector::ResolveLink(lists.pages, lists.resources, c.prefix,
                              static_cast<std::int32_t>(c.prefix.size()), c.link, c.pageUrl);
  EXPECT_EQ(lists.NewPages(), c.pages);
  EXPECT_EQ(Urls(lists.resources), c.resources);
}

TEST(ResolveLink, ResolvesAndSortsLinksOfAnHttpPage) {
  const ResolveCase cases[] = {
      {"page extension in capitals", kPrefix, kPage, "Chapter2.HTM",
       {"http://ebook/book/Chapter2.HTM"}, {}},
      {"image", kPrefix, kPage, "pic.gif", {}, {"http://ebook/book/pic.gif"}},
      {"style sheet one folder up", kPrefix, kPage, "../s.css", {}, {"http://ebook/s.css"}},
      {"no extension", kPrefix, kPage, "Go", {}, {"http://ebook/book/Go"}},
      {"other page extensions", kPrefix, kPage, "a.shtml", {"http://ebook/book/a.shtml"}, {}},
      {"a query does not hide the extension", kPrefix, kPage, "p3.htm?x=1&y=2",
       {"http://ebook/book/p3.htm?x=1&y=2"}, {}},
      {"a dot in a folder is no extension", kPrefix, kPage, "v1.2/readme", {},
       {"http://ebook/book/v1.2/readme"}},
      {"a fragment of the queued page adds nothing", kPrefix, kPage, "#top", {}, {}},
      {"the queued page in capitals adds nothing", kPrefix, kPage, "CH1.HTM", {}, {}},
      {"x:..\\ makes a relative link", kPrefix, kPage, "x:..\\pg.htm",
       {"http://ebook/book/pg.htm"}, {}},
      {"absolute inside the prefix", kPrefix, kPage, "http://ebook/other/a.htm",
       {"http://ebook/other/a.htm"}, {}},
      {"absolute outside the prefix", kPrefix, kPage, "http://elsewhere/a.htm", {}, {}},
      {"mail outside the prefix", kPrefix, kPage, "mailto:me@ebook", {}, {}},
      {"empty prefix lets mail pass as written", "", kPage, "mailto:me@ebook.org", {},
       {"mailto:me@ebook.org"}},
      {"empty prefix lets other servers pass", "", kPage, "http://elsewhere/a.htm",
       {"http://elsewhere/a.htm"}, {}},
  };
  for (const auto& c : cases) Check(c);
}

TEST(ResolveLink, RestoresTheFormOfBasesOutsideTheSchemeTable) {
  const ResolveCase cases[] = {
      {"backslash path without a leading slash", "ebk:", "ebk:chap1\\a.htm", "b.htm",
       {"ebk:chap1\\b.htm"}, {}},
      {"slash path without a leading slash", "ebk:", "ebk:chap1/a.htm", "../c2/b.htm",
       {"ebk:c2/b.htm"}, {}},
      {"rooted path stays rooted", "ebk:", "ebk:/chap1/a.htm", "b.gif", {}, {"ebk:/chap1/b.gif"}},
      {"two colons: the inner part is lifted out and put back", "its:",
       "its:C:\\books\\b.chm::/html/p1.htm", "p2.htm",
       {"its:C:\\books\\b.chm::\\html\\p2.htm"}, {}},
      {"two colons with a storage path", "scheme:", "scheme:store:path::/page.htm", "next.htm",
       {"scheme:store:path::/next.htm"}, {}},
      {"known scheme with a storage path", "mk:", "mk:@MSITStore:C:\\b.chm::/d/a.htm",
       "b.htm", {"mk:@MSITStore:C:\\b.chm::/d/b.htm"}, {}},
      {"a base that cannot resolve drops the link", "ebk:", "ebk:index", "b.htm", {}, {}},
  };
  for (const auto& c : cases) Check(c);
}

// Links that the plain design would have followed out of the book, or mangled.
TEST(ResolveLink, MendedCases) {
  // "\xD6\xD0" and "\xD5\x5C" are Chinese characters; the second has a trail byte 0x5C.
  const std::string gbkPage = "ebk:\xD6\xD0\\\xD5\x5C\\a.htm";
  const ResolveCase cases[] = {
      {"a cut link holding an address outside the prefix", kPrefix, kPage,
       "x:..\\http://evil/a.htm", {}, {}},
      {"a cut link holding an address inside the prefix", kPrefix, kPage,
       "x:..\\http://ebook/b.htm", {"http://ebook/b.htm"}, {}},
      {"a cut link holding a made-up scheme", "ebk:", "ebk:/a.htm", "x:../zz:a.htm", {}, {}},
      {"a cut relative link keeps its colon later on", kPrefix, kPage, "x:..\\a/b:c.htm",
       {"http://ebook/book/a/b:c.htm"}, {}},
      {"a link to another server without a scheme", kPrefix, kPage, "//evil/a.htm", {}, {}},
      {"... allowed by an empty prefix", "", kPage, "//evil/a.htm", {"http://evil/a.htm"}, {}},
      // Found by fuzzing: a colon in the fragment made "#:" absolute, its empty normalised
      // text matched every prefix, and the fragment cut queued an empty URL.
      {"a colon only in the fragment names this page", "", kPage, "#:", {}, {}},
      {"... also under a prefix", kPrefix, kPage, "#sec:2", {}, {}},
      {"a colon only in the query", kPrefix, kPage, "?at=10:30",
       {"http://ebook/book/ch1.htm?at=10:30"}, {}},
      {"a Chinese folder name is one segment", "ebk:", gbkPage, "../b.htm",
       {"ebk:\xD6\xD0\\b.htm"}, {}},
      {"a Chinese file name is one segment", "ebk:", "ebk:\xD6\xD0\\\xD5\x5C.htm", "b.htm",
       {"ebk:\xD6\xD0\\b.htm"}, {}},
      {"Chinese names survive the round trip", "ebk:", gbkPage, "sub/\xD5\x5C.htm",
       {"ebk:\xD6\xD0\\\xD5\x5C\\sub\\\xD5\x5C.htm"}, {}},
      {"... also in a two-colon base", "its:", "its:C:\\\xD5\x5C\\b.chm::/p1.htm", "p2.htm",
       {"its:C:\\\xD5\x5C\\b.chm::\\p2.htm"}, {}},
  };
  for (const auto& c : cases) Check(c);
}

TEST(ResolveLink, DropsWhatTheUrlBuffersCannotHold) {
  const std::string longPage = "http://ebook/" + std::string(2040, 'a') + ".htm";
  ASSERT_GT(longPage.size(), 2047u);
  // A 2047-byte two-colon page URL: lifting out "C:" leaves room to combine, putting it back
  // does not.
  const std::string head = "its:C:\\";
  const std::string tail = ".chm::/p1.htm";
  const std::string fullPage = head + std::string(2047 - head.size() - tail.size(), 'b') + tail;
  ASSERT_EQ(fullPage.size(), 2047u);
  const std::string innerTooLong = "its:" + std::string(300, 'C') + ":\\b.chm::/p1.htm";
  const std::string fullName = fullPage.substr(0, fullPage.size() - 7) + "\\";
  const ResolveCase cases[] = {
      {"page URL too long for relative links", kPrefix, longPage, "b.htm", {}, {}},
      {"... absolute links do not need it", kPrefix, longPage, "http://ebook/x.htm",
       {"http://ebook/x.htm"}, {}},
      {"combined URL too long", kPrefix, kPage, std::string(2040, 'c') + ".htm", {}, {}},
      {"absolute link too long", "", kPage, "http://x/" + std::string(2040, 'd') + ".htm", {},
       {}},
      // (its path is too long for the 1024-byte path buffer of the page test: a resource)
      {"put-together URL just fits", "its:", fullPage, "p2.htm", {}, {fullName + "p2.htm"}},
      {"put-together URL one byte too long", "its:", fullPage, "p2x.htm", {}, {}},
      {"inner part over 255 bytes", "its:", innerTooLong, "p2.htm", {}, {}},
  };
  for (const auto& c : cases) Check(c);
}

struct TagCase {
  const char* source;
  std::vector<std::string> pages;
  std::vector<std::string> resources;
};

TEST(CollectLinks, TakesAtMostOneLinkPerOpeningTag) {
  const TagCase cases[] = {
      {"<a href=\"Chapter2.HTM\">2</a>", {"http://ebook/book/Chapter2.HTM"}, {}},
      {"<img src=pic.gif><script src='s.js'></script><link rel=stylesheet href=s.css>",
       {},
       {"http://ebook/book/pic.gif", "http://ebook/book/s.js", "http://ebook/book/s.css"}},
      {"<frame href=\"x.htm\" src=\"f.htm\">", {"http://ebook/book/f.htm"}, {}},
      {"<a src=\"\" href=\"x.htm\">", {}, {}},
      {"<a HREF='y.htm' href='z.htm'>", {"http://ebook/book/y.htm"}, {}},
      {"<x value=\"v.htm\" url=\"u.htm\">", {"http://ebook/book/u.htm"}, {}},
      {"<param name=movie value=\"intro.swf\"><option value=page3.htm>",
       {"http://ebook/book/page3.htm"}, {"http://ebook/book/intro.swf"}},
      {"<input type=button value=\"Go\">", {}, {"http://ebook/book/Go"}},
      {"<a href=\"a.htm?x=1&amp;y=2\">", {"http://ebook/book/a.htm?x=1&y=2"}, {}},
      {"<a href=p.htm>1</a><A HREF=P.HTM#s>2</A>", {"http://ebook/book/p.htm"}, {}},
      {"<img src=\"b.htm\"><a href=\"b.gif\">", {"http://ebook/book/b.htm"},
       {"http://ebook/book/b.gif"}},
      {"<body background=bg.gif><form action=f.htm><object data=d.htm lowsrc=l.gif>", {}, {}},
      {"text x.htm <!-- <a href=c.htm> --> </a href=e.htm>", {}, {}},
      {"<br/><img src=\"i.gif\"/>", {}, {"http://ebook/book/i.gif"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    Lists lists(kPage);
    StopAfterPumps run;
    vw::CollectLinksFromSource(c.source, lists.pages, lists.resources, kPrefix, kPage, run);
    EXPECT_EQ(lists.NewPages(), c.pages);
    EXPECT_EQ(Urls(lists.resources), c.resources);
  }
}

TEST(CollectLinks, StopsAtTheEventDuringWhichStopIsPressed) {
  const char* source = "<a href=p1.htm>1</a><a href=p2.htm>2</a><a href=p3.htm>3</a>";
  // Pumps: 1 begin, 2 <a p1>, 3 text, 4 </a>, 5 <a p2>, ...
  const struct { int stopAt; std::vector<std::string> pages; } cases[] = {
      {1, {}},
      {2, {"http://ebook/book/p1.htm"}},  // the tag being read still counts
      {4, {"http://ebook/book/p1.htm"}},
      {5, {"http://ebook/book/p1.htm", "http://ebook/book/p2.htm"}},
      {0, {"http://ebook/book/p1.htm", "http://ebook/book/p2.htm", "http://ebook/book/p3.htm"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stopAt);
    Lists lists(kPage);
    StopAfterPumps run(c.stopAt);
    vw::CollectLinksFromSource(source, lists.pages, lists.resources, kPrefix, kPage, run);
    EXPECT_EQ(lists.NewPages(), c.pages);
    if (c.stopAt > 0) {
      EXPECT_EQ(run.pumps(), c.stopAt) << "no event after the stop";
    }
  }
}

TEST(CollectLinks, EmptySourceAddsNothingAndPumpsNothing) {
  Lists lists(kPage);
  StopAfterPumps run;
  vw::CollectLinksFromSource("", lists.pages, lists.resources, kPrefix, kPage, run);
  EXPECT_EQ(lists.pages.count, 1);
  EXPECT_EQ(lists.resources.count, 0);
  EXPECT_EQ(run.pumps(), 0);
}

}  // namespace
