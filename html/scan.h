// Searches over byte ranges of GBK text that match only at character starts, where a lead
// byte and its trail byte form one character. Used by the reader, tags and references.
#pragma once

#include <cstring>
#include <string>

#include "platform/ansi.h"

namespace vw::scan {

// The first character start in [from, end) holding the single-byte character c, or null.
inline const char* FindChar(const char* from, const char* end, char c) {
  return ansi::FindStr(from, end, &c, 1);
}

// The first character start in [from, end) where the single-byte characters a, b follow
// each other, or null.
inline const char* FindPair(const char* from, const char* end, char a, char b) {
  const char pair[2] = {a, b};
  return ansi::FindStr(from, end, pair, 2);
}

// Markup white space (space, tab, LF, VT, FF, CR).
inline bool IsSpace(char c) { return ansi::IsSpace(static_cast<unsigned char>(c)); }

// The first position in [p, end) that is not white space.
inline const char* SkipSpace(const char* p, const char* end) {
  while (p < end && IsSpace(*p)) ++p;
  return p;
}

// A byte that may continue a tag or attribute name: letter, digit, "-", ":", "_", ".".
inline bool IsNameChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return ansi::IsAlpha(u) || ansi::IsDigit(u) || c == '-' || c == ':' || c == '_' || c == '.';
}

// Replaces s with the n bytes at p, reusing its storage (clear plus append takes a shorter
// path through the library than assign, which matters for the many short names of a page).
inline void Assign(std::string& s, const char* p, std::size_t n) {
  s.clear();
  s.append(p, n);
}

}  // namespace vw::scan
