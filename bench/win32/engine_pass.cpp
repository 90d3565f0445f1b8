// engine_pass.exe: one full pass of the update engine over 1,000 stocks against a quote server,
// with the Windows transport (WinINet) and the Windows owner (worker messages sent to a window),
// at 1, 3, 10 and 25 worker places. Prints the pass time, the speed-up over one place, the share
// of the pass the owner's thread spent on the workers' messages, and the peak working set.
// The Linux figure comes from bench/engine_bench (Google Benchmark has no mingw build).
//
// Run by hand, not by the test suite (the pass at one place takes about a minute):
//   tools/quote-server/ctl.sh start build/linux/tools/quote-server/quote-server /tmp/qs --latency 50
//   QUOTRIX_BUILD=build/windows tools/wine-run.sh build/windows/bench/win32/engine_pass.exe \
//       127.0.0.1:PORT [--stocks N] [--places 1,3,10,25] [--owner window|queue]
//   tools/quote-server/ctl.sh stop /tmp/qs
// --owner queue runs the portable owner (a queue drained by the main thread) instead.
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "model/SiteHosts.h"
#include "net/InetSession.h"
#include "platform/Messages.h"
#include "platform/win32/Win32UpdateOwner.h"
#include "update/DefaultServices.h"
#include "update/QueueOwner.h"
#include "update/UpdateEngine.h"

namespace quotrix {
namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;
}

class TimedSink : public UpdateMessageSink {
  public:
    UpdateEngine* engine = nullptr;
    std::intptr_t OnOwnerMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        const auto start = Clock::now();
        const double cpuStart = ThreadCpuSeconds();
        const std::intptr_t result = engine ? engine->OnOwnerMessage(message, wParam, lParam) : 0;
        cpu += ThreadCpuSeconds() - cpuStart;
        wall += Clock::now() - start;
        return result;
    }
    void OnOwnerTimer(unsigned id) override {
        if (engine) engine->OnCheckTimer(id);
    }
    Clock::duration wall{};
    double cpu = 0;
};

struct PassFigures {
    double seconds = 0;
    double ownerWallShare = 0;  // percent
    double ownerCpuShare = 0;   // percent
    std::uint64_t merged = 0;
};

PassFigures RunPass(int places, int stockCount, bool windowOwner) {
    InetSessionConfig config = InetSession::Instance().Config();
    config.maxThreads = places;
    config.requestPauseMs = 0;
    InetSession::Instance().Configure(config);
    CheckHalt = false;
    Online = true;

    StockList stocks;
    for (int i = 0; i < stockCount; ++i) stocks.push_back(std::make_unique<CStockMan>(std::to_string(1301 + i) + ".t"));
    TimedSink sink;
    std::unique_ptr<UpdateOwner> owner;
    QueueOwner* queue = nullptr;
    Win32UpdateOwner* window = nullptr;
    if (windowOwner) {
        auto w = std::make_unique<Win32UpdateOwner>(&sink);
        // Without its window every worker would end at once with nothing to report.
        if (!w->IsAlive()) {
            std::fprintf(stderr, "engine_pass: the owner window could not be created (%lu)\n", GetLastError());
            return {};
        }
        window = w.get();
        owner = std::move(w);
    } else {
        auto q = std::make_unique<QueueOwner>(&sink);
        queue = q.get();
        owner = std::move(q);
    }
    UpdateEngine engine(*owner, stocks, DefaultEngineServices());
    sink.engine = &engine;
    auto done = [&] { return engine.QueueLength() == 0 && engine.LiveWorkers() == 0; };

    const auto start = Clock::now();
    engine.QueueAll();
    if (queue) {
        queue->Run(done);
    } else {
        // The main window's loop: sent messages are handled inside PeekMessage.
        while (!done() && window->IsAlive()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    PassFigures figures;
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.ownerWallShare = 100.0 * std::chrono::duration<double>(sink.wall).count() / figures.seconds;
    figures.ownerCpuShare = 100.0 * sink.cpu / figures.seconds;
    figures.merged = engine.Merges();
    engine.Shutdown();
    sink.engine = nullptr;
    CheckHalt = false;
    return figures;
}

double PeakWorkingSetMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

int Usage() {
    std::fprintf(stderr, "usage: engine_pass HOST:PORT [--stocks N] [--places 1,3,10,25] [--owner window|queue]\n");
    return 2;
}

}  // namespace
}  // namespace quotrix

int main(int argc, char** argv) {
    using namespace quotrix;
    if (argc < 2) return Usage();
    const std::string address = argv[1];
    int stockCount = 1000;
    std::vector<int> places = {1, 3, 10, 25};
    bool windowOwner = true;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        if (a == "--stocks") {
            stockCount = std::atoi(value.c_str());
            if (stockCount < 1 || stockCount > 100000) return Usage();
        } else if (a == "--places") {
            places.clear();
            for (std::size_t at = 0; at < value.size();) {
                const std::size_t comma = std::min(value.find(',', at), value.size());
                const int n = std::atoi(value.substr(at, comma - at).c_str());
                if (n < 1 || n > 25) return Usage();
                places.push_back(n);
                at = comma + 1;
            }
            if (places.empty()) return Usage();
        } else if (a == "--owner") {
            if (value != "window" && value != "queue") return Usage();
            windowOwner = value == "window";
        } else {
            return Usage();
        }
    }

    SiteHosts hosts;
    hosts.detail = hosts.quote = hosts.board = hosts.news = address;
    SetSiteHosts(hosts);

    std::printf("%d stocks against %s, %s owner, WinINet\n", stockCount, address.c_str(),
                windowOwner ? "window" : "queue");
    std::printf("%7s %10s %9s %14s %14s %8s\n", "places", "pass_s", "speedup", "owner_wall_%", "owner_cpu_%", "merged");
    double onePlace = 0;
    for (const int n : places) {
        const PassFigures f = RunPass(n, stockCount, windowOwner);
        if (f.seconds <= 0) return 1;
        if (n == 1) onePlace = f.seconds;
        char speedup[32] = "-";
        if (onePlace > 0) std::snprintf(speedup, sizeof speedup, "%.1fx", onePlace / f.seconds);
        std::printf("%7d %10.2f %9s %14.2f %14.2f %8llu\n", n, f.seconds, speedup, f.ownerWallShare, f.ownerCpuShare,
                    static_cast<unsigned long long>(f.merged));
        std::fflush(stdout);
    }
    std::printf("peak working set: %.1f MB\n", PeakWorkingSetMb());
    return 0;
}
