// Searches over byte ranges of GBK text that match only at character starts, where a lead
// byte and its trail byte form one character. Used by the reader, tags and references.
#pragma once

#include <cstring>
#include <string>

#include "platform/ansi.h"

namespace vw::scan {

// True when hit, a position in [from, end), starts a character of the text as stepped from
// from: the run of lead-range bytes right before hit (not reaching before from) pairs up
// completely. A byte below 0x81 or 0xFF always ends a character, so stepping from any start
// before it passes through the byte after it; that makes the answer depend only on this run.
inline bool StartsCharacter(const char* from, const char* hit) {
  const char* p = hit;
  while (p > from && ansi::IsLeadByte(static_cast<unsigned char>(p[-1]))) --p;
  return ((hit - p) & 1) == 0;
}

// The first character start in [from, end) holding the single-byte character c (c must be
// below 0x40, so never a trail byte of valid text), or null. Linear in the bytes passed over.
inline const char* FindChar(const char* from, const char* end, char c) {
  const char* p = from;
  while (p < end) {
    const void* hit = std::memchr(p, c, std::size_t(end - p));
    if (!hit) return nullptr;
    const char* h = static_cast<const char*>(hit);
    if (StartsCharacter(from, h)) return h;
    p = h + 1;  // h was a trail byte: the next character starts right after it
  }
  return nullptr;
}

// The first character start in [from, end) where the two single-byte characters a, b follow
// each other (both below 0x40), or null.
inline const char* FindPair(const char* from, const char* end, char a, char b) {
  const char* p = from;
  while (p < end) {
    const void* hit = std::memchr(p, a, std::size_t(end - p));
    if (!hit) return nullptr;
    const char* h = static_cast<const char*>(hit);
    if (h + 1 >= end) return nullptr;
    if (h[1] == b && StartsCharacter(from, h)) return h;
    p = h + 1;
  }
  return nullptr;
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
