// A whole extraction of the sample e-book, timed: pages per second and the time per page
// above the pause between load-state tests, next to the time the browser itself needs for
// the same navigations (measured in the same run, polling every millisecond).
// Usage: extract_bench [POLL_MS]   (default 100, the dialog's pause)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "acquire/document_ops.h"
#include "acquire/source_ident.h"
#include "crawl/extract_book.h"
#include "platform/devtools/devtools_host.h"
#include "tests/support/sample_book.h"
#include "tests/support/scratch_folder.h"

namespace {

using namespace vw;
using Clock = std::chrono::steady_clock;

class QuietRun : public RunState {
 public:
  void PumpMessages() override {}
  void ShowCurrentPage(const char*, const char*) override {}
  void SetNoteText(const char*) override {}
  void SetProgressText(const char*) override {}
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  const int pollMs = argc > 1 ? std::atoi(argv[1]) : 100;
  testing::SampleViewer viewer;
  devtools::Endpoint endpoint;
  if (!devtools::ParseEndpoint(viewer.endpoint(), endpoint)) return 1;
  std::vector<devtools::PageTarget> targets;
  if (!devtools::ListPageTargets(endpoint, targets) || targets.empty()) return 1;
  devtools::DevToolsHost host(endpoint, targets[0].id);
  QuietRun run;
  const std::string home = "http://ebook/index.htm";
  ExtractOptions options;
  options.pollMs = pollMs;
  WaitForComplete(&host, run, options, home);

  testing::ScratchFolder out;
  ExtractStats stats;
  const auto start = Clock::now();
  ExtractBook(&host, out.path(), home, DeriveLinkPrefix(home), run, options, &stats);
  const double total = Seconds(Clock::now() - start);
  const int navigated = stats.pagesVisited - 1;  // the home page is taken as shown

  // The browser alone: the same pages navigated and waited for with a 1 ms poll.
  ExtractOptions tight;
  tight.pollMs = 1;
  const std::vector<std::string> pages = testing::ExpectedSamplePages();
  const auto browserStart = Clock::now();
  for (std::size_t i = 1; i < pages.size(); ++i) LoadPage(&host, pages[i], run, tight);
  const double browser = Seconds(Clock::now() - browserStart) / double(pages.size() - 1);

  const double perPage = total / stats.pagesVisited;
  std::printf("pages saved            %d in %.2f s (%.1f pages/s), pause %d ms\n",
              stats.pagesVisited, total, stats.pagesVisited / total, pollMs);
  std::printf("time per page          %.1f ms\n", perPage * 1000);
  std::printf("  above the pause      %.1f ms\n",
              (total - navigated * pollMs / 1000.0) / stats.pagesVisited * 1000);
  std::printf("browser per navigation %.1f ms (navigate + load, 1 ms polling)\n",
              browser * 1000);
  return 0;
}
