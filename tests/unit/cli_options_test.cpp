#include "app/cli_options.h"

#include <gtest/gtest.h>

namespace {

using vw::CliOptions;

TEST(CliOptions, ReadsEveryOptionOfExtract) {
  CliOptions o;
  std::string error;
  ASSERT_TRUE(vw::ParseCliOptions({"extract", "--out", "/tmp/b", "--devtools", "9333",
                                   "--target", "abc", "--home", "http://ebook/i.htm",
                                   "--prefix", "", "--text", "--poll-ms", "20"},
                                  o, error)) << error;
  EXPECT_EQ(o.command, CliOptions::Command::kExtract);
  EXPECT_EQ(o.out, "/tmp/b");
  EXPECT_EQ(o.devtools, "9333");
  EXPECT_EQ(o.target, "abc");
  EXPECT_EQ(o.home, "http://ebook/i.htm");
  EXPECT_TRUE(o.prefixGiven);  // an empty prefix given on purpose follows every link
  EXPECT_EQ(o.prefix, "");
  EXPECT_TRUE(o.text);
  EXPECT_EQ(o.pollMs, 20);
}

TEST(CliOptions, DefaultsAndHelp) {
  CliOptions o;
  std::string error;
  ASSERT_TRUE(vw::ParseCliOptions({"targets"}, o, error));
  EXPECT_EQ(o.command, CliOptions::Command::kTargets);
  EXPECT_EQ(o.devtools, "http://127.0.0.1:9222");
  ASSERT_TRUE(vw::ParseCliOptions({"extract", "--out", "d"}, o, error));
  EXPECT_EQ(o.pollMs, 100);
  EXPECT_FALSE(o.prefixGiven);
  ASSERT_TRUE(vw::ParseCliOptions({"extract", "--help"}, o, error));
  EXPECT_EQ(o.command, CliOptions::Command::kHelp);
}

TEST(CliOptions, RejectsBadCommandLines) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"copy"},
      {"extract"},                                   // no --out
      {"extract", "--out"},                          // option without its value
      {"extract", "--out", "d", "--poll-ms", "0"},
      {"extract", "--out", "d", "--poll-ms", "abc"},
      {"extract", "--out", "d", "--poll-ms", "-5"},
      {"extract", "--out", "d", "--frobnicate"},
      {"targets", "--out", "d"},                     // extract's options only for extract
      {"targets", "--devtools", ""},
  };
  for (const auto& args : bad) {
    CliOptions o;
    std::string error;
    EXPECT_FALSE(vw::ParseCliOptions(args, o, error)) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
