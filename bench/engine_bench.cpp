// One full pass of the update engine over 1,000 stocks against the quote server, which answers
// each request after 50 ms, with 1, 3, 10 and 25 worker places. Prints the pass time, the
// speed-up over one place, the share of the pass the owner's thread spent merging, and the
// process's peak memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <string>

#include "QuoteServer.h"
#include "model/SiteHosts.h"
#include "net/InetSession.h"
#include "update/DefaultServices.h"
#include "update/QueueOwner.h"
#include "update/UpdateEngine.h"

namespace quotrix {
namespace {

using Clock = std::chrono::steady_clock;

// Times what the owner's thread does for each worker message.
class TimedSink : public UpdateMessageSink {
  public:
    explicit TimedSink(UpdateEngine*& engine) : engine_(engine) {}
    std::intptr_t OnOwnerMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        const auto start = Clock::now();
        const std::intptr_t result = engine_->OnOwnerMessage(message, wParam, lParam);
        busy += Clock::now() - start;
        return result;
    }
    void OnOwnerTimer(unsigned id) override { engine_->OnCheckTimer(id); }
    Clock::duration busy{};

  private:
    UpdateEngine*& engine_;
};

quotesrv::QuoteServer& Server() {
    static quotesrv::QuoteServer* server = [] {
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
        for (int i = 0; i < 1000; ++i) stocks.push_back(std::make_unique<CStockMan>(std::to_string(1301 + i) + ".t"));
        QueueOwner owner;
        UpdateEngine* enginePtr = nullptr;
        TimedSink sink(enginePtr);
        owner.SetSink(&sink);
        UpdateEngine engine(owner, stocks, DefaultEngineServices());
        enginePtr = &engine;
        const auto start = Clock::now();
        engine.QueueAll();
        owner.Run([&] { return engine.QueueLength() == 0 && engine.LiveWorkers() == 0; });
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (places == 1) g_onePlaceSeconds = seconds;
        state.counters["merged"] = static_cast<double>(engine.Merges());
        state.counters["merge_share_%"] = 100.0 * std::chrono::duration<double>(sink.busy).count() / seconds;
        if (g_onePlaceSeconds > 0) state.counters["speedup_x"] = g_onePlaceSeconds / seconds;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        engine.Shutdown();
        CheckHalt = false;
    }
}
BENCHMARK(BM_FullPass1000Stocks)
    ->Arg(1)
    ->Arg(3)
    ->Arg(10)
    ->Arg(25)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace quotrix
