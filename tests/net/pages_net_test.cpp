// The page readers over the network: the real session and transport against the quote server on
// 127.0.0.1. Both builds use the shared server (under Wine the one the Linux side started); the
// Linux build also starts servers of its own, whose state it can read back, to check that what
// was read is exactly what was served.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PageFile.h"
#include "model/Price.h"
#include "model/SiteHosts.h"
#include "model/Stock.h"
#include "net/BoardNews.h"
#include "net/InetSession.h"
#include "net/QuotePage.h"
#include "net/Release.h"
#include "net/Search.h"
#include "platform/TextCodec.h"
#include "tests/tools/quote_server_harness.h"

#if !defined(_WIN32)
#include "QuoteServer.h"
#endif

namespace quotrix {
namespace {

using namespace std::chrono_literals;

// Points every quote-site host at `host` (which may carry an encoding prefix of the server) for
// the life of the object, and takes the session's pause between requests out of the way.
class SiteOverride {
  public:
    explicit SiteOverride(const std::string& host)
        : saved_(CurrentSiteHosts()), config_(InetSession::Instance().Config()) {
        SiteHosts hosts;
        for (std::string* h : {&hosts.detail, &hosts.quote, &hosts.timeSeries, &hosts.news, &hosts.board,
                               &hosts.profile, &hosts.premiumQuote, &hosts.premiumNews})
            *h = host;
        SetSiteHosts(hosts);
        InetSessionConfig fast = config_;
        fast.requestPauseMs = 0;
        InetSession::Instance().Configure(fast);
    }
    ~SiteOverride() {
        SetSiteHosts(saved_);
        InetSession::Instance().Configure(config_);
    }

  private:
    SiteHosts saved_;
    InetSessionConfig config_;
};

// One quote read through FetchQuote with a place in the session, as a worker does it.
bool Fetch(CStock& stock, const std::string& url = {}) {
    stock.BuildUrls();
    if (!url.empty()) stock.quoteUrl = url;
    if (!InetSession::Instance().Acquire(false)) return false;
    ThreadLog log(3);
    FetchContext context;
    context.log = &log;
    context.stock = &stock;
    const bool ok = FetchQuote(context, ParseMaskFor(stock));
    InetSession::Instance().Release();
    EXPECT_TRUE(ok) << stock.quoteUrl << "\n" << log.text;
    return ok;
}

const char* const kEncodings[] = {"utf8", "sjis", "euc", "jis"};

TEST(QuoteOverNetwork, EveryEncodingTheServerSpeaks) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    for (const char* encoding : kEncodings) {
        SCOPED_TRACE(encoding);
        SiteOverride site(address + "/" + encoding);
        const struct {
            const char* code;
            const char* name;
        } instruments[] = {{"7203.t", "トヨタ自動車(株)"},
                           {"6758", "ソニーグループ(株)"},
                           {"998407", "日経平均株価"},
                           {"USDJPY=X", "米ドル/円"}};
        for (const auto& in : instruments) {
            CStock stock(in.code);
            ASSERT_TRUE(Fetch(stock));
            EXPECT_EQ(SjisToUtf8(stock.name), in.name);
            EXPECT_GT(stock.price, 0);
            EXPECT_FALSE(stock.updateTime.empty());
        }
    }
}

TEST(QuoteOverNetwork, MissingPagesAndStoppedServers) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    SiteOverride site(address);
    CStock stock("7203.t");
    stock.BuildUrls();
    stock.quoteUrl = testing::QuoteServerUrl("/test/status?code=404");
    ASSERT_TRUE(InetSession::Instance().Acquire(false));
    FetchContext context;
    context.stock = &stock;
    EXPECT_FALSE(FetchQuote(context, ParseMaskFor(stock)));  // a body, but no quote page
    stock.quoteUrl = "http://127.0.0.1:1/stocks/detail/?code=7203.t";
    EXPECT_FALSE(FetchQuote(context, ParseMaskFor(stock)));
    InetSession::Instance().Release();
}

TEST(BoardAndNewsOverNetwork, IdsOfTheNewestItems) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    for (const char* encoding : {"sjis", "euc", "jis"}) {
        SiteOverride site(address + "/" + encoding);
        CStock stock("7203.t");
        stock.BuildUrls();
        ThreadLog log(3);
        ASSERT_TRUE(InetSession::Instance().Acquire(false));
        EXPECT_NE(CheckBoard(stock, log), 0u) << encoding << "\n" << log.text;
        EXPECT_NE(CheckNews(stock, log), 0u) << encoding;
        InetSession::Instance().Release();
    }
}

// The search page's side of a search: every message in arrival order.
struct SearchPage {
    struct Message {
        bool end;
        std::size_t results;
        std::int32_t running;
        std::vector<SearchResult> copy;
    };
    std::vector<Message> messages;
    std::atomic<bool> closed{false};
    std::atomic<int> afterClose{0};
    SearchResultQueue queue{[this](const SearchResults* results, std::int32_t running) {
        if (closed) ++afterClose;
        messages.push_back(
            {results == nullptr, results ? results->size() : 0, running, results ? *results : SearchResults()});
    }};
    std::shared_ptr<SearchContext> context = std::make_shared<SearchContext>();

    SearchPage() { context->window = &queue; }
    std::size_t Ends() const {
        std::size_t n = 0;
        for (const auto& m : messages) n += m.end;
        return n;
    }
    // Receives until `ends` threads have said that they ended.
    void RunUntil(std::size_t ends) {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (Ends() < ends && std::chrono::steady_clock::now() < deadline) queue.Drain(100);
    }
};

TEST(SearchOverNetwork, ResultsEndMessagesAndTheRunningCount) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    SiteOverride site(address);
    SearchPage page;
    // One long search (every code, more pages than are read) beside a short one.
    ASSERT_TRUE(StartSearch(page.context, SJIS("全銘柄")));
    ASSERT_TRUE(StartSearch(page.context, SJIS("トヨタ自動車")));
    page.RunUntil(2);
    ASSERT_EQ(page.Ends(), 2u);

    std::size_t resultPages = 0, results = 0;
    bool toyota = false, sawTwoRunning = false;
    std::vector<std::int32_t> endRunning;
    for (const auto& m : page.messages) {
        if (m.end) {
            endRunning.push_back(m.running);
            continue;
        }
        ++resultPages;
        results += m.results;
        sawTwoRunning |= m.running == 2;
        for (const auto& r : m.copy) {
            EXPECT_EQ(r.valid, 1);
            if (r.codeText == "7203.T") toyota = SjisToUtf8(r.name) == "トヨタ自動車(株)";
        }
    }
    EXPECT_TRUE(toyota);
    EXPECT_TRUE(sawTwoRunning);
    std::sort(endRunning.begin(), endRunning.end());
    EXPECT_EQ(endRunning, (std::vector<std::int32_t>{0, 1}));
    // The long search stops after 70 result pages; the short one has one page.
    EXPECT_EQ(resultPages, 71u);
    EXPECT_GE(results, 70u * 2);
    DetachSearchPage(page.context);
}

TEST(SearchOverNetwork, NoMatchSendsOnlyTheEnd) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    SiteOverride site(address);
    SearchPage page;
    ASSERT_TRUE(StartSearch(page.context, SJIS("該当なしの語")));
    page.RunUntil(1);
    ASSERT_EQ(page.messages.size(), 1u);
    EXPECT_TRUE(page.messages[0].end);
    EXPECT_EQ(page.messages[0].running, 0);
    DetachSearchPage(page.context);
}

TEST(SearchOverNetwork, ClosingOrCancellingStopsTheMessages) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    SiteOverride site(address);
    {
        SearchPage page;
        std::weak_ptr<SearchContext> alive = page.context;
        ASSERT_TRUE(StartSearch(page.context, SJIS("全銘柄")));
        while (page.messages.size() < 3) page.queue.Drain(100);
        page.closed = true;
        DetachSearchPage(page.context);
        EXPECT_FALSE(page.context);
        // The thread finishes its page, sends nothing, and frees the context as the last user.
        for (int i = 0; i < 600 && !alive.expired(); ++i) {
            page.queue.Drain(0);
            std::this_thread::sleep_for(50ms);
        }
        EXPECT_TRUE(alive.expired());
        EXPECT_EQ(page.afterClose, 0);
    }
    {
        SearchPage page;
        std::weak_ptr<SearchContext> alive = page.context;
        ASSERT_TRUE(StartSearch(page.context, SJIS("全銘柄")));
        while (page.messages.size() < 2) page.queue.Drain(100);
        CancelSearch(*page.context);
        const std::size_t seen = page.messages.size();
        // Whatever was already on its way may still arrive; then nothing, not even the end.
        std::int32_t running = 1;
        for (int i = 0; i < 600 && running != 0; ++i) {
            page.queue.Drain(50);
            std::lock_guard lock(page.context->stateLock);
            running = page.context->running;
        }
        EXPECT_EQ(running, 0);
        page.queue.Drain(200);
        EXPECT_LE(page.messages.size(), seen + 1);
        EXPECT_EQ(page.Ends(), 0u);
        DetachSearchPage(page.context);
        EXPECT_TRUE(alive.expired());
    }
}

// The main window's side of the release check.
class NoticeWindow : public ReleaseCheckWindow {
  public:
    NoticeWindow(const std::string& url) : ReleaseCheckWindow(2, 56, url) {}
    void OnReleaseNotice(const std::string& text) override { notices.push_back(text); }
    std::vector<std::string> notices;
};

// Starts a check and waits for its thread to give its session place back.
void CheckAndWait(NoticeWindow& window, bool manual) {
    const std::int32_t before = InetSession::Instance().Users();
    ASSERT_TRUE(StartReleaseCheck(window, manual));
    for (int i = 0; i < 400 && InetSession::Instance().Users() != before; ++i) std::this_thread::sleep_for(25ms);
    ASSERT_EQ(InetSession::Instance().Users(), before);
}

TEST(ReleaseCheckOverNetwork, AnnouncedOncePerRunUnlessAsked) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    NoticeWindow window(testing::QuoteServerUrl("/quotrix/release.txt?v=2.57"));
    EXPECT_FALSE(ReleaseCheckedToday(window));
    CheckAndWait(window, false);
    ASSERT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(SjisToUtf8(window.notices[0]).rfind("Quotrix 2.57 ", 0), 0u) << SjisToUtf8(window.notices[0]);
    EXPECT_TRUE(ReleaseCheckedToday(window));
    CheckAndWait(window, false);
    EXPECT_EQ(window.notices.size(), 1u);
    CheckAndWait(window, true);
    EXPECT_EQ(window.notices.size(), 2u);
    EXPECT_EQ(window.lastNotifiedMajor, 2u);
    EXPECT_EQ(window.lastNotifiedMinor, 57u);

    // Another check already running: this one does nothing but give its place back.
    std::lock_guard busy(window.releaseCheckLock);
    CheckAndWait(window, true);
    EXPECT_EQ(window.notices.size(), 2u);
}

TEST(ReleaseCheckOverNetwork, SameVersionRecordsTheDayFailuresDoNot) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    NoticeWindow same(testing::QuoteServerUrl("/quotrix/release.txt?v=2.56"));
    CheckAndWait(same, true);
    EXPECT_TRUE(same.notices.empty());
    EXPECT_TRUE(ReleaseCheckedToday(same));

    for (const std::string& path : {std::string("/test/status?code=404"), std::string("/quotrix/release.txt?v=0.0")}) {
        NoticeWindow failed(testing::QuoteServerUrl(path));
        CheckAndWait(failed, true);
        EXPECT_TRUE(failed.notices.empty()) << path;
        EXPECT_FALSE(ReleaseCheckedToday(failed)) << path;
    }
    ReleaseNotice notice(2, 56);
    EXPECT_FALSE(FetchReleaseNotice(notice, "http://127.0.0.1:1/quotrix/release.txt"));
    EXPECT_FALSE(FetchReleaseNotice(notice, "not an address"));
}

#if !defined(_WIN32)

// A server of this test's own, whose instruments it can look at after each request.
struct OwnServer {
    explicit OwnServer(const std::string& fixtures = {}) {
        quotesrv::ServerOptions options;
        options.port = 0;
        options.seed = 7;
        options.fixturesDir = fixtures;
        server = std::make_unique<quotesrv::QuoteServer>(options);
        started = server->Start();
    }
    ~OwnServer() { server->Stop(); }
    std::unique_ptr<quotesrv::QuoteServer> server;
    bool started = false;
};

// A value as the server's page shows it (with the instrument's decimals), read back.
PriceValue Shown(std::int64_t value, const quotesrv::Instrument& in) {
    return ParsePrice(ToUtf16(CodePage::Utf8, quotesrv::PriceText(value, in.decimals)));
}

TEST(QuoteOverNetwork, ValuesAreWhatTheServerServed) {
    OwnServer own;
    ASSERT_TRUE(own.started);
    auto& market = own.server->Instruments();
    for (const char* encoding : kEncodings) {
        SCOPED_TRACE(encoding);
        SiteOverride site(own.server->Address() + "/" + encoding);
        for (const char* code : {"7203.t", "6758", "998407", "USDJPY=X"}) {
            CStock stock(code);
            ASSERT_TRUE(Fetch(stock));
            const quotesrv::Quote served = market.Peek(*market.Find(code));
            const quotesrv::Instrument& in = *served.instrument;
            EXPECT_EQ(SjisToUtf8(stock.name), in.name) << code;
            EXPECT_EQ(stock.price, Shown(served.price, in)) << code;
            if (stock.market == MARKET_CURRENCY) continue;  // a pair reads its price only
            EXPECT_EQ(stock.change, Shown(served.price - served.prevClose, in)) << code;
            EXPECT_EQ(stock.prevClose, Shown(served.prevClose, in)) << code;
            EXPECT_EQ(stock.open, Shown(served.open, in)) << code;
            EXPECT_EQ(stock.high, Shown(served.high, in)) << code;
            EXPECT_EQ(stock.low, Shown(served.low, in)) << code;
            const bool stockKind = in.kind == quotesrv::Kind::Stock;
            EXPECT_EQ(stock.volume, stockKind ? served.volume : 0u) << code;  // indices show "---"
        }
    }
}

TEST(BoardAndNewsOverNetwork, BoardIdIsTheServersNewestPost) {
    OwnServer own;
    ASSERT_TRUE(own.started);
    auto& market = own.server->Instruments();
    SiteOverride site(own.server->Address() + "/sjis");
    CStock stock("7203.t");
    stock.BuildUrls();
    ThreadLog log(3);
    ASSERT_TRUE(InetSession::Instance().Acquire(false));
    const std::uint32_t id = CheckBoard(stock, log);
    InetSession::Instance().Release();
    EXPECT_EQ(id, market.Peek(*market.Find("7203")).boardId);
}

TEST(QuoteOverNetwork, HandMadePagesInFiveEncodings) {
    OwnServer own(std::string(QUOTRIX_TEST_DATA) + "/pages");
    ASSERT_TRUE(own.started);
    for (const char* page : {"utf8", "utf7", "sjis", "euc", "jis"}) {
        CStock stock("7203.t");
        ASSERT_TRUE(Fetch(stock, "http://" + own.server->Address() + "/quote/stock-7203." + page + ".html")) << page;
        EXPECT_EQ(SjisToUtf8(stock.name), "トヨタ自動車(株)") << page;
        EXPECT_EQ(stock.volume, 12345600u) << page;
    }
}

TEST(ReleaseCheckOverNetwork, LongFileIsReadWhole) {
    OwnServer own(std::string(QUOTRIX_TEST_DATA) + "/pages");
    ASSERT_TRUE(own.started);
    const std::string file = PageFile("release/long.txt");
    ASSERT_GT(file.size(), 3000u);
    ReleaseNotice notice(2, 56);
    ASSERT_TRUE(FetchReleaseNotice(notice, "http://" + own.server->Address() + "/release/long.txt"));
    EXPECT_EQ(notice.remoteMinor, 60u);
    EXPECT_EQ(notice.text, file.substr(5));
}

#endif

}  // namespace
}  // namespace quotrix
