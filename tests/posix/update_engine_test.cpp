// The update engine against the quote server in this process, with real worker threads. The
// server's latency, failure and slow-body switches need a server of each test's own, so these
// tests run in the Linux build; the Windows build runs the basic pass under Wine.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "QuoteServer.h"
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

// Many stocks, every place taken, failures and latency, passes back to back: every fetch that
// started merges exactly once and every stock ends Updated or Failed.
TEST_F(EngineTest, StressManyStocksManyPasses) {
    quotesrv::ServerOptions options;
    options.failRate = 0.1;
    options.latencyMs = 5;
    options.pageBytes = 8000;
    auto server = Serve(options);
    Build(server->Address(), 25);
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
