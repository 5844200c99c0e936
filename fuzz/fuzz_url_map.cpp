// Fuzzes the URL helpers of the crawl: NormalizeUrl, LastSeparator, HasKnownScheme,
// MatchesPrefix and MapUrlToPath. The last one decides where a page of a hostile e-book is
// written, so its result is checked hard: a relative path that never climbs out of the
// target folder, never names an absolute path or a drive, and fits the path buffer.
//
// Input: byte 0 and 1 = prefix length for MapUrlToPath (little-endian, taken modulo the URL
// length + 4); then two texts separated by the first byte 0x01: a URL and a link prefix.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "crawl/url_map.h"
#include "fuzz_check.h"
#include "platform/url.h"

namespace {

// The segments of a relative path as Windows reads it: split at backslashes that start a
// character (a lead byte and the byte after it are one character, even when that byte is a
// backslash).
std::vector<std::string> WindowsSegments(const std::string& path) {
  std::vector<std::string> segments(1);
  for (const char* p = path.c_str(); *p;) {
    const char* next = ansi::Next(p);
    if (next - p == 1 && *p == '\\') {
      segments.emplace_back();
    } else {
      segments.back().append(p, next);
    }
    p = next;
  }
  return segments;
}

// A name that Windows, which trims trailing dots and spaces, takes as the parent folder
// ("..", "...", ".. ."), or the folder itself ("."), or that is empty (two separators in a
// row). A name of only spaces is no way out: it cannot be created, so saving fails.
bool ClimbsOrIsEmpty(const std::string& segment) {
  if (segment.empty() || segment == "." || segment == "..") return true;
  std::size_t dots = 0;
  for (char c : segment) {
    if (c == '.') {
      ++dots;
    } else if (c != ' ') {
      return false;
    }
  }
  return dots >= 2;
}

void CheckNormalizeUrl(const std::string& text) {
  const std::string n = vw::NormalizeUrl(text);
  FUZZ_CHECK(n.size() <= std::strlen(text.c_str()));
  FUZZ_CHECK(n.find("//") == std::string::npos);
  FUZZ_CHECK(n.find_first_of("\\?#") == std::string::npos);
  FUZZ_CHECK(n.empty() || n.back() != '/');
  FUZZ_CHECK(vw::NormalizeUrl(n) == n);
}

void CheckLastSeparator(const std::string& text) {
  const std::size_t at = vw::LastSeparator(text);
  const std::vector<std::size_t> starts = fuzz::CharacterStarts(text.c_str());
  std::size_t expected = std::string::npos;
  for (std::size_t i : starts) {
    const char c = text[i];
    if (c == '\\' || c == '/' || c == ':' || c == '?') expected = i;
  }
  FUZZ_CHECK(at == expected);
  if (at != std::string::npos) FUZZ_CHECK(at < text.size());
}

void CheckMatchesPrefix(const std::string& link, const std::string& prefix) {
  FUZZ_CHECK(vw::MatchesPrefix(link, link));
  FUZZ_CHECK(vw::MatchesPrefix(link, ""));
  FUZZ_CHECK(vw::MatchesPrefix("", link));
  // Only the normalised, case-folded texts count.
  const bool m = vw::MatchesPrefix(link, prefix);
  std::string upper = link;
  for (char& c : upper) c = ansi::ToUpper(c);
  FUZZ_CHECK(vw::MatchesPrefix(upper, prefix) == m);
  FUZZ_CHECK(vw::MatchesPrefix(vw::NormalizeUrl(link), vw::NormalizeUrl(prefix)) == m);
  // A link that begins with the prefix belongs under it.
  FUZZ_CHECK(vw::MatchesPrefix(prefix + link, prefix));
}

void CheckMapUrlToPath(const std::string& url, int prefixLength) {
  std::string path = "stale";
  const bool mapped = vw::MapUrlToPath(path, url, prefixLength);
  if (!mapped) {
    FUZZ_CHECK(path.empty());
    return;
  }
  FUZZ_CHECK(url.size() <= vw::kMaxUrlLength);
  FUZZ_CHECK(!path.empty());
  FUZZ_CHECK(path.size() <= vw::kMaxPathLength);
  FUZZ_CHECK(path.find('\0') == std::string::npos);
  FUZZ_CHECK(path.find('/') == std::string::npos);
  // Relative: no leading separator, no drive.
  FUZZ_CHECK(path[0] != '\\');
  FUZZ_CHECK(!(path.size() >= 2 && ansi::IsAlpha(static_cast<unsigned char>(path[0])) &&
               path[1] == ':'));
  // Every segment names something below the folder.
  for (const std::string& segment : WindowsSegments(path)) {
    FUZZ_CHECK(!ClimbsOrIsEmpty(segment));
  }
  // The query and the fragment play no part.
  const std::string withQuery = url + "?q=1#f";
  if (withQuery.size() <= vw::kMaxUrlLength && url.find('\0') == std::string::npos) {
    std::string again;
    FUZZ_CHECK(vw::MapUrlToPath(again, withQuery, prefixLength));
    FUZZ_CHECK(again == path);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned lengthSeed = unsigned(data[0]) | (unsigned(data[1]) << 8);
  const std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::size_t cut = rest.find('\x01');
  const std::string url = rest.substr(0, cut);
  const std::string prefix = cut == std::string::npos ? std::string() : rest.substr(cut + 1);

  CheckNormalizeUrl(url);
  CheckLastSeparator(url);
  FUZZ_CHECK(vw::HasKnownScheme(url) == vw::HasKnownScheme(url + "x"));
  CheckMatchesPrefix(fuzz::UpToZero(url), fuzz::UpToZero(prefix));

  const std::string clean = fuzz::UpToZero(url);
  const int prefixLength = int(lengthSeed % (clean.size() + 4)) - 2;  // -2 .. size + 1
  CheckMapUrlToPath(clean, prefixLength);
  // The same with the prefix's own normalised length, as the crawl computes it.
  CheckMapUrlToPath(clean, int(vw::NormalizeUrl(fuzz::UpToZero(prefix)).size()));
  return 0;
}
