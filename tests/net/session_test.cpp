// The session's places, its lock, the connectivity flags and the keyword encoding.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "net/InetSession.h"
#include "platform/Connectivity.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

using Clock = std::chrono::steady_clock;

TEST(InetSession, LimitedPlacesUnlimitedExtrasAndTheLastReleaseCloses) {
    InetSession session;
    EXPECT_FALSE(session.IsOpen());
    EXPECT_FALSE(session.IsInUse());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(session.Acquire(true)) << i;
    EXPECT_TRUE(session.IsFull());
    EXPECT_FALSE(session.Acquire(true));
    EXPECT_EQ(session.Users(), 3);
    EXPECT_TRUE(session.Acquire(false));
    EXPECT_EQ(session.Users(), 4);

    const std::shared_ptr<HttpSession> first = session.Handle();
    ASSERT_NE(first, nullptr);
    for (int i = 0; i < 3; ++i) session.Release();
    EXPECT_TRUE(session.IsOpen());
    EXPECT_FALSE(session.IsFull());
    session.Release();
    EXPECT_FALSE(session.IsOpen());
    EXPECT_FALSE(session.IsInUse());

    // `first` is still alive, so a new session cannot share its address.
    ASSERT_TRUE(session.Acquire(true));
    EXPECT_NE(session.Handle(), nullptr);
    EXPECT_NE(session.Handle(), first);
    session.Release();
}

TEST(InetSession, MaxUsersFollowsTheSettingsRules) {
    InetSession session;
    InetSessionConfig config;
    config.maxThreads = 0;  // not a usable setting: the 3 of construction stays
    session.Configure(config);
    EXPECT_EQ(session.Config().maxThreads, 3);
    config.maxThreads = 1;
    session.Configure(config);
    EXPECT_TRUE(session.Acquire(true));
    EXPECT_FALSE(session.Acquire(true));
    session.SetMaxUsers(0);  // the options dialog never sets 0
    EXPECT_EQ(session.Config().maxThreads, 1);
    session.SetMaxUsers(2);
    EXPECT_TRUE(session.Acquire(true));
    session.Release();
    session.Release();

    // A release too many must not make room for an extra place later.
    session.Release();
    EXPECT_EQ(session.Users(), 0);
    EXPECT_TRUE(session.Acquire(true));
    EXPECT_TRUE(session.Acquire(true));
    EXPECT_FALSE(session.Acquire(true));
    session.Release();
    session.Release();
}

TEST(InetSession, ProbesAnswerBusyWithinTheirWaitWhileTheLockIsHeld) {
    InetSession session;
    std::atomic<bool> holding{false};
    std::atomic<bool> done{false};
    std::thread holder([&] {
        auto lock = session.HoldLock();
        holding = true;
        while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    while (!holding) std::this_thread::yield();

    for (bool full : {false, true}) {
        const auto start = Clock::now();
        EXPECT_TRUE(full ? session.IsFull() : session.IsInUse());
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        EXPECT_GE(ms, 15);
        EXPECT_LT(ms, 500);
    }
    done = true;
    holder.join();
    EXPECT_FALSE(session.IsInUse());
    EXPECT_FALSE(session.IsFull());
}

TEST(InetSession, ThreadsNeverHoldMorePlacesThanTheLimit) {
    InetSession session;
    std::atomic<int> inside{0};
    std::atomic<int> most{0};
    std::atomic<int> granted{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                if (!session.Acquire(true)) continue;
                ++granted;
                const int now = ++inside;
                int seen = most;
                while (now > seen && !most.compare_exchange_weak(seen, now)) {
                }
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                --inside;
                session.Release();
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_LE(most, 3);
    EXPECT_GT(granted, 0);
    EXPECT_EQ(session.Users(), 0);
    EXPECT_FALSE(session.IsOpen());
}

class Connectivity : public ::testing::Test {
  protected:
    void TearDown() override {
        SetConnectivityAnswers(std::nullopt);
        NoAutoUpdateOffline = false;
        Online = true;
    }
};

TEST_F(Connectivity, ConnectedNeedsTheOptionAndAConnectionKind) {
    ConnectivityAnswers answers;
    SetConnectivityAnswers(answers);
    EXPECT_TRUE(IsConnected());
    answers.stateFlags = kConnectionModem;
    SetConnectivityAnswers(answers);
    EXPECT_TRUE(IsConnected());
    answers.stateFlags = 0x20;  // offline bit only
    SetConnectivityAnswers(answers);
    EXPECT_FALSE(IsConnected());
    answers.stateFlags = kConnectionProxy;
    answers.optionConnected = false;
    SetConnectivityAnswers(answers);
    EXPECT_FALSE(IsConnected());
    answers.optionConnected = true;
    answers.optionReadable = false;
    SetConnectivityAnswers(answers);
    EXPECT_FALSE(IsConnected());
    answers.optionReadable = true;
    answers.stateCallOk = false;
    SetConnectivityAnswers(answers);
    EXPECT_FALSE(IsConnected());
}

TEST_F(Connectivity, AutomaticChecksDialOnlyWhenTheUserAllowsIt) {
    ConnectivityAnswers offline;
    offline.optionConnected = false;
    offline.attemptOk = true;  // a dial-up would succeed
    SetConnectivityAnswers(offline);

    NoAutoUpdateOffline = false;
    Online = false;
    RefreshOnline();
    EXPECT_TRUE(Online);

    NoAutoUpdateOffline = true;
    RefreshOnline();
    EXPECT_FALSE(Online);
    // A command the user gives dials whatever the choice.
    RefreshOnlineForUser();
    EXPECT_TRUE(Online);

    offline.attemptOk = false;
    SetConnectivityAnswers(offline);
    RefreshOnlineForUser();
    EXPECT_FALSE(Online);

    SetConnectivityAnswers(ConnectivityAnswers{});
    RefreshOnline();
    EXPECT_TRUE(Online);
}

#if !defined(_WIN32)
TEST_F(Connectivity, LinuxProbesResolveWithoutLeavingTheMachine) {
    // Numeric addresses resolve without a name server.
    EXPECT_TRUE(HostResolves("127.0.0.1"));
    EXPECT_TRUE(HostResolves("127.0.0.1:18080"));
    EXPECT_TRUE(HostResolves("http://127.0.0.1:18080/stocks/"));
    EXPECT_TRUE(HostResolves("[::1]:80"));
    EXPECT_FALSE(HostResolves(""));
    EXPECT_FALSE(HostResolves("[::1"));
}
#endif

TEST(KeywordEncoding, UrlEncodeUtf8) {
    std::string out;
    EXPECT_TRUE(UrlEncodeUtf8("a b", out));
    EXPECT_EQ(out, "%61+%62");
    out.clear();
    EXPECT_TRUE(UrlEncodeUtf8("\xE3\x81\x82", out));
    EXPECT_EQ(out, "%E3%81%82");
    out = "kept";
    EXPECT_TRUE(UrlEncodeUtf8("", out));
    EXPECT_EQ(out, "kept");
    out.clear();
    EXPECT_TRUE(UrlEncodeUtf8("\xC3\xA9-", out));
    EXPECT_EQ(out, "%C3%A9%2D");

    // Invalid UTF-8 stops the encoding; what came before stays.
    out.clear();
    EXPECT_FALSE(UrlEncodeUtf8("\x80", out));
    EXPECT_EQ(out, "");
    out.clear();
    EXPECT_FALSE(UrlEncodeUtf8("ab\xE3\x81", out));
    EXPECT_EQ(out, "%61%62");
    out.clear();
    EXPECT_FALSE(UrlEncodeUtf8("x\xF0\x9F\x98\x80", out));
    EXPECT_EQ(out, "%78");
    out.clear();
    EXPECT_FALSE(UrlEncodeUtf8("\xC3(", out));
}

TEST(KeywordEncoding, ToUtf8QueryFromShiftJis) {
    std::string out;
    EXPECT_TRUE(ToUtf8Query(SJIS("トヨタ 自動車"), true, out));
    EXPECT_EQ(out, "%E3%83%88%E3%83%A8%E3%82%BF+%E8%87%AA%E5%8B%95%E8%BB%8A");
    EXPECT_TRUE(ToUtf8Query(SJIS("ｶﾅ7203"), false, out));
    EXPECT_EQ(out, "ｶﾅ7203");
    EXPECT_FALSE(ToUtf8Query("", true, out));
    EXPECT_FALSE(ToUtf8Query("\x83", true, out));  // a lead byte without its trail
}

TEST(ProxyServerText, BuildsAndReadsBack) {
    EXPECT_EQ(FormatProxyServer("proxy.local", 8080), "http=http://proxy.local:8080");
    std::string host;
    int port = 0;
    ASSERT_TRUE(ParseProxyServer("http=http://proxy.local:8080", host, port));
    EXPECT_EQ(host, "proxy.local");
    EXPECT_EQ(port, 8080);
    EXPECT_FALSE(ParseProxyServer("http=http://proxy.local", host, port));
    EXPECT_FALSE(ParseProxyServer("proxy.local:8080", host, port));
    EXPECT_FALSE(ParseProxyServer("", host, port));
}

TEST(ProxyServerText, WinInetListsPickTheSchemesEntry) {
    EXPECT_EQ(ProxyForScheme("http=http://p:8080", "http"), "http://p:8080");
    EXPECT_EQ(ProxyForScheme("http=http://p:8080", "https"), "");
    EXPECT_EQ(ProxyForScheme("p:3128", "https"), "p:3128");
    EXPECT_EQ(ProxyForScheme("ftp=f:21;HTTPS=s:443 http=h:80", "https"), "s:443");
    EXPECT_EQ(ProxyForScheme(" ; ", "http"), "");
}

}  // namespace
}  // namespace quotrix
