// Fuzzes the decoding of character references: DecodeEntity at every "&" of the input, with
// and without the shared ";" search of a forward scan, against the rules (the reference runs
// from the "&" through the first ";" after it, is at least three bytes long, a numeric one
// decodes to the low eight bits of what strtol reads, a named one to its table value), and
// NormalizeEntityName on arbitrary names.
//
// Input: the text, in a buffer of exactly its size.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "html/entities.h"
#include "html/scan.h"

namespace {

// The byte a numeric reference decodes to, read with the C library itself.
unsigned char NumberByte(const char* digits, const char* semicolon, int base) {
  const std::string text(digits, semicolon);  // strtol stops at the zero byte at the latest
  errno = 0;
  long value = std::strtol(text.c_str(), nullptr, base);
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  return static_cast<unsigned char>(std::uint32_t(std::int32_t(value)) & 0xFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<char[]> buffer = fuzz::ExactCopy(data, size, false);
  const char* begin = buffer.get();
  const char* end = begin + size;

  vw::SemicolonCache cache;
  for (const char* amp = begin; amp < end; ++amp) {
    if (*amp != '&') continue;
    const auto decoded = vw::DecodeEntity(amp, end);
    // The shared search of a forward scan gives the same answers.
    const auto shared = vw::DecodeEntity(amp, end, cache);
    FUZZ_CHECK(decoded.has_value() == shared.has_value());
    if (!decoded) continue;
    FUZZ_CHECK(decoded->byte == shared->byte && decoded->length == shared->length);

    const std::size_t length = decoded->length;
    FUZZ_CHECK(length >= 3);
    FUZZ_CHECK(length <= std::size_t(end - amp));
    // The reference ends at the first ";" after the "&" (at a character start).
    const char* semicolon = amp + length - 1;
    FUZZ_CHECK(*semicolon == ';');
    FUZZ_CHECK(vw::scan::FindChar(amp + 1, end, ';') == semicolon);

    if (amp[1] == '#') {
      const bool hex = amp[2] == 'x' || amp[2] == 'X';
      FUZZ_CHECK(hex || ansi::IsDigit(static_cast<unsigned char>(amp[2])));
      const char* digits = hex ? amp + 3 : amp + 2;
      FUZZ_CHECK(decoded->byte == NumberByte(digits, semicolon, hex ? 16 : 10));
    } else {
      const std::string name(amp + 1, semicolon);
      const auto value = vw::EntityTable::Instance().Find(vw::NormalizeEntityName(name));
      FUZZ_CHECK(value.has_value() && *value == decoded->byte);
    }
  }

  // Normalising a name changes only the case of its ASCII letters, and a normalised name
  // normalises to itself.
  const std::string name(begin, end);
  const std::string once = vw::NormalizeEntityName(name);
  FUZZ_CHECK(once.size() == name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    FUZZ_CHECK(ansi::ToLower(once[i]) == ansi::ToLower(name[i]));
  }
  FUZZ_CHECK(vw::NormalizeEntityName(once) == once);
  // A name found in the table is found under every spelling that differs only in the case
  // of letters after the first.
  if (vw::EntityTable::Instance().Find(once)) {
    std::string upper = name;
    for (std::size_t i = 1; i < upper.size(); ++i) upper[i] = ansi::ToUpper(upper[i]);
    FUZZ_CHECK(vw::EntityTable::Instance().Find(vw::NormalizeEntityName(upper)) ==
               vw::EntityTable::Instance().Find(once));
  }
  return 0;
}
