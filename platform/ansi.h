// Byte-string helpers for the ANSI code page (GBK, code page 936): character stepping and
// the searches and comparisons that must never split a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ansi {

// True for a byte that starts a double-byte GBK character (0x81-0xFE). Its trail byte can be
// any of 0x40-0x7E and 0x80-0xFE, so it may equal '\\' or '|'.
constexpr bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// True for the bytes that count as white space in markup: space, tab, LF, VT, FF and CR.
constexpr bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// ASCII-only letter and digit tests; bytes of 0x80 and above are neither.
constexpr bool IsAlpha(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// ASCII-only case folding; every other byte is returned unchanged.
constexpr char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }
constexpr char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

// The start of the character after the one at p. Never steps past the terminating zero: at
// the zero it returns p, and a lead byte directly before the zero counts as one byte.
inline const char* Next(const char* p) {
  if (*p == 0) return p;
  if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != 0) return p + 2;
  return p + 1;
}

// Like Next, for a range that ends at end instead of a zero byte. Never returns past end.
inline const char* Next(const char* p, const char* end) {
  if (p >= end) return end;
  if (IsLeadByte(static_cast<unsigned char>(*p)) && p + 1 < end) return p + 2;
  return p + 1;
}

// True when hit, a position of a text that is stepped with Next from its start, begins a
// character: the run of lead bytes right before hit (not reaching before start) pairs up
// completely. Any byte that is not a lead byte ends a character, so only that run matters.
inline bool StartsCharacter(const char* start, const char* hit) {
  const char* p = hit;
  while (p > start && IsLeadByte(static_cast<unsigned char>(p[-1]))) --p;
  return ((hit - p) & 1) == 0;
}

// The first character of s that is the single byte c, or nullptr (StrChrA). Trail bytes of
// double-byte characters never match.
const char* FindChar(const char* s, char c);

// The last character of s that is the single byte c, or nullptr (StrRChrA).
const char* FindLastChar(const char* s, char c);

// The first place in s, at a character start, where find begins, or nullptr (StrStrA). An
// empty find matches at s.
const char* FindStr(const char* s, const char* find);

// Like FindStr over the range [s, end), which need not be zero-terminated. Linear in the
// bytes passed over: candidates are found with memchr and checked with StartsCharacter.
const char* FindStr(const char* s, const char* end, const char* find, std::size_t findLength);

// Equality with ASCII letter case ignored (lstrcmpiA == 0). A double-byte character
// compares by its bytes, so a trail byte that happens to be a letter is not folded.
bool EqualNoCase(std::string_view a, std::string_view b);

// The string with every byte from 'A' to 'Z' in lower case, whatever character it is part
// of (a plain byte-by-byte folding).
std::string ToLowerCopy(std::string s);

}  // namespace ansi
