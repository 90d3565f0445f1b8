// Today's quote pages over the network, read back by the current-page reader: a recorded page of
// the site served as it was sent, and the quote server's own pages compared with what it served.
// Linux only: these tests start servers of their own, whose state they can look at.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <memory>

#include "PageFile.h"
#include "QuoteServer.h"
#include "RecordedQuote.h"
#include "model/Price.h"
#include "net/CurrentQuotePage.h"
#include "net/InetSession.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

constexpr std::uint32_t kAll = 0x1FF7;       // every value and the name
constexpr std::uint32_t kPairMask = 0x0005;  // a pair reads its name and price only

struct CurrentServer {
    explicit CurrentServer(const std::string& fixtures = {}) {
        quotesrv::ServerOptions options;
        options.port = 0;
        options.seed = 11;
        options.site = quotesrv::Site::Current;
        options.fixturesDir = fixtures;
        server = std::make_unique<quotesrv::QuoteServer>(options);
        started = server->Start();
        InetSessionConfig config;
        config.requestPauseMs = 0;
        session.Configure(config);
        held = session.Acquire(false);
    }
    ~CurrentServer() {
        if (held) session.Release();
        server->Stop();
    }
    bool Fetch(const std::string& path, std::string& body) {
        log.text.clear();
        return DownloadUrl(session, "http://" + server->Address() + path, body, &log);
    }

    std::unique_ptr<quotesrv::QuoteServer> server;
    bool started = false;
    InetSession session;
    bool held = false;
    ThreadLog log{3};
};

TEST(CurrentSite, ARecordedPageOfTheSiteArrivesWholeAndReads) {
    const std::string folder = std::string(QUOTRIX_TEST_DATA) + "/pages/current";
    const std::string recorded = PageFile(kRecordedCurrentPage);
    ASSERT_GT(recorded.size(), 100000u);
    CurrentServer site(folder);
    ASSERT_TRUE(site.started && site.held);

    // The page's own address, and the classic one that the site moves to it.
    for (const std::string path : {"/quote/7203.T", "/stocks/detail/?code=7203.t"}) {
        SCOPED_TRACE(path);
        std::string body;
        ASSERT_TRUE(site.Fetch(path, body)) << site.log.text;
        ASSERT_EQ(body.size(), recorded.size());
        EXPECT_TRUE(body == recorded);

        CStock copy("7203.t");
        ThreadLog log(3);
        ASSERT_TRUE(ParseCurrentQuotePage(body, copy, kAll, &log)) << log.text;
        ExpectRecordedQuote(copy);
    }
    EXPECT_EQ(site.server->Requests(), 3u);  // one redirect on the way
}

// A value as the server's page shows it (with the instrument's decimals), read back.
PriceValue Shown(std::int64_t value, const quotesrv::Instrument& in) {
    return ParsePrice(ToUtf16(CodePage::Utf8, quotesrv::PriceText(value, in.decimals)));
}

TEST(CurrentSite, ValuesAreWhatTheServerServed) {
    CurrentServer site;
    ASSERT_TRUE(site.started && site.held);
    auto& market = site.server->Instruments();
    // Several requests each, so that prices have moved and changes of either sign show.
    for (int round = 0; round < 4; ++round) {
        for (const char* code : {"7203.T", "6758.T", "4755.T", "1301.T", "998407.O", "USDJPY=FX"}) {
            SCOPED_TRACE(code);
            std::string body;
            ASSERT_TRUE(site.Fetch(std::string("/quote/") + code, body)) << site.log.text;
            std::string symbol = code;
            if (symbol.ends_with("=FX")) symbol.erase(symbol.size() - 2, 1);
            const quotesrv::Quote served = market.Peek(*market.Find(symbol));
            const quotesrv::Instrument& in = *served.instrument;
            const bool pair = in.kind == quotesrv::Kind::Currency;

            CStock copy(symbol.c_str());
            ThreadLog log(3);
            ASSERT_TRUE(ParseCurrentQuotePage(body, copy, pair ? kPairMask : kAll, &log)) << log.text;
            EXPECT_EQ(SjisToUtf8(copy.name), in.name);
            EXPECT_EQ(copy.price, Shown(served.price, in));
            EXPECT_EQ(copy.updateTime.size(), 5u);
            if (pair) continue;
            EXPECT_EQ(copy.change, Shown(served.price - served.prevClose, in));
            EXPECT_EQ(copy.prevClose, Shown(served.prevClose, in));
            EXPECT_EQ(copy.open, Shown(served.open, in));
            EXPECT_EQ(copy.high, Shown(served.high, in));
            EXPECT_EQ(copy.low, Shown(served.low, in));
            const bool stock = in.kind == quotesrv::Kind::Stock;
            // An index has no volume or ratios: "---" reads as 0.
            EXPECT_EQ(copy.volume, stock ? served.volume : 0u);
            EXPECT_EQ(copy.per > 0.0, stock);
            EXPECT_EQ(copy.pbr > 0.0, stock);
            EXPECT_EQ(copy.dividendYield > 0.0, stock);
            EXPECT_EQ(copy.eps > 0, stock);
        }
    }
}

TEST(CurrentSite, PagesKeepTheStateOnOneStrictLineAndUnknownCodesAreMissing) {
    CurrentServer site;
    ASSERT_TRUE(site.started && site.held);
    std::string body;
    ASSERT_TRUE(site.Fetch("/sjis/quote/7203.T?pad=150000", body)) << site.log.text;
    // UTF-8 whatever the request asked for, padded like the site's pages, the state last.
    EXPECT_NE(body.find("トヨタ自動車(株)【7203】：株価・株式情報 - Yahoo!ファイナンス"), std::string::npos);
    EXPECT_GE(body.size(), 150000u);
    EXPECT_NE(body.find("PriceBoard__price__1V0k"), std::string::npos);
    const auto state = body.find("window.__PRELOADED_STATE__ = {");
    ASSERT_NE(state, std::string::npos);
    const auto end = body.find("</script>", state);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(body.substr(state, end - state).find('\n'), std::string::npos);
    EXPECT_EQ(body[end - 1], '}');

    for (const char* path : {"/quote/", "/quote/NOSUCH", "/stocks/detail/?code=NOSUCH"}) {
        ASSERT_TRUE(site.Fetch(path, body)) << path;
        EXPECT_NE(site.log.text.find("Query status: 404"), std::string::npos) << path << "\n" << site.log.text;
    }
}

}  // namespace
}  // namespace quotrix
#endif
