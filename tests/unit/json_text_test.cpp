#include "platform/json_text.h"

#include <gtest/gtest.h>

namespace vw {
namespace {

TEST(ReplaceLoneSurrogates, OnlyUnpairedHalvesAreReplaced) {
  struct Case { const char* in; const char* out; } cases[] = {
      {R"({"a":"x\ud800y"})", R"({"a":"x\ufffdy"})"},          // high alone
      {R"({"a":"\udc00"})", R"({"a":"\ufffd"})"},              // low alone
      {R"({"a":"\ud83d\ude00"})", R"({"a":"\ud83d\ude00"})"},  // a pair stays
      {R"({"a":"\uD83D\uDE00"})", R"({"a":"\uD83D\uDE00"})"},  // upper-case hex too
      {R"({"a":"\ud83d\ud83d\ude00"})", R"({"a":"\ufffd\ud83d\ude00"})"},
      {R"({"a":"\ude00\ud83d"})", R"({"a":"\ufffd\ufffd"})"},  // reversed order
      {R"({"a":"\\ud800"})", R"({"a":"\\ud800"})"},            // an escaped backslash
      {R"({"a":"\u00e9\n"})", R"({"a":"\u00e9\n"})"},
      {R"({"a":"\ud800)", R"({"a":"\ufffd)"},                  // cut at the end
      {R"(\ud8)", R"(\ud8)"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceLoneSurrogates(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace vw
