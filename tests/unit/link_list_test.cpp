#include "crawl/link_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/ansi.h"

namespace {

std::vector<std::string> Urls(const vw::CLinkNode& list) {
  std::vector<std::string> urls;
  for (const vw::LinkItem* item = list.head; item; item = item->next) urls.push_back(item->url);
  return urls;
}

// What FindLink must answer: the first entry, walking from head, equal under lstrcmpiA.
const vw::LinkItem* ScanFor(const vw::CLinkNode& list, const std::string& url) {
  for (const vw::LinkItem* item = list.head; item; item = item->next) {
    if (ansi::EqualNoCase(item->url.c_str(), url.c_str())) return item;
  }
  return nullptr;
}

struct AddCase {
  const char* name;
  std::vector<std::string> pages;      // added to the page list first, in order
  std::vector<std::string> resources;  // then to the resource list, with the page list as other
  std::vector<std::string> expectedPages;
  std::vector<std::string> expectedResources;
};

TEST(LinkList, AddLinkFollowsTheListRules) {
  const std::string longest(2047, 'u');
  const AddCase cases[] = {
      {"fragment cut, then the same page in capitals",
       {"page/a.htm#p2", "PAGE/A.HTM"}, {}, {"page/a.htm"}, {}},
      {"letter case stays as first seen", {"Dir/A.htm", "dir/a.HTM#x"}, {}, {"Dir/A.htm"}, {}},
      {"a different query is another entry",
       {"page/a.htm?x=1", "page/a.htm?x=2", "page/a.htm?x=1#f"}, {},
       {"page/a.htm?x=1", "page/a.htm?x=2"}, {}},
      {"a resource already queued as a page is not recorded again",
       {"a.htm"}, {"A.HTM#top", "pic.gif", "PIC.GIF"}, {"a.htm"}, {"pic.gif"}},
      {"Chinese names compare by their bytes",
       {"\xD6\xD0.htm", "\xD6\xD0.HTM", "\xD6\xD1.htm"}, {}, {"\xD6\xD0.htm", "\xD6\xD1.htm"}, {}},
      {"a # that is a trail byte does not cut", {"\x81#a", "\x81"}, {}, {"\x81#a", "\x81"}, {}},
      {"2047 bytes are kept, 2048 dropped, long fragments cut first",
       {longest, longest + "v", std::string(3000, 'w').replace(100, 1, "#")}, {},
       {longest, std::string(100, 'w')}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    vw::CLinkNode pages;
    vw::CLinkNode resources;
    for (const auto& url : c.pages) pages.AddLink(url, nullptr);
    for (const auto& url : c.resources) resources.AddLink(url, &pages);
    EXPECT_EQ(Urls(pages), c.expectedPages);
    EXPECT_EQ(Urls(resources), c.expectedResources);
    EXPECT_EQ(pages.count, static_cast<int>(c.expectedPages.size()));
    EXPECT_EQ(resources.count, static_cast<int>(c.expectedResources.size()));
    EXPECT_EQ(pages.tail == nullptr, c.expectedPages.empty());
    if (pages.tail) {
      EXPECT_EQ(pages.tail->url, c.expectedPages.back());
    }
  }
}

TEST(LinkList, FindLinkComparesTheGivenTextUnchanged) {
  vw::CLinkNode list;
  list.AddLink("a.htm#x", nullptr);
  EXPECT_EQ(list.FindLink("A.HTM"), list.head);
  EXPECT_EQ(list.FindLink("a.htm#x"), nullptr);  // no "#" cut in the lookup itself
  EXPECT_EQ(list.FindLink("a.ht"), nullptr);
  EXPECT_EQ(vw::CLinkNode().FindLink(""), nullptr);
}

// The index must give exactly the answers of the linear scan it replaces, and AddLink must
// add exactly when neither list holds the text.
TEST(LinkList, IndexAnswersLikeTheLinearScan) {
  std::mt19937 random(7);
  const char alphabet[] = {'a', 'A', 'b', 'B', '/', '.', '#', '?', '\x81', '\x41', '\x61'};
  auto randomUrl = [&] {
    std::string url;
    for (int n = 1 + random() % 6; n > 0; --n) url += alphabet[random() % sizeof alphabet];
    return url;
  };
  vw::CLinkNode pages;
  vw::CLinkNode resources;
  for (int i = 0; i < 3000; ++i) {
    const std::string url = randomUrl();
    const char* hash = ansi::FindChar(url.c_str(), '#');
    const std::string cut = hash ? url.substr(0, hash - url.c_str()) : url;
    vw::CLinkNode& list = i % 3 == 0 ? resources : pages;
    const vw::CLinkNode* other = i % 3 == 0 ? &pages : nullptr;
    const bool known = ScanFor(list, cut) || (other && ScanFor(*other, cut));
    const int before = list.count;
    list.AddLink(url, other);
    ASSERT_EQ(list.count, before + (known ? 0 : 1)) << url;
    if (!known) {
      ASSERT_EQ(list.tail->url, cut);
    }

    const std::string probe = randomUrl();
    ASSERT_EQ(pages.FindLink(probe), ScanFor(pages, probe)) << probe;
    ASSERT_EQ(resources.FindLink(probe), ScanFor(resources, probe)) << probe;
  }
}

class LinkWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* url : {"p1.htm", "p2.htm", "p3.htm"}) list.AddLink(url, nullptr);
  }
  vw::LinkItem* At(int index) {
    vw::LinkItem* item = list.head;
    while (index-- > 0) item = item->next;
    return item;
  }
  vw::CLinkNode list;
};

TEST_F(LinkWalk, NextUnvisitedNeverGoesBack) {
  EXPECT_EQ(list.NextUnvisited(nullptr), At(0));
  list.MarkVisited(At(1));
  EXPECT_EQ(list.NextUnvisited(At(0)), At(2));  // skips the visited entry
  EXPECT_EQ(list.NextUnvisited(At(2)), nullptr);  // never the unvisited first entry
  list.AddLink("p4.htm", nullptr);                // appended during the walk
  EXPECT_EQ(list.NextUnvisited(At(2)), At(3));
  EXPECT_EQ(At(3)->url, "p4.htm");
}

TEST_F(LinkWalk, MarkVisitedCountsAndClearEmpties) {
  list.MarkVisited(nullptr);
  EXPECT_EQ(list.visitedCount, 0);
  for (vw::LinkItem* item = list.NextUnvisited(nullptr); item;
       item = list.NextUnvisited(item)) {
    list.MarkVisited(item);
  }
  EXPECT_EQ(list.visitedCount, 3);
  EXPECT_TRUE(At(0)->visited && At(1)->visited && At(2)->visited);
  EXPECT_EQ(list.NextUnvisited(nullptr), nullptr);

  list.Clear();
  EXPECT_EQ(list.head, nullptr);
  EXPECT_EQ(list.tail, nullptr);
  EXPECT_EQ(list.count, 0);
  EXPECT_EQ(list.visitedCount, 0);
  EXPECT_EQ(list.NextUnvisited(nullptr), nullptr);
  EXPECT_EQ(list.FindLink("p1.htm"), nullptr);
  list.AddLink("p1.htm", nullptr);  // the index was cleared with the entries
  EXPECT_EQ(list.count, 1);
}

}  // namespace
