// Saving and loading a stock list of 10,000 stocks: the save must stay well under 100 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "files/StockCsv.h"
#include "files/StockFile.h"
#include "platform/TextCodec.h"

namespace {

using namespace quotrix;

constexpr int kStocks = 10000;

const StockList& ManyStocks() {
    static const StockList stocks = [] {
        StockList list;
        for (int i = 0; i < kStocks; ++i) {
            auto stock = std::make_unique<CStockMan>(1300 + i, MARKET_TOKYO);
            stock->name = SJIS("東京電力ホールディングス");
            stock->price = (1000 + i) * kYen;
            stock->shares = static_cast<std::uint32_t>(i % 7) * 100;
            stock->cost = stock->price * stock->shares;
            list.push_back(std::move(stock));
        }
        return list;
    }();
    return stocks;
}

std::string BenchPath() { return (std::filesystem::temp_directory_path() / "quotrix-files-bench.quotrix").string(); }

void PerStock(benchmark::State& state) {
    state.counters["per_stock"] =
        benchmark::Counter(kStocks, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The whole save as the user's save command does it: copy aside, write, flush, replace.
void BM_WriteStockFile(benchmark::State& state) {
    const StockList& stocks = ManyStocks();
    const std::string path = BenchPath();
    for (auto _ : state) {
        if (!WriteStockFile(path, stocks, {}, 0, {})) state.SkipWithError("save failed");
    }
    PerStock(state);
}
BENCHMARK(BM_WriteStockFile)->Unit(benchmark::kMillisecond);

// The record building alone, without the disk.
void BM_BuildStockFileBytes(benchmark::State& state) {
    const StockList& stocks = ManyStocks();
    for (auto _ : state) benchmark::DoNotOptimize(BuildStockFileBytes(stocks, {}, 0, {}));
    PerStock(state);
}
BENCHMARK(BM_BuildStockFileBytes)->Unit(benchmark::kMillisecond);

void BM_ReadStockFile(benchmark::State& state) {
    const std::string path = BenchPath();
    WriteStockFile(path, ManyStocks(), {}, 0, {});
    for (auto _ : state) {
        StockList stocks;
        PortfolioPlacement placement;
        PriceValue cash = 0;
        StockFileHeader header;
        if (!ReadStockFile(path, stocks, placement, cash, header)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(stocks.data());
    }
    PerStock(state);
}
BENCHMARK(BM_ReadStockFile)->Unit(benchmark::kMillisecond);

void BM_BuildCsvText(benchmark::State& state) {
    const StockList& stocks = ManyStocks();
    for (auto _ : state) benchmark::DoNotOptimize(BuildCsvText(stocks));
    PerStock(state);
}
BENCHMARK(BM_BuildCsvText)->Unit(benchmark::kMillisecond);

}  // namespace
