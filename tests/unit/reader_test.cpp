#include "html/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every event as a line: "begin", "start:p[href=x.htm]", "end:p", "text:Hello",
// "comment:<!-- c -->", "done" or "done:aborted". Can ask to stop at a chosen event.
class Recorder : public vw::CHtmlReaderEvents {
 public:
  std::vector<std::string> events;
  std::string abortOn;  // abort after recording the event that equals this line

  void OnBeginDocument(void*, bool& abort) override { Record("begin", abort); }
  void OnStartTag(const vw::CHtmlTag* tag, void*, bool& abort) override {
    std::string line = "start:" + tag->name;
    if (tag->attributes) {
      for (int i = 0; i < tag->attributes->GetCount(); ++i) {
        const auto& a = tag->attributes->Get(i);
        line += "[" + a.name + "=" + a.value + "]";
      }
    }
    Record(line, abort);
  }
  void OnEndTag(const vw::CHtmlTag* tag, void*, bool& abort) override {
    Record("end:" + tag->name, abort);
  }
  void OnText(const std::string& text, void*, bool& abort) override {
    Record("text:" + text, abort);
  }
  void OnComment(const std::string& comment, void*, bool& abort) override {
    Record("comment:" + comment, abort);
  }
  void OnEndDocument(void*, bool aborted) override {
    events.push_back(aborted ? "done:aborted" : "done");
  }

 private:
  void Record(const std::string& line, bool& abort) {
    EXPECT_FALSE(abort) << "abort must be false on entry";
    events.push_back(line);
    if (line == abortOn) abort = true;
  }
};

using Events = std::vector<std::string>;

Events Scan(const std::string& text, bool decode = false, std::uint32_t mask = 31,
            const std::string& abortOn = "") {
  Recorder recorder;
  recorder.abortOn = abortOn;
  vw::CHtmlReader reader;
  reader.handler = &recorder;
  reader.decodeTextEntities = decode;
  reader.eventMask = mask;
  reader.Read(text.c_str());
  EXPECT_EQ(reader.text, nullptr);
  EXPECT_EQ(reader.length, 0u);
  return recorder.events;
}

TEST(HtmlReader, ReportsEventsInDocumentOrder) {
  struct Case { const char* text; Events events; } cases[] = {
      {"", {}},
      {" \r\n\t ", {"begin", "done"}},
      {"<p>Hello</p>", {"begin", "start:p", "text:Hello", "end:p", "done"}},
      {"  word<b>", {"begin", "text:word", "start:b", "done"}},
      {"<P>", {"begin", "start:P", "done"}},
      {"<br/>", {"begin", "start:br", "end:br", "done"}},
      {"<br />", {"begin", "start:br", "end:br", "done"}},
      {"</>", {"begin", "end:", "done"}},
      {"a</ p>", {"begin", "text:a</ p>", "done"}},
      {"a</p x>", {"begin", "text:a</p x>", "done"}},
      {"a< b", {"begin", "text:a< b", "done"}},
      {"a<>b", {"begin", "text:a", "text:>b", "done"}},
      {"one <!-- c --> two  \n",
       {"begin", "text:one ", "comment:<!-- c -->", "text: two", "done"}},
      {"<!---->", {"begin", "comment:<!---->", "done"}},
      {"<!-- a -- >", {"begin", "comment:<!-- a -- >", "done"}},
      {"x<!-- a -- b -->y", {"begin", "text:x<!-- a -- b -->y", "done"}},
      {"x<!--->y", {"begin", "text:x<!--->y", "done"}},
      {"<!-- a", {"begin", "text:<!-- a", "done"}},
      {"<a>\n<b>", {"begin", "start:a", "text:\n", "start:b", "done"}},
      {"text<span", {"begin", "text:text<span", "done"}},
      {"<a href=x.htm title='a &amp; b'>",
       {"begin", "start:a[href=x.htm][title=a & b]", "done"}},
      {"<td 100 width=5>a<br/>b",
       {"begin", "start:td", "end:td", "text:b", "done"}},
      {"<td 100 width=5>a<br>b", {"begin", "start:td", "text:a", "start:br", "text:b", "done"}},
      {"a&amp;b", {"begin", "text:a&amp;b", "done"}},
      {"\xD6\xD0<p>\xCE\xC4", {"begin", "text:\xD6\xD0", "start:p", "text:\xCE\xC4", "done"}},
      {"a \xD6", {"begin", "text:a \xD6", "done"}},  // a lead byte as the very last byte
      {"a\xD6 ", {"begin", "text:a\xD6 ", "done"}},  // its space is its trail: not trimmed
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text), c.events) << c.text;
}

TEST(HtmlReader, DecodesReferencesInTextOnlyWhenAsked) {
  struct Case { const char* text; Events events; } cases[] = {
      {"a&amp;b", {"begin", "text:a&b", "done"}},
      {"&lt;p&gt;<i>", {"begin", "text:<p>", "start:i", "done"}},
      {"a&foo;b & c&#66;", {"begin", "text:a&foo;b & cB", "done"}},
      {"&amp;amp;", {"begin", "text:&amp;", "done"}},
      {"a&#32;", {"begin", "text:a", "done"}},  // the last run is trimmed after decoding
      {"x & y & z", {"begin", "text:x & y & z", "done"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text, true), c.events) << c.text;
}

TEST(HtmlReader, AbortStopsEverythingButTheEndOfDocument) {
  struct Case { const char* text; const char* abortOn; Events events; } cases[] = {
      {"before<a>after<b>", "start:a", {"begin", "text:before", "start:a", "done:aborted"}},
      {"<br/>x", "start:br", {"begin", "start:br", "done:aborted"}},
      {"<p>x", "begin", {"begin", "done:aborted"}},
      {"<p>last", "text:last", {"begin", "start:p", "text:last", "done:aborted"}},
      {"a<!--c-->b", "comment:<!--c-->", {"begin", "text:a", "comment:<!--c-->", "done:aborted"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text, false, 31, c.abortOn), c.events) << c.text;
}

TEST(HtmlReader, EventMaskFiltersEventsButNotTheScan) {
  const std::string page = "<html><!--c--><a href=x>t</a><br/>end";
  EXPECT_EQ(Scan(page, false, vw::CHtmlReader::EVENT_START_TAG),
            (Events{"start:html", "start:a[href=x]", "start:br"}));
  EXPECT_EQ(Scan(page, false, vw::CHtmlReader::EVENT_END_TAG | vw::CHtmlReader::EVENT_COMMENT),
            (Events{"comment:<!--c-->", "end:a", "end:br"}));
  EXPECT_EQ(Scan(page, false, vw::CHtmlReader::EVENT_TEXT), (Events{"text:t", "text:end"}));

  vw::CHtmlReader silent;  // no handler at all
  EXPECT_EQ(silent.Read(page.c_str()), page.size());
}

TEST(HtmlReader, ReturnsThePositionWhereTheScanStopped) {
  vw::CHtmlReader reader;
  EXPECT_EQ(reader.Read(""), 0u);
  EXPECT_EQ(reader.Read("<p>abc  "), 8u);
  Recorder recorder;
  recorder.abortOn = "start:a";
  reader.handler = &recorder;
  EXPECT_EQ(reader.Read("xy<a>rest"), 5u);
}

TEST(HtmlReader, NeverReadsPastLengthOrTheFirstZero) {
  // The text lies at the very end of its buffer; a read past it would be caught by the
  // sanitizer build. Each prefix of a page that ends inside some construct is scanned.
  const std::string page = "<a href=\"x&amp;y\" b='c'><!-- d --><br/>&#65;\xD6\xD0 <e f=g";
  for (std::size_t n = 1; n <= page.size(); ++n) {
    std::vector<char> buffer(page.begin(), page.begin() + n);
    vw::CHtmlReader reader;
    Recorder recorder;
    reader.handler = &recorder;
    reader.decodeTextEntities = true;
    reader.text = buffer.data();
    reader.length = std::uint32_t(n);
    EXPECT_LE(reader.ParseDocument(), n);
  }
  // A zero byte ends the text even when length says more.
  const char withZero[] = "<p>a\0<b>";
  Recorder recorder;
  vw::CHtmlReader reader;
  reader.handler = &recorder;
  reader.text = withZero;
  reader.length = sizeof withZero - 1;
  reader.ParseDocument();
  EXPECT_EQ(recorder.events, (Events{"begin", "start:p", "text:a", "done"}));
}

// A derived reader can rewrite text before handlers see it.
class UpperCaseReader : public vw::CHtmlReader {
 public:
  void OnTextReady(std::string& text) override {
    for (char& c : text) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
  }
};

TEST(HtmlReader, OnTextReadyRewritesTextBeforeItIsReported) {
  UpperCaseReader reader;
  Recorder recorder;
  reader.handler = &recorder;
  reader.Read("ab<p>cd");
  EXPECT_EQ(recorder.events, (Events{"begin", "text:AB", "start:p", "text:CD", "done"}));
}

// A page built to defeat forward searches: tags whose attributes cannot be read with no
// "/>" anywhere, comment openers with no "--", "&"s with no ";". The results must be those of
// the rules; the scan must finish (speed is measured in the benchmark, not here).
TEST(HtmlReader, HostilePageGivesTheRuleResults) {
  std::string page;
  const int n = 2000;
  for (int i = 0; i < n; ++i) page += "<td 1 x>&a";
  for (int i = 0; i < n; ++i) page += "<!-- ";
  for (int i = 0; i < n; ++i) page += "<p title='&&#1 &'>";
  page += "end";

  struct Counter : vw::CHtmlReaderEvents {
    int starts = 0, texts = 0, comments = 0, ends = 0;
    std::string lastTitle, lastText;
    void OnStartTag(const vw::CHtmlTag* tag, void*, bool&) override {
      ++starts;
      if (tag->attributes) lastTitle = tag->attributes->GetValue(0);
    }
    void OnEndTag(const vw::CHtmlTag*, void*, bool&) override { ++ends; }
    void OnText(const std::string& text, void*, bool&) override {
      ++texts;
      lastText = text;
    }
    void OnComment(const std::string&, void*, bool&) override { ++comments; }
  } counter;
  vw::CHtmlReader reader;
  reader.handler = &counter;
  reader.decodeTextEntities = true;
  EXPECT_EQ(reader.Read(page.c_str()), page.size());
  // Each td is a tag ending at its ">"; the "&a" runs are text; the comment openers are text
  // that ends at the first p tag; each p tag carries its undecoded title.
  EXPECT_EQ(counter.starts, 2 * n);
  EXPECT_EQ(counter.ends, 0);
  EXPECT_EQ(counter.comments, 0);
  EXPECT_EQ(counter.texts, n + 1);
  EXPECT_EQ(counter.lastTitle, "&&#1 &");
  EXPECT_EQ(counter.lastText, "end");
}

}  // namespace
