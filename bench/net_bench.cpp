// Fetching quote pages through the session from the quote server on 127.0.0.1 (libcurl): the
// baseline of how many pages the update engine can have per second. The server runs in this
// process on its own threads, sharing the machine with the client.
#include <benchmark/benchmark.h>

#include <memory>

#include "Pages.h"
#include "QuoteServer.h"
#include "net/InetSession.h"

namespace {

using namespace quotrix;

quotesrv::QuoteServer& Server() {
    static quotesrv::QuoteServer* server = [] {
        quotesrv::ServerOptions options;
        options.port = 0;
        auto* s = new quotesrv::QuoteServer(options);
        if (!s->Start()) std::abort();
        return s;
    }();
    return *server;
}

InetSession& Session(std::uint32_t pauseMs) {
    static InetSession session;
    InetSessionConfig config;
    config.requestPauseMs = pauseMs;
    session.Configure(config);
    return session;
}

std::string PageUrl(int i) {
    static const char* const kCodes[] = {"7203.T", "6758.T", "9984.T", "8306.T",
                                         "6861.T", "9432.T", "7974.T", "4063.T"};
    return "http://" + Server().Address() + "/stocks/detail/?code=" + kCodes[i % 8];
}

// Today's quote page, some 160 KB (the recorded 2025 page's size).
std::string TodaysPageUrl(int i) {
    static const char* const kCodes[] = {"7203.T", "6758.T", "9984.T", "8306.T"};
    return "http://" + Server().Address() + "/current/quote/" + kCodes[i % 4];
}

void Fetches(benchmark::State& state, std::uint32_t pauseMs, std::string (*url)(int) = PageUrl,
             std::size_t smallest = 30000) {
    InetSession& session = Session(pauseMs);
    if (!session.Acquire(false)) {
        state.SkipWithError("no session");
        return;
    }
    std::size_t bytes = 0;
    int i = static_cast<int>(state.thread_index()) * 1000;
    for (auto _ : state) {
        std::string body;
        if (!DownloadUrl(session, url(i++), body, nullptr) || body.size() < smallest) {
            state.SkipWithError("fetch failed");
            break;
        }
        bytes += body.size();
    }
    session.Release();
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["req/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["page_bytes"] = state.iterations() > 0 ? static_cast<double>(bytes) / state.iterations() : 0;
}

// The transport alone: no pause before each request.
void BM_Fetch40kPage(benchmark::State& state) { Fetches(state, 0); }
BENCHMARK(BM_Fetch40kPage)->Iterations(1000)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fetch40kPage)->Threads(8)->Iterations(125)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The transport alone on today's pages: what a worker's fetch of a quote page costs beside the
// reading of it.
void BM_FetchTodaysPage(benchmark::State& state) { Fetches(state, 0, TodaysPageUrl, 150000); }
BENCHMARK(BM_FetchTodaysPage)->Iterations(1000)->UseRealTime()->Unit(benchmark::kMicrosecond);

// As the program fetches: 30 ms plus up to 63 ms of spreading before each request.
void BM_Fetch40kPageWithPause(benchmark::State& state) { Fetches(state, 30); }
BENCHMARK(BM_Fetch40kPageWithPause)->Iterations(50)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fetch40kPageWithPause)->Threads(8)->Iterations(50)->UseRealTime()->Unit(benchmark::kMillisecond);

// The server's share of the work: one detail page made and encoded.
void BM_ServerDetailPage(benchmark::State& state) {
    quotesrv::Market market(1);
    const quotesrv::Instrument* toyota = market.Find("7203");
    quotesrv::PageContext context;
    context.encoding = static_cast<quotesrv::Encoding>(state.range(0));
    context.time = "15:00";
    context.date = "06/14";
    context.ranking = &market.BuiltIn();
    context.minimumBytes = 40000;
    for (auto _ : state)
        benchmark::DoNotOptimize(quotesrv::EncodePage(DetailPage(market.Step(*toyota), context), context.encoding));
}
BENCHMARK(BM_ServerDetailPage)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace
