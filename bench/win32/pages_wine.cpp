// pages_wine.exe: the quote reader's figures for the Windows build (MultiByteToWideChar, the
// mingw runtime) on the pages bench/pages_bench measures on Linux: microseconds of CPU per page,
// the least of five rounds. Google Benchmark has no mingw build, hence a loop of our own.
//
//   QUOTRIX_BUILD=build/windows tools/wine-run.sh build/windows/bench/win32/pages_wine.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "../BenchPages.h"
#include "model/Stock.h"
#include "net/QuotePage.h"
#include "platform/TextCodec.h"

namespace {

using namespace quotrix;

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>(static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

// Microseconds of CPU per read, the least of five rounds of about a quarter of a second.
double Measure(const std::string& body, std::uint32_t extraMask, int& decoding) {
    CStock stock("7203.t");
    stock.BuildUrls();
    ThreadLog log(0);
    FetchContext context;
    context.log = &log;
    context.stock = &stock;
    if (!ParseQuoteBody(context, body, ParseMaskFor(stock) | extraMask, &decoding)) return -1;
    int count = 1;
    double spent = 0;
    for (;; count *= 2) {
        const double start = CpuSeconds();
        for (int i = 0; i < count; ++i) ParseQuoteBody(context, body, ParseMaskFor(stock) | extraMask);
        spent = CpuSeconds() - start;
        if (spent > 0.25) break;
    }
    double best = spent / count;
    for (int round = 0; round < 4; ++round) {
        const double start = CpuSeconds();
        for (int i = 0; i < count; ++i) ParseQuoteBody(context, body, ParseMaskFor(stock) | extraMask);
        const double each = (CpuSeconds() - start) / count;
        if (each < best) best = each;
    }
    return best * 1e6;
}

}  // namespace

int main() {
    const std::string classic = bench::Page(40 * 1024);
    const struct {
        const char* title;
        std::string body;
        std::uint32_t extraMask;
    } pages[] = {
        {"today's page, 163 KB (recorded 2025)", bench::ReadFile("current/quote-7203-2025.html"), PARSE_NAME},
        {"classic page, 40 KB, Shift-JIS", Utf8ToSjis(classic), 0},
        {"classic page, 40 KB, UTF-8", classic, 0},
    };
    std::printf("%-40s %10s %10s\n", "page", "us/page", "decoding");
    for (const auto& page : pages) {
        int decoding = -1;
        const double us = Measure(page.body, page.extraMask, decoding);
        std::printf("%-40s %10.1f %10d\n", page.title, us, decoding);
    }
    return 0;
}
