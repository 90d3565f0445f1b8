// The fetch rate of this build's transport against the quote server, printed for the record
// (WinINet under Wine has no Google Benchmark here). Not run by default:
//   quotrix_tests --gtest_also_run_disabled_tests --gtest_filter='DownloadRate.*'
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "net/InetSession.h"
#include "tests/tools/quote_server_harness.h"

namespace quotrix {
namespace {

// Fetches `total` pages with `threads` threads; returns pages per second, or 0 when any failed.
double Rate(InetSession& session, int total, int threads) {
    std::atomic<int> next{0};
    std::atomic<int> good{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (int i = next++; i < total; i = next++) {
                std::string body;
                const std::string url = testing::QuoteServerUrl("/stocks/detail/?code=" + std::to_string(7200 + i % 8));
                if (DownloadUrl(session, url, body, nullptr) && body.size() > 30000) ++good;
            }
        });
    for (auto& worker : workers) worker.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return good == total ? total / seconds : 0.0;
}

TEST(DownloadRate, DISABLED_ThousandPagesInSequenceAndWithEightThreads) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    InetSession session;
    InetSessionConfig config;
    config.requestPauseMs = 0;
    session.Configure(config);
    ASSERT_TRUE(session.Acquire(false));
    const double sequential = Rate(session, 1000, 1);
    const double parallel = Rate(session, 1000, 8);
    session.Release();
#if defined(_WIN32)
    const char* transport = "WinINet";
#else
    const char* transport = "libcurl";
#endif
    std::printf("%s, 40 KB pages: %.0f req/s in sequence, %.0f req/s with 8 threads\n", transport, sequential,
                parallel);
    EXPECT_GT(sequential, 0.0);
    EXPECT_GT(parallel, 0.0);
}

}  // namespace
}  // namespace quotrix
