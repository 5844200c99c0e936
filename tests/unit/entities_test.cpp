#include "html/entities.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The byte a reference decodes to, or -1 when it is no reference.
int Decode(const std::string& s) {
  const auto r = vw::DecodeEntity(s);
  return r ? int(r->byte) : -1;
}

TEST(EntityTable, HoldsTheMarkupAndLatin1Names) {
  const auto& table = vw::EntityTable::Instance();
  EXPECT_EQ(table.Size(), 101u);
  EXPECT_EQ(table.Find("nbsp"), 160);
  EXPECT_EQ(table.Find("yuml"), 255);
  EXPECT_EQ(table.Find("quot"), 34);
  EXPECT_FALSE(table.Find("NBSP"));  // lookups are exact; case is normalised beforehand
  EXPECT_FALSE(table.Find("euro"));
}

TEST(DecodeEntity, NamedReferencesFollowTheCaseRules) {
  struct Case { const char* text; int byte; } cases[] = {
      {"&amp;", 38},    {"&AMP;", 38},    {"&Amp;", 38},    {"&lt;", 60},     {"&apos;", 39},
      {"&Eacute;", 201}, {"&eacute;", 233}, {"&EACUTE;", 201}, {"&Uuml;", 220},  {"&uuml;", 252},
      {"&Ccedil;", 199}, {"&ccedil;", 231}, {"&ETH;", 208},    {"&Eth;", 208},   {"&eth;", 240},
      {"&THORN;", 222},  {"&thorn;", 254},  {"&Oslash;", 216}, {"&OSLASH;", 216}, {"&oslash;", 248},
      {"&AElig;", 198},  {"&AELIG;", 198},  {"&aelig;", 230},  {"&curren;", 164}, {"&nbsp;", 160},
      {"&copy;", 169},   {"&NBSP;", 160},   {"&Aring;", 197},  {"&aRING;", 229},
      // Not in the table, no terminator, or the terminator too close.
      {"&euro;", -1},    {"&hellip;", -1},  {"&foo;", -1},     {"&amp", -1},     {"&a;", -1},
      {"&amp x;", -1},   {"&;", -1},        {"", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(Decode(c.text), c.byte) << c.text;
}

TEST(DecodeEntity, NumericReferencesReadLikeStrtol) {
  struct Case { const char* text; int byte; std::size_t length; } cases[] = {
      {"&#65;", 65, 5},
      {"&#x41;", 65, 6},
      {"&#X41;", 65, 6},
      {"&#300;", 44, 6},          // low eight bits
      {"&#20013;", 20013 & 0xFF, 8},  // a Chinese character's code gives one byte
      {"&#65abc;", 65, 8},        // junk before the ";" is consumed
      {"&#x;", 0, 4},             // no digits: 0
      {"&#x 41;", 65, 7},         // strtol skips white space after the base mark
      {"&#x-41;", 0xBF, 7},       // and accepts a sign
      {"&#x0x41;", 65, 8},        // and a "0x" prefix in base 16
      {"&#99999999999;", 0xFF, 14},  // saturates at INT32_MAX
      {"&#x-FFFFFFFFF;", 0x00, 14},  // and at INT32_MIN
      {"&#1&amp;", 1, 8},         // the first ";" ends the reference
  };
  for (const auto& c : cases) {
    const auto r = vw::DecodeEntity(std::string(c.text));
    ASSERT_TRUE(r) << c.text;
    EXPECT_EQ(int(r->byte), c.byte) << c.text;
    EXPECT_EQ(r->length, c.length) << c.text;
  }
  for (const char* none : {"&#;", "&#a1;", "&# 1;", "&#1"}) EXPECT_EQ(Decode(none), -1) << none;
}

TEST(DecodeEntity, TerminatorSearchIsDoubleByteAwareAndBounded) {
  // "\x81;" is one double-byte character: its ";" does not end the reference.
  EXPECT_EQ(Decode("&#65\x81;"), -1);
  EXPECT_EQ(Decode("&#65\x81;;"), 65);
  // The end pointer bounds the search even when a ";" follows in memory.
  const std::string s = "&amp;";
  EXPECT_FALSE(vw::DecodeEntity(s.data(), s.data() + 4));
}

TEST(DecodeEntity, SharedTerminatorSearchGivesTheSameResults) {
  const std::string text = "&amp &#66 &x;&lt;&\x81;&#67;& & &";
  const char* end = text.data() + text.size();
  vw::SemicolonCache cache;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') continue;
    const auto shared = vw::DecodeEntity(text.data() + i, end, cache);
    const auto fresh = vw::DecodeEntity(text.data() + i, end);
    ASSERT_EQ(bool(shared), bool(fresh)) << i;
    if (fresh) {
      EXPECT_EQ(shared->byte, fresh->byte) << i;
      EXPECT_EQ(shared->length, fresh->length) << i;
    }
  }
}

TEST(NormalizeEntityName, KeepsCaseOnlyWhereItDistinguishesCharacters) {
  struct Case { const char* in; const char* out; } cases[] = {
      {"AMP", "amp"},       {"Nbsp", "nbsp"},     {"AGRAVE", "Agrave"}, {"agrave", "agrave"},
      {"eTH", "eth"},       {"Eth", "ETH"},       {"tHORN", "thorn"},   {"ThOrN", "THORN"},
      {"OSLASH", "Oslash"}, {"oSLASH", "oslash"}, {"AELIG", "AElig"},   {"aElig", "aelig"},
      {"Uml", "uml"},       {"XTILDE", "Xtilde"}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(vw::NormalizeEntityName(c.in), c.out) << c.in;
}

}  // namespace
