// Cost of decoding the character references of one attribute value: ordinary values that the
// single pass handles, and values built so that whole-value replacement has to be replayed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "html/attribute_value.h"

namespace {

// Links with query strings: one reference per stretch between ";" bytes.
std::string Ordinary(std::size_t size) {
  std::string v;
  for (int k = 0; v.size() < size; ++k) v += "a.htm?x=" + std::to_string(k) + "&amp;y=&#65;";
  return v;
}

// A stretch holding two "&" forces the replacement route; then thousands of distinct numeric
// references (&#1; &#01; &#001; ...), each of which is replaced through the whole value.
std::string DistinctReferences(std::size_t size) {
  std::string v = "&&x;";
  for (int k = 1; v.size() < size; ++k) {
    v += "&#" + std::string(std::size_t(k % 16), '0') + std::to_string(k / 16 + 1) + ";";
  }
  return v;
}

// One stretch of "&x" pairs closed by a single ";": every "&" starts a name that runs to the
// end of the value.
std::string LongNames(std::size_t size) {
  std::string v;
  while (v.size() + 3 < size) v += "&x";
  return v + ";";
}

template <std::string (*Make)(std::size_t)>
void Decode(benchmark::State& state) {
  const std::string value = Make(std::size_t(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(vw::DecodeValueReferences(value));
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(value.size()));
}

BENCHMARK_TEMPLATE(Decode, Ordinary)->Name("AttributeValue/ordinary")
    ->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Decode, DistinctReferences)->Name("AttributeValue/distinct_references")
    ->Arg(50000)->Arg(100000)->Arg(200000)->Arg(400000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Decode, LongNames)->Name("AttributeValue/long_names")
    ->Arg(50000)->Arg(100000)->Arg(200000)->Arg(400000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
