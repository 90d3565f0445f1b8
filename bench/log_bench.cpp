// The update workers log at level 3 on every request: a ThreadLog line and a log file line
// must stay cheap next to the fetch itself.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "log/ErrLog.h"
#include "log/ThreadLog.h"
#include "platform/LogSupport.h"

namespace {

using namespace quotrix;

void BM_ThreadLogAppend(benchmark::State& state) {
    ThreadLog log(3);
    int i = 0;
    for (auto _ : state) {
        log.Append(LOG_DTL, "[HTTP] GET http://stocks.finance.yahoo.co.jp/stocks/detail/?code=%04d.t status %d",
                   i++ % 10000, 200);
    }
    benchmark::DoNotOptimize(log.text.size());
}
BENCHMARK(BM_ThreadLogAppend);

// A full ThreadLog: every line also trims the oldest one.
void BM_ThreadLogAppendTrimming(benchmark::State& state) {
    ThreadLog log(3);
    while (log.text.size() < kThreadLogLimit - 100) log.Append(LOG_DTL, "%s", std::string(90, 'f').c_str());
    for (auto _ : state) log.Append(LOG_DTL, "request %d done", 7);
    benchmark::DoNotOptimize(log.text.size());
}
BENCHMARK(BM_ThreadLogAppendTrimming);

// One line into the rotating file (open, append, close, as every line is written).
void BM_ErrLogLine(benchmark::State& state) {
    std::string folder;
    GetTempFolder(folder);
    folder += "quotrix-log-bench";
    std::filesystem::create_directories(folder);
    CErrLog log;
    log.SetPath(folder + kPathSeparator + "bench.log");
    log.SetLevel(5);
    log.SetMaxSize(1 << 20);
    for (auto _ : state) log.Log(LOG_DTL, "[CHECK] Item %d / %s / status %u", 39, "7203.t", 0x11u);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ErrLogLine);

// The same call below the threshold: what a level-3 line costs when the user logs errors only.
void BM_ErrLogLineFiltered(benchmark::State& state) {
    CErrLog log;
    log.SetPath("unused.log");
    log.SetLevel(1);
    for (auto _ : state) log.Log(LOG_DTL, "[CHECK] Item %d / %s / status %u", 39, "7203.t", 0x11u);
}
BENCHMARK(BM_ErrLogLineFiltered);

}  // namespace
