#include "platform/url.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CombineCase {
  const char* base;
  const char* relative;
  const char* expected;  // nullptr: the combination fails
};

void CheckCombine(const CombineCase& c) {
  std::string out = "stale";
  const bool ok = vw::CombineUrl(c.base, c.relative, out);
  if (c.expected == nullptr) {
    EXPECT_FALSE(ok) << c.base << " + " << c.relative << " gave " << out;
    EXPECT_EQ(out, "stale") << "a failed combination must leave the output alone";
  } else {
    EXPECT_TRUE(ok) << c.base << " + " << c.relative;
    EXPECT_EQ(out, c.expected) << c.base << " + " << c.relative;
  }
}

// The reference resolution examples of RFC 3986, section 5.4 (strict parser).
TEST(CombineUrl, ResolvesTheRfcExamples) {
  const char* base = "http://a/b/c/d;p?q";
  const CombineCase cases[] = {
      // 5.4.1 normal examples
      {base, "g:h", "g:h"},
      {base, "g", "http://a/b/c/g"},
      {base, "./g", "http://a/b/c/g"},
      {base, "g/", "http://a/b/c/g/"},
      {base, "/g", "http://a/g"},
      {base, "//g", "http://g"},
      {base, "?y", "http://a/b/c/d;p?y"},
      {base, "g?y", "http://a/b/c/g?y"},
      {base, "#s", "http://a/b/c/d;p?q#s"},
      {base, "g#s", "http://a/b/c/g#s"},
      {base, "g?y#s", "http://a/b/c/g?y#s"},
      {base, ";x", "http://a/b/c/;x"},
      {base, "g;x", "http://a/b/c/g;x"},
      {base, "g;x?y#s", "http://a/b/c/g;x?y#s"},
      {base, "", "http://a/b/c/d;p?q"},
      {base, ".", "http://a/b/c/"},
      {base, "./", "http://a/b/c/"},
      {base, "..", "http://a/b/"},
      {base, "../", "http://a/b/"},
      {base, "../g", "http://a/b/g"},
      {base, "../..", "http://a/"},
      {base, "../../", "http://a/"},
      {base, "../../g", "http://a/g"},
      // 5.4.2 abnormal examples
      {base, "../../../g", "http://a/g"},
      {base, "../../../../g", "http://a/g"},
      {base, "/./g", "http://a/g"},
      {base, "/../g", "http://a/g"},
      {base, "g.", "http://a/b/c/g."},
      {base, ".g", "http://a/b/c/.g"},
      {base, "g..", "http://a/b/c/g.."},
      {base, "..g", "http://a/b/c/..g"},
      {base, "./../g", "http://a/b/g"},
      {base, "./g/.", "http://a/b/c/g/"},
      {base, "g/./h", "http://a/b/c/g/h"},
      {base, "g/../h", "http://a/b/c/h"},
      {base, "g;x=1/./y", "http://a/b/c/g;x=1/y"},
      {base, "g;x=1/../y", "http://a/b/c/y"},
      {base, "g?y/./x", "http://a/b/c/g?y/./x"},
      {base, "g?y/../x", "http://a/b/c/g?y/../x"},
      {base, "g#s/./x", "http://a/b/c/g#s/./x"},
      {base, "g#s/../x", "http://a/b/c/g#s/../x"},
      {base, "http:g", "http:g"},
  };
  for (const auto& c : cases) CheckCombine(c);
}

// Links in e-books hold raw spaces, backslashes and GBK names; nothing may be encoded or
// refused. "\xD5\x5C" is a Chinese character whose trail byte is a backslash.
TEST(CombineUrl, PassesRawBytesThrough) {
  const CombineCase cases[] = {
      {"http://ebook/\xD6\xD0/a.htm", "b c.htm", "http://ebook/\xD6\xD0/b c.htm"},
      {"http://ebook/dir/a.htm", "sub\\x.htm", "http://ebook/dir/sub\\x.htm"},
      {"http://ebook/dir/a.htm", "\xD5\x5C.htm?q=\xD6\xD0", "http://ebook/dir/\xD5\x5C.htm?q=\xD6\xD0"},
      {"file:///C:/book/a.htm", "../b.htm", "file:///C:/b.htm"},
  };
  for (const auto& c : cases) CheckCombine(c);
}

TEST(CombineUrl, UnknownSchemesResolveOnlyWithARootedPath) {
  const CombineCase cases[] = {
      {"ebk:/chap1/a.htm", "b.htm", "ebk:/chap1/b.htm"},
      {"ebk:/chap1/a.htm", "../chap2/c.htm", "ebk:/chap2/c.htm"},
      {"its:/book/b.chm::/html/p1.htm", "p2.htm", "its:/book/b.chm::/html/p2.htm"},
      // an opaque path does not resolve a path reference ...
      {"ebk:chap1/a.htm", "b.htm", nullptr},
      {"ebk:chap1/a.htm", "/b.htm", nullptr},
      {"ebk:chap1/a.htm", "//host/b.htm", nullptr},
      {"mailto:someone@ebook", "x", nullptr},
      {"ebk:", "b.htm", nullptr},
      // ... but a reference to the same document, or one with its own scheme, works
      {"ebk:chap1/a.htm#old", "#top", "ebk:chap1/a.htm#top"},
      {"ebk:chap1/a.htm", "http://x/./y/../z.htm", "http://x/z.htm"},
      // a file inside a storage file resolves within the storage
      {"mk:@MSITStore:C:\\b.chm::/d/a.htm", "b.htm", "mk:@MSITStore:C:\\b.chm::/d/b.htm"},
      {"mk:@MSITStore:C:\\b.chm::/d/a.htm", "../../x.htm?q#f", "mk:@MSITStore:C:\\b.chm::/x.htm?q#f"},
      {"mk:@MSITStore:C:\\b.chm::/d/a.htm?q", "/e/c.htm", "mk:@MSITStore:C:\\b.chm::/e/c.htm"},
      {"mk:@MSITStore:C:\\b.chm::/d/a.htm?q", "?r", "mk:@MSITStore:C:\\b.chm::/d/a.htm?r"},
      {"scheme:path::/page.htm", "next.htm", "scheme:path::/next.htm"},
      {"scheme:path::/page.htm", "//host/x.htm", nullptr},
      {"scheme:path::page.htm", "next.htm", nullptr},
      // the base must be absolute
      {"chap1/a.htm", "b.htm", nullptr},
      {"", "b.htm", nullptr},
      {"1ebk:/a.htm", "b.htm", nullptr},
  };
  for (const auto& c : cases) CheckCombine(c);
}

TEST(CombineUrl, FailsWhenTheResultExceedsTheUrlBuffer) {
  const std::string base = "http://a/" + std::string(2037, 'x');  // 2046 bytes
  ASSERT_EQ(base.size(), 2046u);
  CheckCombine({base.c_str(), "#", (base + "#").c_str()});    // 2047 bytes fit
  CheckCombine({base.c_str(), "#1", nullptr});                 // 2048 do not
  const std::string longLink = "http://b/" + std::string(3000, 'y');
  CheckCombine({"http://a/", longLink.c_str(), nullptr});
}

struct CrackCase {
  const char* url;
  unsigned flags;
  std::size_t bufferSize;
  const char* expected;  // nullptr: the split fails
};

TEST(CrackUrlPath, TakesThePathWithoutQueryOrFragment) {
  const CrackCase cases[] = {
      {"http://ebook/dir/a%20b.htm?x=1#t", vw::kCrackDecode, 260, "/dir/a b.htm"},
      {"http://ebook/dir/a%20b.htm?x=1#t", vw::kCrackEscape, 260, "/dir/a b.htm"},
      {"http://ebook/dir/a%20b.htm?x=1#t", vw::kCrackRaw, 260, "/dir/a%20b.htm"},
      {"http://ebook/a.htm#p?x", vw::kCrackDecode, 260, "/a.htm"},
      {"http://host", vw::kCrackDecode, 260, ""},
      {"http://host?q=/a.htm", vw::kCrackDecode, 260, ""},
      {"file:///C:/book/x.htm", vw::kCrackDecode, 260, "/C:/book/x.htm"},
      {"ebk:chap1\\a.htm", vw::kCrackDecode, 260, "chap1\\a.htm"},
      {"ebk:/chap1/a.htm", vw::kCrackDecode, 260, "/chap1/a.htm"},
      {"mailto:a@b.c", vw::kCrackDecode, 260, "a@b.c"},
      // escapes: either hex case, GBK bytes, and malformed escapes stay as written
      {"http://h/%4a%4A", vw::kCrackDecode, 260, "/JJ"},
      {"http://h/%D6%D0.htm", vw::kCrackDecode, 260, "/\xD6\xD0.htm"},
      {"http://h/%zz%4", vw::kCrackDecode, 260, "/%zz%4"},
      {"http://h/%2541", vw::kCrackDecode, 260, "/%41"},  // decoded once only
      // no scheme, or a decoded zero byte
      {"/a/b.htm", vw::kCrackDecode, 260, nullptr},
      {"a b:c.htm", vw::kCrackDecode, 260, nullptr},
      {"", vw::kCrackDecode, 260, nullptr},
      {"http://h/a%00.htm", vw::kCrackDecode, 260, nullptr},
      {"http://h/a.htm", vw::kCrackDecode, 0, nullptr},
  };
  for (const auto& c : cases) {
    std::string path = "stale";
    const bool ok = vw::CrackUrlPath(c.url, c.flags, path, c.bufferSize);
    if (c.expected == nullptr) {
      EXPECT_FALSE(ok) << c.url;
      EXPECT_EQ(path, "stale") << c.url;
    } else {
      EXPECT_TRUE(ok) << c.url;
      EXPECT_EQ(path, c.expected) << c.url;
    }
  }
}

TEST(CrackUrlPath, RefusesAPathThatDoesNotFitTheBuffer) {
  // A 260-byte buffer holds 259 bytes and the terminating zero; the limit applies to the
  // decoded path, not to the URL text.
  const std::string fits = "http://h/" + std::string(258, 'a');
  const std::string tooLong = "http://h/" + std::string(259, 'a');
  std::string escaped = "http://h/";
  for (int i = 0; i < 258; ++i) escaped += "%41";
  std::string path = "stale";
  EXPECT_TRUE(vw::CrackUrlPath(fits, vw::kCrackDecode, path, 260));
  EXPECT_EQ(path.size(), 259u);
  EXPECT_TRUE(vw::CrackUrlPath(escaped, vw::kCrackDecode, path, 260));
  EXPECT_EQ(path, "/" + std::string(258, 'A'));
  path = "stale";
  EXPECT_FALSE(vw::CrackUrlPath(tooLong, vw::kCrackDecode, path, 260));
  EXPECT_FALSE(vw::CrackUrlPath(escaped, vw::kCrackRaw, path, 260));
  EXPECT_EQ(path, "stale");
}

}  // namespace
