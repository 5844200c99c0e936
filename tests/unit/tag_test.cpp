#include "html/attribute_value.h"
#include "html/tag.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

struct ParsedAttribute {
  std::size_t consumed;
  vw::CHtmlAttribute attribute;
};

ParsedAttribute ParseAttribute(const std::string& text) {
  ParsedAttribute r{};
  r.consumed = r.attribute.Parse(text.data(), text.data() + text.size());
  return r;
}

TEST(AttributeParse, ReadsNamesQuotesAndUnquotedValues) {
  struct Case {
    const char* text;
    std::size_t consumed;
    const char* name;
    const char* value;
    char quote;
  } cases[] = {
      {"href=\"a b.htm\">", 14, "href", "a b.htm", '"'},
      {"href='x.htm'", 12, "href", "x.htm", '\''},
      {" href = 'x.htm' ", 15, "href", "x.htm", '\''},
      {"href=x.htm>", 10, "href", "x.htm", 0},
      {"HREF=x", 6, "HREF", "x", 0},
      {"nowrap >", 7, "nowrap", "", 0},
      {"src=\"\"", 6, "src", "", '"'},
      {"o:p-x_y.z=1", 11, "o:p-x_y.z", "1", 0},
      {"href=>x</a>", 10, "href", ">x</a", 0},  // the value keeps its first byte even when ">"
      {"href=all/>", 9, "href", "all/", 0},  // a "/" stays in an unquoted value
      {"title=\"a>b<c", 12, "title", "a>b<c", '"'},  // no closing quote: to the end
      {"alt=", 4, "alt", "", 0},
      {"alt=\xD6\x3E>", 6, "alt", "\xD6\x3E", 0},  // a double-byte character holding ">"
      {"t=\"\xD6\"\"", 6, "t", "\xD6\"", '"'},   // ...or holding the quote
  };
  for (const auto& c : cases) {
    const auto r = ParseAttribute(c.text);
    EXPECT_EQ(r.consumed, c.consumed) << c.text;
    EXPECT_EQ(r.attribute.name, c.name) << c.text;
    EXPECT_EQ(r.attribute.value, c.value) << c.text;
    EXPECT_EQ(r.attribute.quote, c.quote) << c.text;
  }
}

TEST(AttributeParse, RejectsWhatIsNoAttribute) {
  for (const char* text : {"100 width=5", "\"a\"", "=x", "/>", "", "   ", "a\"b=1", "x\xD6\xD0=1"}) {
    EXPECT_EQ(ParseAttribute(text).consumed, 0u) << text;
  }
}

TEST(AttributeValue, IsTrimmedThenCleanedThenDecoded) {
  struct Case { const char* raw; const char* value; } cases[] = {
      {"  a b  ", "a b"},
      {"one\r\ntwo", "one two"},
      {"\ta\tb\n", "a b"},
      {"a&amp;b", "a&b"},
      {"x=1&amp;y=2&amp;z=3", "x=1&y=2&z=3"},
      {"a&nbsp;b", "a\xA0" "b"},
      {"a&foo;b", "a&foo;b"},
      {"a&#32;", "a "},          // trimming comes before decoding
      {"&amp;amp;", "&amp;"},    // a decoded byte is not decoded again
      {"&amp;lt;", "&lt;"},
      {"&#0;&amp;", "&"},        // a removed reference does not hide the next one
      {"a&#0;b", "ab"},
      {"&lt&#59;", "&lt;"},
  };
  for (const auto& c : cases) {
    std::string out;
    vw::TreatAttributeValue(c.raw, c.raw + std::strlen(c.raw), out);
    EXPECT_EQ(out, c.value) << c.raw;
  }
}

// Whole-value replacement can reach text that a single pass never looks at again; these
// values take the replacement route and must give its results.
TEST(AttributeValue, ReplacementSemanticsHoldInEntangledValues) {
  struct Case { const char* value; const char* decoded; } cases[] = {
      {"&amp;x&amp;lt;", "&x<"},        // a later "&amp;" leaves an "&" that is met again
      {"&amp;lt;&lt;", "<<"},           // a later "&lt;" also replaces the earlier "&" + "lt;"
      {"&lt&#59;&lt;", "<<"},           // a decoded ";" completes an earlier reference
      {"&#0;&a&#0;mp;", "&"},           // removals join text into a new reference
      {"&amp;&#66&amp;", "&&#66&"},     // the second "&amp;" goes before "&#66" can take it
      {"&#109;&a&#109;p;", "m&"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vw::DecodeValueReferences(c.value), c.decoded) << c.value;
    EXPECT_EQ(vw::DecodeValueReferencesByReplacement(c.value), c.decoded) << c.value;
  }
}

// The single-pass decoder must agree with literal whole-value replacement on any value.
TEST(AttributeValue, SinglePassAgreesWithReplacementOnRandomValues) {
  const std::string pieces[] = {"&", ";", "amp", "lt", "#", "38", "0", "x", "59", "a",
                                "&amp;", "&lt;", "&#0;", "&#38;", "&#59;", " ", "\xD6"};
  std::mt19937 rng(12345);
  for (int round = 0; round < 20000; ++round) {
    std::string value;
    const int n = int(rng() % 12);
    for (int i = 0; i < n; ++i) value += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
    ASSERT_EQ(vw::DecodeValueReferences(value), vw::DecodeValueReferencesByReplacement(value))
        << value;
  }
}

// A value crafted so that whole-value replacement would pass over it once per reference
// (a doubled "&" sends it down that path, then thousands of different references follow):
// past the work budget the rest is decoded in one pass, and the result is still each
// reference decoded once where it stands.
TEST(AttributeValue, CraftedValueWithThousandsOfReferencesDecodesEachOnce) {
  std::string value = "&&x;", expected = "&&x;";
  for (int i = 0; i < 20000; ++i) {
    value += "&#" + std::string(std::size_t(i % 5), '0') + std::to_string(65 + i % 26) + ";";
    expected += char('A' + i % 26);
  }
  EXPECT_EQ(vw::DecodeValueReferences(value), expected);
  // A budget too small for even one replacement switches to the one pass at once; a
  // reference that decodes to 0 is dropped there as well.
  EXPECT_EQ(vw::DecodeValueReferencesByReplacement("&&x;&#0;&amp;&lt;", 0), "&&x;&<");
}

struct TagResult {
  std::size_t consumed;
  bool opening, closing;
  std::string name;
  int attributes;  // -1: no list
};

TagResult ParseTag(vw::CHtmlTag& tag, const std::string& text, bool readAttributes = true) {
  TagResult r{};
  r.consumed = tag.Parse(text.data(), text.data() + text.size(), r.opening, r.closing,
                         readAttributes);
  r.name = tag.name;
  r.attributes = tag.attributes ? tag.attributes->GetCount() : -1;
  return r;
}

TEST(TagParse, RecognisesOpeningClosingAndSelfClosingTags) {
  struct Case {
    const char* text;
    std::size_t consumed;
    bool opening, closing;
    const char* name;
    int attributes;
  } cases[] = {
      {"<p>", 3, true, false, "p", -1},
      {"<P>", 3, true, false, "P", -1},
      {" <h1 >", 6, true, false, "h1", -1},
      {"</p>", 4, false, true, "p", -1},
      {"</>", 3, false, true, "", -1},
      {"<br/>", 5, true, true, "br", -1},
      {"<br />", 6, true, true, "br", -1},
      {"<o:p>", 5, true, false, "o:p", -1},
      {"<a href=x.htm>", 14, true, false, "a", 1},
      {"<img src='a' alt=b />", 21, true, true, "img", 2},
      {"<td 100 width=5>", 16, true, false, "td", -1},
      {"<td 100 width=5>x<br/>", 22, true, true, "td", -1},  // runs to the first "/>"
      {"<a href=all/>", 13, true, false, "a", 1},
      {"<x\xD6\xD0>", 0, false, false, "", -1},
      {"</p/>", 0, false, false, "", -1},
      {"</p a>", 0, false, false, "", -1},
      {"< p>", 0, false, false, "", -1},
      {"<!x>", 0, false, false, "", -1},
      {"<1>", 0, false, false, "", -1},
      {"<a href=x", 0, false, false, "", -1},
      {"<a href=x /", 0, false, false, "", -1},
      {"<a href=x y", 0, false, false, "", -1},
      {"<a \"x\"", 0, false, false, "", -1},
      {"<p", 0, false, false, "", -1},
      {"<", 0, false, false, "", -1},
  };
  for (const auto& c : cases) {
    vw::CHtmlTag tag;
    const auto r = ParseTag(tag, c.text);
    EXPECT_EQ(r.consumed, c.consumed) << c.text;
    if (c.consumed == 0) continue;
    EXPECT_EQ(r.opening, c.opening) << c.text;
    EXPECT_EQ(r.closing, c.closing) << c.text;
    EXPECT_EQ(r.name, c.name) << c.text;
    EXPECT_EQ(r.attributes, c.attributes) << c.text;
  }
}

TEST(TagParse, EmptyTagConsumesOnlyItsLessThanAndClearsTheTag) {
  vw::CHtmlTag tag;
  ParseTag(tag, "<a href=x>");
  const auto r = ParseTag(tag, "<>b");
  EXPECT_EQ(r.consumed, 1u);
  EXPECT_FALSE(r.opening);
  EXPECT_FALSE(r.closing);
  EXPECT_EQ(r.name, "");
  EXPECT_EQ(r.attributes, -1);
}

TEST(TagParse, FailureLeavesTheTagAsItWasAndSuccessReplacesTheList) {
  vw::CHtmlTag tag;
  ParseTag(tag, "<a href=one.htm title=t>");
  EXPECT_EQ(ParseTag(tag, "<b src=x y").consumed, 0u);
  ASSERT_TRUE(tag.attributes);
  EXPECT_EQ(tag.name, "a");
  EXPECT_EQ(tag.attributes->GetCount(), 2);
  EXPECT_EQ(tag.attributes->GetValue(0), "one.htm");

  ParseTag(tag, "<img src=two.gif>");
  ASSERT_TRUE(tag.attributes);
  EXPECT_EQ(tag.attributes->GetCount(), 1);
  EXPECT_EQ(tag.attributes->GetValue(0), "two.gif");
  EXPECT_EQ(tag.attributes->IndexOf("title"), -1);  // nothing left over from the old list

  ParseTag(tag, "<p>");
  EXPECT_FALSE(tag.attributes);
}

TEST(TagParse, WithoutAttributeReadingTheTagRunsToItsEnd) {
  vw::CHtmlTag tag;
  const auto r = ParseTag(tag, "<a href=x>y<b/>", false);
  EXPECT_EQ(r.consumed, 15u);
  EXPECT_TRUE(r.closing);
  EXPECT_EQ(r.attributes, -1);
}

TEST(TagParse, HrefDirectlyBeforeGreaterThanTakesTheFollowingText) {
  vw::CHtmlTag tag;
  const auto r = ParseTag(tag, "<a href=>text</a> more");
  EXPECT_EQ(r.consumed, 17u);
  ASSERT_TRUE(tag.attributes);
  EXPECT_EQ(tag.attributes->GetValue(0), ">text</a");
}

TEST(Attributes, LookupIgnoresCaseAndTakesTheFirst) {
  vw::CHtmlTag tag;
  ParseTag(tag, "<img SRC=first.gif src=second.gif Alt=x>");
  ASSERT_TRUE(tag.attributes);
  const auto& list = *tag.attributes;
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.IndexOf("src"), 0);
  EXPECT_EQ(list.IndexOf("ALT"), 2);
  EXPECT_EQ(list.IndexOf("href"), -1);
  EXPECT_EQ(list.GetValue(list.IndexOf("src")), "first.gif");
  EXPECT_EQ(list.Get(0).name, "SRC");
  EXPECT_EQ(list.GetValue(-1), "");
  EXPECT_EQ(list.GetValue(list.GetCount()), "");
}

}  // namespace
