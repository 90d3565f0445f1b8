// quotrix-cli watch on a real stock file against a quote server of the test's own, with its own
// settings file: both shapes of the quote pages give the same stocks, and Ctrl+C ends the watch
// without damaging the file.
#if defined(QUOTRIX_CLI)

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "QuoteServer.h"
#include "files/StockFile.h"
#include "model/Price.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"
#include "platform/posix/FileSettingsStore.h"

namespace quotrix {
namespace {

namespace fs = std::filesystem;

struct Watch {
    pid_t pid = -1;
    int out = -1;  // the tool's standard output
    std::string text;

    ~Watch() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) close(out);
    }
    // Reads what the tool printed until `done` holds or `seconds` have passed.
    bool ReadUntil(const std::function<bool(const std::string&)>& done, int seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done(text)) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{out, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char buffer[4096];
            const ssize_t n = read(out, buffer, sizeof buffer);
            if (n <= 0) return done(text);
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }
    // The exit status, or -1 when the tool is still running after `seconds`.
    int Wait(int seconds) {
        for (int i = 0; i < seconds * 20; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(50000);
        }
        return -1;
    }
};

class WatchCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quotrix-watch-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        quotesrv::ServerOptions options;
        options.port = 0;
        options.seed = 5;
        server_ = std::make_unique<quotesrv::QuoteServer>(options);
        ASSERT_TRUE(server_->Start());
    }
    void TearDown() override {
        server_->Stop();
        fs::remove_all(folder_);
    }

    // Every quote-site host on the server (under `prefix`), in the page shape of `form`.
    void PointAtServer(const std::string& prefix, int form) {
        FileSettingsStore store((folder_ / "Quotrix" / "settings.ini").string());
        for (const char* key : {"HostDetail", "HostQuote", "HostTimeSeries", "HostNews", "HostBoard", "HostProfile",
                                "HostPremiumQuote", "HostPremiumNews", "HostCurrent"})
            store.SetString("Setting", key, server_->Address() + prefix);
        store.SetInt("Setting", "QuoteAddressForm", static_cast<std::uint32_t>(form));
        store.SetInt("Setting", "LogLevel", 0);
    }

    std::string WriteFile(const std::string& name) {
        const std::string path = (folder_ / name).string();
        StockList stocks;
        for (const char* code : {"7203.t", "6758.t", "9984.t", "998407"})
            stocks.push_back(std::make_unique<CStockMan>(code));
        stocks[1]->shares = 100;
        stocks[1]->cost = 3000 * 100 * kYen;
        EXPECT_TRUE(WriteStockFile(path, stocks, {}, 0, {}));
        return path;
    }

    void Start(Watch& watch, const std::string& arguments) {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        watch.pid = fork();
        ASSERT_GE(watch.pid, 0);
        if (watch.pid == 0) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
            setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
            const std::string command = std::string("exec '") + QUOTRIX_CLI + "' watch " + arguments + " 2>/dev/null";
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        watch.out = pipeEnds[0];
    }

    static StockList ReadBack(const std::string& path) {
        StockList stocks;
        PortfolioPlacement placement;
        PriceValue cash = 0;
        StockFileHeader header;
        EXPECT_TRUE(ReadStockFile(path, stocks, placement, cash, header));
        return stocks;
    }

    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder_;
    std::unique_ptr<quotesrv::QuoteServer> server_;
};

// The classic pages and today's (a JSON state object behind a redirect from the classic address)
// must give the same names, and quotes for every stock; holdings are never touched by a merge.
TEST_F(WatchCli, BothPageShapesGiveTheSameStocks) {
    std::vector<std::vector<std::string>> names;
    for (const int form : {0, 1}) {
        SCOPED_TRACE(form);
        PointAtServer(form == 0 ? "" : "/current", form);
        const std::string path = WriteFile("shape" + std::to_string(form) + ".quotrix");
        Watch watch;
        Start(watch, "'" + path + "' --once --save --ignore-hours --threads 3");
        watch.ReadUntil([](const std::string&) { return false; }, 30);
        ASSERT_EQ(watch.Wait(30), 0) << watch.text;
        const StockList saved = ReadBack(path);
        ASSERT_EQ(saved.size(), 4u);
        names.emplace_back();
        for (const auto& stock : saved) {
            const auto* in = server_->Instruments().Find(stock->codeText);
            ASSERT_NE(in, nullptr) << stock->codeText;
            EXPECT_EQ(stock->name, Utf8ToSjis(in->name)) << stock->codeText;
            EXPECT_NE(stock->price, 0) << stock->codeText;
            names.back().push_back(stock->name);
        }
        EXPECT_EQ(saved[1]->shares, 100u);
        EXPECT_EQ(saved[1]->cost, 3000 * 100 * kYen);
        EXPECT_NE(watch.text.find("に保存しました。"), std::string::npos) << watch.text;
    }
    EXPECT_EQ(names[0], names[1]);
}

TEST_F(WatchCli, CtrlCEndsTheWatchAndLeavesTheFileWhole) {
    PointAtServer("", 0);
    // Without --save the file keeps its bytes.
    {
        const std::string path = WriteFile("kept.quotrix");
        const std::string before = Bytes(path);
        Watch watch;
        Start(watch, "'" + path + "' --interval 1 --ignore-hours");
        ASSERT_TRUE(watch.ReadUntil([](const std::string& t) { return !t.empty(); }, 30));
        kill(watch.pid, SIGINT);
        EXPECT_EQ(watch.Wait(30), 0);
        EXPECT_EQ(Bytes(path), before);
    }
    // With --save, Ctrl+C in the middle of the checks still writes a whole file.
    {
        const std::string path = WriteFile("saved.quotrix");
        Watch watch;
        Start(watch, "'" + path + "' --interval 1 --ignore-hours --save");
        ASSERT_TRUE(watch.ReadUntil([](const std::string& t) { return !t.empty(); }, 30));
        kill(watch.pid, SIGINT);
        EXPECT_EQ(watch.Wait(30), 0);
        const StockList saved = ReadBack(path);
        ASSERT_EQ(saved.size(), 4u);
        EXPECT_EQ(saved[1]->shares, 100u);
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(folder_)) left.push_back(entry.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"Quotrix", "kept.quotrix", "saved.quotrix"}));
    }
}

static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// On a day the Tokyo exchange is closed the stocks wait without a request; a trading day, or the
// calendar switched off in the settings, fetches them.
TEST_F(WatchCli, AClosedDayShowsWaitingWithoutFetching) {
    PointAtServer("", 0);
    const std::string path = WriteFile("holiday.quotrix");
    auto run = [&](const std::string& date) {
        Watch watch;
        Start(watch, "'" + path + "' --once --date " + date);
        watch.ReadUntil([](const std::string&) { return false; }, 30);
        EXPECT_EQ(watch.Wait(30), 0) << watch.text;
        return watch.text;
    };
    auto before = server_->Requests();
    std::string text = run("2026-09-22");  // 国民の休日
    EXPECT_EQ(server_->Requests(), before);
    EXPECT_EQ(Count(text, "待機中"), 4) << text;

    before = server_->Requests();
    text = run("2026-09-24");
    EXPECT_GE(server_->Requests(), before + 4);
    EXPECT_EQ(Count(text, "待機中"), 0) << text;

    FileSettingsStore((folder_ / "Quotrix" / "settings.ini").string()).SetInt("Setting", "MarketCalendar", 0);
    before = server_->Requests();
    text = run("2026-09-22");
    EXPECT_GE(server_->Requests(), before + 4);
    EXPECT_EQ(Count(text, "待機中"), 0) << text;

    // A date that does not exist is a usage error.
    Watch bad;
    Start(bad, "'" + path + "' --once --date 2026-02-30");
    EXPECT_EQ(bad.Wait(30), 2);
}

// A site that answers 429 with "Retry-After: 2" is asked at most once each two seconds while it
// refuses, every skipped stock shows the failure, and the first pass after the refusals end
// updates them all.
TEST_F(WatchCli, ARefusingSiteIsLeftAloneForItsRetryAfter) {
    using Clock = std::chrono::steady_clock;
    struct Seen {
        Clock::time_point at;
        int status;
    };
    auto lock = std::make_shared<std::mutex>();
    auto seen = std::make_shared<std::vector<Seen>>();
    // A server of this test's own that notes when each request came; the fixture's stays up
    // beside it (stopping a server at once after its start can leave its listener waiting).
    quotesrv::ServerOptions options;
    options.port = 0;
    options.seed = 5;
    options.log = [lock, seen](const std::string& line) {
        int status = 0;
        if (line.find(" 429 ") != std::string::npos) status = 429;
        if (line.find(" 200 ") != std::string::npos) status = 200;
        std::lock_guard guard(*lock);
        seen->push_back({Clock::now(), status});
    };
    auto own = std::make_unique<quotesrv::QuoteServer>(options);
    ASSERT_TRUE(own->Start());
    std::swap(server_, own);
    auto count = [&](int status) {
        std::lock_guard guard(*lock);
        return std::count_if(seen->begin(), seen->end(), [&](const Seen& s) { return s.status == status; });
    };

    PointAtServer("", 0);
    const std::string path = WriteFile("burst.quotrix");
    server_->StartBurst({429, 100000, "2"});
    Watch watch;
    const auto started = Clock::now();
    Start(watch, "'" + path + "' --interval 1 --threads 3 --ignore-hours");
    watch.ReadUntil([&](const std::string&) { return Clock::now() - started > std::chrono::milliseconds(6500); }, 10);
    server_->StartBurst({429, 0, ""});
    const auto ended = Clock::now();
    std::vector<Seen> burst;
    {
        std::lock_guard guard(*lock);
        burst = *seen;
    }
    // Four stocks a second would be some 24 requests; the first pass may have three under way
    // at once, then one probe each two seconds.
    std::printf("requests during a 6.5 s burst of 429: %zu\n", burst.size());
    ASSERT_GE(burst.size(), 1u);
    EXPECT_LE(burst.size(), 7u);
    for (const Seen& s : burst) EXPECT_EQ(s.status, 429);
    std::vector<Clock::time_point> probes;
    for (const Seen& s : burst)
        if (s.at - burst.front().at > std::chrono::milliseconds(500)) probes.push_back(s.at);
    Clock::time_point previous = burst.front().at;
    for (const auto at : probes) {
        EXPECT_GE(at - previous, std::chrono::milliseconds(1950));
        previous = at;
    }

    ASSERT_TRUE(watch.ReadUntil([&](const std::string&) { return count(200) >= 4; }, 20)) << watch.text;
    const auto recovered = Clock::now();
    std::printf(
        "all four quoted %lld ms after the refusals ended\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(recovered - ended).count()));
    EXPECT_LT(recovered - ended, std::chrono::seconds(5));
    EXPECT_NE(watch.text.find("更新失敗"), std::string::npos) << watch.text;
    kill(watch.pid, SIGINT);
    EXPECT_EQ(watch.Wait(30), 0);
}

}  // namespace
}  // namespace quotrix

#endif
