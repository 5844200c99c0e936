// The link lists of an extraction run: append-only lists of URLs with a visited flag per
// entry. The page list is walked by the crawl; the resource list only records links seen.
#pragma once

#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vw {

// One entry of a link list. Entries are never moved or freed before the list is cleared, so
// a pointer to one stays valid while the crawl walks on. Only the list changes `url`.
struct LinkItem {
  // The following entry, or null for the last one.
  LinkItem* next = nullptr;
  // The URL as it was first added, cut at its first "#".
  std::string url;
  // Set once the crawl has handled the entry.
  bool visited = false;
};

// A singly linked, append-only list of URLs. Lookups ignore ASCII letter case, and URLs are
// stored without their fragment, so one page is never queued twice. The list owns its
// entries.
//
// Lookups go through a hash index that ignores ASCII letter case, so adding tens of
// thousands of links stays linear; the index answers exactly as a walk from `head` comparing
// with ansi::EqualNoCase would.
class CLinkNode {
 public:
  // The name of the run-time class record.
  static const char* GetClassName() { return "CLinkNode"; }

  CLinkNode() = default;
  CLinkNode(const CLinkNode&) = delete;
  CLinkNode& operator=(const CLinkNode&) = delete;
  // Frees every entry (Clear).
  ~CLinkNode();

  // The first entry whose URL equals `url` with ASCII letter case ignored, or null. The text
  // is compared as given (no fragment is cut) up to its first zero byte.
  LinkItem* FindLink(const std::string& url) const;

  // Appends `url`, cut at its first "#" (a double-byte-aware search), unless that text is
  // already in this list or in `other` (when given). A text longer than kMaxUrlLength bytes
  // after the cut is dropped: no URL buffer of the program could hold it. When memory runs
  // out nothing is added and the list stays as it was.
  void AddLink(const std::string& url, const CLinkNode* other);

  // The first unvisited entry after `from`, or from `head` when `from` is null; null if none.
  LinkItem* NextUnvisited(const LinkItem* from) const;

  // Marks `item` visited and counts it; does nothing for null.
  void MarkVisited(LinkItem* item);

  // Frees every entry; the list is empty and both counters are 0 afterwards.
  void Clear();

  // First entry, or null.
  LinkItem* head = nullptr;
  // Last entry, or null.
  LinkItem* tail = nullptr;
  // Number of entries appended.
  std::int32_t count = 0;
  // Number of MarkVisited calls on an entry.
  std::int32_t visitedCount = 0;

 private:
  // One slot of the index: an entry and the hash of its URL; item null when free.
  struct IndexSlot {
    std::size_t hash = 0;
    LinkItem* item = nullptr;
  };

  // The entry whose URL equals `text` (ASCII case ignored), found through the index.
  LinkItem* Lookup(std::string_view text, std::size_t hash) const;
  // Records an entry in the index, growing it first if needed (may throw bad_alloc).
  void Index(LinkItem* item, std::size_t hash);

  // An open-addressing hash table over the entries (linear probing, at most half full, a
  // power of two in size), so that a lookup costs about one memory access however long the
  // list grows.
  std::vector<IndexSlot> slots_;
  std::size_t indexed_ = 0;
};

}  // namespace vw
