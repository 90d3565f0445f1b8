// Polite fetching: a host that refuses (429 or 503) or keeps failing is left alone for a while.
//
// After a 429 or 503 answer, or after `failureLimit` failures in a row, every fetch to that host
// is refused locally until the backoff time has passed: the Retry-After the host asked for
// (capped at `retryAfterCap`), else `first` doubled for each backoff in a row up to `cap`, with
// up to a quarter more of jitter so that many clients do not come back in the same second. When
// the time is up one fetch goes out as a probe while the others stay refused; its answer either
// ends the backoff (any answer but 429 and 5xx) or starts the next, longer one.
//
// Threads: every member may be called from any thread (one lock inside). Times are steady-clock
// points; Retry-After dates are read against the system clock (seconds since 1970, UTC).
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quotrix {

struct BackoffPolicy {
    std::uint32_t failureLimit = 3;                    // failures in a row that start a backoff
    std::chrono::milliseconds first{60000};            // the first backoff without Retry-After
    std::chrono::milliseconds cap{30 * 60000};         // no doubled backoff is longer
    std::chrono::milliseconds retryAfterCap{3600000};  // a host cannot ask for more than this
    std::uint32_t jitterPercent = 25;                  // up to this share is added to each backoff
};

// What became of one fetch, for the backoff of its host.
enum class FetchOutcome {
    Answered,  // the host answered with a status that is not a refusal
    Refused,   // 429 or 503: the host asks to be left alone
    Failed,    // no answer (connection, time-out) or another 5xx
};

// The outcome a status stands for; `answered` false: no status came at all.
FetchOutcome OutcomeOfStatus(bool answered, std::uint32_t status);

// Reads a Retry-After value: a number of seconds, or an HTTP date (the IMF form "Sun, 06 Nov
// 1994 08:49:37 GMT", the obsolete "Sunday, 06-Nov-94 08:49:37 GMT" and the C library's "Sun Nov
// 6 08:49:37 1994") taken against `now`. A date in the past gives 0. Empty for anything else.
std::optional<std::chrono::seconds> ParseRetryAfter(std::string_view text, std::time_t now);

class HostBackoff {
  public:
    using Clock = std::chrono::steady_clock;

    void SetPolicy(const BackoffPolicy& policy);
    BackoffPolicy Policy();

    // Whether a fetch to `host` may go out at `now`. When not, `wait` is the time left (0 while
    // another fetch is out as the probe). A fetch that is let through must be followed by
    // Record for the same host.
    bool Allow(const std::string& host, Clock::time_point now, std::chrono::milliseconds& wait);
    // The outcome of a fetch that Allow let through. `retryAfter` is what a refusal asked for.
    // Answers the backoff it started (0 when none).
    std::chrono::milliseconds Record(const std::string& host, FetchOutcome outcome,
                                     std::optional<std::chrono::seconds> retryAfter, Clock::time_point now);
    // Forgets every host.
    void Clear();

  private:
    struct HostState {
        std::uint32_t failures = 0;  // failures in a row
        std::uint32_t backoffs = 0;  // backoffs in a row, for the doubling
        Clock::time_point until{};   // refused before this
        bool probing = false;        // the one fetch after a backoff is out
    };

    std::chrono::milliseconds Doubled(std::uint32_t backoffs) const;
    std::chrono::milliseconds WithJitter(std::chrono::milliseconds wait);

    std::mutex lock_;
    BackoffPolicy policy_;
    std::unordered_map<std::string, HostState> hosts_;
    std::uint64_t jitterState_ = 0x9E3779B97F4A7C15ull;
};

}  // namespace quotrix
