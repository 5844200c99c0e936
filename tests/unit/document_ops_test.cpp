#include "acquire/document_ops.h"

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ansi_convert.h"
#include "scripted_document.h"

namespace vw {
namespace {

using testing::ScriptedDocument;

TEST(IsPageComplete, CompleteInAnyCaseOnly) {
  struct Case { std::vector<std::string> states; bool complete; } cases[] = {
      {{"complete"}, true},  {{"COMPLETE"}, true},   {{"CoMpLeTe"}, true},
      {{"loading"}, false},  {{"interactive"}, false}, {{"uninitialized"}, false},
      {{""}, false},         {{"complete "}, false}, {{}, false},  // failed read
  };
  for (const auto& c : cases) {
    ScriptedDocument doc;
    doc.readyStates = c.states;
    EXPECT_EQ(IsPageComplete(&doc), c.complete) << (c.states.empty() ? "<fail>" : c.states[0]);
  }
  EXPECT_FALSE(IsPageComplete(nullptr));
}

TEST(GetPageSource, StopsAfterTheHtmlElementKeepingCommentsAhead) {
  ScriptedDocument doc;
  doc.elements = {{"!", "<!-- c1 -->"},
                  {"!", ""},  // empty markup adds nothing, not even a LF
                  {"html", "<html><body><p>x</p></body></html>"},
                  {"BODY", "<body><p>x</p></body>"},
                  {"P", "<p>x</p>"}};
  std::string out = "old content";
  EXPECT_TRUE(GetPageSource(&doc, out));
  EXPECT_EQ(out, "<!-- c1 -->\n<html><body><p>x</p></body></html>\n");
}

TEST(GetPageSource, WithoutHtmlElementEveryElementIsAppended) {
  ScriptedDocument doc;
  doc.elements = {{"BODY", "<body><p>x</p></body>"}, {"P", "<p>x</p>"}, {"HTMLX", "<htmlx/>"}};
  std::string out;
  EXPECT_TRUE(GetPageSource(&doc, out));
  EXPECT_EQ(out, "<body><p>x</p></body>\n<p>x</p>\n<htmlx/>\n");
}

TEST(GetPageSource, NothingAppendedGivesFalseAndEmptyOutput) {
  ScriptedDocument doc;
  std::string out = "old";
  doc.elements = {{"HTML", ""}};
  EXPECT_FALSE(GetPageSource(&doc, out));
  EXPECT_EQ(out, "");
  doc.elementsReadable = false;
  out = "old";
  EXPECT_FALSE(GetPageSource(&doc, out));
  EXPECT_EQ(out, "");
  EXPECT_FALSE(GetPageSource(nullptr, out));
}

TEST(NavigatePageAndUrl, PassThroughAndNullDoesNothing) {
  ScriptedDocument doc;
  NavigatePage(&doc, "http://ebook/\xD6\xD0.htm");
  ASSERT_EQ(doc.navigatedTo.size(), 1u);
  EXPECT_EQ(doc.navigatedTo[0], "http://ebook/\xD6\xD0.htm");
  NavigatePage(nullptr, "http://ebook/x.htm");  // must not crash

  EXPECT_EQ(GetPageUrl(&doc), "http://ebook/index.htm");
  doc.urlReadable = false;
  EXPECT_EQ(GetPageUrl(&doc), "");
  EXPECT_EQ(GetPageUrl(nullptr), "");
}

// A host that records which sink it was given.
class RecordingHost : public BrowserHost {
 public:
  DocumentRef FindDocument(MessageSink* sink) override {
    sinks.push_back(sink);
    if (sink != nullptr) sink->ShowMessage("host failure");
    return document;
  }
  bool Exists() override { return exists; }

  DocumentRef document;
  bool exists = true;
  std::vector<MessageSink*> sinks;
};

class RecordingSink : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

// Restores the process-wide flag whatever the test does.
class ShowErrorsTest : public ::testing::Test {
 protected:
  void TearDown() override { SetShowBrowserErrors(true); }
};

TEST_F(ShowErrorsTest, GetBrowserDocumentGatesMessagesByTheFlag) {
  EXPECT_TRUE(GetShowBrowserErrors()) << "initially on";
  RecordingSink sink;
  EXPECT_EQ(GetBrowserDocument(nullptr, &sink), nullptr);
  EXPECT_TRUE(sink.messages.empty()) << "a null host is silent";

  RecordingHost host;
  host.document = std::make_shared<ScriptedDocument>();
  EXPECT_EQ(GetBrowserDocument(&host, &sink), host.document);
  EXPECT_EQ(sink.messages.size(), 1u);

  SetShowBrowserErrors(false);
  EXPECT_EQ(GetBrowserDocument(&host, &sink), host.document);
  EXPECT_EQ(sink.messages.size(), 1u) << "no messages while the flag is off";
  EXPECT_EQ(host.sinks.back(), nullptr);
}

TEST_F(ShowErrorsTest, CheckBrowserWindowReportsGoneEvenWhenMessagesAreOff) {
  SetShowBrowserErrors(false);
  RecordingSink sink;
  RecordingHost host;
  EXPECT_TRUE(CheckBrowserWindow(&host, &sink));
  EXPECT_TRUE(sink.messages.empty());
  host.exists = false;
  EXPECT_FALSE(CheckBrowserWindow(&host, &sink));
  EXPECT_FALSE(CheckBrowserWindow(nullptr, &sink));
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0],
            ansi::FromUtf8("抱歉，此网页浏览窗口已经不存在，请重新选择一个。"));
}

}  // namespace
}  // namespace vw
