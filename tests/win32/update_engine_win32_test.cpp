// The update engine with the Win32 owner (SendMessage to a window of this thread, window timers)
// against the quote server the Linux side runs for the Wine tests.
#include <gtest/gtest.h>

#include "model/SiteHosts.h"
#include "net/InetSession.h"
#include "platform/win32/Win32UpdateOwner.h"
#include "tests/tools/quote_server_harness.h"
#include "update/DefaultServices.h"
#include "update/UpdateEngine.h"

namespace quotrix {
namespace {

TEST(Win32UpdateEngine, APassThroughTheWindowMessages) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    const SiteHosts saved = CurrentSiteHosts();
    SiteHosts hosts;
    hosts.detail = hosts.quote = hosts.board = hosts.news = address;
    SetSiteHosts(hosts);
    InetSessionConfig config = InetSession::Instance().Config();
    config.maxThreads = 3;
    config.requestPauseMs = 0;
    InetSession::Instance().Configure(config);
    CheckHalt = false;
    Online = true;

    StockList stocks;
    for (const char* code : {"7203.t", "6758.t", "9984", "998407", "usd", "8306.t", "6501.t"})
        stocks.push_back(std::make_unique<CStockMan>(code));
    UpdateEngine* enginePtr = nullptr;
    struct Forward : UpdateMessageSink {
        UpdateEngine** engine;
        std::intptr_t OnOwnerMessage(unsigned m, std::uintptr_t w, std::intptr_t l) override {
            return (*engine)->OnOwnerMessage(m, w, l);
        }
        void OnOwnerTimer(unsigned id) override { (*engine)->OnCheckTimer(id); }
    } forward;
    forward.engine = &enginePtr;
    Win32UpdateOwner owner(&forward);
    UpdateEngine engine(owner, stocks, DefaultEngineServices());
    enginePtr = &engine;
    engine.settings.intervalMs = 600000;

    ASSERT_TRUE(engine.StartChecks());  // the first check is posted: it runs at once
    for (int i = 0; i < 600 && (engine.CheckEvents() == 0 || engine.LiveWorkers() > 0 || engine.QueueLength() > 0); ++i)
        owner.RunFor(50);
    EXPECT_EQ(engine.CheckEvents(), 1u);
    EXPECT_EQ(engine.Merges(), stocks.size());
    for (const auto& stock : stocks) {
        EXPECT_EQ(stock->status, STATUS_UPDATED) << stock->codeText;
        EXPECT_GT(stock->price, 0) << stock->codeText;
    }
    engine.Shutdown();
    EXPECT_TRUE(stocks.empty());
    CheckHalt = false;
    SetSiteHosts(saved);
}

}  // namespace
}  // namespace quotrix
