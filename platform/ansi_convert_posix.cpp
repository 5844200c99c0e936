// The conversions through glibc's iconv.
#include "platform/ansi_convert.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace ansi {
namespace {

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts in, which holds units of unitSize bytes. On a character that cannot be
  // converted, writes the bytes of replacement and skips the input character (its length
  // given by skip) so that the rest still converts.
  template <typename SkipFn>
  std::string Run(const char* in, std::size_t inBytes, const std::string& replacement,
                  SkipFn skip) {
    std::string out;
    out.resize(inBytes * 2 + 16);
    char* inPtr = const_cast<char*>(in);
    std::size_t inLeft = inBytes;
    std::size_t used = 0;
    while (inLeft > 0) {
      char* outPtr = &out[used];
      std::size_t outLeft = out.size() - used;
      std::size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      used = out.size() - outLeft;
      if (r != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL (a sequence cut off at the end): replace one character.
      std::size_t n = skip(inPtr, inLeft);
      if (n == 0 || n > inLeft) n = inLeft;
      inPtr += n;
      inLeft -= n;
      if (out.size() - used < replacement.size() + 8) out.resize(out.size() * 2 + 16);
      out.replace(used, replacement.size(), replacement);
      used += replacement.size();
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence that starts at p, at least 1.
std::size_t Utf8SequenceLength(const char* p, std::size_t left) {
  unsigned char c = static_cast<unsigned char>(*p);
  std::size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  for (std::size_t i = 1; i < n; ++i) {
    if (i >= left || (static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) return i;
  }
  return n;
}

// Length of the GBK character that starts at p, at least 1.
std::size_t GbkSequenceLength(const char* p, std::size_t left) {
  unsigned char c = static_cast<unsigned char>(*p);
  if (c < 0x81 || c > 0xFE || left < 2) return 1;
  unsigned char t = static_cast<unsigned char>(p[1]);
  return ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFE)) ? 2 : 1;
}

std::size_t OneUtf16Unit(const char*, std::size_t) { return 2; }

// The name of UTF-16 in this machine's byte order, so that char16_t buffers convert as is.
const char* NativeUtf16() {
  const char16_t probe = 1;
  return *reinterpret_cast<const unsigned char*>(&probe) == 1 ? "UTF-16LE" : "UTF-16BE";
}

const std::string kQuestionMark = "?";

std::u16string BytesToUtf16(const std::string& bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  if (!out.empty()) std::memcpy(&out[0], bytes.data(), out.size() * 2);
  return out;
}

}  // namespace

std::string FromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  return Converter("GBK", "UTF-8").Run(utf8.data(), utf8.size(), kQuestionMark,
                                       Utf8SequenceLength);
}

std::string ToUtf8(std::string_view gbk) {
  if (gbk.empty()) return {};
  return Converter("UTF-8", "GBK").Run(gbk.data(), gbk.size(), kQuestionMark,
                                       GbkSequenceLength);
}

std::string FromUtf16(std::u16string_view utf16) {
  if (utf16.empty()) return {};
  return Converter("GBK", NativeUtf16())
      .Run(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2, kQuestionMark,
           OneUtf16Unit);
}

std::u16string ToUtf16(std::string_view gbk) {
  if (gbk.empty()) return {};
  static const std::string kQuestionMark16 = [] {
    const char16_t q = u'?';
    return std::string(reinterpret_cast<const char*>(&q), 2);
  }();
  return BytesToUtf16(
      Converter(NativeUtf16(), "GBK").Run(gbk.data(), gbk.size(), kQuestionMark16,
                                          GbkSequenceLength));
}

}  // namespace ansi
