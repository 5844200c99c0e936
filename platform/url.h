// URL functions in the manner of the Windows internet library: resolving a relative link
// against a base, and taking the path out of a URL. They work on raw GBK bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vw {

// The longest URL text the program handles: its URL work buffers hold 2048 bytes with the
// terminating zero.
constexpr std::size_t kMaxUrlLength = 2047;

// Resolves `relative` against the absolute URL `base` as a browser does (RFC 3986, 5.2:
// split into scheme, authority, path, query and fragment, merge the paths, remove the dot
// segments), like InternetCombineUrlA with ICU_NO_ENCODE: no byte is percent-encoded and no
// byte is rejected, so spaces, backslashes and GBK characters pass through as they are.
//
// A `relative` with a scheme of its own (a letter, then letters, digits, "+", "-", ".", then
// ":") is returned with only its dot segments removed. A base whose path is hierarchical
// (it has an authority, or its path begins with "/") resolves whatever its scheme:
// "ebk:/chap1/a.htm" with "b.htm" gives "ebk:/chap1/b.htm". A base with an opaque path
// ("ebk:chap1/a.htm", "mailto:x") resolves only a reference to the same document (an empty
// one or a bare "#fragment"); anything else fails, which is why callers give such bases a
// leading "/" first. One kind of opaque path does resolve: a file inside a storage file,
// written "storage::/path" ("mk:@MSITStore:C:\b.chm::/d/a.htm"): the part through "::" stays
// and the rooted path after it resolves as usual ("b.htm" gives "...b.chm::/d/b.htm").
//
// Returns false, with `out` left unchanged, when the base has no scheme, when the link cannot
// be resolved against it, or when the result would be longer than kMaxUrlLength bytes.
bool CombineUrl(std::string_view base, std::string_view relative, std::string& out);

// How CrackUrlPath treats escape sequences. Both flags of the Windows function (ICU_DECODE
// and ICU_ESCAPE) turn each "%XX" (two hex digits) into the byte XX; kCrackRaw leaves them.
enum CrackFlags : unsigned {
  kCrackRaw = 0,
  kCrackDecode = 1,
  kCrackEscape = 2,
};

// Takes the path out of `url`, like InternetCrackUrlA asked for the URL path only: the part
// after "scheme://authority", or after "scheme:" when no "//" follows, up to (not including)
// the first "?" or "#". The query and the fragment are never part of it, so a page address
// with a query is still recognised by its extension.
//
// `bufferSize` is the size of the caller's buffer, terminating zero included (260 holds at
// most 259 bytes). Returns false, with `path` left unchanged, when `url` has no scheme, when
// the (decoded) path would not fit, or when decoding would produce a zero byte.
bool CrackUrlPath(std::string_view url, unsigned flags, std::string& path,
                  std::size_t bufferSize);

}  // namespace vw
