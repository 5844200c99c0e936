// Fuzzes the HTML reader: any page source, any event mask, with and without decoding of
// references in text, and a handler that stops the scan at an event chosen by the input.
//
// Input: byte 0 = event mask (low five bits), byte 1 = bit 0 decodeTextEntities, bit 1 no
// handler at all; bytes 2-3 = index of the event at which the handler aborts (0xFFFF: never);
// the rest is the page source, handed over zero-terminated in a buffer of exactly its size.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "html/reader.h"
#include "html/scan.h"

namespace {

enum class Kind { kBegin, kStart, kEnd, kText, kComment, kEndDocument };

struct Event {
  Kind kind;
  std::string data;  // tag name, text or comment
  bool aborted = false;
  bool operator==(const Event& o) const {
    return kind == o.kind && data == o.data && aborted == o.aborted;
  }
};

bool Contains(const char* text, std::size_t n, const std::string& part) {
  if (part.empty()) return true;
  return std::search(text, text + n, part.begin(), part.end()) != text + n;
}

// Records the events and checks what can be checked while the reader is in the middle of
// its scan.
class Recorder : public vw::CHtmlReaderEvents {
 public:
  Recorder(const vw::CHtmlReader& reader, const char* doc, std::size_t size, bool decoding,
           std::uint32_t abortAt)
      : reader_(reader), doc_(doc), size_(size), decoding_(decoding), abortAt_(abortAt) {}

  std::vector<Event> events;
  bool abortRequested = false;

  void OnBeginDocument(void* appData, bool& abort) override {
    FUZZ_CHECK(events.empty());
    Record(Kind::kBegin, std::string(), appData, abort);
  }
  void OnStartTag(const vw::CHtmlTag* tag, void* appData, bool& abort) override {
    FUZZ_CHECK(tag != nullptr);
    // An opening tag's name begins with a letter and is made of name characters.
    FUZZ_CHECK(!tag->name.empty() && ansi::IsAlpha(static_cast<unsigned char>(tag->name[0])));
    CheckTag(*tag);
    Record(Kind::kStart, tag->name, appData, abort);
  }
  void OnEndTag(const vw::CHtmlTag* tag, void* appData, bool& abort) override {
    FUZZ_CHECK(tag != nullptr);
    CheckTag(*tag);
    // An end tag follows either "</" (no attributes) or its own opening "/>" tag.
    if (tag->attributes && (reader_.eventMask & vw::CHtmlReader::EVENT_START_TAG) != 0) {
      FUZZ_CHECK(!events.empty() && events.back().kind == Kind::kStart &&
                 events.back().data == tag->name);
    }
    Record(Kind::kEnd, tag->name, appData, abort);
  }
  void OnText(const std::string& text, void* appData, bool& abort) override {
    FUZZ_CHECK(!text.empty());
    // Without decoding, every text run is a stretch of the source as it stands.
    if (!decoding_) FUZZ_CHECK(Contains(doc_, size_, text));
    Record(Kind::kText, text, appData, abort);
  }
  void OnComment(const std::string& comment, void* appData, bool& abort) override {
    FUZZ_CHECK(comment.size() >= 7);  // "<!--", "--", ">"
    FUZZ_CHECK(comment.compare(0, 4, "<!--") == 0 && comment.back() == '>');
    FUZZ_CHECK(Contains(doc_, size_, comment));
    Record(Kind::kComment, comment, appData, abort);
  }
  void OnEndDocument(void* appData, bool aborted) override {
    FUZZ_CHECK(appData == &marker);
    FUZZ_CHECK(!ended_);
    ended_ = true;
    // The flag tells exactly whether a handler call asked to stop.
    FUZZ_CHECK(aborted == abortRequested);
    Event e{Kind::kEndDocument, std::string(), aborted};
    events.push_back(e);
  }

  int marker = 0;  // the reader's appData points here

 private:
  void CheckTag(const vw::CHtmlTag& tag) {
    for (char c : tag.name) FUZZ_CHECK(vw::scan::IsNameChar(c));
    FUZZ_CHECK(Contains(doc_, size_, tag.name));
    if (!tag.attributes) return;
    FUZZ_CHECK(tag.attributes->GetCount() > 0);
    for (int i = 0; i < tag.attributes->GetCount(); ++i) {
      const vw::CHtmlAttribute& a = tag.attributes->Get(i);
      FUZZ_CHECK(!a.name.empty() && ansi::IsAlpha(static_cast<unsigned char>(a.name[0])));
      FUZZ_CHECK(Contains(doc_, size_, a.name));
      FUZZ_CHECK(a.quote == 0 || a.quote == '"' || a.quote == '\'');
      FUZZ_CHECK(tag.attributes->IndexOf(a.name) <= i);
    }
    FUZZ_CHECK(tag.attributes->GetValue(-1).empty());
    FUZZ_CHECK(tag.attributes->GetValue(tag.attributes->GetCount()).empty());
  }

  void Record(Kind kind, std::string data, void* appData, bool& abort) {
    FUZZ_CHECK(appData == &marker);
    FUZZ_CHECK(!ended_);
    // Nothing but OnEndDocument follows an abort.
    FUZZ_CHECK(!abortRequested);
    FUZZ_CHECK(!abort);  // the reader clears the flag before each call
    FUZZ_CHECK(reader_.text == doc_ && reader_.length == size_);
    FUZZ_CHECK(reader_.position <= reader_.length);
    Event e{kind, std::move(data)};
    events.push_back(std::move(e));
    if (events.size() - 1 == abortAt_) {
      abort = true;
      abortRequested = true;
    }
  }

  const vw::CHtmlReader& reader_;
  const char* doc_;
  std::size_t size_;
  bool decoding_;
  std::uint32_t abortAt_;
  bool ended_ = false;
};

std::vector<Event> Scan(vw::CHtmlReader& reader, const char* doc, std::size_t size,
                        std::uint32_t mask, bool decoding, bool withHandler,
                        std::uint32_t abortAt) {
  Recorder recorder(reader, doc, size, decoding, abortAt);
  reader.eventMask = mask;
  reader.decodeTextEntities = decoding;
  reader.handler = withHandler ? &recorder : nullptr;
  reader.appData = &recorder.marker;
  const std::uint32_t stopped = reader.Read(doc);
  FUZZ_CHECK(stopped <= size);
  FUZZ_CHECK(reader.text == nullptr && reader.length == 0);

  const std::vector<Event>& ev = recorder.events;
  if (!withHandler || size == 0) {
    FUZZ_CHECK(ev.empty());
    return ev;
  }
  const bool docEvents = (mask & vw::CHtmlReader::EVENT_DOCUMENT) != 0;
  if (docEvents) {
    // Begin first, end last, each once.
    FUZZ_CHECK(ev.size() >= 2 && ev.front().kind == Kind::kBegin &&
               ev.back().kind == Kind::kEndDocument);
  }
  for (std::size_t i = 0; i < ev.size(); ++i) {
    const Kind k = ev[i].kind;
    const bool allowed =
        (k == Kind::kBegin || k == Kind::kEndDocument) ? docEvents
        : k == Kind::kStart   ? (mask & vw::CHtmlReader::EVENT_START_TAG) != 0
        : k == Kind::kEnd     ? (mask & vw::CHtmlReader::EVENT_END_TAG) != 0
        : k == Kind::kText    ? (mask & vw::CHtmlReader::EVENT_TEXT) != 0
                              : (mask & vw::CHtmlReader::EVENT_COMMENT) != 0;
    FUZZ_CHECK(allowed);
    if (k == Kind::kBegin) FUZZ_CHECK(i == 0);
    if (k == Kind::kEndDocument) FUZZ_CHECK(i + 1 == ev.size());
  }
  // Without an abort the scan reaches the end of the text; and the last text run, when it
  // is the last event before the end, has no trailing white space.
  if (!recorder.abortRequested) {
    FUZZ_CHECK(stopped == size);
    std::size_t last = ev.size();
    if (docEvents) --last;
    if (last > 0 && ev[last - 1].kind == Kind::kText && mask == 31) {
      // With every event raised, a text run that is the last event is the document's last
      // run (markup always raises an event, and the ">" of "<>" stays text after it).
      const std::string& t = ev[last - 1].data;
      const std::size_t len = t.size();
      FUZZ_CHECK(!vw::scan::IsSpace(t.back()) ||
                 (len >= 2 && ansi::IsLeadByte(static_cast<unsigned char>(t[len - 2]))));
    }
  }
  return ev;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::uint32_t mask = data[0] & 31u;
  const bool decoding = (data[1] & 1) != 0;
  const bool withHandler = (data[1] & 2) == 0;
  const std::uint32_t abortAt = std::uint32_t(data[2]) | (std::uint32_t(data[3]) << 8);
  data += 4;
  size -= 4;

  // The document in a heap block of exactly its size plus the zero, so that any read past
  // the zero is caught.
  std::unique_ptr<char[]> doc = fuzz::ExactCopy(data, size, true);
  const std::size_t length = std::strlen(doc.get());

  vw::CHtmlReader reader;
  const std::vector<Event> first =
      Scan(reader, doc.get(), length, mask, decoding, withHandler, abortAt);
  // A reader reads its next document afresh: the same document gives the same events.
  const std::vector<Event> second =
      Scan(reader, doc.get(), length, mask, decoding, withHandler, abortAt);
  FUZZ_CHECK(first == second);
  // The event mask only filters: with all events, the filtered ones are a superset, in
  // the same order, when nothing aborts.
  if (withHandler && abortAt == 0xFFFF && mask != 31) {
    const std::vector<Event> all = Scan(reader, doc.get(), length, 31, decoding, true, abortAt);
    std::size_t j = 0;
    for (const Event& e : all) {
      if (j < first.size() && e == first[j]) ++j;
    }
    FUZZ_CHECK(j == first.size());
  }
  return 0;
}
