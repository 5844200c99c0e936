// Fuzzes the URL functions of the platform layer: CombineUrl (resolving a link against a
// base) and CrackUrlPath (the path of a URL, raw or decoded, into a buffer of a given size).
//
// Input: byte 0 = crack flags (low two bits), byte 1 = buffer size for CrackUrlPath; then two
// texts separated by the first byte 0x01: the base URL and the relative link.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "platform/url.h"

namespace {

// The scheme of a URL: a letter, then letters, digits, "+", "-", "."; then ":". Empty when
// the text has none.
std::string SchemeOf(const std::string& url) {
  if (url.empty() || !ansi::IsAlpha(static_cast<unsigned char>(url[0]))) return {};
  for (std::size_t i = 1; i < url.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(url[i]);
    if (c == ':') return url.substr(0, i);
    if (!ansi::IsAlpha(c) && !ansi::IsDigit(c) && c != '+' && c != '-' && c != '.') return {};
  }
  return {};
}

std::string WithoutFragment(const std::string& url) { return url.substr(0, url.find('#')); }

void CheckCombine(const std::string& base, const std::string& relative) {
  std::string out = "stale";
  const bool combined = vw::CombineUrl(base, relative, out);
  if (!combined) {
    FUZZ_CHECK(out == "stale");
  } else {
    FUZZ_CHECK(out.size() <= vw::kMaxUrlLength);
    // The result is absolute: it has the link's scheme when the link has one, else the
    // base's, unchanged.
    const std::string relativeScheme = SchemeOf(relative);
    const std::string scheme = relativeScheme.empty() ? SchemeOf(base) : relativeScheme;
    FUZZ_CHECK(!scheme.empty());
    FUZZ_CHECK(out.compare(0, scheme.size() + 1, scheme + ":") == 0);
    // The result is absolute, so resolving it again needs no base; with its dot segments
    // removed once, doing it again changes nothing. (An empty link keeps the base's path as
    // it is, dot segments included, so the first round may change it.)
    std::string again, twice;
    FUZZ_CHECK(vw::CombineUrl(base, out, again));
    FUZZ_CHECK(vw::CombineUrl("other:", again, twice));
    FUZZ_CHECK(twice == again);
    // The fragment of the result is the link's.
    const std::size_t hash = relative.find('#');
    if (hash != std::string::npos) {
      FUZZ_CHECK(out.size() >= relative.size() - hash &&
                 out.compare(out.size() - (relative.size() - hash), std::string::npos,
                             relative, hash) == 0);
    }
  }

  // An empty link and a bare fragment name the base document itself.
  if (!SchemeOf(base).empty()) {
    std::string self;
    FUZZ_CHECK(vw::CombineUrl(base, "", self) == (WithoutFragment(base).size() <= vw::kMaxUrlLength));
    if (!self.empty()) FUZZ_CHECK(self == WithoutFragment(base));
    std::string fragment;
    if (vw::CombineUrl(base, "#top", fragment)) {
      FUZZ_CHECK(fragment == WithoutFragment(base) + "#top");
    }
  } else {
    std::string none = "stale";
    FUZZ_CHECK(!vw::CombineUrl(base, relative, none) && none == "stale");
  }
}

void CheckCrack(const std::string& url, unsigned flags, std::size_t bufferSize) {
  std::string path = "stale";
  const bool cracked = vw::CrackUrlPath(url, flags, path, bufferSize);
  if (!cracked) {
    FUZZ_CHECK(path == "stale");
    return;
  }
  FUZZ_CHECK(!SchemeOf(url).empty());
  FUZZ_CHECK(path.size() + 1 <= bufferSize);
  std::string raw;
  FUZZ_CHECK(vw::CrackUrlPath(url, vw::kCrackRaw, raw, std::string::npos));
  FUZZ_CHECK(raw.find_first_of("?#") == std::string::npos);
  // The raw path is a piece of the URL; decoding only ever shortens it and never makes a
  // zero byte.
  FUZZ_CHECK(url.find(raw) != std::string::npos);
  if (flags == vw::kCrackRaw) {
    FUZZ_CHECK(path == raw);
  } else {
    FUZZ_CHECK(path.size() <= raw.size());
    FUZZ_CHECK(path.find('\0') == std::string::npos || raw.find('\0') != std::string::npos);
    std::string other;
    const unsigned otherFlags = flags == vw::kCrackDecode ? vw::kCrackEscape : vw::kCrackDecode;
    FUZZ_CHECK(vw::CrackUrlPath(url, otherFlags, other, bufferSize) && other == path);
  }
  // A query or fragment appended to a URL without one leaves its path as it was.
  if (url.find_first_of("?#") == std::string::npos) {
    std::string withQuery;
    FUZZ_CHECK(vw::CrackUrlPath(url + "?a=%41#b", flags, withQuery, bufferSize));
    FUZZ_CHECK(withQuery == path);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned flags = data[0] & 3u;
  const std::size_t bufferSize = data[1] == 255 ? 2048 : std::size_t(data[1]) * 4;
  const std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::size_t cut = rest.find('\x01');
  const std::string base = rest.substr(0, cut);
  const std::string relative = cut == std::string::npos ? std::string() : rest.substr(cut + 1);

  CheckCombine(base, relative);
  CheckCrack(base, flags, bufferSize);
  CheckCrack(relative, flags, bufferSize);
  return 0;
}
