// The per-host backoff's rules on a clock the test moves, and the Retry-After forms.
#include <gtest/gtest.h>

#include "model/CivilDate.h"
#include "net/HostBackoff.h"

namespace quotrix {
namespace {

using namespace std::chrono_literals;
using Clock = HostBackoff::Clock;

class Backoff : public ::testing::Test {
  protected:
    void SetUp() override {
        BackoffPolicy policy;
        policy.failureLimit = 3;
        policy.first = 10s;
        policy.cap = 60s;
        policy.retryAfterCap = 120s;
        policy.jitterPercent = 0;
        backoff.SetPolicy(policy);
    }

    bool Allow(Clock::time_point at) {
        std::chrono::milliseconds wait;
        return backoff.Allow("a:80", at, wait);
    }
    std::chrono::milliseconds WaitAt(Clock::time_point at) {
        std::chrono::milliseconds wait{-1};
        EXPECT_FALSE(backoff.Allow("a:80", at, wait));
        return wait;
    }

    HostBackoff backoff;
    Clock::time_point t0 = Clock::now();
};

TEST_F(Backoff, RefusalHonoursRetryAfterAndTheFirstSuccessResets) {
    ASSERT_TRUE(Allow(t0));
    EXPECT_EQ(backoff.Record("a:80", FetchOutcome::Refused, 2s, t0), 2000ms);
    EXPECT_EQ(WaitAt(t0 + 500ms), 1500ms);
    // Another host is not touched.
    std::chrono::milliseconds wait;
    EXPECT_TRUE(backoff.Allow("b:80", t0 + 500ms, wait));
    // Time up: one probe goes, the rest wait for its outcome.
    ASSERT_TRUE(Allow(t0 + 2s));
    EXPECT_EQ(WaitAt(t0 + 2s), 0ms);
    backoff.Record("a:80", FetchOutcome::Answered, std::nullopt, t0 + 2100ms);
    EXPECT_TRUE(Allow(t0 + 2100ms));
    EXPECT_TRUE(Allow(t0 + 2100ms));
    // A host that asks for a day gets the cap.
    EXPECT_EQ(backoff.Record("a:80", FetchOutcome::Refused, 86400s, t0 + 3s), 120000ms);
}

TEST_F(Backoff, FailuresInARowDoubleUpToTheCap) {
    // Two failures, a success, two failures: never three in a row.
    for (const auto outcome : {FetchOutcome::Failed, FetchOutcome::Failed, FetchOutcome::Answered, FetchOutcome::Failed,
                               FetchOutcome::Failed}) {
        ASSERT_TRUE(Allow(t0));
        EXPECT_EQ(backoff.Record("a:80", outcome, std::nullopt, t0), 0ms);
    }
    ASSERT_TRUE(Allow(t0));
    EXPECT_EQ(backoff.Record("a:80", FetchOutcome::Failed, std::nullopt, t0), 10000ms);
    // Each failed probe doubles: 20, 40, then the cap of 60.
    Clock::time_point at = t0 + 10s;
    for (const auto expected : {20000ms, 40000ms, 60000ms, 60000ms}) {
        ASSERT_TRUE(Allow(at));
        const auto wait = backoff.Record("a:80", FetchOutcome::Failed, std::nullopt, at);
        EXPECT_EQ(wait, expected);
        at += wait;
    }
    ASSERT_TRUE(Allow(at));
    backoff.Record("a:80", FetchOutcome::Answered, std::nullopt, at);
    // Reset: the next refusal without Retry-After starts from the first step again.
    ASSERT_TRUE(Allow(at));
    EXPECT_EQ(backoff.Record("a:80", FetchOutcome::Refused, std::nullopt, at), 10000ms);
}

TEST_F(Backoff, FetchesUnderWayWhenTheBackoffBeganDoNotDoubleIt) {
    // Three fetches go out together; all three are refused.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Allow(t0));
    EXPECT_EQ(backoff.Record("a:80", FetchOutcome::Refused, std::nullopt, t0), 10000ms);
    backoff.Record("a:80", FetchOutcome::Refused, std::nullopt, t0 + 10ms);
    backoff.Record("a:80", FetchOutcome::Failed, std::nullopt, t0 + 20ms);
    EXPECT_EQ(WaitAt(t0 + 5s), 5000ms);
    // The probe's refusal is the second backoff: 20 s.
    ASSERT_TRUE(Allow(t0 + 10s));
    EXPECT_EQ(backoff.Record("a:80", FetchOutcome::Refused, std::nullopt, t0 + 10s), 20000ms);
}

TEST_F(Backoff, JitterOnlyLengthens) {
    BackoffPolicy policy = backoff.Policy();
    policy.jitterPercent = 25;
    backoff.SetPolicy(policy);
    for (int i = 0; i < 50; ++i) {
        const std::string host = "h" + std::to_string(i);
        std::chrono::milliseconds wait;
        ASSERT_TRUE(backoff.Allow(host, t0, wait));
        const auto got = backoff.Record(host, FetchOutcome::Refused, 4s, t0);
        EXPECT_GE(got, 4000ms);
        EXPECT_LE(got, 5000ms);
    }
}

TEST(FetchOutcomes, StatusesAndRetryAfterForms) {
    EXPECT_EQ(OutcomeOfStatus(true, 429), FetchOutcome::Refused);
    EXPECT_EQ(OutcomeOfStatus(true, 503), FetchOutcome::Refused);
    EXPECT_EQ(OutcomeOfStatus(true, 500), FetchOutcome::Failed);
    EXPECT_EQ(OutcomeOfStatus(false, 0), FetchOutcome::Failed);
    EXPECT_EQ(OutcomeOfStatus(true, 404), FetchOutcome::Answered);
    EXPECT_EQ(OutcomeOfStatus(true, 200), FetchOutcome::Answered);

    // 1994-11-06 08:49:37 UTC, and ten seconds before it.
    const std::time_t at = static_cast<std::time_t>(DaysFromCivil({1994, 11, 6}) * 86400 + 8 * 3600 + 49 * 60 + 37);
    const std::time_t now = at - 10;
    EXPECT_EQ(ParseRetryAfter("120", now), 120s);
    EXPECT_EQ(ParseRetryAfter(" 0 ", now), 0s);
    EXPECT_EQ(ParseRetryAfter("Sun, 06 Nov 1994 08:49:37 GMT", now), 10s);
    EXPECT_EQ(ParseRetryAfter("Sunday, 06-Nov-94 08:49:37 GMT", now), 10s);
    EXPECT_EQ(ParseRetryAfter("Sun Nov  6 08:49:37 1994", now), 10s);
    EXPECT_EQ(ParseRetryAfter("sun, 06 nov 1994 08:49:37 gmt", now), 10s);
    // A date gone by: ask again at once.
    EXPECT_EQ(ParseRetryAfter("Sun, 06 Nov 1994 08:49:37 GMT", at + 100), 0s);
    EXPECT_EQ(ParseRetryAfter("99999999999999999999", now), 99999999999s);
    for (const char* bad :
         {"", "  ", "-5", "1.5", "soon", "Sun, 31 Feb 1994 08:49:37 GMT", "Sun, 06 Nov 1994 25:49:37 GMT",
          "Sun, 06 Nov 1994 08:49:37 CET", "Sun, 06 Xyz 1994 08:49:37 GMT", "Sun, 06 Nov 1994 08:49 GMT"})
        EXPECT_FALSE(ParseRetryAfter(bad, now).has_value()) << bad;
}

}  // namespace
}  // namespace quotrix
