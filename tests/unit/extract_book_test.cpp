#include "crawl/extract_book.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "tests/support/scratch_folder.h"
#include "tests/unit/scripted_document.h"

namespace vw {
namespace {

using testing::ScriptedDocument;

TEST(PrefixLength, CountsUpToTheNormalisedPrefixsLastSeparator) {
  struct Case { const char* prefix; int length; } cases[] = {
      {"http://ebook/", 6},  // "http:/ebook": the host word becomes the top folder
      {"http://ebook/dir/", 12},
      {"file:///C:/book/", 9},
      {"ebk:", 4},
      {"plain", 5},
  };
  for (const auto& c : cases) EXPECT_EQ(PrefixLength(c.prefix), c.length) << c.prefix;
}

TEST(TextFileName, ReplacesTheExtensionOfTheFileNameOnly) {
  struct Case { const char* path; const char* text; } cases[] = {
      {"dir\\a.html", "dir\\a.txt"},
      {"a.b.htm", "a.b.txt"},
      {"ebook", "ebook.txt"},                   // the home page at the prefix itself
      {"dir.v2\\index", "dir.v2\\index.txt"},   // a dot in a folder name is not an extension
  };
  for (const auto& c : cases) EXPECT_EQ(TextFileName(c.path), c.text) << c.path;
}

// A browser made of scripted pages: navigating switches the page it shows. It stands in for
// the viewer where a test needs exact control of what each fetch returns.
class ScriptedHost : public BrowserHost {
 public:
  std::map<std::string, std::shared_ptr<ScriptedDocument>> pages;
  std::string current;
  int fetchesLeft = 1 << 30;  // the browser disappears after this many fetches

  std::shared_ptr<ScriptedDocument> Page(const std::string& url, const std::string& markup) {
    auto doc = std::make_shared<ScriptedDocument>();
    doc->url = url;
    doc->elements = {{"HTML", markup}};
    doc->bodyText = "text of " + url;
    pages[url] = doc;
    return doc;
  }
  DocumentRef FindDocument(MessageSink*) override {
    if (fetchesLeft-- <= 0) return nullptr;
    auto it = pages.find(current);
    if (it == pages.end()) return nullptr;
    if (!it->second->navigatedTo.empty()) {
      current = it->second->navigatedTo.back();
      it->second->navigatedTo.clear();
      it = pages.find(current);
      if (it == pages.end()) return nullptr;
    }
    return it->second;
  }
  bool Exists() override { return fetchesLeft > 0; }
};

class RecordingRun : public RunState {
 public:
  std::vector<std::string> paths;
  std::string progress;
  void PumpMessages() override {}
  void ShowCurrentPage(const char*, const char* path) override { paths.push_back(path); }
  void SetNoteText(const char*) override {}
  void SetProgressText(const char* text) override { progress = text; }
};

ExtractOptions Fast() {
  ExtractOptions o;
  o.pollMs = 1;
  o.maxWaitMs = 20;
  return o;
}

// A browser committing a navigation while it is read: the first read of any kind still
// sees the blank page before it (complete), every later read the new page, which loads for
// a few reads before it is complete.
class CommittingDocument : public ScriptedDocument {
 public:
  int reads = 0;
  int loadingReadsLeft = 3;
  bool newPageSeenComplete = false;

  bool ReadyState(std::string& state) override {
    if (reads++ == 0) {
      state = "complete";
    } else if (loadingReadsLeft > 0) {
      --loadingReadsLeft;
      state = "loading";
    } else {
      state = "complete";
      newPageSeenComplete = true;
    }
    return true;
  }
  bool Url(std::string& out) override {
    out = reads++ == 0 ? "about:blank" : "http://ebook/index.htm";
    return true;
  }
};

TEST(WaitForComplete, NeverTakesThePageBeforesReadyStateForTheNewPage) {
  const std::string url = "http://ebook/index.htm";
  CommittingDocument checked;
  EXPECT_FALSE(IsCompleteAt(&checked, url));

  auto document = std::make_shared<CommittingDocument>();
  struct Host : BrowserHost {
    DocumentRef doc;
    DocumentRef FindDocument(MessageSink*) override { return doc; }
    bool Exists() override { return true; }
  } host;
  host.doc = document;
  RecordingRun run;
  ExtractOptions options = Fast();
  options.maxWaitMs = 1000;
  EXPECT_EQ(WaitForComplete(&host, run, options, url), host.doc);
  EXPECT_TRUE(document->newPageSeenComplete);
}

TEST(ExtractBook, WalksBreadthFirstWithOneBackslashAfterTheFolder) {
  testing::ScratchFolder dir;
  ScriptedHost host;
  host.current = "http://ebook/index.htm";
  host.Page("http://ebook/index.htm",
            "<html><a href=\"b/two.htm\">2</a><a href=\"three.htm\">3</a></html>");
  host.Page("http://ebook/b/two.htm", "<html><a href=\"../index.htm\">home</a></html>");
  host.Page("http://ebook/three.htm", "<html>end</html>");
  RecordingRun run;
  run.m_bSaveText = 1;
  ExtractStats stats;
  const std::string folder = dir.path() + "\\";  // a trailing backslash gets no second one
  ExtractBook(&host, folder, "http://ebook/index.htm", "http://ebook/", run, Fast(), &stats);

  ASSERT_EQ(run.paths.size(), 3u);
  EXPECT_EQ(run.paths[0], folder + "ebook\\index.txt");
  EXPECT_EQ(run.paths[1], folder + "ebook\\b\\two.txt");
  EXPECT_EQ(run.paths[2], folder + "ebook\\three.txt");
  EXPECT_EQ(run.progress, "3/3");
  EXPECT_EQ(stats.pagesVisited, 3);
}

TEST(ExtractBook, BrowserGoneInTheMiddleSkipsTheRestAndEnds) {
  testing::ScratchFolder dir;
  ScriptedHost host;
  host.current = "http://ebook/index.htm";
  host.Page("http://ebook/index.htm",
            "<html><a href=\"a.htm\">a</a><a href=\"b.htm\">b</a><a href=\"c.htm\">c</a></html>");
  for (const char* p : {"a", "b", "c"}) {
    host.Page(std::string("http://ebook/") + p + ".htm", "<html></html>");
  }
  host.fetchesLeft = 4;  // start check, home page, then a.htm's navigation and one poll
  RecordingRun run;
  ExtractStats stats;
  ExtractBook(&host, dir.path(), "http://ebook/index.htm", "http://ebook/", run, Fast(), &stats);
  EXPECT_EQ(stats.pagesFound, 4);
  EXPECT_EQ(stats.pagesVisited, 2);
  EXPECT_EQ(stats.pagesSkipped, 2);
  EXPECT_EQ(run.progress, "2/4");
}

TEST(ExtractBook, PathThatDoesNotFitIsNotWrittenAndTheWalkGoesOn) {
  testing::ScratchFolder dir;
  ScriptedHost host;
  host.current = "http://ebook/index.htm";
  host.Page("http://ebook/index.htm", "<html><a href=\"a.htm\">a</a></html>");
  host.Page("http://ebook/a.htm", "<html><a href=\"bb.htm\">b</a></html>");
  host.Page("http://ebook/bb.htm", "<html></html>");
  RecordingRun run;
  ExtractStats stats;
  // With this folder, "ebook\\a.htm" just fits the 2047-byte path and the others do not.
  const std::string folder =
      dir.path() + "/" + std::string(2047 - dir.path().size() - 1 - 1 - 11, 'f');
  ExtractBook(&host, folder, "http://ebook/index.htm", "http://ebook/", run, Fast(), &stats);
  EXPECT_EQ(stats.pagesVisited, 3);  // every page is still read for its links
  // Two paths do not fit; the one that just fits names a folder longer than any file
  // system allows, so it cannot be created either.
  EXPECT_EQ(stats.pagesNotWritten, 3);
  EXPECT_EQ(run.progress, "3/3");
  ASSERT_EQ(run.paths.size(), 3u);
  EXPECT_EQ(run.paths[0], folder + "\\");  // nothing written yet
  EXPECT_EQ(run.paths[1], folder + "\\ebook\\a.htm");
  EXPECT_EQ(run.paths[1].size(), 2047u);
  EXPECT_EQ(run.paths[2], run.paths[1]);  // the display keeps the last file written
}

TEST(ExtractBook, NoBrowserAtTheStartWritesNothing) {
  ScriptedHost host;  // shows no page at all
  RecordingRun run;
  ExtractStats stats;
  ExtractBook(&host, "/nonexistent", "http://ebook/index.htm", "http://ebook/", run, Fast(),
              &stats);
  EXPECT_FALSE(stats.reached);
  EXPECT_TRUE(run.paths.empty());
}

}  // namespace
}  // namespace vw
