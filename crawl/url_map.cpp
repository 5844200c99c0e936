#include "crawl/url_map.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/ansi.h"
#include "platform/url.h"

namespace vw {
namespace {

bool IsSlash(char c) { return c == '/' || c == '\\'; }

// The scheme table: the words and how many of their bytes are compared.
struct SchemeRow {
  const char* word;
  std::size_t bytes;
};
constexpr SchemeRow kSchemes[] = {
    {"http", 4}, {"file", 4}, {"ftp", 3}, {"https", 4}, {"mk", 2}, {"Gopher", 6}, {"local", 5},
};

// True for a segment that a file system would take as the folder itself or its parent: a
// run of dots and spaces with at least two dots ("..", "...", ".. "), since Windows trims
// trailing dots and spaces from a name.
bool ClimbsUp(const std::string& segment) {
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

// Joins the segments of a decoded URL path with backslashes, leaving out empty and "."
// segments and writing climbing segments as "_"; a leading drive ("C:") loses its colon. "/" always separates (it is never a GBK
// trail byte); a backslash separates only where a character starts, so a Chinese character
// whose trail byte is 0x5C stays whole.
std::string SafeRelativePath(const std::string& path) {
  std::string out;
  std::string segment;
  auto flush = [&] {
    if (!segment.empty() && segment != ".") {
      if (!out.empty()) out += '\\';
      out += ClimbsUp(segment) ? std::string("_") : segment;
    }
    segment.clear();
  };
  const std::size_t n = path.size();
  for (std::size_t i = 0; i < n;) {
    const char c = path[i];
    if (IsSlash(c)) {
      flush();
      ++i;
    } else if (ansi::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < n &&
               path[i + 1] != '/') {
      segment.append(path, i, 2);
      i += 2;
    } else {
      segment += c;
      ++i;
    }
  }
  flush();
  // "C:x" behind the folder would still name a drive when the two are joined as paths.
  if (out.size() >= 2 && ansi::IsAlpha(static_cast<unsigned char>(out[0])) && out[1] == ':') {
    out[1] = '_';
  }
  return out;
}

}  // namespace

std::string NormalizeUrl(const std::string& text) {
  const char* p = text.c_str();
  std::string out;
  out.reserve(std::strlen(p));
  for (; *p != 0 && *p != '?' && *p != '#'; ++p) {
    if (IsSlash(p[0]) && IsSlash(p[1])) continue;
    out += *p == '\\' ? '/' : *p;
  }
  if (!out.empty() && out.back() == '/') out.pop_back();
  return out;
}

std::size_t LastSeparator(const std::string& text) {
  const char* s = text.c_str();
  const char* last = nullptr;
  for (char separator : {'\\', '/', ':', '?'}) {
    const char* found = ansi::FindLastChar(s, separator);
    if (found != nullptr && (last == nullptr || found > last)) last = found;
  }
  return last == nullptr ? std::string::npos : std::size_t(last - s);
}

bool HasKnownScheme(const std::string& text) {
  for (const SchemeRow& row : kSchemes) {
    if (std::strncmp(text.c_str(), row.word, row.bytes) == 0) return true;
  }
  return false;
}

bool MatchesPrefix(const std::string& link, const std::string& prefix) {
  const std::string l = ansi::ToLowerCopy(NormalizeUrl(link));
  const std::string p = ansi::ToLowerCopy(NormalizeUrl(prefix));
  const std::size_t n = std::min(l.size(), p.size());
  if (l.compare(0, n, p, 0, n) == 0) return true;

  // The scheme test looks at the normalised, lower-cased link, so that a link in capitals
  // with a listed scheme ("HTTP://elsewhere/") is kept out like its lower-case form.
  if (l.compare(0, std::strlen(kNormalizedPseudoHost), kNormalizedPseudoHost) != 0 &&
      HasKnownScheme(l)) {
    return false;
  }
  const std::size_t colon = l.find(':');
  if (colon == std::string::npos) return false;
  return p.size() > colon && l.compare(0, colon + 1, p, 0, colon + 1) == 0;
}

bool MapUrlToPath(std::string& relativePath, const std::string& url, int prefixLength) {
  relativePath.clear();
  if (url.size() > kMaxUrlLength) return false;
  const std::string u = NormalizeUrl(url);
  const std::size_t length = prefixLength > 0 ? std::size_t(prefixLength) : 0;

  std::size_t start = 0;
  if (length > 0 && u.size() > length) {
    start = length;
    if (IsSlash(u[start])) ++start;
  } else if (length > 0) {
    const std::size_t separator = LastSeparator(u);
    start = separator == std::string::npos ? 0 : separator + 1;
  } else {
    const char* s = u.c_str();
    const char* found = ansi::FindLastChar(s, ':');
    if (found == nullptr) found = ansi::FindLastChar(s, '\\');
    if (found == nullptr) found = ansi::FindLastChar(s, '/');
    start = found == nullptr ? 0 : std::size_t(found - s) + 1;
  }

  std::string path;
  if (!CrackUrlPath(kPlaceholderBase + u.substr(start), kCrackDecode, path,
                    kMaxPathLength + 1)) {
    return false;
  }
  relativePath = SafeRelativePath(path);
  return !relativePath.empty();
}

}  // namespace vw
