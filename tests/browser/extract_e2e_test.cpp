// End-to-end extractions: the sample e-book in its viewer (a real Chromium), extracted by
// vellowick-cli into a fresh folder, as a user would run it.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <set>
#include <string>

#include "platform/devtools/cdp_connection.h"
#include "tests/support/chromium.h"
#include "tests/support/cli_run.h"
#include "tests/support/loopback_server.h"
#include "tests/support/sample_book.h"
#include "tests/support/scratch_folder.h"

namespace vw {
namespace testing {
namespace {

using namespace std::chrono_literals;

const std::string kCli = CliPath();
const std::string kCompleted = kCompletedMessage;

// The files a full extraction of the sample writes, with the extension rule of text mode.
std::set<std::string> ExpectedFiles(bool text) {
  std::set<std::string> files;
  for (const std::string& url : ExpectedSamplePages()) {
    std::string file = ExpectedSampleFile(url);
    if (text) file = file.substr(0, file.rfind('.')) + ".txt";
    files.insert(file);
  }
  return files;
}

// The DevTools endpoint of browser as the command line takes it.
std::string EndpointOf(const Chromium& browser) {
  return "http://127.0.0.1:" + std::to_string(browser.endpoint().port);
}

struct CliRun {
  int exitCode;
  std::string output;
  std::string errors;
};

CliRun Extract(const std::string& endpoint, const std::string& folder,
            const std::vector<std::string>& extra = {}) {
  std::vector<std::string> argv = {kCli, "extract", "--devtools", endpoint, "--out", folder};
  argv.insert(argv.end(), extra.begin(), extra.end());
  ChildProcess cli(argv);
  CliRun run;
  run.output = cli.ReadAllOutput(300s);
  run.exitCode = cli.Wait(60s);
  run.errors = cli.Errors();
  return run;
}

class FullExtraction : public ::testing::TestWithParam<bool> {};

TEST_P(FullExtraction, SavesEveryPageOnceUnderTheHostWordAndNoResources) {
  const bool text = GetParam();
  SampleViewer viewer;
  ScratchFolder out;
  std::vector<std::string> extra = {"--poll-ms", "50"};
  if (text) extra.push_back("--text");
  CliRun run = Extract(viewer.endpoint(), out.path(), extra);

  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_NE(run.output.find(kCompleted), std::string::npos) << run.output;
  const std::size_t pages = ExpectedSamplePages().size();
  EXPECT_EQ(LastProgress(run.errors), std::to_string(pages) + "/" + std::to_string(pages));
  // Every file is a page of the sample; images, scripts and style sheets are not saved.
  EXPECT_EQ(FilesBelow(out.path()), ExpectedFiles(text));
}

INSTANTIATE_TEST_SUITE_P(MarkupAndText, FullExtraction, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Text" : "Markup"; });

TEST(Extraction, HomePageWithoutLinksGivesOneOfOne) {
  LoopbackServer server;
  Route page;
  page.body = "<html><head><title>single</title></head><body>only page</body></html>";
  server.Add("/book/only.htm", page);
  Chromium browser({}, server.Url("/book/only.htm"));
  ScratchFolder out;
  CliRun run = Extract(EndpointOf(browser), out.path());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(LastProgress(run.errors), "1/1") << run.errors;
  EXPECT_EQ(FilesBelow(out.path()), std::set<std::string>{"book/only.htm"});
}

// Starts an extraction of the browser at endpoint into folder.
std::unique_ptr<ChildProcess> StartExtract(const std::string& endpoint,
                                           const std::string& folder) {
  return std::make_unique<ChildProcess>(
      std::vector<std::string>{kCli, "extract", "--devtools", endpoint, "--out", folder});
}

TEST(Extraction, CtrlCEndsTheRunAfterThePageInHand) {
  SampleViewer viewer;
  ScratchFolder out;
  auto cli = StartExtract(viewer.endpoint(), out.path());
  ASSERT_TRUE(WaitForVisited(*cli, 3)) << cli->Errors();
  cli->Signal(SIGINT);
  const std::string output = cli->ReadAllOutput(60s);
  EXPECT_EQ(cli->Wait(30s), 130) << cli->Errors();
  EXPECT_NE(output.find(kCompleted), std::string::npos);
  const int visited = LastVisited(cli->Errors());
  EXPECT_GE(visited, 3);
  EXPECT_LT(visited, static_cast<int>(ExpectedSamplePages().size()));
  EXPECT_EQ(static_cast<int>(FilesBelow(out.path()).size()), visited);
}

TEST(Extraction, BrowserGoneInTheMiddleEndsTheRunNormally) {
  SampleViewer viewer;
  ScratchFolder out;
  auto cli = StartExtract(viewer.endpoint(), out.path());
  ASSERT_TRUE(WaitForVisited(*cli, 3)) << cli->Errors();
  viewer.process().Stop();  // the viewer closes, and its browser with it
  const std::string output = cli->ReadAllOutput(120s);
  EXPECT_EQ(cli->Wait(30s), 0) << cli->Errors();
  EXPECT_NE(output.find(kCompleted), std::string::npos);
  EXPECT_LT(LastVisited(cli->Errors()), static_cast<int>(ExpectedSamplePages().size()));
}

TEST(Extraction, PageThatNeverCompletesIsSavedAfterTheWait) {
  // The home page shows an image whose response never ends, so the page never completes.
  LoopbackServer server;
  Route home;
  home.body = "<html><body><a href=\"slow.htm\">next</a></body></html>";
  server.Add("/b/index.htm", home);
  Route slow;
  slow.body = "<html><body>never done<img src=\"hang.gif\"></body></html>";
  server.Add("/b/slow.htm", slow);
  Route hang;
  hang.contentType = "image/gif";
  hang.body = "GIF89a";
  hang.hangAfterHeaders = true;
  server.Add("/b/hang.gif", hang);
  Chromium browser({}, server.Url("/b/index.htm"));
  ScratchFolder out;

  const auto start = std::chrono::steady_clock::now();
  CliRun run = Extract(EndpointOf(browser), out.path());
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(LastProgress(run.errors), "2/2");
  EXPECT_EQ(FilesBelow(out.path()), (std::set<std::string>{"b/index.htm", "b/slow.htm"}));
  // The walk gave the page its full wait before saving it as it was.
  EXPECT_GE(took, 9s);
}

TEST(CommandLine, BadInputGivesAClearErrorAndItsExitCode) {
  LoopbackServer server;
  Route page;
  page.body = "<html><body>one of two</body></html>";
  server.Add("/one.htm", page);
  server.Add("/two.htm", page);
  Chromium browser({}, server.Url("/one.htm"));
  {
    // A second page, opened as a user opens another tab.
    std::string browserUrl;
    ASSERT_TRUE(devtools::BrowserWebSocketUrl(browser.endpoint(), browserUrl));
    auto connection = devtools::CdpConnection::Open(
        browser.endpoint(), devtools::WebSocketPath(browserUrl), nullptr);
    ASSERT_TRUE(connection);
    nlohmann::json result;
    ASSERT_TRUE(connection->Call("Target.createTarget", {{"url", server.Url("/two.htm")}},
                                 result));
  }
  const std::string endpoint = EndpointOf(browser);
  ScratchFolder out;
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  } cases[] = {
      {{"extract", "--out", out.path(), "--bogus"}, 2, "unknown option"},
      {{"extract", "--devtools", endpoint}, 2, "needs --out"},
      {{"extract", "--out", out.path() + "/missing", "--devtools", endpoint}, 5,
       "does not exist"},
      {{"extract", "--out", out.path(), "--devtools", "127.0.0.1:1"}, 3, "no browser"},
      {{"extract", "--out", out.path(), "--devtools", endpoint}, 4, "several pages"},
      {{"extract", "--out", out.path(), "--devtools", endpoint, "--target", "nothing"}, 4,
       "no page matches"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv = {kCli};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    ChildProcess cli(argv);
    cli.ReadAllOutput(60s);
    EXPECT_EQ(cli.Wait(30s), c.exitCode) << c.message;
    EXPECT_NE(cli.Errors().find(c.message), std::string::npos) << cli.Errors();
  }
  // The pages are listed, and one of them can be chosen by its address.
  ChildProcess targets({kCli, "targets", "--devtools", endpoint});
  const std::string listed = targets.ReadAllOutput(60s);
  EXPECT_EQ(targets.Wait(30s), 0);
  EXPECT_NE(listed.find(server.Url("/one.htm")), std::string::npos) << listed;
  EXPECT_NE(listed.find(server.Url("/two.htm")), std::string::npos) << listed;
  CliRun chosen = Extract(endpoint, out.path(), {"--target", "two.htm"});
  EXPECT_EQ(chosen.exitCode, 0) << chosen.errors;
  // (A host with a port: the last separator of the prefix is the port's colon.)
  EXPECT_EQ(FilesBelow(out.path()),
            std::set<std::string>{std::to_string(server.port()) + "/two.htm"});
}

}  // namespace
}  // namespace testing
}  // namespace vw
