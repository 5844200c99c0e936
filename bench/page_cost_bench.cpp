// Per-page cost of the browser side of a crawl: navigate, wait for "complete", assemble the
// page source and save the page, on local pages of about 10 KB and 500 KB served from
// loopback to a headless Chromium. The wait polls every 5 ms (the crawl itself waits 100 ms
// between tries), so the numbers show the browser and protocol cost, not the crawl's pause.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "acquire/document_ops.h"
#include "crawl/page_save.h"
#include "platform/devtools/devtools_host.h"
#include "tests/support/chromium.h"
#include "tests/support/loopback_server.h"

namespace {

using namespace vw;

// A page of about size bytes: paragraphs of GBK text with a link each, as e-book pages are.
std::string MakePage(std::size_t size) {
  std::string page = "<html><head><meta charset=\"gbk\"><title>page</title></head><body>\n";
  for (int i = 0; page.size() < size; ++i) {
    page += "<p><a href=\"p" + std::to_string(i) + ".htm\">\xB5\xDA" + std::to_string(i) +
            "\xD5\xC2</a> \xD5\xE2\xCA\xC7\xD2\xBB\xB6\xCE\xB2\xE2\xCA\xD4\xCE\xC4\xD7\xD6"
            " some text to fill the line.</p>\n";
  }
  return page + "</body></html>\n";
}

// One browser and server for all runs.
struct Bench {
  Bench() {
    server.Add("/10k.htm", testing::Route("text/html; charset=gbk", MakePage(10 * 1024)));
    server.Add("/500k.htm", testing::Route("text/html; charset=gbk", MakePage(500 * 1024)));
    browser = std::make_unique<testing::Chromium>();
    host = std::make_unique<devtools::DevToolsHost>(browser->endpoint(),
                                                    browser->firstTargetId());
    folder = std::filesystem::temp_directory_path() /
             ("vw-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
  }
  ~Bench() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  testing::LoopbackServer server;
  std::unique_ptr<testing::Chromium> browser;
  std::unique_ptr<devtools::DevToolsHost> host;
  std::filesystem::path folder;
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

void BM_NavigateWaitSourceSave(benchmark::State& state, const char* path) {
  Bench& bench = Shared();
  long n = 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    // A new query each time, so that every page is fetched and parsed anew.
    const std::string url = bench.server.Url(path) + "?" + std::to_string(++n);
    DocumentRef document = GetBrowserDocument(bench.host.get(), nullptr);
    NavigatePage(document.get(), url);
    do {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      document = GetBrowserDocument(bench.host.get(), nullptr);
    } while (!document || !IsPageComplete(document.get()));
    std::string source;
    GetPageSource(document.get(), source);
    bytes += source.size();
    if (!SavePageHtml(document.get(), (bench.folder / "page.htm").string())) {
      state.SkipWithError("page not saved");
      break;
    }
  }
  state.counters["source_bytes"] =
      benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
}

BENCHMARK_CAPTURE(BM_NavigateWaitSourceSave, page_10k, "/10k.htm")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_NavigateWaitSourceSave, page_500k, "/500k.htm")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
