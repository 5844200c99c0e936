// Fuzzes the GBK helpers: character stepping and the double-byte-aware searches (found
// positions are character starts, never past the end, and the first or last such place),
// and the conversions between GBK, UTF-8 and UTF-16 (well-formed output, agreement between
// the two routes, and a round trip for text made of characters that convert one-to-one).
//
// Input: byte 0 = the character searched for; then the text (a zero-terminated copy in a
// buffer of exactly its size, so that stepping past the zero is caught); the text after its
// first zero byte, if any, is the needle of FindStr.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/ansi_convert.h"

namespace {

bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE); }

// The characters of a GBK text as the converters read it: a lead byte with a valid trail
// byte is one character, any other byte is one by itself.
std::vector<std::string> GbkCharacters(const std::string& s) {
  std::vector<std::string> chars;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = ansi::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
                                  IsTrailByte(static_cast<unsigned char>(s[i + 1]))
                              ? 2
                              : 1;
    chars.push_back(s.substr(i, n));
    i += n;
  }
  return chars;
}

// Output of a conversion to GBK: single bytes up to 0x80 and valid double-byte characters.
bool IsWellFormedGbk(const std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c <= 0x80) continue;  // 0x80 alone is the euro sign of code page 936
    if (!ansi::IsLeadByte(c) || i + 1 >= s.size() ||
        !IsTrailByte(static_cast<unsigned char>(s[i + 1]))) {
      return false;
    }
    ++i;
  }
  return true;
}

bool IsWellFormedUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

void CheckSearches(const char* s, std::size_t length, char c, const char* needle) {
  // Stepping: each step moves one or two bytes and never past the zero.
  const std::vector<std::size_t> starts = fuzz::CharacterStarts(s);
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t next = i + 1 < starts.size() ? starts[i + 1] : length;
    FUZZ_CHECK(next > starts[i] && next - starts[i] <= 2 && next <= length);
    FUZZ_CHECK(ansi::Next(s + starts[i], s + length) == s + next);
  }
  FUZZ_CHECK(ansi::Next(s + length) == s + length);

  std::size_t first = length, last = length;
  for (std::size_t i : starts) {
    if (s[i] != c) continue;
    if (first == length) first = i;
    last = i;
  }
  const char* found = ansi::FindChar(s, c);
  const char* foundLast = ansi::FindLastChar(s, c);
  FUZZ_CHECK(found == (first == length ? nullptr : s + first));
  FUZZ_CHECK(foundLast == (last == length ? nullptr : s + last));

  const std::size_t needleLength = std::strlen(needle);
  const char* expected = needleLength == 0 ? s : nullptr;
  if (needleLength > 0) {
    for (std::size_t i : starts) {
      if (length - i >= needleLength && std::memcmp(s + i, needle, needleLength) == 0) {
        expected = s + i;
        break;
      }
    }
  }
  FUZZ_CHECK(ansi::FindStr(s, needle) == expected);
}

void CheckConversions(const std::string& gbk, const std::string& bytes) {
  // GBK to Unicode and back: both routes agree and give well-formed output.
  const std::string utf8 = ansi::ToUtf8(gbk);
  const std::u16string utf16 = ansi::ToUtf16(gbk);
  FUZZ_CHECK(IsWellFormedUtf8(utf8));
  const std::string back8 = ansi::FromUtf8(utf8);
  const std::string back16 = ansi::FromUtf16(utf16);
  FUZZ_CHECK(back8 == back16);
  FUZZ_CHECK(IsWellFormedGbk(back8));

  // Each character converts on its own: nothing of one character leaks into the next.
  std::string pieces;
  bool oneToOne = true;
  for (const std::string& ch : GbkCharacters(gbk)) {
    const std::string u = ansi::ToUtf8(ch);
    pieces += u;
    if (ansi::FromUtf8(u) != ch) oneToOne = false;
  }
  FUZZ_CHECK(pieces == utf8);
  // Text made only of characters that convert one-to-one comes back unchanged.
  if (oneToOne) {
    FUZZ_CHECK(back8 == gbk);
    FUZZ_CHECK(back16 == gbk);
  }

  // Arbitrary bytes as UTF-8 and as UTF-16 always give well-formed GBK.
  FUZZ_CHECK(IsWellFormedGbk(ansi::FromUtf8(bytes)));
  std::u16string units(bytes.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(&units[0], bytes.data(), units.size() * 2);
  FUZZ_CHECK(IsWellFormedGbk(ansi::FromUtf16(units)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const char c = static_cast<char>(data[0]);
  ++data;
  --size;
  std::unique_ptr<char[]> buffer = fuzz::ExactCopy(data, size, true);
  const char* s = buffer.get();
  const std::size_t length = std::strlen(s);
  const char* needle = length < size ? s + length + 1 : s + size;

  if (c != 0) CheckSearches(s, length, c, needle);
  CheckConversions(std::string(s, length), std::string(s, size));
  return 0;
}
