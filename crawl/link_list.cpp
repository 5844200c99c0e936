#include "crawl/link_list.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "platform/ansi.h"
#include "platform/url.h"

namespace vw {
namespace {

// The text that the lists compare: up to its first zero byte, as with zero-terminated texts.
std::string_view Text(const std::string& url) { return std::string_view(url.c_str()); }

// FNV-1a over the case-folded text, so that texts equal under ansi::EqualNoCase hash alike.
std::size_t NoCaseHash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (ansi::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < text.size()) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 1099511628211ull;
      c = text[++i];  // a trail byte is never folded
    } else {
      c = ansi::ToLower(c);
    }
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return static_cast<std::size_t>(hash ^ (hash >> 29));
}

bool NoCaseEqual(std::string_view a, std::string_view b) { return ansi::EqualNoCase(a, b); }

}  // namespace

LinkItem* CLinkNode::Lookup(std::string_view text, std::size_t hash) const {
  if (slots_.empty()) return nullptr;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const IndexSlot& slot = slots_[i];
    if (slot.item == nullptr) return nullptr;
    if (slot.hash == hash && NoCaseEqual(Text(slot.item->url), text)) return slot.item;
  }
}

void CLinkNode::Index(LinkItem* item, std::size_t hash) {
  if ((indexed_ + 1) * 2 > slots_.size()) {
    std::vector<IndexSlot> grown(slots_.empty() ? 64 : slots_.size() * 2);
    const std::size_t mask = grown.size() - 1;
    for (const IndexSlot& slot : slots_) {
      if (slot.item == nullptr) continue;
      std::size_t i = slot.hash & mask;
      while (grown[i].item != nullptr) i = (i + 1) & mask;
      grown[i] = slot;
    }
    slots_.swap(grown);
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i].item != nullptr) i = (i + 1) & mask;
  slots_[i] = IndexSlot{hash, item};
  ++indexed_;
}

CLinkNode::~CLinkNode() { Clear(); }

LinkItem* CLinkNode::FindLink(const std::string& url) const {
  const std::string_view text = Text(url);
  return Lookup(text, NoCaseHash(text));
}

void CLinkNode::AddLink(const std::string& url, const CLinkNode* other) {
  const char* text = url.c_str();
  const char* fragment = ansi::FindChar(text, '#');
  const std::string_view cut(
      text, fragment != nullptr ? std::size_t(fragment - text) : std::strlen(text));
  if (cut.size() > kMaxUrlLength) return;
  const std::size_t hash = NoCaseHash(cut);
  if (Lookup(cut, hash) != nullptr) return;
  if (other != nullptr && other->Lookup(cut, hash) != nullptr) return;
  try {
    auto item = std::make_unique<LinkItem>();
    item->url.assign(cut);
    Index(item.get(), hash);  // the only step that may still throw
    LinkItem* added = item.release();
    if (tail == nullptr) {
      head = added;
    } else {
      tail->next = added;
    }
    tail = added;
    ++count;
  } catch (const std::bad_alloc&) {
    // Out of memory: the link is not recorded, as if it had never been found.
  }
}

LinkItem* CLinkNode::NextUnvisited(const LinkItem* from) const {
  for (LinkItem* item = from != nullptr ? from->next : head; item; item = item->next) {
    if (!item->visited) return item;
  }
  return nullptr;
}

void CLinkNode::MarkVisited(LinkItem* item) {
  if (item == nullptr) return;
  item->visited = true;
  ++visitedCount;
}

void CLinkNode::Clear() {
  for (LinkItem* item = head; item != nullptr;) {
    LinkItem* next = item->next;
    delete item;
    item = next;
  }
  slots_.clear();
  slots_.shrink_to_fit();
  indexed_ = 0;
  head = nullptr;
  tail = nullptr;
  count = 0;
  visitedCount = 0;
}

}  // namespace vw
