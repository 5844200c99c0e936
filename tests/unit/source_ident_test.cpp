#include "acquire/source_ident.h"

#include <gtest/gtest.h>

namespace {

TEST(DeriveLinkPrefix, FollowsTheAddressRules) {
  struct Case { const char* address; const char* prefix; } cases[] = {
      {"http://ebook/a/b.htm", "http://ebook/"},        // pseudo-host: the prefix whole
      {"http://ebook/", "http://ebook/"},
      {"HTTP://ebook/a.htm", "HTTP:"},  // the scheme table compares case-sensitively
      {"http://EBOOK/a/b.htm", "http://EBOOK/a/"},      // the host word compares exactly
      {"file:///C:/book/p/1.htm", "file:///C:/book/p/"},
      {"file:///C:/book/p/", "file:///C:/book/"},       // ends in a separator: the parent
      {"http://host/dir/page.htm?x=1", "http://host/dir/page.htm?"},
      {"ic32pp:/book/1.htm", "ic32pp:"},                // own scheme: up to the last ':'
      {"ebk:store::/chap/a.htm", "ebk:store::"},
      {"chap1\\a.htm", "chap1\\"},                      // no scheme: folder cut
      {"plain", "plain"},                               // no separator: stays whole
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vw::DeriveLinkPrefix(c.address), c.prefix) << c.address;
  }
}

TEST(DeriveLinkPrefix, TrailByteBackslashIsNotASeparator) {
  // "\xD5\x5C" is one Chinese character whose second byte equals '\\'.
  EXPECT_EQ(vw::DeriveLinkPrefix("file:///d/\xD5\x5C" "a.htm"), "file:///d/");
}

}  // namespace
