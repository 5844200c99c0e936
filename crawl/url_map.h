// Where a page goes on disk and which links belong to the e-book: the URL normalisation, the
// prefix test and the mapping of a page URL to a relative file path below the target folder.
#pragma once

#include <cstddef>
#include <string>

namespace vw {

// The host word of the pseudo-host under which the viewers of one e-book family serve their
// pages.
constexpr const char kPseudoHostWord[] = "ebook";

// The pseudo-host prefix, "http://ebook/" (13 bytes): source identification takes it whole
// as the link prefix.
constexpr const char kPseudoHostPrefix[] = "http://ebook/";
constexpr std::size_t kPseudoHostPrefixLength = sizeof(kPseudoHostPrefix) - 1;

// The same prefix normalised and followed by "/": "http:/ebook/" (12 bytes).
constexpr const char kNormalizedPseudoHost[] = "http:/ebook/";

// The placeholder base put in front of a relative path so that the URL splitter gets a
// well-formed URL; nothing is ever fetched from it.
constexpr const char kPlaceholderBase[] = "http://placeholder/";

// The longest decoded URL path a file path can take (a 260-byte path buffer).
constexpr std::size_t kMaxPathLength = 259;

// The text up to its first "?" or "#", with every run of slashes and backslashes made one
// "/" and without a trailing "/": "ebk://a//b\c.htm?x=1#top" gives "ebk:/a/b/c.htm". Byte
// by byte, like the original; never longer than the input.
std::string NormalizeUrl(const std::string& text);

// The position of the rightmost backslash, "/", ":" or "?" (double-byte aware), or
// std::string::npos when the text holds none of them.
std::size_t LastSeparator(const std::string& text);

// True when the text begins with one of the scheme words "http", "file", "ftp", "https",
// "mk", "Gopher", "local", compared exactly (letter case included) over the word only.
bool HasKnownScheme(const std::string& text);

// True when `link` belongs under the link prefix: one of the two normalised, lower-cased
// texts begins with the other; or else the link lies under the pseudo-host or has a scheme
// outside the scheme table, and the prefix begins with the same scheme and ":".
bool MatchesPrefix(const std::string& link, const std::string& prefix);

// Writes to `relativePath` the file path, below the target folder, of the page at `url`,
// with backslashes as separators; `prefixLength` is the number of leading bytes of the
// normalised URL that the link prefix accounts for (0 for an empty prefix).
//
// Percent escapes are decoded, and the decoded path is then made safe to put behind the
// folder: "." segments and empty segments are dropped, ".." segments are written "_" and a
// leading drive's colon becomes "_", so no address can climb out of the folder or name an
// absolute path. Ordinary addresses map unchanged.
//
// Returns false, with `relativePath` empty, when the URL is longer than 2047 bytes, when its
// decoded path is longer than 259 bytes or cannot be split, or when no file name is left;
// the crawl then saves nothing for that page.
bool MapUrlToPath(std::string& relativePath, const std::string& url, int prefixLength);

}  // namespace vw
