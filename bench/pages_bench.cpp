// The quote page reader runs up to six times per page for every stock at every check: a page in
// Shift-JIS is decoded as UTF-8 and UTF-7 first and only parses on the third attempt.
//
// Pages are the hand-made Toyota page of the tests, padded to 40 KB and 200 KB with the kind of
// chrome a portal page carries (half in front of the main block, half behind it), and a page of
// today's site as it was recorded in 2025 (163 KB, its values in a JSON state object). Besides the
// time, each benchmark reports the peak heap use of one decode-and-parse as a multiple of the
// page size. The worker's log is at its default level (0), as in a normal run.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>
#include <string>

#include "BenchPages.h"
#include "model/Stock.h"
#include "net/JapaneseText.h"
#include "net/QuotePage.h"
#include "net/QuotePageScan.h"
#include "net/Search.h"
#include "platform/TextCodec.h"

namespace {

std::atomic<std::size_t> g_inUse{0};
std::atomic<std::size_t> g_peak{0};

void Note(std::size_t bytes) {
    const std::size_t now = g_inUse.fetch_add(bytes) + bytes;
    std::size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}

}  // namespace

// Every allocation carries its size in front, so that the peak in use can be followed.
void* operator new(std::size_t bytes) {
    void* block = std::malloc(bytes + 16);
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = bytes;
    Note(bytes);
    return static_cast<char*>(block) + 16;
}
void operator delete(void* p) noexcept {
    if (p == nullptr) return;
    // Through an integer, so that the compiler does not take the block for one of operator new's.
    void* block = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(p) - 16);
    g_inUse.fetch_sub(*static_cast<std::size_t*>(block));
    std::free(block);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace quotrix {
namespace {

using bench::Page;
using bench::ReadFile;

// bench/pages-vs-python.py reads the very pages measured here: with QUOTRIX_PAGES_OUT naming a
// folder, they are written there before the benchmarks run.
const bool g_pagesWritten = [] {
    const char* folder = std::getenv("QUOTRIX_PAGES_OUT");
    if (folder == nullptr) return false;
    const std::string classic = Page(40 * 1024);
    const std::pair<const char*, std::string> pages[] = {
        {"classic-40k-utf8.html", classic},
        {"classic-40k-sjis.html", Utf8ToSjis(classic)},
        {"today-7203-2025.html", ReadFile("current/quote-7203-2025.html")},
    };
    for (const auto& [name, bytes] : pages) std::ofstream(std::string(folder) + "/" + name, std::ios::binary) << bytes;
    return true;
}();

// args: page size in KB, 0 UTF-8 / 1 Shift-JIS
void BM_ParseQuoteBody(benchmark::State& state) {
    const std::string utf8 = Page(static_cast<std::size_t>(state.range(0)) * 1024);
    const std::string body = state.range(1) == 0 ? utf8 : Utf8ToSjis(utf8);
    CStock stock("7203.t");
    stock.BuildUrls();
    FetchContext context;
    ThreadLog log(0);
    context.log = &log;
    context.stock = &stock;
    int decoding = -1;
    const std::size_t base = g_inUse.load();
    g_peak = base;
    if (!ParseQuoteBody(context, body, ParseMaskFor(stock), &decoding)) state.SkipWithError("page did not parse");
    const double peak = static_cast<double>(g_peak.load() - base);
    for (auto _ : state) {
        log.text.clear();
        benchmark::DoNotOptimize(ParseQuoteBody(context, body, ParseMaskFor(stock), &decoding));
    }
    state.counters["decoding"] = decoding;
    state.counters["page_bytes"] = static_cast<double>(body.size());
    state.counters["peak_heap_x_page"] = peak / static_cast<double>(body.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ParseQuoteBody)->ArgsProduct({{40, 200}, {0, 1}})->ArgNames({"KB", "sjis"})->Unit(benchmark::kMicrosecond);

// A page of today's site, recorded in 2025: no classic markers, the values in the state object.
void BM_ReadTodaysPage(benchmark::State& state) {
    const std::string body = ReadFile("current/quote-7203-2025.html");
    if (body.empty()) std::abort();
    CStock stock("7203.t");
    stock.BuildUrls();
    FetchContext context;
    ThreadLog log(0);
    context.log = &log;
    context.stock = &stock;
    int decoding = -1;
    const std::size_t base = g_inUse.load();
    g_peak = base;
    if (!ParseQuoteBody(context, body, ParseMaskFor(stock) | PARSE_NAME, &decoding))
        state.SkipWithError("page did not parse");
    const double peak = static_cast<double>(g_peak.load() - base);
    for (auto _ : state) {
        log.text.clear();
        benchmark::DoNotOptimize(ParseQuoteBody(context, body, ParseMaskFor(stock) | PARSE_NAME, &decoding));
    }
    state.counters["decoding"] = decoding;
    state.counters["page_bytes"] = static_cast<double>(body.size());
    state.counters["peak_heap_x_page"] = peak / static_cast<double>(body.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ReadTodaysPage)->Unit(benchmark::kMicrosecond);

// The parse of one decoded page alone (normalisation, markers, DIV list, values).
void BM_ParseQuotePage(benchmark::State& state) {
    const std::u16string text = ToUtf16(CodePage::Utf8, Page(static_cast<std::size_t>(state.range(0)) * 1024));
    std::u16string work;
    CStock stock("7203.t");
    stock.BuildUrls();
    FetchContext context;
    ThreadLog log(0);
    context.log = &log;
    context.stock = &stock;
    for (auto _ : state) {
        work = text;
        benchmark::DoNotOptimize(ParseQuotePage(context, work.data(), work.size(), 0x1FF7));
    }
}
BENCHMARK(BM_ParseQuotePage)->Arg(40)->Arg(200)->ArgName("KB")->Unit(benchmark::kMicrosecond);

void BM_EucToSjis(benchmark::State& state) {
    const std::string euc = ReadFile("quote/stock-7203.euc.html");
    std::string work;
    for (auto _ : state) {
        work = euc;
        EucToSjis(work);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * euc.size()));
}
BENCHMARK(BM_EucToSjis);

void BM_ParseSearchResults(benchmark::State& state) {
    const std::u16string text = ToUtf16(CodePage::Utf8, ReadFile("search/toyota.utf8.html"));
    std::u16string work;
    for (auto _ : state) {
        work = text;
        SearchResults results;
        benchmark::DoNotOptimize(ParseSearchResults(results, work.data(), work.size()));
    }
}
BENCHMARK(BM_ParseSearchResults)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quotrix

namespace quotrix {
namespace {

// The looks at the raw bytes of today's page alone, as the reader asks them before the state
// object is read: main-block marker, UTF-7 runs, ESC, the state marker's place.
void BM_LookAtTodaysPage(benchmark::State& state) {
    const std::string body = ReadFile("current/quote-7203-2025.html");
    if (body.empty()) std::abort();
    CStock stock("7203.t");
    stock.BuildUrls();
    const std::u16string wanted = RequiredCharacters(stock, ParseMaskFor(stock));
    for (auto _ : state) {
        PageLook look(body, wanted);
        benchmark::DoNotOptimize(look.MayHoldMarker());
        benchmark::DoNotOptimize(look.Utf7MayHold());
        benchmark::DoNotOptimize(look.HoldsEscape());
        benchmark::DoNotOptimize(look.StateMarker());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_LookAtTodaysPage)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quotrix
