#include "crawl/url_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ansi.h"

namespace {

const std::string P = vw::kPseudoHostPrefix;  // "http://ebook/"
const std::string H = vw::kPseudoHostWord;    // "ebook"

TEST(UrlMap, PseudoHostConstantsAgree) {
  EXPECT_EQ(P.size(), 13u);
  EXPECT_EQ(P, "http://" + H + "/");
  EXPECT_EQ(vw::NormalizeUrl(P) + "/", vw::kNormalizedPseudoHost);
}

TEST(NormalizeUrl, CollapsesSlashesAndDropsQueryFragmentAndTrailingSlash) {
  const struct { const char* in; const char* out; } cases[] = {
      {"/", ""},
      {"?x=1", ""},
      {"#top", ""},
      {"", ""},
      {"a\\\\/b/", "a/b"},
      {"ebk://a//b\\c.htm?x=1#top", "ebk:/a/b/c.htm"},
      {"http://ebook/", "http:/ebook"},
      {"a/#/b", "a"},
      {"\xD5\\x", "\xD5/x"},  // byte by byte: a trail backslash is turned too
  };
  for (const auto& c : cases) EXPECT_EQ(vw::NormalizeUrl(c.in), c.out) << c.in;
}

TEST(LastSeparator, FindsTheRightmostOfTheFourSeparators) {
  const struct { const char* text; std::size_t expected; } cases[] = {
      {"abc", std::string::npos},
      {"", std::string::npos},
      {"a:b/c?d", 5},
      {"a?b/c:d\\e", 7},
      {"a\\b\xD5\x5C", 1},  // the trail byte of a Chinese character is no separator
      {"x\xD5\x5C", std::string::npos},
  };
  for (const auto& c : cases) EXPECT_EQ(vw::LastSeparator(c.text), c.expected) << c.text;
}

TEST(HasKnownScheme, ComparesTheTableWordsExactly) {
  const struct { const char* text; bool expected; } cases[] = {
      {"files/a.htm", true}, {"mkdir", true},     {"HTTP://X", false}, {"gopher:x", false},
      {"Gopher:x", true},    {"ftp", true},       {"ft", false},       {"", false},
      {"local:x", true},     {"https://x", true}, {"ebk:x", false},    {"mailto:a", false},
  };
  for (const auto& c : cases) EXPECT_EQ(vw::HasKnownScheme(c.text), c.expected) << c.text;
}

TEST(MatchesPrefix, DecidesWhichLinksBelongToTheBook) {
  const struct { std::string link, prefix; bool expected; } cases[] = {
      {P + "dir/a.htm", P, true},
      {P + "a.htm", P + "dir/", true},  // under the pseudo-host, same scheme
      {"ebk:/chap2/b.htm", "ebk:/chap1/", true},  // scheme outside the table
      {"file:///C:/book/b.htm", "file:///C:/book/sub/", false},
      {"HTTP://EBOOK/DIR/A.HTM", P + "dir", true},
      {"http://elsewhere/a.htm", P, false},
      {"HTTP://ELSEWHERE/a.htm", P, false},  // capitals do not sneak past the scheme test
      {"mailto:me@ebook", P, false},
      {"ebk:x.htm", "", true},  // an empty side always matches
      {"", P, true},
      {"ebk:/a.htm", "ebx:/b/", false},
      {"ebk", "ebx:/b/", false},  // no colon
      {"javascript:void(0)", "ebk:/book/", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vw::MatchesPrefix(c.link, c.prefix), c.expected) << c.link << " under " << c.prefix;
  }
}

// The segments of a relative path as the file layer sees them: split at backslashes that
// are not trail bytes, and at every "/".
std::vector<std::string> Segments(const std::string& path) {
  std::vector<std::string> segments(1);
  for (const char* p = path.c_str(); *p;) {
    const char* next = ansi::Next(p);
    if (*p == '\\' || *p == '/') {
      segments.emplace_back();
    } else {
      segments.back().append(p, next);
    }
    p = next;
  }
  return segments;
}

struct MapCase {
  std::string url;
  int prefixLength;
  std::string expected;  // empty: MapUrlToPath fails
};

void CheckMap(const MapCase& c) {
  std::string path = "stale";
  const bool ok = vw::MapUrlToPath(path, c.url, c.prefixLength);
  EXPECT_EQ(ok, !c.expected.empty()) << c.url;
  EXPECT_EQ(path, c.expected) << c.url << " with " << c.prefixLength;
}

TEST(MapUrlToPath, MapsTheWorkedExamples) {
  const MapCase cases[] = {
      {P + "dir/a%20b.htm?x=1#t", 6, H + "\\dir\\a b.htm"},
      {P + "dir/sub/c.htm", 12, "dir\\sub\\c.htm"},
      {"file:///C:/book/x/y.htm", 9, "book\\x\\y.htm"},
      {"ebk://chap1/a.htm", 4, "chap1\\a.htm"},
      {"ebk:chap1/a.htm", 0, "chap1\\a.htm"},
      {P, 6, H},
      // query and fragment make no difference
      {P + "dir/a%20b.htm", 6, H + "\\dir\\a b.htm"},
      {P + "dir/a%20b.htm#other", 6, H + "\\dir\\a b.htm"},
      // the URL not longer than the prefix: after its last separator
      {"ebk:/chap1", 12, "chap1"},
      {"chap1", 12, "chap1"},
      // no prefix: after the last ":", else the last backslash, else the last "/"
      {"chap1\\sub\\a.htm", 0, "a.htm"},
      {"chap1/a.htm", 0, "a.htm"},
      {"a.htm", 0, "a.htm"},
      // Chinese names, one with a trail byte 0x5C, plain and escaped
      {P + "\xD6\xD0/\xD5\x5C.htm", 6, H + "\\\xD6\xD0\\\xD5\x5C.htm"},
      {P + "%D5%5C/%D6%D0.htm", 6, H + "\\\xD5\x5C\\\xD6\xD0.htm"},
  };
  for (const auto& c : cases) CheckMap(c);
}

TEST(MapUrlToPath, NoAddressClimbsOutOfTheFolder) {
  const MapCase cases[] = {
      {P + "%2e%2e/%2e%2e/x.htm", 6, H + "\\_\\_\\x.htm"},
      {P + "..%5c..%5cx.htm", 6, H + "\\_\\_\\x.htm"},
      {P + "dir/..%5C..%5C..%5Cx.htm", 12, "dir\\_\\_\\_\\x.htm"},
      {"ebk:..%2f..%2fx.htm", 0, "_\\_\\x.htm"},
      {"ebk:/../../x.htm", 0, "_\\_\\x.htm"},
      {"ebk:%2e%2e", 0, "_"},
      {P + ".%2e/x", 6, H + "\\_\\x"},
      {P + "...%5C. .%5Cx", 6, H + "\\_\\_\\x"},
      {P + "%2e/x.htm", 6, H + "\\x.htm"},  // "." is dropped
      {P + "dir/%2Fetc%2Fpasswd", 12, "dir\\etc\\passwd"},
      {P + "dir/%2F%2Fetc", 12, "dir\\etc"},
      {P + "%5C%5Cserver%5Cshare%5Cx", 12, "server\\share\\x"},
      {"ebk:/C:/windows/x.htm", 4, "C_\\windows\\x.htm"},
      {"ebk:/%2Fetc/x", 4, "etc\\x"},
      // "\xD5\x5C" is one character: the ".." after it is part of the name
      {P + "%D5%5C..%5Cx.htm", 6, H + "\\\xD5\x5C..\\x.htm"},
      // a lead byte never swallows a "/"
      {P + "%81/../x", 6, H + "\\\x81\\_\\x"},
      // nothing left to name a file
      {"ebk:%2e", 0, ""},
      {"ebk:/%2F", 4, ""},
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    CheckMap(c);
    std::string path;
    vw::MapUrlToPath(path, c.url, c.prefixLength);
    EXPECT_TRUE(path.empty() || (path[0] != '\\' && path[0] != '/')) << path;
    for (const std::string& segment : Segments(path)) EXPECT_NE(segment, "..") << path;
  }
}

TEST(MapUrlToPath, RefusesWhatTheBuffersCannotHold) {
  const std::string longName(2047 - P.size(), 'a');
  CheckMap({P + std::string(240, 'a'), 6, H + "\\" + std::string(240, 'a')});
  CheckMap({P + std::string(300, 'a'), 6, ""});  // decoded path over 259 bytes
  CheckMap({P + longName + "#f", 6, ""});        // URL text of 2048 bytes
  CheckMap({P + "a%00.htm", 6, ""});             // an escaped zero byte
}

}  // namespace
