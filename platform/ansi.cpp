#include "platform/ansi.h"

#include <cstring>

namespace ansi {

const char* FindChar(const char* s, char c) {
  for (const char* p = s; *p; p = Next(p)) {
    if (*p == c) return p;
  }
  return nullptr;
}

const char* FindLastChar(const char* s, char c) {
  const char* last = nullptr;
  for (const char* p = s; *p; p = Next(p)) {
    if (*p == c) last = p;
  }
  return last;
}

const char* FindStr(const char* s, const char* find) {
  return FindStr(s, s + std::strlen(s), find, std::strlen(find));
}

const char* FindStr(const char* s, const char* end, const char* find, std::size_t findLength) {
  if (findLength == 0) return s;
  if (IsLeadByte(static_cast<unsigned char>(*find))) {
    // A double-byte first character: its hits lie inside runs of lead bytes, where looking
    // back for character starts would cost the run again per hit, so step instead.
    for (const char* p = s; p < end && std::size_t(end - p) >= findLength; p = Next(p, end)) {
      if (std::memcmp(p, find, findLength) == 0) return p;
    }
    return nullptr;
  }
  // A single-byte first character ends every run of lead bytes before it, so the looking
  // back of all hits together passes over the text once.
  for (const char* p = s; p < end && std::size_t(end - p) >= findLength;) {
    const void* hit = std::memchr(p, *find, std::size_t(end - p) - findLength + 1);
    if (!hit) return nullptr;
    const char* h = static_cast<const char*>(hit);
    if (std::memcmp(h, find, findLength) == 0 && StartsCharacter(s, h)) return h;
    p = h + 1;
  }
  return nullptr;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (ToLower(a[i]) != ToLower(b[i])) {
      return false;
    }
  }
  return true;
}

std::string ToLowerCopy(std::string s) {
  for (char& c : s) c = ToLower(c);
  return s;
}

}  // namespace ansi
