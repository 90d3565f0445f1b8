// The quote server's pages of today's site are as big as the site's and shaped like them: chrome
// in front, a state object of about a quarter of the page behind it; and they read.
// Linux only: the server runs in this process.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include "QuoteServer.h"
#include "net/InetSession.h"
#include "net/QuotePage.h"
#include "net/QuotePageScan.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

std::string Fetch(quotesrv::QuoteServer& server, const std::string& path) {
    InetSession session;
    InetSessionConfig config;
    config.requestPauseMs = 0;
    session.Configure(config);
    std::string body;
    if (session.Acquire(false)) {
        ThreadLog log(0);
        DownloadUrl(session, "http://" + server.Address() + path, body, &log);
        session.Release();
    }
    return body;
}

TEST(CurrentPageSize, TodaysPagesComeAtTheRecordedSizeAndRead) {
    quotesrv::ServerOptions options;
    options.port = 0;
    options.site = quotesrv::Site::Current;
    quotesrv::QuoteServer server(options);
    ASSERT_TRUE(server.Start());
    for (const char* code : {"7203", "998407", "USDJPY=X"}) {
        SCOPED_TRACE(code);
        CStock stock(code);
        std::string path = std::string("/quote/") + code;
        const std::string body = Fetch(server, path + (stock.IsCurrency() ? "" : (stock.code == 998407 ? ".O" : ".T")));
        // The recorded page: 163,242 bytes, its state (43 KB) beginning at 119 KB.
        EXPECT_GT(body.size(), 155000u);
        EXPECT_LT(body.size(), 175000u);
        const std::size_t state = body.find("__PRELOADED_STATE__");
        ASSERT_NE(state, std::string::npos);
        EXPECT_GT(state, body.size() * 6 / 10);
        EXPECT_GT(body.size() - state, body.size() / 5);
        EXPECT_NE(body.find("関連ニュース"), std::string::npos);
        EXPECT_FALSE(MayHoldMainMarker(body));

        stock.BuildUrls();
        FetchContext context;
        context.stock = &stock;
        int decoding = -1;
        ASSERT_TRUE(ParseQuoteBody(context, body, ParseMaskFor(stock) | PARSE_NAME, &decoding));
        EXPECT_EQ(decoding, kCurrentPageReader);
        EXPECT_GT(stock.price, 0);
        EXPECT_FALSE(stock.name.empty());
    }
    // A page asked for another size gets it.
    EXPECT_LT(Fetch(server, "/quote/7203.T?pad=20000").size(), 40000u);
    server.Stop();
}

}  // namespace
}  // namespace quotrix
#endif
