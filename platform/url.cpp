#include "platform/url.h"

#include "platform/ansi.h"

namespace vw {
namespace {

// The five components of a URL reference; each view points into the text that was split.
struct UrlParts {
  std::string_view scheme;
  std::string_view authority;
  std::string_view path;
  std::string_view query;
  std::string_view fragment;
  bool hasScheme = false;
  bool hasAuthority = false;
  bool hasQuery = false;
  bool hasFragment = false;
};

// The length of the scheme at the start of `text`, without its ":", or 0 when the text does
// not begin with a scheme (a letter, then letters, digits, "+", "-" or ".", then ":").
std::size_t SchemeLength(std::string_view text) {
  if (text.empty() || !ansi::IsAlpha(static_cast<unsigned char>(text[0]))) return 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == ':') return i;
    if (!ansi::IsAlpha(c) && !ansi::IsDigit(c) && c != '+' && c != '-' && c != '.') return 0;
  }
  return 0;
}

// Splits a URL reference into its components (RFC 3986, appendix B, with the scheme
// grammar of section 3.1). The delimiters "/", "?", "#" and ":" are never GBK trail bytes,
// so a byte scan is safe.
UrlParts Split(std::string_view text) {
  UrlParts parts;
  std::size_t pos = 0;
  if (const std::size_t n = SchemeLength(text)) {
    parts.scheme = text.substr(0, n);
    parts.hasScheme = true;
    pos = n + 1;
  }
  if (text.compare(pos, 2, "//") == 0) {
    const std::size_t start = pos + 2;
    std::size_t end = text.find_first_of("/?#", start);
    if (end == std::string_view::npos) end = text.size();
    parts.authority = text.substr(start, end - start);
    parts.hasAuthority = true;
    pos = end;
  }
  std::size_t end = text.find_first_of("?#", pos);
  if (end == std::string_view::npos) end = text.size();
  parts.path = text.substr(pos, end - pos);
  pos = end;
  if (pos < text.size() && text[pos] == '?') {
    end = text.find('#', pos);
    if (end == std::string_view::npos) end = text.size();
    parts.query = text.substr(pos + 1, end - pos - 1);
    parts.hasQuery = true;
    pos = end;
  }
  if (pos < text.size() && text[pos] == '#') {
    parts.fragment = text.substr(pos + 1);
    parts.hasFragment = true;
  }
  return parts;
}

// For an opaque path that names a file inside a storage file ("@MSITStore:C:\b.chm::/a.htm",
// "store:b.chm::/a.htm"), the length of the storage part through its "::"; 0 for any other
// path. The rest, which begins with "/", resolves like a hierarchical path.
std::size_t StorageLength(std::string_view path) {
  const std::size_t mark = path.find("::/");
  return mark == std::string_view::npos ? 0 : mark + 2;
}

// Removes the last segment of `out`, with the "/" before it.
void DropLastSegment(std::string& out) {
  const std::size_t slash = out.rfind('/');
  out.erase(slash == std::string::npos ? 0 : slash);
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// RFC 3986, 5.2.4: interprets and removes the "." and ".." segments of a path.
std::string RemoveDotSegments(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  while (!in.empty()) {
    if (StartsWith(in, "../")) {
      in.remove_prefix(3);
    } else if (StartsWith(in, "./")) {
      in.remove_prefix(2);
    } else if (StartsWith(in, "/./")) {
      in.remove_prefix(2);
    } else if (in == "/.") {
      out += '/';
      break;
    } else if (StartsWith(in, "/../")) {
      in.remove_prefix(3);
      DropLastSegment(out);
    } else if (in == "/..") {
      DropLastSegment(out);
      out += '/';
      break;
    } else if (in == "." || in == "..") {
      break;
    } else {
      std::size_t end = in.find('/', 1);
      if (end == std::string_view::npos) end = in.size();
      out.append(in.substr(0, end));
      in.remove_prefix(end);
    }
  }
  return out;
}

// RFC 3986, 5.2.3: the reference path appended to the base path's directory.
std::string MergePaths(const UrlParts& base, std::string_view relativePath) {
  if (base.hasAuthority && base.path.empty()) return "/" + std::string(relativePath);
  const std::size_t slash = base.path.rfind('/');
  std::string merged;
  if (slash != std::string_view::npos) merged.assign(base.path.substr(0, slash + 1));
  merged.append(relativePath);
  return merged;
}

// RFC 3986, 5.3: puts the components back together.
std::string Recompose(std::string_view scheme, bool hasAuthority, std::string_view authority,
                      std::string_view path, bool hasQuery, std::string_view query,
                      bool hasFragment, std::string_view fragment) {
  std::string url;
  url.reserve(scheme.size() + authority.size() + path.size() + query.size() +
              fragment.size() + 6);
  url.append(scheme).append(":");
  if (hasAuthority) url.append("//").append(authority);
  url.append(path);
  if (hasQuery) url.append("?").append(query);
  if (hasFragment) url.append("#").append(fragment);
  return url;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = ansi::ToLower(c);
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

}  // namespace

bool CombineUrl(std::string_view base, std::string_view relative, std::string& out) {
  const UrlParts b = Split(base);
  const UrlParts r = Split(relative);
  if (!b.hasScheme) return false;

  std::string result;
  if (r.hasScheme) {
    result = Recompose(r.scheme, r.hasAuthority, r.authority, RemoveDotSegments(r.path),
                       r.hasQuery, r.query, r.hasFragment, r.fragment);
  } else {
    const bool sameDocument = !r.hasAuthority && r.path.empty() && !r.hasQuery;
    const bool opaqueBase = !b.hasAuthority && (b.path.empty() || b.path[0] != '/');
    const std::size_t storage = opaqueBase ? StorageLength(b.path) : 0;
    if (opaqueBase && storage == 0 && !sameDocument) return false;

    if (storage > 0 && !sameDocument) {
      // A file inside a storage: resolve against the rooted path after the "::".
      if (r.hasAuthority) return false;
      const std::string_view root = b.path.substr(0, storage);
      UrlParts inner;
      inner.path = b.path.substr(storage);
      std::string path(root);
      if (r.path.empty()) {
        path.append(inner.path);
      } else {
        path.append(RemoveDotSegments(r.path[0] == '/' ? std::string(r.path)
                                                       : MergePaths(inner, r.path)));
      }
      const bool useRefQuery = r.hasQuery || !r.path.empty();
      result = Recompose(b.scheme, false, {}, path, useRefQuery ? r.hasQuery : b.hasQuery,
                         useRefQuery ? r.query : b.query, r.hasFragment, r.fragment);
    } else if (r.hasAuthority) {
      result = Recompose(b.scheme, true, r.authority, RemoveDotSegments(r.path), r.hasQuery,
                         r.query, r.hasFragment, r.fragment);
    } else if (r.path.empty()) {
      const bool useRefQuery = r.hasQuery;
      result = Recompose(b.scheme, b.hasAuthority, b.authority, b.path,
                         useRefQuery || b.hasQuery, useRefQuery ? r.query : b.query,
                         r.hasFragment, r.fragment);
    } else {
      const std::string path = r.path[0] == '/' ? RemoveDotSegments(r.path)
                                                : RemoveDotSegments(MergePaths(b, r.path));
      result = Recompose(b.scheme, b.hasAuthority, b.authority, path, r.hasQuery, r.query,
                         r.hasFragment, r.fragment);
    }
  }
  if (result.size() > kMaxUrlLength) return false;
  out = std::move(result);
  return true;
}

bool CrackUrlPath(std::string_view url, unsigned flags, std::string& path,
                  std::size_t bufferSize) {
  const UrlParts parts = Split(url);
  if (!parts.hasScheme || bufferSize == 0) return false;

  std::string result;
  if ((flags & (kCrackDecode | kCrackEscape)) == 0) {
    result.assign(parts.path);
  } else {
    const std::string_view in = parts.path;
    result.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
      int high = -1;
      int low = -1;
      if (in[i] == '%' && i + 2 < in.size()) {
        high = HexValue(in[i + 1]);
        low = HexValue(in[i + 2]);
      }
      if (high >= 0 && low >= 0) {
        const char byte = static_cast<char>(high * 16 + low);
        if (byte == 0) return false;
        result += byte;
        i += 2;
      } else {
        result += in[i];
      }
    }
  }
  if (result.size() + 1 > bufferSize) return false;
  path = std::move(result);
  return true;
}

}  // namespace vw
