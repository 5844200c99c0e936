// Fuzzes the reading of one attribute (CHtmlAttribute::Parse) and the treatment of attribute
// values, against a plain transcription of the rules: how many bytes an attribute takes, its
// name, its quote and its treated value (trimmed, line feeds removed, carriage returns and
// tabs as spaces, references decoded). Also checks the single-pass reference decoder against
// the literal whole-value replacement on arbitrary values.
//
// Input: the bytes at which an attribute is read, in a buffer of exactly their size (the
// attribute reader works on [begin, end) and must not look past end).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "html/attribute_value.h"
#include "html/scan.h"
#include "html/tag.h"

namespace {

using vw::scan::IsSpace;

struct Expected {
  std::size_t consumed = 0;
  std::string name;
  std::string value;
  char quote = 0;
};

// The work that value decoding allows itself on a value: past it, a crafted value with
// hundreds of different references is decoded each reference where it stands.
std::size_t Budget(const std::string& v) {
  return vw::kReplacementBudgetFactor * v.size() + vw::kReplacementBudgetBase;
}

// The value steps, one at a time: trim, drop line feeds, carriage returns and tabs as
// spaces, then decode. Character by character (a lead byte and the byte after it are one
// character, as everywhere in the reader).
std::string TreatLiterally(const char* begin, const char* end) {
  std::vector<std::string> chars;
  for (const char* p = begin; p < end;) {
    const char* next = ansi::Next(p, end);
    chars.emplace_back(p, next);
    p = next;
  }
  auto white = [](const std::string& c) { return c.size() == 1 && IsSpace(c[0]); };
  std::size_t first = 0, last = chars.size();
  while (first < last && white(chars[first])) ++first;
  while (last > first && white(chars[last - 1])) --last;
  std::string v;
  for (std::size_t i = first; i < last; ++i) {
    const std::string& c = chars[i];
    if (c == "\n") continue;
    if (c == "\r" || c == "\t") {
      v += ' ';
    } else {
      v += c;
    }
  }
  return vw::DecodeValueReferencesByReplacement(v, Budget(v));
}

bool IsLetter(char c) { return ansi::IsAlpha(static_cast<unsigned char>(c)); }

// The reading of one attribute as the rules state it; consumed 0 when none begins at p.
Expected ParseLiterally(const char* p, const char* end) {
  Expected e;
  const char* s = vw::scan::SkipSpace(p, end);
  if (s >= end || !IsLetter(*s)) return e;
  const char* n = s;
  while (n < end && vw::scan::IsNameChar(*n)) ++n;
  if (n < end && !IsSpace(*n) && *n != '=' && *n != '>' && *n != '/') return e;
  e.name.assign(s, n);
  const char* a = vw::scan::SkipSpace(n, end);
  if (a >= end || *a != '=') {
    e.consumed = std::size_t(a - p);
    return e;
  }
  const char* q = vw::scan::SkipSpace(a + 1, end);
  const char* vb = q;
  const char* ve = q;
  const char* through = q;
  if (q < end && (*q == '"' || *q == '\'')) {
    e.quote = *q;
    vb = q + 1;
    ve = vb;
    while (ve < end && *ve != *q) ve = ansi::Next(ve, end);
    through = ve < end ? ve + 1 : end;
  } else if (q < end) {
    ve = ansi::Next(q, end);  // the first character is always the value's
    while (ve < end && *ve != '>' && !IsSpace(*ve)) ve = ansi::Next(ve, end);
    through = ve;
  }
  e.consumed = std::size_t(through - p);
  if (ve > vb) e.value = TreatLiterally(vb, ve);
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<char[]> buffer = fuzz::ExactCopy(data, size, false);
  const char* begin = buffer.get();
  const char* end = begin + size;

  vw::CHtmlAttribute attribute;
  attribute.name = "stale";
  attribute.value = "stale";
  const std::size_t consumed = attribute.Parse(begin, end);
  const Expected expected = ParseLiterally(begin, end);
  FUZZ_CHECK(consumed <= size);
  FUZZ_CHECK(consumed == expected.consumed);
  if (consumed > 0) {
    FUZZ_CHECK(!attribute.name.empty() && IsLetter(attribute.name[0]));
    FUZZ_CHECK(attribute.name == expected.name);
    FUZZ_CHECK(attribute.quote == expected.quote);
    FUZZ_CHECK(attribute.value == expected.value);
    // No line feed and no white space at either end survive outside what decoding made
    // (decoded bytes come only from references, so a value without "&" shows it plainly).
    if (attribute.value.find('&') == std::string::npos &&
        std::memchr(begin, '&', size) == nullptr) {
      const std::string& v = attribute.value;
      const std::vector<std::size_t> starts = fuzz::CharacterStarts(v.c_str());
      for (std::size_t i : starts) FUZZ_CHECK(v[i] != '\n' && v[i] != '\r' && v[i] != '\t');
      if (!v.empty() && v.find('\0') == std::string::npos) {
        FUZZ_CHECK(!IsSpace(v[0]));
        FUZZ_CHECK(!IsSpace(v[starts.back()]) || starts.back() + 1 < v.size());
      }
    }
  }

  // The fast single-pass decoder and the literal replacement agree on any value; within
  // the work budget, which only a crafted value exceeds, that is the unbounded replacement.
  const std::string value(begin, end);
  const std::string decoded = vw::DecodeValueReferences(value);
  FUZZ_CHECK(decoded == vw::DecodeValueReferencesByReplacement(value, Budget(value)));
  if (std::count(value.begin(), value.end(), '&') * value.size() < Budget(value)) {
    FUZZ_CHECK(decoded == vw::DecodeValueReferencesByReplacement(value));
  }
  // The treatment entry point agrees with the literal steps on any raw value.
  std::string treated = "stale";
  vw::TreatAttributeValue(begin, end, treated);
  FUZZ_CHECK(treated == TreatLiterally(begin, end));
  return 0;
}
