// The engine's paths besides the plain pass, against a quote server in this process: the board
// and news checks inside a worker, the start-up check outside the active hours, the daily release
// check, the user's single update, a queued item, and the session closed by the halt.
#include <gtest/gtest.h>

#include "QuoteServer.h"
#include "platform/Messages.h"
#include "settings/AppSettings.h"
#include "tests/update/engine_fixture.h"

namespace quotrix::testing {
namespace {

std::unique_ptr<quotesrv::QuoteServer> Serve(quotesrv::Encoding encoding = quotesrv::Encoding::Utf8) {
    quotesrv::ServerOptions options;
    options.port = 0;
    options.encoding = encoding;
    auto server = std::make_unique<quotesrv::QuoteServer>(options);
    EXPECT_TRUE(server->Start());
    return server;
}

// Hours that are never active.
void NeverActive(CheckSettings& settings) {
    settings.activeHoursOn = true;
    settings.start = settings.end = TimeOfDay{TimeOfDay::NULL_TIME, -1};
}

TEST_F(EngineTest, BoardAndNewsAreCheckedInTheWorkerAndMarkedByTheMerge) {
    // Boards are read in the Japanese encodings of the site's board pages, not in UTF-8.
    auto server = Serve(quotesrv::Encoding::Sjis);
    EngineServices services = DefaultEngineServices();
    services.isConnected = [] { return true; };  // the worker asks before each check
    Build(server->Address(), 3, services);
    LogToFile("engine-board-news", 5);  // every worker log is flushed into the stock's own
    AddStocks({"7203.t", "6758.t", "USDJPY=X"});
    engine->settings.boardNewsMask = CHECK_BOARD | CHECK_NEWS;

    engine->QueueAll();
    ASSERT_TRUE(RunUntilIdle());
    for (std::size_t i = 0; i < 2; ++i) {
        const CStockMan& stock = *stocks[i];
        EXPECT_NE(stock.lastBoardId, 0u) << stock.codeText;
        EXPECT_NE(stock.lastNewsId, 0u) << stock.codeText;
        EXPECT_EQ(stock.newMarks, 3u) << stock.codeText;
        EXPECT_NE(stock.updateLog.find("Board ID: 0x"), std::string::npos);
        EXPECT_NE(stock.updateLog.find("New ID: 0x"), std::string::npos);
    }
    // A currency pair has neither board nor news.
    EXPECT_NE(stocks[2]->updateLog.find("Board/News: skipped"), std::string::npos);
    EXPECT_EQ(stocks[2]->newMarks, 0u);
    EXPECT_EQ(stocks[2]->lastBoardId, 0u);

    // With the board alone in the mask, only the board is looked at; a mark the user cleared
    // comes back only for a newer post.
    for (auto& stock : stocks) stock->newMarks = 0;
    engine->settings.boardNewsMask = CHECK_BOARD;
    const std::uint32_t news = stocks[0]->lastNewsId;
    const auto before = server->Requests();
    engine->QueueAll();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(server->Requests(), before + 3 + 2);  // three quotes, two boards
    EXPECT_EQ(stocks[0]->lastNewsId, news);
    EXPECT_EQ(stocks[0]->newMarks & 2u, 0u);

    // Nothing in the mask: quotes only.
    engine->settings.boardNewsMask = 0;
    const auto quotesOnly = server->Requests();
    engine->QueueAll();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(server->Requests(), quotesOnly + 3);
}

// The scheduler's own probe, answered without asking the machine.
EngineServices AlwaysOnline() {
    EngineServices services = DefaultEngineServices();
    services.refreshOnline = [] { Online = true; };
    return services;
}

TEST_F(EngineTest, TheStartUpCheckRunsOnceOutsideTheActiveHours) {
    auto server = Serve();
    Build(server->Address(), 3, AlwaysOnline());
    AddStocks({"7203.t", "6758.t"});
    NeverActive(engine->settings);
    engine->settings.checkAtStartup = true;

    ASSERT_TRUE(engine->StartChecks());  // posts the first check event
    owner->RunFor(std::chrono::milliseconds(200));
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(engine->Merges(), 2u);
    for (const auto& stock : stocks) EXPECT_EQ(stock->status, STATUS_UPDATED);

    // The next event is an ordinary one: out of hours, nothing fetched.
    const auto before = server->Requests();
    engine->OnCheckTimer(kCheckTimerId);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(server->Requests(), before);
    for (const auto& stock : stocks) EXPECT_EQ(stock->status, STATUS_OUT_OF_HOURS | STATUS_UPDATED);
}

TEST_F(EngineTest, WithoutTheStartUpSwitchTheFirstEventIsOutOfHours) {
    auto server = Serve();
    Build(server->Address(), 3, AlwaysOnline());
    AddStocks({"7203.t"});
    NeverActive(engine->settings);
    ASSERT_TRUE(engine->StartChecks());
    owner->RunFor(std::chrono::milliseconds(200));
    EXPECT_EQ(server->Requests(), 0u);
    EXPECT_EQ(stocks[0]->status & 0x3Cu, STATUS_OUT_OF_HOURS);
}

TEST_F(EngineTest, TheDailyReleaseCheckStartsAfterTheQueueOncePerDay) {
    auto server = Serve();
    EngineServices services = DefaultEngineServices();
    bool online = true;
    services.refreshOnline = [&] { Online = online; };
    bool checkedToday = false;
    std::vector<int> workersAtStart;
    services.releaseCheckedToday = [&] { return checkedToday; };
    // The check records the day, as the real one does; it sees the pass already under way.
    services.startReleaseCheck = [&] {
        workersAtStart.push_back(engine->LiveWorkers());
        checkedToday = true;
    };
    Build(server->Address(), 3, services);
    AddStocks({"7203.t", "6758.t"});

    // Switched off: no release check.
    engine->OnCheckTimer(kCheckTimerId);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_TRUE(workersAtStart.empty());

    engine->settings.autoReleaseCheck = true;
    // Offline: no release check either.
    online = false;
    engine->OnCheckTimer(kCheckTimerId);
    EXPECT_TRUE(workersAtStart.empty());
    online = true;

    engine->OnCheckTimer(kCheckTimerId);
    ASSERT_EQ(workersAtStart.size(), 1u);
    EXPECT_GT(workersAtStart[0], 0);  // QueueAll came first
    ASSERT_TRUE(RunUntilIdle());
    engine->OnCheckTimer(kCheckTimerId);  // the same day
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(workersAtStart.size(), 1u);
    EXPECT_EQ(engine->Merges(), 2u * 3);
}

TEST_F(EngineTest, AUsersSingleUpdateProbesOnceAndIsNotRefusedByTheLimit) {
    auto server = Serve();
    EngineServices services = DefaultEngineServices();
    int userProbes = 0;
    services.refreshOnlineForUser = [&] { ++userProbes, Online = true; };
    Build(server->Address(), 1, services);
    AddStocks({"7203.t", "6758.t"});
    // Every place of the limit is taken (a pass under way).
    auto& session = InetSession::Instance();
    ASSERT_TRUE(session.Acquire(true));
    EXPECT_FALSE(session.Acquire(true));

    engine->UpdateOneNow(*stocks[1]);
    EXPECT_EQ(userProbes, 1);
    ASSERT_TRUE(RunUntilIdle());
    session.Release();
    EXPECT_EQ(engine->Merges(), 1u);
    EXPECT_EQ(stocks[1]->status, STATUS_UPDATED);
    EXPECT_NE(stocks[0]->status, STATUS_UPDATED);
}

TEST_F(EngineTest, AQueuedItemMessageFetchesThatStockOnly) {
    auto server = Serve();
    Build(server->Address(), 3);
    AddStocks({"7203.t", "6758.t", "9984.t"});
    ASSERT_TRUE(owner->Post(WM_APP_QUEUE_ITEM, stocks[2]->Id(), 0));
    ASSERT_TRUE(owner->Post(WM_APP_QUEUE_ITEM, 1, 0));  // no such stock: nothing
    owner->RunFor(std::chrono::milliseconds(200));
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(engine->Merges(), 1u);
    EXPECT_EQ(server->Requests(), 1u);
    EXPECT_EQ(stocks[2]->status, STATUS_UPDATED);
    EXPECT_NE(stocks[0]->status, STATUS_UPDATED);
}

TEST_F(EngineTest, TheHaltClosesTheSessionSoALateFetchStopsAtOnce) {
    auto server = Serve();
    InetSession session;
    InetSessionConfig config;
    config.requestPauseMs = 0;
    session.Configure(config);
    EngineServices services = DefaultEngineServices();
    services.closeSession = [&] { session.Close(); };
    Build(server->Address(), 3, services);
    // A fetch that took its place before the shutdown...
    ASSERT_TRUE(session.Acquire(false));
    ASSERT_TRUE(session.IsOpen());
    engine->Halt();
    EXPECT_TRUE(session.IsClosed());
    // ...and starts its download after it: refused before anything is sent.
    ThreadLog log(5);
    std::string body;
    EXPECT_FALSE(DownloadUrl(session, "http://" + server->Address() + "/stocks/detail/?code=7203.T", body, &log));
    EXPECT_NE(log.text.find("Inet session open failure"), std::string::npos) << log.text;
    EXPECT_EQ(server->Requests(), 0u);
    session.Release();
    // The engine goes before the session it would close again.
    engine->WaitForWorkers();
    engine.reset();
}

}  // namespace
}  // namespace quotrix::testing
