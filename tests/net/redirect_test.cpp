// Redirects through DownloadUrl against the quote server on loopback: libcurl natively, WinINet
// under Wine. Both must follow the same five hops and refuse the sixth.
#include <gtest/gtest.h>

#include "model/Price.h"
#include "net/CurrentQuotePage.h"
#include "net/InetSession.h"
#include "platform/HttpTransport.h"
#include "platform/TextCodec.h"
#include "tests/tools/quote_server_harness.h"

namespace quotrix {
namespace {

using testing::QuoteServerUrl;

class Redirects : public ::testing::Test {
  protected:
    void SetUp() override {
        InetSessionConfig config;
        config.requestPauseMs = 0;
        // A TLS handshake with a plain HTTP server must not wait for long.
        config.receiveTimeoutMs = 5000;
        config.sendTimeoutMs = 5000;
        session_.Configure(config);
        ASSERT_TRUE(session_.Acquire(false));
    }
    void TearDown() override { session_.Release(); }

    bool Fetch(const std::string& path, std::string& body) {
        log_.text.clear();
        return DownloadUrl(session_, QuoteServerUrl(path), body, &log_);
    }
    bool Logged(const std::string& text) const { return log_.text.find(text) != std::string::npos; }

    InetSession session_;
    ThreadLog log_{3};
};

TEST_F(Redirects, FiveHopsArriveASixthFailsWithNothing) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    std::string body;
    // The chain goes round the five statuses and the three forms of address (whole, from the
    // root, relative), and an encoding prefix stays on the way.
    for (const std::string path : {"/test/redirect/5", "/sjis/test/redirect/5?keep=1", "/test/redirect/1"}) {
        ASSERT_TRUE(Fetch(path, body)) << path << "\n" << log_.text;
        EXPECT_EQ(body, "end of the redirect chain\n") << path;
        EXPECT_TRUE(Logged("Query status: HTTP_STATUS_OK")) << log_.text;
    }
    for (const char* code : {"301", "302", "303", "307", "308"}) {
        ASSERT_TRUE(Fetch(std::string("/test/redirect/5?code=") + code, body)) << code << "\n" << log_.text;
        EXPECT_EQ(body, "end of the redirect chain\n") << code;
    }

    for (const std::string path : {"/test/redirect/6", "/test/redirect/6?code=307", "/test/redirect/40"}) {
        body = "stale";
        EXPECT_FALSE(Fetch(path, body)) << path;
        EXPECT_TRUE(body.empty()) << path;
        EXPECT_TRUE(Logged("Query status: failure (" + std::to_string(kTooManyRedirectsError) + ")")) << log_.text;
        EXPECT_TRUE(Logged("Download failure")) << log_.text;
    }
    // The session is still good after a refused chain.
    ASSERT_TRUE(Fetch("/test/redirect/2", body)) << log_.text;
    EXPECT_EQ(body, "end of the redirect chain\n");
}

TEST_F(Redirects, ARedirectWithoutAPlaceToGoIsTheAnswerAndOtherSchemesAreRefused) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    std::string body;
    // No Location: the 302 page itself is the body, as any other status.
    ASSERT_TRUE(Fetch("/test/redirect-to", body)) << log_.text;
    EXPECT_TRUE(Logged("Query status: 302")) << log_.text;
    EXPECT_NE(body.find("<h1>302</h1>"), std::string::npos) << body;

    EXPECT_FALSE(Fetch("/test/redirect-to?url=ftp://127.0.0.1/file", body));
    EXPECT_TRUE(body.empty());
    EXPECT_TRUE(Logged("Download failure")) << log_.text;

    // http -> https is followed: the server speaks no TLS, so the handshake fails, where an
    // unfollowed redirect would have handed back its 302 page.
    EXPECT_FALSE(Fetch("/test/redirect-to?url=https://" + address + "/test/echo", body)) << body;
    EXPECT_TRUE(body.empty());
    EXPECT_TRUE(Logged("Download failure")) << log_.text;
}

TEST_F(Redirects, TheClassicAddressOfTodaysSiteLeadsToItsQuotePage) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    constexpr std::uint32_t kAll = 0x1FF7;
    std::string body;
    // By path prefix and by query key: either way the moved page is the current one.
    for (const std::string path : {"/current/stocks/detail/?code=7203.t", "/stocks/detail/?code=7203.T&site=current",
                                   "/current/q?s=7203&d=nc"}) {
        ASSERT_TRUE(Fetch(path, body)) << path << "\n" << log_.text;
        ASSERT_TRUE(HasPreloadedState(body)) << path;
        EXPECT_NE(body.find("<link rel=\"canonical\" href=\"/quote/7203.T\"/>"), std::string::npos) << path;
        CStock copy("7203.t");
        ThreadLog parseLog(3);
        ASSERT_TRUE(ParseCurrentQuotePage(body, copy, kAll, &parseLog)) << path << "\n" << parseLog.text;
        EXPECT_EQ(SjisToUtf8(copy.name), "トヨタ自動車(株)");
        EXPECT_GT(copy.price, 0);
        EXPECT_GT(copy.volume, 0u);
        EXPECT_GT(copy.per, 0.0);
    }
    // An index and a pair move to their addresses of today.
    ASSERT_TRUE(Fetch("/current/stocks/detail/?code=998407", body)) << log_.text;
    EXPECT_NE(body.find("href=\"/quote/998407.O\""), std::string::npos);
    ASSERT_TRUE(Fetch("/current/stocks/detail/?code=USDJPY=X", body)) << log_.text;
    EXPECT_NE(body.find("href=\"/quote/USDJPY=FX\""), std::string::npos);

    // The classic site has no such pages.
    EXPECT_TRUE(Fetch("/quote/7203.T", body));
    EXPECT_TRUE(Logged("Query status: 404")) << log_.text;
}

}  // namespace
}  // namespace quotrix
