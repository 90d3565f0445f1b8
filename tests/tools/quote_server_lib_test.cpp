// The quote server's own parts and its program (Linux only: the server runs beside Wine).
#if !defined(_WIN32)
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "Instruments.h"
#include "Pages.h"
#include "QuoteServer.h"
#include "net/InetSession.h"

extern char** environ;

namespace quotrix {
namespace {

using namespace quotesrv;

TEST(QuoteServerMarket, TheWalkIsFixedBySeedAndMovesInTicks) {
    Market a(7), b(7), c(8);
    const Instrument* toyota = a.Find("7203.t");
    ASSERT_NE(toyota, nullptr);
    EXPECT_EQ(toyota, a.Find("7203"));
    EXPECT_EQ(a.Find("usdjpy=x"), a.Find("USDJPY=X"));
    EXPECT_EQ(a.Find("NOSUCH"), nullptr);
    EXPECT_EQ(a.Find("0"), nullptr);

    bool differs = false;
    for (int i = 0; i < 200; ++i) {
        const Quote qa = a.Step(*toyota);
        const Quote qb = b.Step(*b.Find("7203"));
        const Quote qc = c.Step(*c.Find("7203"));
        ASSERT_EQ(qa.price, qb.price) << "step " << i;
        differs = differs || qa.price != qc.price;
        EXPECT_EQ(qa.price % TickSize(qa.price, Kind::Stock), 0);
        EXPECT_LE(qa.low, qa.price);
        EXPECT_GE(qa.high, qa.price);
    }
    EXPECT_TRUE(differs);

    // Codes outside the table are made up the same way every time.
    Market d(1), e(2);
    EXPECT_EQ(d.Find("4321")->name, e.Find("4321")->name);
    EXPECT_FALSE(d.Find("4321")->builtIn);
}

TEST(QuoteServerPagesText, PriceTextAndEncodings) {
    EXPECT_EQ(PriceText(28450000, 0), "2,845");
    EXPECT_EQ(PriceText(1512340, 3), "151.234");
    EXPECT_EQ(PriceText(-30000, 0, true), "-3");
    EXPECT_EQ(PriceText(0, 1, true), "+0.0");
    EXPECT_EQ(PriceText(385123400, 2), "38,512.34");

    EXPECT_EQ(EncodePage("株価", Encoding::Sjis), "\x8A\x94\x89\xBF");
    EXPECT_EQ(EncodePage("株価", Encoding::Euc), "\xB3\xF4\xB2\xC1");
    EXPECT_EQ(EncodePage("a株b", Encoding::Jis), "a\x1B$B3t\x1B(Bb");
    // A character the set lacks becomes one "?", and the rest goes on.
    EXPECT_EQ(EncodePage("x①y", Encoding::Euc), "x?y");
    EXPECT_EQ(EncodePage("x\xFFy", Encoding::Sjis), "x?y");
}

TEST(QuoteServerPagesText, TargetsDecode) {
    const Target t = ParseTarget("/stocks/search/?s=%E3%81%82+b&p=2&flag&bad=%G1%");
    EXPECT_EQ(t.path, "/stocks/search/");
    EXPECT_EQ(t.Get("s"), "あ b");
    EXPECT_EQ(t.Get("p"), "2");
    EXPECT_TRUE(t.Has("flag"));
    EXPECT_EQ(t.Get("bad"), "%G1%");
    EXPECT_FALSE(t.Has("missing"));
}

class QuoteServerInstance : public ::testing::Test {
  protected:
    void Start(ServerOptions options) {
        options.port = 0;
        server_ = std::make_unique<QuoteServer>(options);
        ASSERT_TRUE(server_->Start());
        InetSessionConfig config;
        config.requestPauseMs = 0;
        // These tests look at every answer of a failing server: no backoff may hide one.
        config.backoff.failureLimit = 1000000;
        session_.Configure(config);
        ASSERT_TRUE(session_.Acquire(false));
    }
    void TearDown() override {
        session_.Release();
        if (server_) server_->Stop();
    }
    bool Get(const std::string& path, std::string& body) {
        return DownloadUrl(session_, "http://" + server_->Address() + path, body, nullptr);
    }

    std::unique_ptr<QuoteServer> server_;
    InetSession session_;
};

TEST_F(QuoteServerInstance, ServesRecordedPagesFromAFolder) {
    const auto dir = std::filesystem::temp_directory_path() / ("quote-fixtures-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "stocks");
    std::ofstream(dir / "fixtures.map")
        << "# recorded pages\n/stocks/detail/?code=7203.T toyota.html\n/news?s=* news.html\n";
    std::ofstream(dir / "toyota.html") << "recorded toyota";
    std::ofstream(dir / "news.html") << "recorded news";
    std::ofstream(dir / "_q_s_6758_d_nc") << "recorded sony";
    std::ofstream(dir / "stocks" / "index.html") << "recorded index";
    ServerOptions options;
    options.fixturesDir = dir.string();
    Start(options);

    std::string body;
    ASSERT_TRUE(Get("/stocks/detail/?code=7203.T", body));
    EXPECT_EQ(body, "recorded toyota");
    ASSERT_TRUE(Get("/news?s=9999", body));
    EXPECT_EQ(body, "recorded news");
    ASSERT_TRUE(Get("/q?s=6758&d=nc", body));
    EXPECT_EQ(body, "recorded sony");
    ASSERT_TRUE(Get("/stocks/", body));
    EXPECT_EQ(body, "recorded index");
    ASSERT_TRUE(Get("/stocks/%2E%2E/%2E%2E/etc/hostname", body));
    EXPECT_EQ(body.rfind("no recorded page", 0), 0u);
    std::filesystem::remove_all(dir);
}

TEST_F(QuoteServerInstance, FailuresAreServerErrorsOrDroppedConnections) {
    ServerOptions options;
    options.failRate = 1.0;
    Start(options);
    int errors = 0, dropped = 0;
    for (int i = 0; i < 20; ++i) {
        std::string body;
        if (!Get("/stocks/detail/?code=7203.T", body))
            ++dropped;
        else if (body.find("500 Internal Server Error") != std::string::npos)
            ++errors;
        EXPECT_EQ(body.find("MAIN START"), std::string::npos);
    }
    EXPECT_GT(errors, 0);
    EXPECT_GT(dropped, 0);
    EXPECT_EQ(errors + dropped, 20);
    // The test answers never fail, so that a client can still be checked against this server.
    std::string body;
    EXPECT_TRUE(Get("/test/echo", body));
}

// --status-burst: the next COUNT answers carry the status and the Retry-After, then pages again.
TEST_F(QuoteServerInstance, AStatusBurstAnswersItsCountThenPages) {
    ServerOptions options;
    ASSERT_TRUE(ParseStatusBurst("503:2:Wed, 21 Oct 2015 07:28:00 GMT", options.burst));
    EXPECT_EQ(options.burst.status, 503);
    EXPECT_EQ(options.burst.count, 2u);
    EXPECT_EQ(options.burst.retryAfter, "Wed, 21 Oct 2015 07:28:00 GMT");
    StatusBurst plain;
    ASSERT_TRUE(ParseStatusBurst("429:3", plain));
    EXPECT_EQ(plain.retryAfter, "2");
    for (const char* bad : {"", "429", "99:1", "600:1", "429:x", "429:1x", "abc:1"})
        EXPECT_FALSE(ParseStatusBurst(bad, plain)) << bad;
    Start(options);
    std::string body;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(Get("/stocks/detail/?code=7203.T", body));
        EXPECT_NE(body.find("<h1>503</h1>"), std::string::npos) << body;
    }
    ASSERT_TRUE(Get("/stocks/detail/?code=7203.T", body));
    EXPECT_NE(body.find("MAIN START"), std::string::npos);
    EXPECT_EQ(server_->BurstAnswers(), 2u);
}

TEST_F(QuoteServerInstance, ProxiesOnlyItself) {
    Start(ServerOptions{});
    InetSession proxied;
    InetSessionConfig config;
    config.requestPauseMs = 0;
    config.useProxy = true;
    config.proxyServer = FormatProxyServer("127.0.0.1", server_->Port());
    proxied.Configure(config);
    ASSERT_TRUE(proxied.Acquire(false));
    std::string body;
    // Another loopback address, where nothing listens: the proxy refuses it without going there.
    ASSERT_TRUE(DownloadUrl(proxied, "http://127.0.0.2/test/echo", body, nullptr));
    EXPECT_NE(body.find("502 Bad Gateway"), std::string::npos);
    ASSERT_TRUE(
        DownloadUrl(proxied, "http://localhost:" + std::to_string(server_->Port()) + "/test/echo", body, nullptr));
    EXPECT_EQ(body.rfind("GET http://localhost:", 0), 0u);
    EXPECT_EQ(server_->ProxiedRequests(), 2u);
    proxied.Release();
}

TEST(QuoteServerProgram, StartsOnAFreePortAndStopsCleanlyOnSigterm) {
    const std::string portFile = std::filesystem::temp_directory_path() / ("quote-port-" + std::to_string(getpid()));
    std::filesystem::remove(portFile);
    std::vector<std::string> args = {QUOTE_SERVER_BINARY, "--port",     "0",  "--port-file", portFile,
                                     "--quiet",           "--encoding", "euc"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);

    std::string address;
    for (int i = 0; i < 100 && address.empty(); ++i) {
        std::ifstream(portFile) >> address;
        if (address.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_FALSE(address.empty());
    InetSession session;
    ASSERT_TRUE(session.Acquire(false));
    std::string body;
    EXPECT_TRUE(DownloadUrl(session, "http://" + address + "/stocks/detail/?code=7203.T", body, nullptr));
    EXPECT_NE(body.find("charset=EUC-JP"), std::string::npos);
    session.Release();

    kill(pid, SIGTERM);
    int status = -1;
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    if (!WIFEXITED(status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    std::filesystem::remove(portFile);
}

}  // namespace
}  // namespace quotrix
#endif
