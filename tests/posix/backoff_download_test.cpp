// DownloadUrl leaves a refusing or failing host alone: against a quote server of the test's own
// that answers bursts of 429 and 503 (with Retry-After in seconds and as a date) or fails.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "QuoteServer.h"
#include "log/ErrLog.h"
#include "model/CivilDate.h"
#include "net/InetSession.h"

namespace quotrix {
namespace {

using namespace std::chrono_literals;

class BackoffDownload : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = session().Config();
        InetSessionConfig config = saved_;
        config.requestPauseMs = 0;
        config.backoff.jitterPercent = 0;
        config.backoff.first = 400ms;
        config.backoff.failureLimit = 3;
        session().Configure(config);
        session().Backoff().Clear();
        ASSERT_TRUE(session().Acquire(false));
    }
    void TearDown() override {
        session().Release();
        session().Configure(saved_);
        session().Backoff().Clear();
        if (server_) server_->Stop();
    }

    static InetSession& session() { return InetSession::Instance(); }

    void Serve(quotesrv::ServerOptions options = {}) {
        options.port = 0;
        server_ = std::make_unique<quotesrv::QuoteServer>(options);
        ASSERT_TRUE(server_->Start());
    }

    // One fetch of a quote page; its log lines in `lines`.
    bool Fetch(std::string& lines) {
        ThreadLog log;
        log.level = LOG_DTL;
        std::string body;
        const bool ok = DownloadUrl("http://" + server_->Address() + "/stocks/detail/?code=7203.T", body, &log);
        lines = log.text;
        return ok;
    }

    std::unique_ptr<quotesrv::QuoteServer> server_;
    InetSessionConfig saved_;
};

TEST_F(BackoffDownload, RetryAfterInSecondsIsHonouredThenTheHostIsAskedAgain) {
    Serve();
    server_->StartBurst({429, 100, "1"});
    std::string lines;
    EXPECT_TRUE(Fetch(lines));  // the refusal page is a body like any other
    EXPECT_NE(lines.find("refuses (429): backing off for 1000 ms"), std::string::npos) << lines;
    const auto refusedAt = std::chrono::steady_clock::now();
    // Asked again at once: refused here, the server sees nothing.
    const auto seen = server_->Requests();
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(Fetch(lines));
        EXPECT_NE(lines.find("backing off: not asked for"), std::string::npos) << lines;
    }
    EXPECT_EQ(server_->Requests(), seen);
    // The burst is over; once the second has passed the host is asked and answers.
    server_->StartBurst({429, 0, ""});
    std::this_thread::sleep_until(refusedAt + 1050ms);
    EXPECT_TRUE(Fetch(lines));
    EXPECT_EQ(lines.find("backing off"), std::string::npos) << lines;
    EXPECT_EQ(server_->Requests(), seen + 1);
    EXPECT_TRUE(Fetch(lines));
    EXPECT_EQ(server_->Requests(), seen + 2);
}

TEST_F(BackoffDownload, RetryAfterAsADateAndA503) {
    Serve();
    // An HTTP date three seconds ahead (whole seconds: the wait is 2 to 3 s).
    const std::time_t at = std::time(nullptr) + 3;
    const CivilDate date = CivilFromDays(static_cast<std::int64_t>(at) / 86400);
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const long seconds = static_cast<long>(at % 86400);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02ld:%02ld:%02ld GMT", kDays[Weekday(date)], date.day,
                  kMonths[date.month - 1], date.year, seconds / 3600, seconds / 60 % 60, seconds % 60);
    server_->StartBurst({503, 1, text});
    std::string lines;
    Fetch(lines);
    EXPECT_NE(lines.find("refuses (503): backing off for"), std::string::npos) << lines << "\n" << text;
    const auto seen = server_->Requests();
    std::this_thread::sleep_for(1500ms);
    EXPECT_FALSE(Fetch(lines));
    EXPECT_EQ(server_->Requests(), seen);
    std::this_thread::sleep_for(2000ms);
    EXPECT_TRUE(Fetch(lines));
    EXPECT_EQ(server_->Requests(), seen + 1);
}

TEST_F(BackoffDownload, FailuresInARowBackOffAndDouble) {
    Serve();
    server_->StartBurst({500, 100, ""});
    std::string lines;
    for (int i = 0; i < 3; ++i) Fetch(lines);
    EXPECT_NE(lines.find("backing off for 400 ms"), std::string::npos) << lines;
    const auto seen = server_->Requests();
    EXPECT_FALSE(Fetch(lines));
    EXPECT_EQ(server_->Requests(), seen);
    // The probe fails too: twice as long.
    std::this_thread::sleep_for(450ms);
    Fetch(lines);
    EXPECT_NE(lines.find("backing off for 800 ms"), std::string::npos) << lines;
    EXPECT_EQ(server_->Requests(), seen + 1);
}

TEST_F(BackoffDownload, AnUnreachableHostCountsAsFailing) {
    std::string body;
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(DownloadUrl("http://127.0.0.1:9/x", body, nullptr));
    ThreadLog log;
    log.level = LOG_DTL;
    EXPECT_FALSE(DownloadUrl("http://127.0.0.1:9/y", body, &log));
    EXPECT_NE(log.text.find("Host 127.0.0.1:9 backing off"), std::string::npos) << log.text;
    EXPECT_EQ(log.text.find("Inet connect"), std::string::npos) << log.text;
}

}  // namespace
}  // namespace quotrix
