// Faults in the middle of a run, with a real browser: the DevTools connection cut while a
// command waits for its answer, the target folder made read-only, a file write that fails.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include "acquire/document_ops.h"
#include "acquire/source_ident.h"
#include "crawl/extract_book.h"
#include "platform/devtools/devtools_host.h"
#include "tests/support/chromium.h"
#include "tests/support/cli_run.h"
#include "tests/support/loopback_server.h"
#include "tests/support/sample_book.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/tcp_proxy.h"

namespace vw {
namespace testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) { return ScratchFolder::Read(path); }

// Every file below out is byte for byte the sample page it was saved from.
void ExpectIntactSamplePages(const std::string& out) {
  for (const std::string& file : FilesBelow(out)) {
    ASSERT_EQ(file.rfind("ebook/", 0), 0u) << file;
    const std::string original = std::string(VW_SOURCE_DIR) + "/samples/" + file;
    EXPECT_EQ(ReadFile(out + "/" + file), ReadFile(original)) << file;
  }
}

// A front end that cuts the browser's connection once the walk has saved two pages: the
// answers are held back, so the command sent next waits, and then every connection is cut.
class CuttingRun : public RunState {
 public:
  explicit CuttingRun(TcpProxy& proxy) : proxy_(proxy) {}
  ~CuttingRun() override {
    if (cutter_.joinable()) cutter_.join();
  }
  void PumpMessages() override {}
  void ShowCurrentPage(const char*, const char*) override {}
  void SetNoteText(const char*) override {}
  void SetProgressText(const char* text) override {
    if (!cut_ && std::atoi(text) >= 2) {
      cut_ = true;
      proxy_.HoldAnswers();
      cutter_ = std::thread([this] {
        std::this_thread::sleep_for(500ms);
        proxy_.CutAll();
      });
    }
  }

 private:
  TcpProxy& proxy_;
  bool cut_ = false;
  std::thread cutter_;
};

TEST(Faults, ConnectionCutDuringACommandSkipsOrSavesThePageAndTheRunGoesOn) {
  LoopbackServer server;
  std::string links;
  for (char c = 'a'; c <= 'f'; ++c) {
    Route page;
    page.body = std::string("<html><body>page ") + c + "</body></html>";
    page.delayMs = 100;
    server.Add(std::string("/f/") + c + ".htm", page);
    links += std::string("<a href=\"") + c + ".htm\">" + c + "</a>";
  }
  Route home;
  home.body = "<html><body>" + links + "</body></html>";
  server.Add("/f/index.htm", home);
  const std::string homeUrl = server.Url("/f/index.htm");
  Chromium browser({}, homeUrl);
  TcpProxy proxy(browser.endpoint().port);
  devtools::DevToolsHost host(devtools::Endpoint{"127.0.0.1", proxy.port()},
                              browser.firstTargetId());
  ScratchFolder out;
  CuttingRun run(proxy);
  ExtractOptions options;
  options.pollMs = 20;
  ASSERT_TRUE(WaitForComplete(&host, run, options, homeUrl));

  ExtractStats stats;
  auto walk = std::async(std::launch::async, [&] {
    ExtractBook(&host, out.path(), homeUrl, DeriveLinkPrefix(homeUrl), run, options, &stats);
  });
  if (walk.wait_for(120s) != std::future_status::ready) {
    ADD_FAILURE() << "the run hangs after the connection was cut";
    std::_Exit(1);  // a hung walk cannot be stopped from here
  }
  walk.get();
  EXPECT_EQ(stats.pagesFound, 7);
  // Every entry was either saved or skipped; the walk went on after the cut.
  EXPECT_EQ(stats.pagesVisited + stats.pagesSkipped, stats.pagesFound);
  EXPECT_GT(stats.pagesVisited, 2);
  EXPECT_GT(proxy.connections(), 1);  // the browser was reached again after the cut
  EXPECT_EQ(static_cast<int>(FilesBelow(out.path()).size()),
            stats.pagesVisited - stats.pagesNotWritten);
}

// Makes every folder below (and including) root read-only.
void MakeReadOnly(const std::string& root) {
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_directory()) chmod(entry.path().c_str(), 0555);
  }
  chmod(root.c_str(), 0555);
}

TEST(Faults, FolderMadeReadOnlyInTheMiddleLeavesTheSavedPagesAndReportsTheRest) {
  SampleViewer viewer;
  ScratchFolder out;
  // Root may write into any folder, so as root the program runs as "nobody", for whom a
  // read-only folder is read-only.
  const bool root = geteuid() == 0;
  std::string program = CliPath();
  ScratchFolder bin;
  if (root) {
    // The build folder may lie where "nobody" cannot reach it; a copy of the program (its
    // own libraries are linked in) runs from a folder everyone can read.
    chmod(out.path().c_str(), 0777);
    chmod(bin.path().c_str(), 0755);
    program = bin.path() + "/vellowick-cli";
    fs::copy_file(CliPath(), program);
    chmod(program.c_str(), 0755);
  }
  ChildProcess cli({program, "extract", "--devtools", viewer.endpoint(), "--out", out.path()},
                   root ? 65534 : -1, root ? 65534 : -1);
  ASSERT_TRUE(WaitForVisited(cli, 4)) << cli.Errors();
  MakeReadOnly(out.path());
  const std::string output = cli.ReadAllOutput(120s);
  EXPECT_EQ(cli.Wait(30s), 6) << cli.Errors();
  EXPECT_NE(output.find(kCompletedMessage), std::string::npos) << output;
  EXPECT_NE(output.find(" not written"), std::string::npos) << output;
  const std::size_t saved = FilesBelow(out.path()).size();
  EXPECT_GE(saved, 4u);
  EXPECT_LT(saved, ExpectedSamplePages().size() - 1);  // the rest could not be written
  ExpectIntactSamplePages(out.path());
}

TEST(Faults, FailedWriteEndsTheRunWithTheCompletionMessage) {
  SampleViewer viewer;
  ScratchFolder out;
  ChildProcess cli({CliPath(), "extract", "--devtools", viewer.endpoint(), "--out", out.path()});
  ASSERT_TRUE(WaitForVisited(cli, 3)) << cli.Errors();
  // From now on no file of the program may grow past 100 bytes: the next write fails.
  const rlimit limit{100, 100};
  ASSERT_EQ(prlimit(cli.pid(), RLIMIT_FSIZE, &limit, nullptr), 0);
  const int visitedAtLimit = LastVisited(cli.Errors());
  const std::string output = cli.ReadAllOutput(120s);
  // (The limit holds for the program's stderr file too, so its last lines are lost.)
  EXPECT_EQ(cli.Wait(30s), 6) << output;
  EXPECT_NE(output.find(kCompletedMessage), std::string::npos) << output;
  // The pages saved before the failure are intact; the run ended at the page whose write
  // failed, which is cut short at the limit.
  std::size_t intact = 0, cut = 0;
  for (const std::string& file : FilesBelow(out.path())) {
    const std::string original = std::string(VW_SOURCE_DIR) + "/samples/" + file;
    const std::string saved = ReadFile(out.path() + "/" + file);
    if (saved == ReadFile(original)) {
      ++intact;
    } else {
      EXPECT_LE(saved.size(), 100u) << file;
      ++cut;
    }
  }
  EXPECT_GE(intact, static_cast<std::size_t>(visitedAtLimit));
  EXPECT_LE(intact, static_cast<std::size_t>(visitedAtLimit) + 1);
  EXPECT_EQ(cut, 1u);
}

}  // namespace
}  // namespace testing
}  // namespace vw
