#include "html/tag.h"

#include "html/attribute_value.h"
#include "html/scan.h"
#include "platform/ansi.h"

namespace vw {
namespace {

bool IsLetter(char c) { return ansi::IsAlpha(static_cast<unsigned char>(c)); }

const char* SkipName(const char* p, const char* end) {
  while (p < end && scan::IsNameChar(*p)) ++p;
  return p;
}

// The end of an unquoted value that starts at q: its first character is always part of it,
// then it runs to the first white space, ">" or the end of the text.
const char* UnquotedValueEnd(const char* q, const char* end) {
  const char* p = ansi::Next(q, end);
  while (p < end && *p != '>' && !scan::IsSpace(*p)) p = ansi::Next(p, end);
  return p;
}

// The first "/>" (or, when there is none, the first ">") at or after from, through a search
// shared by the tags of one scan. A remembered search that began at or before from is reused
// while its hit still lies ahead: from always follows a single-byte character (the tag name
// or white space), so stepping from the earlier start passes through from as well. Without
// this, every tag whose attributes cannot be read would search the rest of the page again.
const char* FindTagEnd(const char* from, const char* end, TagEndCache& cache) {
  const bool slashReusable = cache.slashSearchedFrom && cache.slashSearchedFrom <= from &&
                             (!cache.slashFound || cache.slashFound >= from);
  if (!slashReusable) {
    cache.slashSearchedFrom = from;
    cache.slashFound = scan::FindPair(from, end, '/', '>');
  }
  if (cache.slashFound) return cache.slashFound;
  const bool closeReusable = cache.closeSearchedFrom && cache.closeSearchedFrom <= from &&
                             (!cache.closeFound || cache.closeFound >= from);
  if (!closeReusable) {
    cache.closeSearchedFrom = from;
    cache.closeFound = scan::FindChar(from, end, '>');
  }
  return cache.closeFound;
}

}  // namespace

std::size_t CHtmlAttribute::Parse(const char* p, const char* end) {
  const char* s = scan::SkipSpace(p, end);
  if (s >= end || !IsLetter(*s)) return 0;
  const char* nameEnd = SkipName(s, end);
  if (nameEnd < end) {
    const char c = *nameEnd;
    if (!scan::IsSpace(c) && c != '=' && c != '>' && c != '/') return 0;
  }
  scan::Assign(name, s, std::size_t(nameEnd - s));
  quote = 0;
  const char* afterName = scan::SkipSpace(nameEnd, end);
  if (afterName >= end || *afterName != '=') {
    value.clear();
    return std::size_t(afterName - p);
  }
  const char* q = scan::SkipSpace(afterName + 1, end);
  if (q >= end) {
    value.clear();
    return std::size_t(end - p);
  }
  const char* valueBegin;
  const char* valueEnd;
  const char* consumedEnd;
  if (*q == '"' || *q == '\'') {
    quote = *q;
    valueBegin = q + 1;
    const char* close = scan::FindChar(valueBegin, end, quote);
    valueEnd = close ? close : end;
    consumedEnd = close ? close + 1 : end;
  } else {
    valueBegin = q;
    valueEnd = UnquotedValueEnd(q, end);
    consumedEnd = valueEnd;
  }
  TreatAttributeValue(valueBegin, valueEnd, value);
  return std::size_t(consumedEnd - p);
}

CHtmlAttributes::~CHtmlAttributes() = default;

int CHtmlAttributes::GetCount() const { return static_cast<int>(count_); }

int CHtmlAttributes::IndexOf(std::string_view name) const {
  for (std::size_t i = 0; i < count_; ++i) {
    const std::string& candidate = items_[i].name;
    if (candidate.size() != name.size()) continue;
    std::size_t k = 0;
    while (k < name.size() && ansi::ToLower(candidate[k]) == ansi::ToLower(name[k])) ++k;
    if (k == name.size()) return static_cast<int>(i);
  }
  return -1;
}

std::string CHtmlAttributes::GetValue(int index) const {
  if (index < 0 || std::size_t(index) >= count_) return std::string();
  return items_[std::size_t(index)].value;
}

const CHtmlAttribute& CHtmlAttributes::Get(int index) const { return items_[std::size_t(index)]; }

void CHtmlAttributes::Add(const CHtmlAttribute& attribute) {
  if (count_ < items_.size()) {
    items_[count_] = attribute;
  } else {
    items_.push_back(attribute);
  }
  ++count_;
}

void CHtmlAttributes::Clear() { count_ = 0; }

CHtmlTag::~CHtmlTag() = default;

// Keeps a list that is no longer the tag's for its storage: at most two are kept (one to
// build the next list in, one more for when the current list is given up too).
void CHtmlTag::Recycle(std::unique_ptr<CHtmlAttributes> list) {
  if (!list) return;
  if (!spare_) {
    spare_ = std::move(list);
  } else if (!reserve_) {
    reserve_ = std::move(list);
  }
}

std::size_t CHtmlTag::Parse(const char* p, const char* end, bool& opening, bool& closing,
                            bool readAttributes, TagEndCache* cache) {
  const char* lt = scan::SkipSpace(p, end);
  if (lt >= end || *lt != '<') return 0;
  const char* c = lt + 1;
  if (c >= end) return 0;
  if (*c == '>') {
    // The empty tag "<>": only the "<" is consumed; the ">" stays text.
    name.clear();
    Recycle(std::move(attributes));
    opening = closing = false;
    return std::size_t(c - p);
  }
  bool isClosing;
  const char* nameBegin;
  if (IsLetter(*c)) {
    isClosing = false;
    nameBegin = c;
  } else if (*c == '/') {
    isClosing = true;
    nameBegin = c + 1;
  } else {
    return 0;
  }
  const char* nameEnd = SkipName(nameBegin, end);
  if (nameEnd < end) {
    const char after = *nameEnd;
    if (!scan::IsSpace(after) && after != '>' && !(after == '/' && !isClosing)) return 0;
  }
  const char* a = scan::SkipSpace(nameEnd, end);
  if (isClosing) {
    if (a >= end || *a != '>') return 0;
    scan::Assign(name, nameBegin, std::size_t(nameEnd - nameBegin));
    Recycle(std::move(attributes));
    opening = false;
    closing = true;
    return std::size_t(a + 1 - p);
  }
  bool endsClosed = false;
  const char* gt = nullptr;
  std::size_t count = 0;
  if (a < end && *a == '>') {
    gt = a;
  } else {
    // Attributes are read into a spare list, so that a tag that fails leaves this object as
    // it was, and the storage of earlier lists (records and their strings) is reused.
    if (readAttributes) {
      if (!spare_) spare_ = std::move(reserve_);
      if (!spare_) spare_ = std::make_unique<CHtmlAttributes>();
      CHtmlAttributes& list = *spare_;
      list.count_ = 0;
      const std::size_t rest = std::size_t(end - a);
      std::size_t consumed = 0;
      while (consumed < rest) {
        if (list.count_ == list.items_.size()) list.items_.emplace_back();
        const std::size_t n = list.items_[list.count_].Parse(a + consumed, end);
        if (n == 0) break;
        ++list.count_;
        consumed += n;
      }
      count = list.count_;
      if (count > 0) {
        const char* t = scan::SkipSpace(a + consumed, end);
        if (t >= end) return 0;
        if (*t == '/') {
          endsClosed = true;
          ++t;
        }
        if (t >= end || *t != '>') return 0;
        gt = t;
      }
    }
    if (count == 0) {
      // No attribute could be read: the tag runs, unread, to the next "/>" or, without one,
      // to the next ">", wherever that is.
      TagEndCache local;
      const char* hit = FindTagEnd(a, end, cache ? *cache : local);
      if (!hit) return 0;
      if (*hit == '/') {
        endsClosed = true;
        ++hit;
      }
      gt = hit;
    }
  }
  scan::Assign(name, nameBegin, std::size_t(nameEnd - nameBegin));
  if (count > 0) {
    std::unique_ptr<CHtmlAttributes> built = std::move(spare_);
    Recycle(std::move(attributes));
    attributes = std::move(built);
  } else {
    Recycle(std::move(attributes));
  }
  opening = true;
  closing = endsClosed;
  return std::size_t(gt + 1 - p);
}

}  // namespace vw
