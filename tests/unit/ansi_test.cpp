#include "platform/ansi.h"
#include "platform/ansi_convert.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// "\xD5\x5C" and "\x81\x7C" are double-byte characters whose trail bytes equal '\\' and '|'.
const char kBackslashTrail[] = "a\xD5\x5C" "b\\c";
const char kBarTrail[] = "x\x81\x7C" "y|z";

TEST(AnsiNext, StepsOverDoubleByteCharactersAndStopsAtZero) {
  struct Case { const char* text; std::size_t offset; std::size_t expected; } cases[] = {
      {"ab", 0, 1},
      {"\xD6\xD0" "a", 0, 2},   // a Chinese character moves as one
      {"\xD6", 0, 1},           // a lead byte as the very last byte counts as one byte
      {"", 0, 0},               // at the terminating zero the position stays
      {"a", 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ansi::Next(c.text + c.offset) - c.text, static_cast<long>(c.expected)) << c.text;
  }
}

TEST(AnsiNext, BoundedRangeNeverPassesItsEnd) {
  const char text[] = "\xD6\xD0";
  EXPECT_EQ(ansi::Next(text, text + 1), text + 1);  // lead byte at the end of the range
  EXPECT_EQ(ansi::Next(text + 1, text + 1), text + 1);
  EXPECT_EQ(ansi::Next(text, text + 2), text + 2);
}

TEST(AnsiFind, TrailBytesNeverMatchSingleByteSearches) {
  EXPECT_EQ(ansi::FindChar(kBackslashTrail, '\\'), kBackslashTrail + 4);
  EXPECT_EQ(ansi::FindLastChar(kBackslashTrail, '\\'), kBackslashTrail + 4);
  EXPECT_EQ(ansi::FindChar(kBarTrail, '|'), kBarTrail + 4);
  EXPECT_EQ(ansi::FindLastChar("\xD5\x5C", '\\'), nullptr);
  EXPECT_EQ(ansi::FindChar("abc", 'z'), nullptr);
  const char* s = "a/b/c";
  EXPECT_EQ(ansi::FindLastChar(s, '/'), s + 3);
}

TEST(AnsiFind, StrStrMatchesOnlyAtCharacterStarts) {
  // "\x81\x5C\x5C" : the first '\\' is a trail byte, the second is a character.
  const char text[] = "\x81\x5C\x5C";
  EXPECT_EQ(ansi::FindStr(text, "\\"), text + 2);
  EXPECT_EQ(ansi::FindStr(text, "\\\\"), nullptr);
  const char* empty = "abc";
  EXPECT_EQ(ansi::FindStr(empty, ""), empty);
  const char* abc = "xx--y";
  EXPECT_EQ(ansi::FindStr(abc, "--"), abc + 2);
  EXPECT_EQ(ansi::FindStr("a-b", "--"), nullptr);
  const char lastLead[] = "ab\xD6";
  EXPECT_EQ(ansi::FindStr(lastLead, "\xD6"), lastLead + 2);
}

TEST(AnsiCompare, FoldsAsciiCaseOnly) {
  EXPECT_TRUE(ansi::EqualNoCase("Complete", "COMPLETE"));
  EXPECT_FALSE(ansi::EqualNoCase("complete", "complet"));
  EXPECT_FALSE(ansi::EqualNoCase("\xC4\xE3", "\xC4\xC3"));  // GBK bytes compare exactly
  // 0x81 0x41 and 0x81 0x61 are two different characters whose trail bytes are 'A' and 'a'.
  EXPECT_FALSE(ansi::EqualNoCase("x\x81\x41", "X\x81\x61"));
  EXPECT_TRUE(ansi::EqualNoCase("x\x81\x41", "X\x81\x41"));
  EXPECT_TRUE(ansi::EqualNoCase(std::string("A.HTM"), std::string("a.htm")));
  EXPECT_FALSE(ansi::EqualNoCase(std::string("a"), std::string("ab")));
}

TEST(AnsiConvert, RoundTripsChineseAndReplacesWhatGbkCannotHold) {
  const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87 ok";  // "中文 ok"
  const std::string gbk = "\xD6\xD0\xCE\xC4 ok";
  EXPECT_EQ(ansi::FromUtf8(utf8), gbk);
  EXPECT_EQ(ansi::ToUtf8(gbk), utf8);
  EXPECT_EQ(ansi::FromUtf16(ansi::ToUtf16(gbk)), gbk);
  EXPECT_EQ(ansi::FromUtf8("a\xF0\x9F\x98\x80" "b"), "a?b");  // an emoji is not in GBK
  EXPECT_EQ(ansi::FromUtf8("a\xFF" "b"), "a?b");              // invalid UTF-8
  EXPECT_EQ(ansi::FromUtf16(u"a\xD800" "b"), "a?b");          // lone surrogate
  EXPECT_EQ(ansi::ToUtf8("a\xD6"), "a?");                      // lead byte cut off at the end
  EXPECT_EQ(ansi::FromUtf8(""), "");
}

}  // namespace
