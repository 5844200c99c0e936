#include "html/attribute_value.h"

#include <cstring>

#include "html/entities.h"
#include "html/scan.h"
#include "platform/ansi.h"

namespace vw {
namespace {

const char* FindByte(const char* from, const char* end, char c) {
  if (from >= end) return nullptr;
  return static_cast<const char*>(std::memchr(from, c, std::size_t(end - from)));
}

// Replaces every occurrence of t in v, left to right without overlaps, by the byte b (by
// nothing when b is 0), in one pass over v.
void ReplaceAll(std::string& v, const std::string& t, unsigned char b) {
  std::string out;
  out.reserve(v.size());
  std::size_t from = 0;
  for (std::size_t hit = v.find(t); hit != std::string::npos; hit = v.find(t, from)) {
    out.append(v, from, hit - from);
    if (b != 0) out.push_back(static_cast<char>(b));
    from = hit + t.size();
  }
  out.append(v, from, std::string::npos);
  v.swap(out);
}

// Every byte-level ";" in v between two ";" bytes carries at most one "&" (the text after the
// last ";" may carry any number).
bool AtMostOneAmpersandPerStretch(const std::string& v) {
  int ampersands = 0;
  for (char c : v) {
    if (c == '&') {
      ++ampersands;
    } else if (c == ';') {
      if (ampersands > 1) return false;
      ampersands = 0;
    }
  }
  return true;
}

// Decodes v in one left-to-right pass: each reference is decoded where it is met and the
// decoded byte is never looked at again. Whole-value replacement gives the same result
// whenever a replaced text can only ever be found where this pass meets it as a reference,
// and no decoded byte can start, end or extend another reference. The checks below establish
// that (returning false otherwise, so that the caller replays the replacements literally):
//  - every stretch between two ";" holds at most one "&": each reference is the whole tail of
//    its stretch from its "&", so its occurrences elsewhere are exactly the stretches that
//    end in the same text, which this pass decodes identically when it gets there, and no
//    replacement inside a stretch can lengthen the reference of an earlier "&";
//  - the ";" found for each "&" is the first ";" byte after it (a trail byte is never taken
//    for the end), so stretches and references agree;
//  - no reference decodes to 0 (the removal would join two stretches) or to ";";
//  - a decoded "&" is never followed by "#", and the stretch after it holds an "&" that
//    stays an "&" (not decoded, or decoded to "&"); otherwise there is no ";" after it at
//    all. So the text from that "&" to the next ";" can neither decode nor equal a
//    reference (references hold one "&").
bool DecodeInOnePass(const std::string& v, std::string& out) {
  if (!AtMostOneAmpersandPerStretch(v)) return false;
  const char* const begin = v.data();
  const char* const end = begin + v.size();
  out.clear();
  out.reserve(v.size());
  SemicolonCache cache;
  const char* p = begin;
  for (;;) {
    const char* amp = FindByte(p, end, '&');
    if (!amp) {
      out.append(p, end);
      return true;
    }
    out.append(p, amp);
    const auto decoded = DecodeEntity(amp, end, cache);
    if (cache.found && FindByte(amp + 1, cache.found, ';')) return false;
    if (!decoded) {
      out.push_back('&');
      p = amp + 1;
      continue;
    }
    const unsigned char b = decoded->byte;
    if (b == 0 || b == ';') return false;
    const char* after = amp + decoded->length;
    if (b == '&') {
      if (after < end && *after == '#') return false;
      if (const char* nextSemicolon = FindByte(after, end, ';')) {
        const char* inner = FindByte(after, nextSemicolon, '&');
        if (!inner) return false;
        const auto innerDecoded = DecodeEntity(inner, nextSemicolon + 1);
        if (innerDecoded && innerDecoded->byte != '&') return false;
      }
    }
    out.push_back(static_cast<char>(b));
    p = after;
  }
}

// Decodes v from index i on in one left-to-right pass: each reference is decoded where it
// stands and a decoded byte is never looked at again.
std::string DecodeRestInOnePass(const std::string& v, std::size_t i) {
  std::string out(v, 0, i);
  const char* p = v.data() + i;
  const char* const end = v.data() + v.size();
  SemicolonCache cache;
  while (const char* amp = FindByte(p, end, '&')) {
    out.append(p, amp);
    if (const auto decoded = DecodeEntity(amp, end, cache)) {
      if (decoded->byte != 0) out.push_back(static_cast<char>(decoded->byte));
      p = amp + decoded->length;
    } else {
      out.push_back('&');
      p = amp + 1;
    }
  }
  out.append(p, end);
  return out;
}

}  // namespace

std::string DecodeValueReferencesByReplacement(const std::string& value,
                                               std::size_t workBudget) {
  std::string v = value;
  std::size_t work = 0;
  // The ";" search is shared by the "&"s met while v stays unchanged, so that a run of "&"s
  // without a decodable reference costs one search, not one per "&".
  std::size_t searchedFrom = std::string::npos, found = std::string::npos;
  std::size_t i = v.find('&');
  while (i != std::string::npos) {
    const char* base = v.data();
    const char* const end = base + v.size();
    SemicolonCache cache;
    if (searchedFrom != std::string::npos) {
      cache.searchedFrom = base + searchedFrom;
      cache.found = found == std::string::npos ? nullptr : base + found;
    }
    const auto decoded = DecodeEntity(base + i, end, cache);
    searchedFrom = std::size_t(cache.searchedFrom - base);
    found = cache.found ? std::size_t(cache.found - base) : std::string::npos;
    std::size_t next = i + 1;
    if (decoded) {
      // Each replacement costs a pass over the whole value. A value crafted with thousands
      // of different references would make that quadratic and freeze the program, so past
      // the budget the rest of the value is decoded in one pass, each reference where it
      // stands (the same result for every value but such crafted ones).
      work += v.size();
      if (work > workBudget) return DecodeRestInOnePass(v, i);
      const std::string t = v.substr(i, decoded->length);
      ReplaceAll(v, t, decoded->byte);
      searchedFrom = found = std::string::npos;  // v changed
      // A reference that decodes to 0 is removed; the search goes on where it stood, so a
      // reference right behind it is decoded too (stepping one further would skip its "&").
      if (decoded->byte == 0) next = i;
    }
    i = v.find('&', next);
  }
  return v;
}

std::string DecodeValueReferences(const std::string& value) {
  if (value.find('&') == std::string::npos) return value;
  std::string out;
  if (DecodeInOnePass(value, out)) return out;
  return DecodeValueReferencesByReplacement(value, kReplacementBudgetFactor * value.size() +
                                                       kReplacementBudgetBase);
}

void TreatAttributeValue(const char* begin, const char* end, std::string& out) {
  // Most values hold nothing to clean or decode: no tab, line feed or carriage return, no
  // "&" and no byte of 0x80 or above (so no character stepping). They are copied whole,
  // trimmed at both ends.
  const char* first = scan::SkipSpace(begin, end);
  bool plain = true;
  for (const char* q = first; q < end; ++q) {
    const unsigned char c = static_cast<unsigned char>(*q);
    if (c >= 0x80 || c == '&' || c == '\t' || c == '\n' || c == '\r') {
      plain = false;
      break;
    }
  }
  if (plain) {
    const char* last = end;
    while (last > first && scan::IsSpace(last[-1])) --last;
    scan::Assign(out, first, std::size_t(last - first));
    return;
  }
  out.clear();
  // Trimming, line-feed removal and CR/tab replacement in one character-stepping pass: leading
  // white space is skipped, and the output is cut after its last non-white character.
  const char* p = scan::SkipSpace(begin, end);
  std::size_t keep = 0;
  while (p < end) {
    const char* next = ansi::Next(p, end);
    const char c = *p;
    if (next - p == 1 && scan::IsSpace(c)) {
      if (c == '\r' || c == '\t') {
        out.push_back(' ');
      } else if (c != '\n') {
        out.push_back(c);
      }
    } else {
      out.append(p, next);
      keep = out.size();
    }
    p = next;
  }
  out.resize(keep);
  if (out.find('&') != std::string::npos) out = DecodeValueReferences(out);
}

}  // namespace vw
