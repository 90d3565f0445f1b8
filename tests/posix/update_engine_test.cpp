// The update engine against the quote server in this process, with real worker threads. The
// server's latency, failure and slow-body switches need a server of each test's own, so these
// tests run in the Linux build; the Windows build runs the basic pass under Wine.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <thread>

#include "QuoteServer.h"
#include "model/CivilDate.h"
#include "tests/update/engine_fixture.h"

namespace quotrix::testing {
namespace {

const std::vector<std::string> kTen = {"7203.t", "6758.t", "9984.t", "8306.t", "6501.t",
                                       "7974.t", "4063.t", "9432.t", "8035.t", "6098.t"};

std::unique_ptr<quotesrv::QuoteServer> Serve(quotesrv::ServerOptions options = {}) {
    options.port = 0;
    auto server = std::make_unique<quotesrv::QuoteServer>(options);
    EXPECT_TRUE(server->Start());
    return server;
}

TEST_F(EngineTest, TenStocksThroughThreePlaces) {
    auto server = Serve();
    Build(server->Address(), 3);
    const std::string log = LogToFile("engine-ten", 5);
    AddStocks(kTen);
    stocks[0]->shares = 100;
    stocks[0]->cost = 250000 * kYen;
    stocks[1]->name = "kept";
    stocks[1]->status &= ~kNamePending;

    engine->QueueAll();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_NE(ReadFile(log).find("[CHECK] Executed: 3 / Queue: 7"), std::string::npos);
    EXPECT_EQ(engine->Merges(), 10u);
    for (const auto& stock : stocks) {
        EXPECT_EQ(stock->status, STATUS_UPDATED) << stock->codeText;
        EXPECT_GT(stock->price, 0) << stock->codeText;
        EXPECT_FALSE(stock->name.empty()) << stock->codeText;
    }
    EXPECT_EQ(stocks[1]->name, "kept");  // the name is taken only while pending
    EXPECT_EQ(stocks[0]->shares, 100u);  // the holding is the user's
    EXPECT_EQ(stocks[0]->cost, 250000 * kYen);
    EXPECT_EQ(view.updatedRedraws, 10);
}

TEST_F(EngineTest, ASecondQueueAllFetchesDuplicatesOrSkipsThem) {
    quotesrv::ServerOptions options;
    options.latencyMs = 50;
    auto server = Serve(options);
    // Twelve places for ten stocks: the second QueueAll finds two places free and starts a
    // second fetch of two stocks while their first one still runs.
    Build(server->Address(), 12);
    AddStocks(kTen);
    engine->QueueAll();
    engine->QueueAll();
    EXPECT_EQ(engine->QueueLength(), 8u);
    ASSERT_TRUE(RunUntilIdle());
    // Each stock is merged once per fetch that found a free place of its update lock.
    EXPECT_GE(engine->Merges(), 10u);
    EXPECT_LE(engine->Merges(), 20u);
    for (const auto& stock : stocks) EXPECT_EQ(stock->status, STATUS_UPDATED);
}

TEST_F(EngineTest, AFullSessionInstallsTheDelayTimerOnce) {
    auto server = Serve();
    Build(server->Address(), 3);
    AddStocks(kTen);
    auto& session = InetSession::Instance();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(session.Acquire(true));
    engine->QueueAll();
    engine->QueueAll();
    EXPECT_TRUE(engine->DelayTimerInstalled());
    EXPECT_TRUE(owner->TimerRunning(kDelayTimerId));
    EXPECT_EQ(engine->QueueLength(), 0u);
    // Still full: the delay event leaves its timer running.
    engine->OnCheckTimer(kDelayTimerId);
    EXPECT_TRUE(owner->TimerRunning(kDelayTimerId));
    for (int i = 0; i < 3; ++i) session.Release();
    engine->OnCheckTimer(kDelayTimerId);
    EXPECT_FALSE(owner->TimerRunning(kDelayTimerId));
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(engine->Merges(), 10u);
}

TEST_F(EngineTest, OfflineAndOutOfHours) {
    auto server = Serve();
    EngineServices services = DefaultEngineServices();
    services.isConnected = [] { return false; };
    services.refreshOnline = [] { Online = false; };
    Build(server->Address(), 3, services);
    AddStocks({"7203.t", "6758.t", "9984.t", "8306.t"});

    NoAutoUpdateOffline = true;
    const auto before = server->Requests();
    engine->QueueAll();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(server->Requests(), before);  // nothing was fetched
    for (const auto& stock : stocks) EXPECT_EQ(stock->UpdateState(), STATUS_OFFLINE);

    // A check event while offline leaves Offline stocks as they are and marks the others.
    stocks[0]->status = 0;
    stocks[1]->status = STATUS_FAILED;
    engine->OnCheckTimer(kCheckTimerId);
    EXPECT_EQ(stocks[0]->status, STATUS_OFFLINE);
    EXPECT_EQ(stocks[1]->status, STATUS_FAILED);

    // Out of hours: 0 and Offline become 4, Updated 5, Failed stays.
    engine->settings.activeHoursOn = true;
    engine->settings.start = engine->settings.end = TimeOfDay{TimeOfDay::NULL_TIME, -1};
    stocks[0]->status = 0;
    stocks[2]->status = STATUS_UPDATED;
    engine->OnCheckTimer(kCheckTimerId);
    EXPECT_EQ(stocks[0]->status, 4u);
    EXPECT_EQ(stocks[1]->status, STATUS_FAILED);
    EXPECT_EQ(stocks[2]->status, 5u);
    EXPECT_EQ(stocks[3]->UpdateState(), STATUS_OUT_OF_HOURS);
}

TEST_F(EngineTest, AStockRemovedWhileItsWorkerRunsIsParkedThenFreed) {
    quotesrv::ServerOptions options;
    options.latencyMs = 300;
    auto server = Serve(options);
    Build(server->Address(), 3);
    AddStocks({"7203.t", "6758.t"});
    engine->QueueAll();
    CStockMan* removed = stocks[0].get();
    const std::uint32_t id = removed->Id();
    engine->RemoveStock(*removed);
    EXPECT_EQ(stocks.size(), 1u);
    EXPECT_EQ(StockRegistry::Instance().Find(id), nullptr);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(engine->DroppedOutcomes(), 1u);
    EXPECT_EQ(engine->Merges(), 1u);
    EXPECT_EQ(engine->DeferredCount(), 1u);
    engine->OnCheckTimer(kCheckTimerId);  // idle: the parked stock goes
    EXPECT_EQ(engine->DeferredCount(), 0u);
}

TEST_F(EngineTest, FailuresAreMarkedAndTheirWorkerLogsFlushed) {
    quotesrv::ServerOptions options;
    options.failRate = 1.0;
    auto server = Serve(options);
    Build(server->Address(), 3);
    const std::string log = LogToFile("engine-fail", 2);
    AddStocks({"7203.t", "6758.t", "9984.t"});
    engine->QueueAll();
    ASSERT_TRUE(RunUntilIdle());
    for (const auto& stock : stocks) {
        EXPECT_EQ(stock->UpdateState(), STATUS_FAILED);
        EXPECT_NE(stock->updateLog.find("Data acquisition: failure"), std::string::npos);
    }
    const std::string text = ReadFile(log);
    EXPECT_NE(text.find("Data acquisition: failure"), std::string::npos);
    EXPECT_EQ(text.find("Update: success"), std::string::npos);
}

TEST_F(EngineTest, ShutdownEndsWorkersMidDownload) {
    quotesrv::ServerOptions options;
    options.slow = true;
    auto server = Serve(options);
    std::vector<int> threadWait;
    EngineServices services = DefaultEngineServices();
    services.readThreadWait = [] { return 0; };
    services.writeThreadWait = [&](int value) { threadWait.push_back(value); };
    Build(server->Address(), 5, services);
    AddStocks(kTen);
    engine->QueueAll();
    owner->RunFor(std::chrono::milliseconds(300));
    ASSERT_GT(engine->LiveWorkers(), 0);
    const auto started = std::chrono::steady_clock::now();
    engine->Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    EXPECT_EQ(engine->LiveWorkers(), 0);
    EXPECT_FALSE(InetSession::Instance().IsInUse());
    EXPECT_TRUE(stocks.empty());
    if (!threadWait.empty()) {
        EXPECT_EQ(threadWait.back(), 0);
    }
    engine.reset();
}

// The machine's zone for one test.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) saved_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::optional<std::string> saved_;
};

std::time_t Utc(const CivilDate& date, int h, int m, int s) {
    return static_cast<std::time_t>(DaysFromCivil(date) * 86400 + h * 3600 + m * 60 + s);
}

// The exchange's day is Tokyo's: a user in Los Angeles is not told the market is closed on a
// Tokyo trading day, nor polls on a Tokyo holiday; the active hours stay on the machine's clock.
TEST_F(EngineTest, ClosedDaysGoByTokyoWhateverTheZone) {
    ScopedTimeZone zone("America/Los_Angeles");
    auto server = Serve();
    std::time_t now = 0;
    EngineServices services = DefaultEngineServices();
    services.now = [&now] { return now; };
    Build(server->Address(), 3, services);
    AddStocks({"7203.t", "6758.t"});
    engine->settings.marketCalendar = true;
    auto check = [&](std::time_t at) {
        now = at;
        const auto before = server->Requests();
        engine->OnCheckTimer(kCheckTimerId);
        EXPECT_TRUE(RunUntilIdle());
        return server->Requests() - before;
    };

    // 23:59:59 on 勤労感謝の日 in Tokyo (06:59:59 on Monday the 23rd in Los Angeles).
    EXPECT_EQ(check(Utc({2026, 11, 23}, 14, 59, 59)), 0u);
    for (const auto& stock : stocks) EXPECT_EQ(stock->UpdateState(), STATUS_OUT_OF_HOURS);
    // A second later it is Tuesday in Tokyo, still the holiday's date in Los Angeles.
    EXPECT_GE(check(Utc({2026, 11, 23}, 15, 0, 0)), 2u);
    for (const auto& stock : stocks) EXPECT_EQ(stock->status, STATUS_UPDATED);
    // Saturday 09:00 in Tokyo is Friday afternoon in Los Angeles: closed.
    EXPECT_EQ(check(Utc({2026, 12, 5}, 0, 0, 0)), 0u);
    EXPECT_EQ(stocks[0]->status, 5u);

    // Active hours 09:00 to 15:30 on the machine's clock: 07:00 in Los Angeles is outside them
    // although Tokyo trades; 10:00 in Los Angeles (03:00 on a Wednesday in Tokyo) is inside.
    engine->settings.activeHoursOn = true;
    EXPECT_EQ(check(Utc({2026, 11, 24}, 15, 0, 0)), 0u);
    EXPECT_GE(check(Utc({2026, 11, 24}, 18, 0, 0)), 2u);

    // The calendar switched off: the holiday is fetched.
    engine->settings.activeHoursOn = false;
    engine->settings.marketCalendar = false;
    EXPECT_GE(check(Utc({2026, 11, 23}, 3, 0, 0)), 2u);
}

// "起動時は、時間外でも自動更新する" also overrides a closed day, for the first check only.
TEST_F(EngineTest, TheStartUpCheckRunsOnAClosedDayOnce) {
    auto server = Serve();
    EngineServices services = DefaultEngineServices();
    services.now = [] { return Utc({2026, 9, 22}, 3, 0, 0); };  // 国民の休日, noon in Tokyo
    Build(server->Address(), 3, services);
    AddStocks({"7203.t", "6758.t"});
    engine->settings.marketCalendar = true;
    engine->settings.checkAtStartup = true;
    ASSERT_TRUE(engine->StartChecks());
    owner->RunFor(std::chrono::milliseconds(100));
    ASSERT_TRUE(RunUntilIdle());
    for (const auto& stock : stocks) EXPECT_EQ(stock->status, STATUS_UPDATED);
    const auto before = server->Requests();
    engine->OnCheckTimer(kCheckTimerId);
    EXPECT_EQ(server->Requests(), before);
    for (const auto& stock : stocks) EXPECT_EQ(stock->status, 5u);
}

// Many stocks, every place taken, failures and latency, passes back to back: every fetch that
// started merges exactly once and every stock ends Updated or Failed.
TEST_F(EngineTest, StressManyStocksManyPasses) {
    quotesrv::ServerOptions options;
    options.failRate = 0.1;
    options.latencyMs = 5;
    options.pageBytes = 8000;
    auto server = Serve(options);
    Build(server->Address(), 25);
    // Failures here stand for single broken pages, not a host that is down.
    InetSessionConfig config = InetSession::Instance().Config();
    config.backoff.failureLimit = 1000000;
    InetSession::Instance().Configure(config);
    std::vector<std::string> codes;
    for (int i = 0; i < 200; ++i) codes.push_back(std::to_string(1301 + i * 7) + ".t");
    AddStocks(codes);
    for (int pass = 1; pass <= 20; ++pass) {
        engine->QueueAll();
        ASSERT_TRUE(RunUntilIdle(std::chrono::seconds(120))) << "pass " << pass;
        ASSERT_EQ(engine->Merges(), 200u * pass) << "pass " << pass;
    }
    EXPECT_EQ(engine->DroppedOutcomes(), 0u);
    for (const auto& stock : stocks) {
        const auto state = stock->UpdateState();
        // A failure keeps bit 0 of a stock that had a quote before: 13 still reads as failed.
        EXPECT_TRUE(state == STATUS_UPDATED || (state & 0x3C) == STATUS_FAILED) << stock->codeText << " " << state;
    }
}

}  // namespace
}  // namespace quotrix::testing
