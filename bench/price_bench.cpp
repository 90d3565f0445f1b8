// The number formatters and the price reader run for every value of every stock at every refresh.
#include <benchmark/benchmark.h>

#include <string>

#include "model/Price.h"

namespace quotrix {
namespace {

void BM_FormatPrice(benchmark::State& state) {
    std::string out;
    PriceValue v = 12345678;
    for (auto _ : state) {
        FormatPrice(v, out, FMT_SIGN | FMT_GROUP);
        benchmark::DoNotOptimize(out.data());
        v += 1237;
    }
}
BENCHMARK(BM_FormatPrice);

void BM_NumberTextSetPrice(benchmark::State& state) {
    NumberText t;
    PriceValue v = 29710000;
    for (auto _ : state) {
        t.SetPrice(v, FMT_GROUP | FMT_FORCEFRACTION);
        benchmark::DoNotOptimize(t.text.data());
        v += 5000;
    }
}
BENCHMARK(BM_NumberTextSetPrice);

void BM_ParsePrice(benchmark::State& state) {
    const std::u16string text = u"  12,345,678.9012</span>";
    for (auto _ : state) benchmark::DoNotOptimize(ParsePrice(text));
}
BENCHMARK(BM_ParsePrice);

}  // namespace
}  // namespace quotrix
