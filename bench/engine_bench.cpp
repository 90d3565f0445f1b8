// One full pass of the update engine over 1,000 stocks against the quote server, which answers
// each request after 50 ms, with 1, 3, 10 and 25 worker places. Prints the pass time, the
// speed-up over one place, the share of the pass the owner's thread spent on the workers'
// messages, and the process's peak memory (the quote server runs in this process too).
//
// The view does per merge what a stock window does: the stock's texts and the totals line, the
// totals either kept running (totals:0) or summed over all stocks again (totals:1, the O(n²) way).
// The owner's share is given as CPU time of the owner's thread (what it really spent) and as
// wall time (which on a loaded machine also counts the time it waited for a core).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>

#include "QuoteServer.h"
#include "model/Price.h"
#include "model/SiteHosts.h"
#include "net/InetSession.h"
#include "platform/Messages.h"
#include "update/DefaultServices.h"
#include "update/QueueOwner.h"
#include "update/RunningTotals.h"
#include "update/UpdateEngine.h"
#include "update/WorkerHeap.h"

namespace quotrix {
namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Times what the owner's thread does for each worker message, by kind.
class TimedSink : public UpdateMessageSink {
  public:
    explicit TimedSink(UpdateEngine*& engine) : engine_(engine) {}
    std::intptr_t OnOwnerMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        const auto start = Clock::now();
        const double cpuStart = ThreadCpuSeconds();
        const std::intptr_t result = engine_->OnOwnerMessage(message, wParam, lParam);
        const double cpu = ThreadCpuSeconds() - cpuStart;
        wall += Clock::now() - start;
        if (message == WM_APP_CHECK_START) {
            startCpu += cpu;
            ++starts;
        } else if (message == WM_APP_CHECK_RESULT) {
            resultCpu += cpu;
            ++results;
        }
        return result;
    }
    void OnOwnerTimer(unsigned id) override { engine_->OnCheckTimer(id); }
    Clock::duration wall{};
    double startCpu = 0, resultCpu = 0;
    unsigned starts = 0, results = 0;

  private:
    UpdateEngine*& engine_;
};

class StockWindowView : public UpdateView {
  public:
    StockWindowView(const StockList& stocks, bool sumAll) : stocks_(stocks), sumAll_(sumAll) { totals_.Reset(stocks); }
    void RedrawStock(CStockMan& stock, bool) override {
        FormatPrice(stock.price, priceText_, FMT_GROUP);
        FormatPrice(stock.change, changeText_, FMT_SIGN | FMT_GROUP);
        if (sumAll_) {
            PriceValue value = 0, change = 0, profit = 0;
            for (const auto& s : stocks_) AddToTotals(*s, value, change, profit);
            FormatPrice(value, totalText_, FMT_GROUP);
        } else {
            totals_.Update(stock);
            FormatPrice(totals_.Value(), totalText_, FMT_GROUP);
        }
    }
    void RefreshViews(bool) override {}

  private:
    const StockList& stocks_;
    bool sumAll_;
    RunningTotals totals_;
    std::string priceText_, changeText_, totalText_;
};

quotesrv::QuoteServer& Server() {
    static quotesrv::QuoteServer* server = [] {
        // As quotrix-cli does before its first thread.
        TuneHeapForWorkers();
        quotesrv::ServerOptions options;
        options.port = 0;
        options.latencyMs = 50;
        auto* s = new quotesrv::QuoteServer(options);
        s->Start();
        return s;
    }();
    return *server;
}

double g_onePlaceSeconds = 0;

void BM_FullPass1000Stocks(benchmark::State& state) {
    const int places = static_cast<int>(state.range(0));
    const bool sumAll = state.range(1) != 0;
    SiteHosts hosts;
    hosts.detail = hosts.quote = hosts.board = hosts.news = Server().Address();
    SetSiteHosts(hosts);
    InetSessionConfig config = InetSession::Instance().Config();
    config.maxThreads = places;
    config.requestPauseMs = 0;
    InetSession::Instance().Configure(config);
    CheckHalt = false;
    Online = true;

    for (auto _ : state) {
        StockList stocks;
        for (int i = 0; i < 1000; ++i) {
            stocks.push_back(std::make_unique<CStockMan>(std::to_string(1301 + i) + ".t"));
            stocks.back()->shares = 100;
        }
        StockWindowView view(stocks, sumAll);
        QueueOwner owner;
        UpdateEngine* enginePtr = nullptr;
        TimedSink sink(enginePtr);
        owner.SetSink(&sink);
        UpdateEngine engine(owner, stocks, DefaultEngineServices(), &view);
        enginePtr = &engine;
        const auto start = Clock::now();
        engine.QueueAll();
        owner.Run([&] { return engine.QueueLength() == 0 && engine.LiveWorkers() == 0; });
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (places == 1 && !sumAll) g_onePlaceSeconds = seconds;
        state.counters["merged"] = static_cast<double>(engine.Merges());
        state.counters["owner_cpu_%"] = 100.0 * (sink.startCpu + sink.resultCpu) / seconds;
        state.counters["owner_wall_%"] = 100.0 * std::chrono::duration<double>(sink.wall).count() / seconds;
        if (sink.starts > 0) state.counters["start_us"] = 1e6 * sink.startCpu / sink.starts;
        if (sink.results > 0) state.counters["result_us"] = 1e6 * sink.resultCpu / sink.results;
        if (g_onePlaceSeconds > 0) state.counters["speedup_x"] = g_onePlaceSeconds / seconds;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        engine.Shutdown();
        CheckHalt = false;
    }
}
BENCHMARK(BM_FullPass1000Stocks)
    ->ArgNames({"places", "totals"})
    ->Args({1, 0})
    ->Args({3, 0})
    ->Args({10, 0})
    ->Args({25, 0})
    ->Args({25, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace quotrix
