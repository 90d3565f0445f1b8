// DownloadUrl against the real quote server on loopback: libcurl natively, WinINet under Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "net/InetSession.h"
#include "tests/tools/quote_server_harness.h"

namespace quotrix {
namespace {

using testing::QuoteServerUrl;
using Clock = std::chrono::steady_clock;

// A session of the test's own, so that its settings cannot leak into other tests.
class Download : public ::testing::Test {
  protected:
    void TearDown() override {
        CheckHalt = false;
        if (held_) session_.Release();
    }

    void Open(InetSessionConfig config = {}) {
        session_.Configure(config);
        ASSERT_TRUE(session_.Acquire(false));
        held_ = true;
    }

    bool Fetch(const std::string& url, std::string& body) { return DownloadUrl(session_, url, body, &log_); }

    bool Logged(const std::string& text) const { return log_.text.find(text) != std::string::npos; }

    InetSession session_;
    ThreadLog log_{3};
    bool held_ = false;
};

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST_F(Download, FetchesAQuotePageFromThePortTheAddressNames) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    Open();
    std::string body;
    ASSERT_TRUE(Fetch(QuoteServerUrl("/stocks/detail/?code=7203.T"), body)) << log_.text;
    EXPECT_NE(body.find("<!--MAIN START-->"), std::string::npos);
    EXPECT_NE(body.find("【7203】トヨタ自動車(株)"), std::string::npos);
    EXPECT_GT(body.size(), 30000u);
    EXPECT_TRUE(Logged("Query status: HTTP_STATUS_OK"));
    EXPECT_TRUE(Logged("Download " + std::to_string(body.size()) + " bytes"));
    EXPECT_TRUE(Logged("HTTP/1.1 open request: 0x"));

    // The server is not on port 80: the request reached the port in the address.
    ASSERT_TRUE(Fetch(QuoteServerUrl("/test/echo"), body));
    EXPECT_EQ(body.rfind("GET /test/echo HTTP/1.1\r\n", 0), 0u) << body;
    EXPECT_NE(body.find("Host: " + address), std::string::npos) << body;
}

TEST_F(Download, SendsTheProgramsHeadersAndCanSpeakHttp10) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    InetSessionConfig config;
    config.http10 = true;
    Open(config);
    std::string body;
    ASSERT_TRUE(Fetch(QuoteServerUrl("/test/echo"), body));
    EXPECT_EQ(body.rfind("GET /test/echo HTTP/1.0\r\n", 0), 0u) << body;
    EXPECT_NE(body.find("User-Agent: Mozilla/4.0 (compatible;)\r\n"), std::string::npos) << body;
#if !defined(_WIN32)
    // libcurl keeps no cache of its own; a cache on the way must not answer either. (WinINet's
    // reload flag works on its own cache and shows nothing on the wire.)
    EXPECT_NE(body.find("no-cache"), std::string::npos) << body;
#endif
    EXPECT_TRUE(Logged("HTTP/1.0 open request: 0x"));

    // The session's handles are reused from request to request: each speaks its own version
    // and still sends the program's headers.
    for (const bool http10 : {false, true, false}) {
        config.http10 = http10;
        session_.Configure(config);
        ASSERT_TRUE(Fetch(QuoteServerUrl("/test/echo"), body));
        EXPECT_EQ(body.rfind(http10 ? "GET /test/echo HTTP/1.0\r\n" : "GET /test/echo HTTP/1.1\r\n", 0), 0u) << body;
        EXPECT_NE(body.find("User-Agent: Mozilla/4.0 (compatible;)\r\n"), std::string::npos) << body;
#if !defined(_WIN32)
        EXPECT_NE(body.find("Cache-Control: no-cache"), std::string::npos) << body;
#endif
    }
}

// The Retry-After of a refusal is read from the answer (libcurl's headers, WinINet's
// HTTP_QUERY_CUSTOM), and the refused host is then left alone for that long.
TEST_F(Download, ARefusalsRetryAfterKeepsTheHostAlone) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    InetSessionConfig config;
    config.requestPauseMs = 0;
    config.backoff.jitterPercent = 0;
    Open(config);
    std::string body;
    ASSERT_TRUE(Fetch(QuoteServerUrl("/test/status?code=429&retry=1"), body)) << log_.text;
    EXPECT_TRUE(Logged("Host " + address + " refuses (429): backing off for 1000 ms")) << log_.text;
    log_.text.clear();
    EXPECT_FALSE(Fetch(QuoteServerUrl("/test/echo"), body));
    EXPECT_TRUE(Logged("backing off: not asked for")) << log_.text;
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    // A 503 with the date form, already past: the host may be asked again at once.
    ASSERT_TRUE(Fetch(QuoteServerUrl("/test/status?code=503&retry=Sun,+06+Nov+1994+08:49:37+GMT"), body));
    EXPECT_TRUE(Fetch(QuoteServerUrl("/test/echo"), body)) << log_.text;
    EXPECT_EQ(body.rfind("GET /test/echo", 0), 0u) << body;
}

TEST_F(Download, AnErrorPageIsABodyAndAnEmptyBodyIsAFailure) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    Open();
    std::string body;
    ASSERT_TRUE(Fetch(QuoteServerUrl("/no/such/page"), body));
    EXPECT_NE(body.find("ページが見つかりません"), std::string::npos);
    EXPECT_TRUE(Logged("Query status: 404"));

    log_.text.clear();
    EXPECT_FALSE(Fetch(QuoteServerUrl("/test/empty"), body));
    EXPECT_TRUE(body.empty());
    EXPECT_TRUE(Logged("Download failure"));
}

TEST_F(Download, ASeveralMegabyteBodyArrivesWhole) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    InetSessionConfig config;
    config.requestPauseMs = 0;
    Open(config);
    constexpr std::size_t kBytes = 5 * 1024 * 1024 + 7;
    std::string body;
    ASSERT_TRUE(Fetch(QuoteServerUrl("/test/blob?bytes=" + std::to_string(kBytes)), body));
    ASSERT_EQ(body.size(), kBytes);
    // Every 16-byte line names its own offset: a piece lost, doubled or misplaced between
    // chunks shows up here.
    char expected[32];
    for (std::size_t offset = 0; offset + 16 <= kBytes; offset += 16) {
        std::snprintf(expected, sizeof expected, "%015zu\n", offset);
        if (body.compare(offset, 16, expected) != 0) FAIL() << "wrong bytes at offset " << offset;
    }
}

// Without a length to trust (16 MB or more, or beyond the limit) the body is read into a chain of
// pieces and joined; the limit stops the reading with a log line and keeps what came.
TEST_F(Download, BodiesTooLongToTrustTheirLengthArriveWholeUpToTheLimit) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    InetSessionConfig config;
    config.requestPauseMs = 0;
    Open(config);
    auto intact = [](const std::string& body) {
        char expected[32];
        for (std::size_t offset = 0; offset + 16 <= body.size(); offset += 16) {
            std::snprintf(expected, sizeof expected, "%015zu\n", offset);
            if (body.compare(offset, 16, expected) != 0) return false;
        }
        return true;
    };
    constexpr std::size_t kBytes = (17u << 20) + 5;
    std::string body;
    ASSERT_TRUE(Fetch(QuoteServerUrl("/test/blob?bytes=" + std::to_string(kBytes)), body));
    EXPECT_EQ(body.size(), kBytes);
    EXPECT_TRUE(intact(body));
    EXPECT_FALSE(Logged("Memory allocation failure"));

    config.maxBodyBytes = 1u << 20;
    session_.Configure(config);
    log_.text.clear();
    Fetch(QuoteServerUrl("/test/blob?bytes=" + std::to_string(3u << 20)), body);
    EXPECT_TRUE(Logged("Memory allocation failure (")) << log_.text;
    EXPECT_LE(body.size(), config.maxBodyBytes);
    EXPECT_TRUE(intact(body));
}

// The send time-out covers the request's going out, not the wait for the answer: a server that
// thinks for longer than it is still answers.
TEST_F(Download, TheSendTimeOutEndsWhenTheRequestHasGoneOut) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    InetSessionConfig config;
    config.requestPauseMs = 0;
    config.sendTimeoutMs = 300;
    config.receiveTimeoutMs = 5000;
    Open(config);
    std::string body;
    const auto start = Clock::now();
    ASSERT_TRUE(Fetch(QuoteServerUrl("/test/echo?latency=1000"), body)) << log_.text;
    EXPECT_GE(MsSince(start), 900);
    EXPECT_EQ(body.rfind("GET /test/echo?latency=1000 HTTP/1.1\r\n", 0), 0u) << body;
}

TEST_F(Download, CheckHaltDuringASlowBodyFailsAndKeepsNothing) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    Open();
    // 64 pieces of 256 bytes, 80 ms apart: about 5 s for the whole body.
    const auto start = Clock::now();
    std::thread halt([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        CheckHalt = true;
    });
    std::string body;
    const bool ok = Fetch(QuoteServerUrl("/test/slow?bytes=16384&chunk=256&ms=80"), body);
    halt.join();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(body.empty());
    EXPECT_LT(MsSince(start), 4000);
    EXPECT_TRUE(Logged("Download failure"));

    // Once set, no fetch starts.
    log_.text.clear();
    EXPECT_FALSE(Fetch(QuoteServerUrl("/test/echo"), body));
    EXPECT_TRUE(Logged("Download aborted"));
}

TEST_F(Download, ReceiveTimeoutEndsAWaitForASilentServer) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    InetSessionConfig config;
    config.receiveTimeoutMs = 500;
    Open(config);
    const auto start = Clock::now();
    std::string body;
    EXPECT_FALSE(Fetch(QuoteServerUrl("/test/echo?latency=6000"), body));
    EXPECT_LT(MsSince(start), 5000);
    EXPECT_TRUE(body.empty());
}

TEST_F(Download, GoesThroughTheConfiguredProxy) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    InetSessionConfig config;
    config.useProxy = true;
    const auto colon = address.rfind(':');
    config.proxyServer = FormatProxyServer(address.substr(0, colon), std::stoi(address.substr(colon + 1)));
    Open(config);
    std::string body;
    ASSERT_TRUE(Fetch(QuoteServerUrl("/test/echo"), body));
    // A proxy is asked with the whole address.
    EXPECT_EQ(body.rfind("GET http://" + address + "/test/echo HTTP/1.1\r\n", 0), 0u) << body;
}

#if !defined(_WIN32)
// Without a proxy of its own the session follows the system's configuration, on Linux the
// environment as it is when the session opens.
TEST_F(Download, WithoutAProxyOfItsOwnTheEnvironmentsProxyIsUsed) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    const char* saved = std::getenv("http_proxy");
    const std::string kept = saved != nullptr ? saved : "";
    ::setenv("http_proxy", ("http://" + address).c_str(), 1);
    InetSessionConfig config;
    config.requestPauseMs = 0;
    Open(config);
    std::string body;
    ASSERT_TRUE(Fetch(QuoteServerUrl("/test/echo"), body)) << log_.text;
    EXPECT_EQ(body.rfind("GET http://" + address + "/test/echo HTTP/1.1\r\n", 0), 0u) << body;
    session_.Release();
    held_ = false;

    ::unsetenv("http_proxy");
    Open(config);
    for (int i = 0; i < 2; ++i) {  // a fresh handle and a kept one
        ASSERT_TRUE(Fetch(QuoteServerUrl("/test/echo"), body)) << log_.text;
        EXPECT_EQ(body.rfind("GET /test/echo HTTP/1.1\r\n", 0), 0u) << body;
    }
    if (saved != nullptr) ::setenv("http_proxy", kept.c_str(), 1);
}
#endif

TEST_F(Download, ProxyAuthenticationAnswersA407WithTheCredentials) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    const auto colon = address.rfind(':');
    InetSessionConfig config;
    config.useProxy = true;
    config.proxyServer = FormatProxyServer(address.substr(0, colon), std::stoi(address.substr(colon + 1)));
    config.proxyUser = "kabu";
    config.proxyPassword = "s3cret";
    const std::string url = QuoteServerUrl("/test/echo?proxyauth=kabu:s3cret");

    // Authentication off: the request is sent again, without credentials, and the proxy's
    // refusal is the body.
    {
        Open(config);
        std::string body;
        ASSERT_TRUE(Fetch(url, body));
        EXPECT_NE(body.find("407"), std::string::npos) << body;
        EXPECT_TRUE(Logged("Query status: HTTP_STATUS_PROXY_AUTH_REQ"));
        session_.Release();
        held_ = false;
    }
    config.proxyAuthentication = true;
    {
        Open(config);
        std::string body;
        ASSERT_TRUE(Fetch(url, body));
        EXPECT_EQ(body.rfind("GET http://" + address + "/test/echo?proxyauth=kabu:s3cret HTTP/1.", 0), 0u) << body;
        EXPECT_NE(body.find("Proxy-Authorization: Basic a2FidTpzM2NyZXQ="), std::string::npos) << body;
#if !defined(_WIN32)
        // The credentials were the 407's answer on that request alone: the next request on the
        // same (reused) handle asks without them.
        ASSERT_TRUE(Fetch(QuoteServerUrl("/test/echo"), body));
        EXPECT_EQ(body.find("Proxy-Authorization"), std::string::npos) << body;
#endif
        session_.Release();
        held_ = false;
    }
    config.proxyPassword = "wrong";
    {
        Open(config);
        std::string body;
        ASSERT_TRUE(Fetch(url, body));
        EXPECT_NE(body.find("407"), std::string::npos) << body;
    }
}

TEST_F(Download, RefusesWhatItCannotFetch) {
    std::string body;
    // No session place taken: no handle.
    EXPECT_FALSE(Fetch("http://127.0.0.1:9/", body));
    EXPECT_TRUE(Logged("Inet session open failure"));

    Open();
    for (const char* url : {"", "127.0.0.1/x", "ftp://127.0.0.1/x", "http://127.0.0.1:99999/x",
                            "http://127.0.0.1/a\r\nX-Injected: 1", "http:///x"}) {
        log_.text.clear();
        EXPECT_FALSE(Fetch(url, body)) << url;
        EXPECT_TRUE(Logged("InternetCrackUrl failure (12005)")) << url;
    }

    session_.Close();
    log_.text.clear();
    EXPECT_FALSE(Fetch("http://127.0.0.1:9/", body));
    EXPECT_TRUE(Logged("Inet session open failure"));
}

TEST_F(Download, ManyThreadsShareOneSession) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    InetSessionConfig config;
    config.requestPauseMs = 0;
    Open(config);
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) {
                std::string body;
                const std::string code = std::to_string(7000 + t * 10 + i);
                if (DownloadUrl(session_, QuoteServerUrl("/stocks/detail/?code=" + code), body, nullptr) &&
                    body.find("【" + code + "】") != std::string::npos)
                    ++good;
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(good, 30);
}

}  // namespace
}  // namespace quotrix
