// Tags and attributes as the HTML reader hands them to event handlers: a tag's name and its
// attributes in document order, with attribute values trimmed and their references decoded.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vw {

// One attribute of a tag.
class CHtmlAttribute {
 public:
  std::string name;   // the name as written
  std::string value;  // trimmed, line feeds removed, CR/tab as space, references decoded
  char quote = 0;     // '"' or '\'' that enclosed the value, 0 when unquoted

  // Reads one attribute at p (leading white space allowed); the text ends at end. Returns
  // the bytes consumed from p, or 0 when no attribute begins there (the record is then of
  // no meaning).
  std::size_t Parse(const char* p, const char* end);
};

// The ordered attribute list of a tag; exists only when the tag has at least one attribute.
class CHtmlAttributes {
 public:
  virtual ~CHtmlAttributes();

  // Number of attributes.
  int GetCount() const;

  // Index of the first attribute whose name equals name, ASCII case ignored; -1 if none.
  int IndexOf(std::string_view name) const;

  // A copy of the value at index; empty when index is negative or not below GetCount().
  std::string GetValue(int index) const;

  // The attribute at index (0 <= index < GetCount()).
  const CHtmlAttribute& Get(int index) const;

  // Appends a record (used while a tag is read).
  void Add(const CHtmlAttribute& attribute);

  // Removes every record; storage is kept for reuse.
  void Clear();

 private:
  friend class CHtmlTag;
  std::vector<CHtmlAttribute> items_;
  std::size_t count_ = 0;  // items_ beyond count_ are spare records kept for their storage
};

// Remembers, for one forward scan, where the next "/>" and the next ">" lie, so that tags
// whose attributes cannot be read share one search instead of each searching to the end.
struct TagEndCache {
  const char* slashSearchedFrom = nullptr;  // null: not searched yet
  const char* slashFound = nullptr;         // next "/>", null when there is none
  const char* closeSearchedFrom = nullptr;
  const char* closeFound = nullptr;         // next ">", null when there is none
};

// A tag: its name and attributes. The reader owns one and reuses it for every tag.
class CHtmlTag {
 public:
  virtual ~CHtmlTag();

  std::unique_ptr<CHtmlAttributes> attributes;  // none when no attribute could be read
  std::string name;                             // as written; empty for "<>" and "</>"

  // Reads a tag at p (leading white space allowed); the text ends at end. On success sets
  // opening/closing, replaces name and attributes and returns the bytes from p through the
  // ">" (or through the "<" of the empty tag "<>"); 0 when no tag begins there, leaving the
  // object unchanged. cache, when given, must belong to the current forward scan over the
  // same text, with non-decreasing p.
  std::size_t Parse(const char* p, const char* end, bool& opening, bool& closing,
                    bool readAttributes, TagEndCache* cache = nullptr);

 private:
  void Recycle(std::unique_ptr<CHtmlAttributes> list);

  // Earlier lists kept for their storage (records and their strings), so that reading a
  // tag allocates nothing once the lists have grown to the page's largest tag.
  std::unique_ptr<CHtmlAttributes> spare_;
  std::unique_ptr<CHtmlAttributes> reserve_;
};

}  // namespace vw
