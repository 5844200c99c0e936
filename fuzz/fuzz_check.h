// Shared by the fuzz targets: a property check that stops the run with a message, and the
// small helpers several targets need (character starts of GBK text, case folding).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/ansi.h"

// Checks a property of the code under test. Unlike assert it stays on in optimised builds;
// a failure aborts, which libFuzzer reports as a crash and saves the input.
#define FUZZ_CHECK(condition)                                                             \
  do {                                                                                    \
    if (!(condition)) {                                                                   \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

namespace fuzz {

// The input in a heap block of exactly its size, followed by a zero byte when terminate is
// set, so that AddressSanitizer catches any read past the end.
inline std::unique_ptr<char[]> ExactCopy(const std::uint8_t* data, std::size_t size,
                                         bool terminate) {
  const std::size_t bytes = size + (terminate ? 1 : 0);
  std::unique_ptr<char[]> copy(new char[bytes == 0 ? 1 : bytes]);
  if (size > 0) std::memcpy(copy.get(), data, size);
  if (terminate) copy[size] = 0;
  return copy;
}

// The indices of s where characters start when s is stepped with ansi::Next up to its first
// zero byte (a lead byte and the byte after it form one character).
inline std::vector<std::size_t> CharacterStarts(const char* s) {
  std::vector<std::size_t> starts;
  for (const char* p = s; *p; p = ansi::Next(p)) starts.push_back(std::size_t(p - s));
  return starts;
}

// The text up to its first zero byte: the form in which texts from outside reach the code.
inline std::string UpToZero(const std::string& s) { return std::string(s.c_str()); }

// A key under which two texts are equal exactly when ansi::EqualNoCase says they are: ASCII
// letters folded, the two bytes of a double-byte character kept as they are.
inline std::string NoCaseKey(const std::string& s) {
  std::string key;
  key.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (ansi::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      key += s[i];
      key += s[++i];
    } else {
      key += ansi::ToLower(s[i]);
    }
  }
  return key;
}

}  // namespace fuzz
