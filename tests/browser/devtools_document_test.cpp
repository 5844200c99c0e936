// The DevTools page document and host against a real headless Chromium, with pages from a
// loopback server (reached as http://ebook/...) and from files.
#include "platform/devtools/devtools_document.h"
#include "platform/devtools/devtools_host.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "acquire/document_ops.h"
#include "crawl/page_save.h"
#include "platform/ansi_convert.h"
#include "tests/support/chromium.h"
#include "tests/support/loopback_server.h"

namespace vw {
namespace {

using devtools::DevToolsHost;
using testing::Chromium;
using testing::LoopbackServer;
using testing::Route;
namespace fs = std::filesystem;

// "中文网页" in GBK, and the same page text in UTF-8.
const std::string kGbkWords = "\xD6\xD0\xCE\xC4\xCD\xF8\xD2\xB3";
const std::string kUtf8Words = "中文网页";
// Padding that makes a page's own save larger than the 500-byte threshold.
const std::string kPadding = "<p>" + std::string(600, '.') + "</p>";

std::string ReadFile(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class RecordingSink : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

// One browser and one server for all tests of this file.
class DevToolsDocumentTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new LoopbackServer();
    AddPages();
    char folder[] = "/tmp/vw-pages-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    files_ = new std::string(folder);
    std::ofstream(*files_ + "/local.htm", std::ios::binary)
        << "<html><head><meta charset=\"utf-8\"></head><body>file " << kUtf8Words << kPadding
        << "</body></html>";
    chromium_ = new Chromium(
        {"--host-resolver-rules=MAP ebook 127.0.0.1:" + std::to_string(server_->port()) +
         ", MAP * ~NOTFOUND"});
  }

  static void TearDownTestSuite() {
    delete chromium_;
    delete server_;
    std::error_code ignored;
    fs::remove_all(*files_, ignored);
    delete files_;
  }

  static void AddPages() {
    gbkPage_ = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
               "charset=gbk\"><title>" + kGbkWords + "</title></head><body><p>" + kGbkWords +
               "</p>" + kPadding + "</body></html>";
    server_->Add("/gbk.htm", Route{"text/html; charset=gbk", gbkPage_});
    utf8Page_ = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body><p>" +
                kUtf8Words + "</p>" + kPadding + "</body></html>";
    server_->Add("/utf8.htm", Route{"text/html; charset=utf-8", utf8Page_});
    server_->Add("/comment.htm",
                 Route{"text/html", "<!-- before -->\n<html><body><p>x</p></body></html>\n"});
    server_->Add("/quick.htm", Route{"text/html", "<html><body>quick page</body></html>"});
    Route slow{"text/html", "<html><body>slow page</body></html>"};
    slow.delayMs = 1500;
    server_->Add("/slow.htm", slow);
    Route hang{"text/html", "<html><body>never done"};
    hang.hangAfterHeaders = true;
    server_->Add("/hang.htm", hang);
    server_->Add("/picture.svg",
                 Route{"image/svg+xml", "<svg xmlns=\"http://www.w3.org/2000/svg\"><text>x"
                                        "</text></svg>"});
    Route noStore{"text/html; charset=gbk", gbkPage_};
    noStore.headers = "Cache-Control: no-store\r\n";
    server_->Add("/nostore.htm", noStore);
    // The script leaves an unpaired surrogate in the body text.
    server_->Add("/surrogate.htm",
                 Route{"text/html", "<html><body><p id=p>a</p><script>"
                                    "document.getElementById('p').textContent = "
                                    "'a' + String.fromCharCode(0xD800) + 'b';"
                                    "</script></body></html>"});
  }

  void SetUp() override {
    host_ = std::make_unique<DevToolsHost>(chromium_->endpoint(), chromium_->firstTargetId());
    scratch_ = fs::temp_directory_path() /
               ("vw-save-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  void TearDown() override {
    SetShowBrowserErrors(true);
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
  }

  // The crawl's wait: up to 100 tries 100 ms apart, a document fetched anew each time.
  DocumentRef WaitForComplete() {
    DocumentRef document;
    for (int i = 0; i < 100; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      document = GetBrowserDocument(host_.get(), nullptr);
      if (document && IsPageComplete(document.get())) break;
    }
    return document;
  }

  DocumentRef Load(const std::string& url) {
    DocumentRef document = GetBrowserDocument(host_.get(), nullptr);
    EXPECT_NE(document, nullptr);
    NavigatePage(document.get(), url);
    document = WaitForComplete();
    EXPECT_TRUE(IsPageComplete(document.get())) << url;
    return document;
  }

  // A GBK path with backslashes below the scratch folder, and its native name.
  std::string Path(const std::string& name) const {
    return scratch_.string() + "\\" + kGbkWords + "\\" + name;
  }
  std::string Native(const std::string& name) const {
    return (scratch_ / kUtf8Words / name).string();
  }

  static LoopbackServer* server_;
  static Chromium* chromium_;
  static std::string* files_;
  static std::string gbkPage_;
  static std::string utf8Page_;
  std::unique_ptr<DevToolsHost> host_;
  fs::path scratch_;
};

LoopbackServer* DevToolsDocumentTest::server_ = nullptr;
Chromium* DevToolsDocumentTest::chromium_ = nullptr;
std::string* DevToolsDocumentTest::files_ = nullptr;
std::string DevToolsDocumentTest::gbkPage_;
std::string DevToolsDocumentTest::utf8Page_;

TEST_F(DevToolsDocumentTest, GbkPageIsSavedAsTheServedBytesAndAsGbkText) {
  DocumentRef document = Load("http://ebook/gbk.htm");
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(GetPageUrl(document.get()), "http://ebook/gbk.htm");

  EXPECT_TRUE(SavePageHtml(document.get(), Path("gbk.htm")));
  EXPECT_EQ(ReadFile(Native("gbk.htm")), gbkPage_);

  SavePageText(document.get(), Path("gbk.txt"));
  EXPECT_EQ(ReadFile(Native("gbk.txt")).substr(0, kGbkWords.size() + 1), kGbkWords + "\n");

  std::string source;
  ASSERT_TRUE(GetPageSource(document.get(), source));
  EXPECT_NE(source.find("<p>" + kGbkWords + "</p>"), std::string::npos);
}

TEST_F(DevToolsDocumentTest, PageTheBrowserDidNotKeepIsWrittenFromItsSource) {
  // With "no-store" the browser keeps no copy of the response, so the page's own save
  // writes nothing and the assembled source (already GBK) takes its place.
  DocumentRef document = Load("http://ebook/nostore.htm");
  ASSERT_NE(document, nullptr);
  EXPECT_TRUE(SavePageHtml(document.get(), Path("nostore.htm")));
  std::string source;
  ASSERT_TRUE(GetPageSource(document.get(), source));
  EXPECT_EQ(ReadFile(Native("nostore.htm")), source);
  EXPECT_NE(source.find("<p>" + kGbkWords + "</p>"), std::string::npos);
}

TEST_F(DevToolsDocumentTest, Utf8PageIsSavedAsServedAndItsTextAsGbk) {
  DocumentRef document = Load("http://ebook/utf8.htm");
  ASSERT_NE(document, nullptr);
  EXPECT_TRUE(SavePageHtml(document.get(), Path("utf8.htm")));
  EXPECT_EQ(ReadFile(Native("utf8.htm")), utf8Page_);
  SavePageText(document.get(), Path("utf8.txt"));
  EXPECT_EQ(ReadFile(Native("utf8.txt")).substr(0, kGbkWords.size()), kGbkWords);
}

TEST_F(DevToolsDocumentTest, FilePageLoadsAndSaves) {
  const std::string url = "file://" + *files_ + "/local.htm";
  DocumentRef document = Load(url);
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(GetPageUrl(document.get()), url);
  EXPECT_TRUE(SavePageHtml(document.get(), Path("local.htm")));
  EXPECT_EQ(ReadFile(Native("local.htm")), ReadFile(*files_ + "/local.htm"));
}

TEST_F(DevToolsDocumentTest, CommentBeforeHtmlComesFirstInTheSource) {
  DocumentRef document = Load("http://ebook/comment.htm");
  std::vector<ElementMarkup> elements;
  ASSERT_TRUE(document->AllElements(elements));
  ASSERT_GE(elements.size(), 4u);  // comment, html, head, body, p
  EXPECT_EQ(elements[0].tagName, "!");
  EXPECT_EQ(elements[0].outerHtml, "<!-- before -->");
  EXPECT_EQ(elements[1].tagName, "HTML");
  EXPECT_EQ(elements[2].tagName, "HEAD");
  EXPECT_EQ(elements.back().tagName, "P");

  std::string source;
  ASSERT_TRUE(GetPageSource(document.get(), source));
  EXPECT_EQ(source, "<!-- before -->\n<html><head></head><body><p>x</p>\n</body></html>\n");
}

TEST_F(DevToolsDocumentTest, PreviousPageNeverPassesForTheRequestedOne) {
  Load("http://ebook/quick.htm");
  DocumentRef before = GetBrowserDocument(host_.get(), nullptr);
  ASSERT_TRUE(IsPageComplete(before.get()));

  // The server holds the headers back for 1.5 s; the old page is still there, complete.
  NavigatePage(before.get(), "http://ebook/slow.htm");
  EXPECT_FALSE(IsPageComplete(before.get()));
  DocumentRef during = GetBrowserDocument(host_.get(), nullptr);
  ASSERT_NE(during, nullptr);
  EXPECT_FALSE(IsPageComplete(during.get()));
  // Nor does the previous page's content pass for the requested page's.
  std::string source;
  EXPECT_FALSE(GetPageSource(during.get(), source));
  SavePageHtml(during.get(), Path("early.htm"));
  EXPECT_EQ(ReadFile(Native("early.htm")), "");

  DocumentRef after = WaitForComplete();
  ASSERT_TRUE(IsPageComplete(after.get()));
  EXPECT_EQ(GetPageUrl(after.get()), "http://ebook/slow.htm");
  ASSERT_TRUE(GetPageSource(after.get(), source));
  EXPECT_NE(source.find("slow page"), std::string::npos);
}

TEST_F(DevToolsDocumentTest, NeverCompletingPageCanBeLeft) {
  DocumentRef document = GetBrowserDocument(host_.get(), nullptr);
  NavigatePage(document.get(), "http://ebook/hang.htm");
  for (int i = 0; i < 10; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(IsPageComplete(GetBrowserDocument(host_.get(), nullptr).get()));
  }
  document = Load("http://ebook/quick.htm");
  EXPECT_EQ(GetPageUrl(document.get()), "http://ebook/quick.htm");
}

TEST_F(DevToolsDocumentTest, MissingPagesEndTheWait) {
  // HTTP 404: the error page of the server is the page.
  DocumentRef document = Load("http://ebook/missing.htm");
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(GetPageUrl(document.get()), "http://ebook/missing.htm");
  EXPECT_TRUE(SavePageHtml(document.get(), Path("missing.htm")));
  EXPECT_NE(ReadFile(Native("missing.htm")).find("Not found"), std::string::npos);

  // A missing file: the browser shows its own error page, which completes.
  document = Load("file://" + *files_ + "/no-such-file.htm");
  ASSERT_NE(document, nullptr);
  SavePageHtml(document.get(), Path("nofile.htm"));
  EXPECT_TRUE(fs::exists(Native("nofile.htm")));

  // And the next page still loads as usual.
  document = Load("http://ebook/quick.htm");
  EXPECT_EQ(GetPageUrl(document.get()), "http://ebook/quick.htm");
}

TEST_F(DevToolsDocumentTest, LoneSurrogateInPageTextDoesNotLoseTheMessage) {
  DocumentRef document = Load("http://ebook/surrogate.htm");
  std::string text;
  bool hasBody = false;
  ASSERT_TRUE(document->BodyText(text, hasBody));
  EXPECT_TRUE(hasBody);
  EXPECT_EQ(text.substr(0, 3), "a?b");
}

TEST_F(DevToolsDocumentTest, DocumentWithoutBodyWritesNoTextFile) {
  DocumentRef document = Load("http://ebook/picture.svg");
  ASSERT_NE(document, nullptr);
  SavePageText(document.get(), Path("frameset.txt"));
  EXPECT_TRUE(fs::is_directory(scratch_ / kUtf8Words));
  EXPECT_FALSE(fs::exists(Native("frameset.txt")));
}

TEST_F(DevToolsDocumentTest, HostFindsTargetsAndReportsAsDesigned) {
  std::vector<devtools::PageTarget> targets;
  ASSERT_TRUE(DevToolsHost::ListTargets(chromium_->endpoint(), targets));
  ASSERT_EQ(targets.size(), 1u);
  EXPECT_EQ(targets[0].id, chromium_->firstTargetId());
  EXPECT_TRUE(host_->Exists());

  // The only page target replaces a vanished one, as a re-created browser window does.
  DevToolsHost renamed(chromium_->endpoint(), "no-such-target");
  EXPECT_NE(renamed.FindDocument(nullptr), nullptr);
  EXPECT_EQ(renamed.targetId(), chromium_->firstTargetId());

  devtools::Endpoint endpoint;
  ASSERT_TRUE(DevToolsHost::EndpointFromUserDataDir(chromium_->userDataDir(), endpoint));
  EXPECT_EQ(endpoint.port, chromium_->endpoint().port);
}

TEST(DevToolsBrowserGone, OperationsFailAndMessagesFollowTheFlag) {
  std::string activePort;
  std::unique_ptr<DevToolsHost> host;
  DocumentRef document;
  {
    Chromium browser;
    activePort = ReadFile(browser.userDataDir() + "/DevToolsActivePort");
    host = std::make_unique<DevToolsHost>(browser.endpoint(), browser.firstTargetId());
    document = GetBrowserDocument(host.get(), nullptr);
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(IsPageComplete(document.get()));
  }  // the browser is stopped here

  std::string state;
  EXPECT_FALSE(document->ReadyState(state));
  EXPECT_FALSE(document->AllElements(*std::make_unique<std::vector<ElementMarkup>>()));
  NavigatePage(document.get(), "http://ebook/x.htm");  // no effect, no hang

  RecordingSink sink;
  EXPECT_FALSE(CheckBrowserWindow(host.get(), &sink));
  EXPECT_EQ(GetBrowserDocument(host.get(), &sink), nullptr);
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0], ansi::FromUtf8(acquire_text::kWindowGone));
  EXPECT_EQ(sink.messages[1], ansi::FromUtf8(acquire_text::kNotAnswering));
  SetShowBrowserErrors(false);
  EXPECT_EQ(GetBrowserDocument(host.get(), &sink), nullptr);
  EXPECT_EQ(sink.messages.size(), 2u);
  SetShowBrowserErrors(true);

  // The port file the killed browser left behind is not trusted.
  char folder[] = "/tmp/vw-stale-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::ofstream(std::string(folder) + "/DevToolsActivePort") << activePort;
  devtools::Endpoint endpoint;
  EXPECT_FALSE(DevToolsHost::EndpointFromUserDataDir(folder, endpoint));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace vw
