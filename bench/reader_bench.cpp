// Throughput of the HTML reader with the link collector's settings, side by side with
// libxml2's HTML SAX parser and gumbo, on real pages and on a page built to defeat searches.
#include <benchmark/benchmark.h>
#include <gumbo.h>
#include <libxml/HTMLparser.h>

#include <dirent.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "html/reader.h"

namespace {

const char kManualDir[] = "/usr/share/doc/postgresql-doc-15/html";

// All .html files of the manual, loaded once.
const std::vector<std::string>& ManualPages() {
  static const std::vector<std::string> pages = [] {
    std::vector<std::string> result;
    if (DIR* dir = opendir(kManualDir)) {
      while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() < 5 || name.compare(name.size() - 5, 5, ".html") != 0) continue;
        std::ifstream in(std::string(kManualDir) + "/" + name, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        result.push_back(content.str());
      }
      closedir(dir);
    }
    return result;
  }();
  return pages;
}

// About 10 MB: 200,000 tags whose first attribute begins with a digit and no "/>" anywhere,
// 200,000 "<!--" with no "--" after them, 200,000 "&" with no ";" (in text and in attribute
// values).
const std::string& HostilePage() {
  static const std::string page = [] {
    std::string s;
    for (int i = 0; i < 200000; ++i) s += "<td 100 width=5 class=cell>some text here ";
    for (int i = 0; i < 200000; ++i) s += "<!-- note ";
    for (int i = 0; i < 200000; ++i) s += "a & b <a href='x?a=1&b=2'> ";
    return s;
  }();
  return page;
}

std::size_t TotalBytes(const std::vector<std::string>& pages) {
  std::size_t n = 0;
  for (const auto& p : pages) n += p.size();
  return n;
}

// The link collector's configuration, with a handler doing trivial work on start tags.
class CountingHandler : public vw::CHtmlReaderEvents {
 public:
  long attributes = 0;
  void OnStartTag(const vw::CHtmlTag* tag, void*, bool&) override {
    if (tag->attributes) attributes += tag->attributes->GetCount();
  }
};

long ReadWithOurs(const std::string& page) {
  CountingHandler handler;
  vw::CHtmlReader reader;
  reader.eventMask = 31;
  reader.decodeTextEntities = false;
  reader.handler = &handler;
  reader.Read(page.c_str());
  return handler.attributes;
}

void StartElement(void* ctx, const xmlChar*, const xmlChar** attrs) {
  long& count = *static_cast<long*>(ctx);
  if (attrs) {
    for (const xmlChar** a = attrs; *a; a += 2) ++count;
  }
}

long ReadWithLibxml2(const std::string& page) {
  htmlSAXHandler sax{};
  sax.startElement = StartElement;
  long count = 0;
  htmlParserCtxtPtr ctxt = htmlCreatePushParserCtxt(&sax, &count, nullptr, 0, nullptr,
                                                    XML_CHAR_ENCODING_8859_1);
  htmlCtxtUseOptions(ctxt, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
  htmlParseChunk(ctxt, page.data(), int(page.size()), 1);
  htmlFreeParserCtxt(ctxt);
  return count;
}

long ReadWithGumbo(const std::string& page) {
  GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
  const long root = output->root->type;
  gumbo_destroy_output(&kGumboDefaultOptions, output);
  return root;
}

template <long (*Read)(const std::string&)>
void Manual(benchmark::State& state) {
  const auto& pages = ManualPages();
  if (pages.empty()) {
    state.SkipWithError("postgresql-doc-15 manual not installed");
    return;
  }
  for (auto _ : state) {
    for (const auto& page : pages) benchmark::DoNotOptimize(Read(page));
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(TotalBytes(pages)));
  state.counters["pages"] = double(pages.size());
}

template <long (*Read)(const std::string&)>
void Hostile(benchmark::State& state) {
  const auto& page = HostilePage();
  for (auto _ : state) benchmark::DoNotOptimize(Read(page));
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(page.size()));
}

BENCHMARK_TEMPLATE(Manual, ReadWithOurs)->Name("Manual/vellowick")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Manual, ReadWithLibxml2)->Name("Manual/libxml2_sax")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Manual, ReadWithGumbo)->Name("Manual/gumbo")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Hostile, ReadWithOurs)->Name("Hostile/vellowick")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Hostile, ReadWithLibxml2)->Name("Hostile/libxml2_sax")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
