#include "html/reader.h"

#include <cstring>

#include "html/scan.h"
#include "platform/ansi.h"

namespace vw {

void CHtmlReaderEvents::OnBeginDocument(void*, bool&) {}
void CHtmlReaderEvents::OnStartTag(const CHtmlTag*, void*, bool&) {}
void CHtmlReaderEvents::OnEndTag(const CHtmlTag*, void*, bool&) {}
void CHtmlReaderEvents::OnText(const std::string&, void*, bool&) {}
void CHtmlReaderEvents::OnComment(const std::string&, void*, bool&) {}
void CHtmlReaderEvents::OnEndDocument(void*, bool) {}
CHtmlReaderEvents::~CHtmlReaderEvents() = default;

CHtmlReader::CHtmlReader() = default;
CHtmlReader::~CHtmlReader() = default;

std::uint32_t CHtmlReader::Read(const char* source) {
  if (source == nullptr) return 0;
  const std::size_t n = std::strlen(source);
  if (n == 0) return 0;
  text = source;
  length = n > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(n);
  return ParseDocument();
}

void CHtmlReader::OnTextReady(std::string&) {}

// Flushes the pending run and the accumulator as one text event. Returns false when the
// handler asked to stop.
bool CHtmlReader::FlushText(bool& abort) {
  if (runLength_ > 0 || !accumulator_.empty()) {
    accumulator_.append(text + runStart_, runLength_);
    OnTextReady(accumulator_);
    if (!accumulator_.empty() && Wants(EVENT_TEXT)) {
      abort = false;
      handler->OnText(accumulator_, appData, abort);
    }
    accumulator_.clear();
  }
  runStart_ = position;
  runLength_ = 0;
  return !abort;
}

std::uint32_t CHtmlReader::ParseDocument() {
  if (text == nullptr || length == 0) return 0;
  // The text ends at its first zero byte even when length says more.
  const void* zero = std::memchr(text, 0, length);
  const std::uint32_t size = zero ? std::uint32_t(static_cast<const char*>(zero) - text) : length;
  end_ = text + size;

  position = 0;
  accumulator_.clear();
  comment_.clear();
  tagCache_ = TagEndCache();
  dashSearchedFrom_ = dashFound_ = nullptr;
  semicolons_ = SemicolonCache();

  bool abort = false;
  if (Wants(EVENT_DOCUMENT)) handler->OnBeginDocument(appData, abort);
  if (!abort) {
    position = std::uint32_t(scan::SkipSpace(text, end_) - text);
    runStart_ = position;
    runLength_ = 0;
    while (!abort) {
      // Raw text up to the next byte that may begin markup ("<", or "&" while references in
      // text are decoded) joins the pending run without being copied.
      const char* p = text + position;
      const char* stop;
      if (decodeTextEntities) {
        stop = p;
        while (stop < end_ && *stop != '<' && *stop != '&') ++stop;
      } else {
        stop = static_cast<const char*>(std::memchr(p, '<', std::size_t(end_ - p)));
        if (!stop) stop = end_;
      }
      runLength_ += std::uint32_t(stop - p);
      position = std::uint32_t(stop - text);
      if (stop == end_) break;

      if (*stop == '&') {
        const auto decoded = DecodeEntity(stop, end_, semicolons_);
        if (decoded) {
          accumulator_.append(text + runStart_, runLength_);
          accumulator_.push_back(static_cast<char>(decoded->byte));
          position += std::uint32_t(decoded->length);
          runStart_ = position;
          runLength_ = 0;
        } else {
          ++runLength_;
          ++position;
        }
        continue;
      }

      comment_.clear();
      bool opening = false, closing = false;
      if (TryComment(comment_)) {
        // comment_ holds the comment.
      } else if (TryTag(tag_, opening, closing)) {
        comment_.clear();
      } else {
        // Neither a comment nor a tag: the "<" is text.
        ++runLength_;
        ++position;
        continue;
      }
      if (!FlushText(abort)) break;
      if (!comment_.empty()) {
        if (Wants(EVENT_COMMENT)) {
          abort = false;
          handler->OnComment(comment_, appData, abort);
        }
        continue;
      }
      if (opening && Wants(EVENT_START_TAG)) {
        abort = false;
        handler->OnStartTag(&tag_, appData, abort);
        if (abort) break;
      }
      if (closing && Wants(EVENT_END_TAG)) {
        abort = false;
        handler->OnEndTag(&tag_, appData, abort);
      }
    }
    if (!abort && (runLength_ > 0 || !accumulator_.empty())) {
      // The last run of the document is reported without its trailing white space.
      accumulator_.append(text + runStart_, runLength_);
      OnTextReady(accumulator_);
      const char* b = accumulator_.data();
      const char* e = b + accumulator_.size();
      std::size_t keep = 0;
      for (const char* q = b; q < e;) {
        const char* next = ansi::Next(q, e);
        if (next - q != 1 || !scan::IsSpace(*q)) keep = std::size_t(next - b);
        q = next;
      }
      accumulator_.resize(keep);
      if (!accumulator_.empty() && Wants(EVENT_TEXT)) {
        abort = false;
        handler->OnText(accumulator_, appData, abort);
      }
    }
  }
  accumulator_.clear();
  runLength_ = 0;
  if (Wants(EVENT_DOCUMENT)) handler->OnEndDocument(appData, abort);
  text = nullptr;
  length = 0;
  end_ = nullptr;
  return position;
}

bool CHtmlReader::TryComment(std::string& comment) {
  if (text == nullptr) return false;
  const char* end = end_ ? end_ : text + length;
  const char* lt = text + position;
  if (end - lt < 4 || std::memcmp(lt, "<!--", 4) != 0) return false;
  const char* from = lt + 4;
  // The search for "--" is shared by the comment openers of one scan: a remembered search
  // that began at or before from is reused while its hit still lies ahead (from follows a
  // "-", a single-byte character, so stepping from the earlier start passes through from).
  // Searching afresh for each opener would cost the rest of the page every time when no
  // "--" follows.
  const bool reusable = dashSearchedFrom_ && dashSearchedFrom_ <= from &&
                        (!dashFound_ || dashFound_ >= from);
  if (!reusable) {
    dashSearchedFrom_ = from;
    dashFound_ = scan::FindPair(from, end, '-', '-');
  }
  if (!dashFound_) return false;
  const char* afterDashes = dashFound_ + 2;
  if (afterDashes >= end) return false;
  const char* gt = scan::SkipSpace(afterDashes, end);
  if (gt >= end || *gt != '>') return false;
  scan::Assign(comment, lt, std::size_t(gt + 1 - lt));
  position = std::uint32_t(gt + 1 - text);
  return true;
}

bool CHtmlReader::TryTag(CHtmlTag& tag, bool& opening, bool& closing) {
  if (text == nullptr) return false;
  const char* end = end_ ? end_ : text + length;
  const std::size_t n = tag.Parse(text + position, end, opening, closing, true, &tagCache_);
  if (n == 0) return false;
  position += std::uint32_t(n);
  return true;
}

}  // namespace vw
