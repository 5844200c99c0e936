// Character references of HTML ("&amp;", "&#65;", "&#x41;"): the fixed table of known names
// and the decoding of one reference into the single byte that stands for it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vw {

// One decoded reference: the byte it stands for and the length of its text, from the "&"
// through the ";".
struct DecodedEntity {
  unsigned char byte;
  std::size_t length;
};

// Remembers where the next ";" lies, so that the references of one forward scan share a
// single search for their terminators instead of each searching the rest of the text again.
// Valid for one text and one end; reset it (or make a new one) for another text.
struct SemicolonCache {
  const char* searchedFrom = nullptr;  // where the remembered search began; null: nothing yet
  const char* found = nullptr;         // the ";" found from there, or null when there is none
};

// The 101 known entity names (quot, amp, apos, lt, gt and the 96 Latin-1 names) with their
// byte values. Built once, read-only afterwards, shared by every reader.
class EntityTable {
 public:
  // The table, built on first use.
  static const EntityTable& Instance();

  // The value of a name that matches a row exactly (letter case included), or nothing.
  std::optional<unsigned char> Find(std::string_view name) const;

  // The number of rows (101).
  std::size_t Size() const;

 private:
  EntityTable();
};

// The name in the letter case under which the table is searched: lower case, except where the
// case of the first letter tells two characters apart (Agrave/agrave, ETH/eth, THORN/thorn,
// Oslash/oslash, AElig/aelig).
std::string NormalizeEntityName(std::string_view name);

// Decodes the reference whose "&" is at amp; the text ends at end (exclusive). Nothing when
// no reference that can be decoded begins there.
std::optional<DecodedEntity> DecodeEntity(const char* amp, const char* end);

// The same, with the search for the ";" shared through cache by all calls of one forward
// scan over [.., end): callers must pass non-decreasing amp positions.
std::optional<DecodedEntity> DecodeEntity(const char* amp, const char* end,
                                          SemicolonCache& cache);

// Convenience for tests and callers holding a string: decodes at s[0].
std::optional<DecodedEntity> DecodeEntity(std::string_view s);

}  // namespace vw
