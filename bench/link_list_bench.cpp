// Adding links to the page list and the resource list of a run, as the link collector does
// for an e-book with many pages: each page link once to the page list, each resource link to
// the resource list with the page list as the other list.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "crawl/link_list.h"

namespace {

std::vector<std::string> MakeUrls(int n, const char* kind, const char* extension) {
  std::vector<std::string> urls;
  urls.reserve(n);
  for (int i = 0; i < n; ++i) {
    urls.push_back("http://ebook/book/chapter" + std::to_string(i % 97) + "/" + kind +
                   std::to_string(i) + extension + "#p" + std::to_string(i % 5));
  }
  return urls;
}

void BM_AddLinks(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<std::string> pages = MakeUrls(n, "Page", ".htm");
  const std::vector<std::string> resources = MakeUrls(n, "img", ".gif");
  for (auto _ : state) {
    vw::CLinkNode pageList;
    vw::CLinkNode resourceList;
    for (int i = 0; i < n; ++i) {
      pageList.AddLink(pages[i], nullptr);
      resourceList.AddLink(resources[i], &pageList);
      resourceList.AddLink(pages[i], &pageList);  // a page seen again as a resource link
    }
    benchmark::DoNotOptimize(pageList.count + resourceList.count);
  }
  state.SetItemsProcessed(state.iterations() * n * 3);
}
BENCHMARK(BM_AddLinks)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
