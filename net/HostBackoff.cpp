#include "net/HostBackoff.h"

#include <algorithm>
#include <array>
#include <vector>

#include "model/CivilDate.h"

namespace quotrix {

namespace {

// A probe whose outcome never came (it cannot happen, but a host must not stay shut for good).
constexpr auto kProbeLimit = std::chrono::minutes(5);

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The words of a date: runs of letters, runs of digits, and the separators between them dropped
// except ":" (kept in the time) so that each form is a short list of tokens.
std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < text.size() && tokens.size() < 16) {
        const char c = text[i];
        std::size_t j = i + 1;
        if (IsLetter(c)) {
            while (j < text.size() && IsLetter(text[j])) ++j;
        } else if (IsDigit(c)) {
            while (j < text.size() && IsDigit(text[j])) ++j;
        } else if (c == ' ' || c == ',' || c == '-' || c == '\t') {
            i = j;
            continue;
        }
        tokens.push_back(text.substr(i, j - i));
        i = j;
    }
    return tokens;
}

bool Number(std::string_view token, std::size_t minDigits, std::size_t maxDigits, int& value) {
    if (token.size() < minDigits || token.size() > maxDigits) return false;
    value = 0;
    for (const char c : token) {
        if (!IsDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool Month(std::string_view token, int& month) {
    static constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
    if (token.size() != 3) return false;
    for (std::size_t m = 0; m < kMonths.size(); ++m) {
        if (Lower(token[0]) == kMonths[m][0] && Lower(token[1]) == kMonths[m][1] && Lower(token[2]) == kMonths[m][2]) {
            month = static_cast<int>(m) + 1;
            return true;
        }
    }
    return false;
}

bool IsGmt(std::string_view token) {
    return token.size() == 3 && Lower(token[0]) == 'g' && Lower(token[1]) == 'm' && Lower(token[2]) == 't';
}

// "HH" ":" "MM" ":" "SS" from five tokens starting at `at`.
bool Time(const std::vector<std::string_view>& t, std::size_t at, int& h, int& m, int& s) {
    return at + 5 <= t.size() && Number(t[at], 2, 2, h) && t[at + 1] == ":" && Number(t[at + 2], 2, 2, m) &&
           t[at + 3] == ":" && Number(t[at + 4], 2, 2, s) && h <= 23 && m <= 59 && s <= 60;
}

// Seconds since 1970 (UTC) of an HTTP date; false when the text is none of the three forms.
bool HttpDate(std::string_view text, std::int64_t& seconds) {
    const std::vector<std::string_view> t = Tokens(text);
    if (t.empty() || !IsLetter(t[0].front())) return false;
    CivilDate date;
    int h = 0, m = 0, s = 0;
    // IMF and RFC 850: weekday, day, month, year, time, "GMT".
    if (t.size() == 10 && Number(t[1], 1, 2, date.day) && Month(t[2], date.month) && Time(t, 4, h, m, s) &&
        IsGmt(t[9])) {
        int year = 0;
        if (Number(t[3], 4, 4, year)) {
            date.year = year;
        } else if (Number(t[3], 2, 2, year)) {
            date.year = year < 70 ? 2000 + year : 1900 + year;
        } else {
            return false;
        }
    } else if (t.size() == 9 && Month(t[1], date.month) && Number(t[2], 1, 2, date.day) && Time(t, 3, h, m, s) &&
               Number(t[8], 4, 4, date.year)) {
        // The C library's form: weekday, month, day, time, year.
    } else {
        return false;
    }
    if (!IsValidDate(date)) return false;
    seconds = DaysFromCivil(date) * 86400 + h * 3600 + m * 60 + s;
    return true;
}

}  // namespace

FetchOutcome OutcomeOfStatus(bool answered, std::uint32_t status) {
    if (!answered) return FetchOutcome::Failed;
    if (status == 429 || status == 503) return FetchOutcome::Refused;
    if (status >= 500) return FetchOutcome::Failed;
    return FetchOutcome::Answered;
}

std::optional<std::chrono::seconds> ParseRetryAfter(std::string_view text, std::time_t now) {
    text = TrimBlanks(text);
    if (text.empty()) return std::nullopt;
    if (std::all_of(text.begin(), text.end(), IsDigit)) {
        // Anything longer than ten digits is past every cap anyway.
        std::int64_t value = 0;
        for (const char c : text) value = std::min<std::int64_t>(value * 10 + (c - '0'), 99999999999LL);
        return std::chrono::seconds(value);
    }
    std::int64_t at = 0;
    if (!HttpDate(text, at)) return std::nullopt;
    return std::chrono::seconds(std::max<std::int64_t>(0, at - static_cast<std::int64_t>(now)));
}

void HostBackoff::SetPolicy(const BackoffPolicy& policy) {
    std::lock_guard lock(lock_);
    policy_ = policy;
}

BackoffPolicy HostBackoff::Policy() {
    std::lock_guard lock(lock_);
    return policy_;
}

bool HostBackoff::Allow(const std::string& host, Clock::time_point now, std::chrono::milliseconds& wait) {
    wait = std::chrono::milliseconds(0);
    std::lock_guard lock(lock_);
    const auto it = hosts_.find(host);
    if (it == hosts_.end() || it->second.backoffs == 0) return true;
    HostState& state = it->second;
    if (now < state.until) {
        wait = std::chrono::ceil<std::chrono::milliseconds>(state.until - now);
        return false;
    }
    if (state.probing && now - state.until < kProbeLimit) return false;
    state.probing = true;
    state.until = now;
    return true;
}

std::chrono::milliseconds HostBackoff::Record(const std::string& host, FetchOutcome outcome,
                                              std::optional<std::chrono::seconds> retryAfter, Clock::time_point now) {
    std::lock_guard lock(lock_);
    if (outcome == FetchOutcome::Answered) {
        hosts_.erase(host);
        return std::chrono::milliseconds(0);
    }
    HostState& state = hosts_[host];
    // A fetch that went out before the backoff began ends in it: the backoff stands as it is,
    // longer only when this refusal asks for more.
    const bool backingOff = state.backoffs > 0 && (now < state.until || !state.probing);
    if (outcome == FetchOutcome::Failed && !backingOff && state.backoffs == 0 &&
        ++state.failures < policy_.failureLimit)
        return std::chrono::milliseconds(0);
    std::chrono::milliseconds wait{0};
    if (retryAfter) {
        wait = std::min<std::chrono::milliseconds>(*retryAfter, policy_.retryAfterCap);
    } else if (backingOff) {
        return std::chrono::milliseconds(0);
    } else {
        wait = Doubled(state.backoffs + 1);
    }
    wait = WithJitter(wait);
    if (backingOff) {
        state.until = std::max(state.until, now + wait);
        return wait;
    }
    ++state.backoffs;
    state.failures = 0;
    state.probing = false;
    state.until = now + wait;
    return wait;
}

void HostBackoff::Clear() {
    std::lock_guard lock(lock_);
    hosts_.clear();
}

std::chrono::milliseconds HostBackoff::Doubled(std::uint32_t backoffs) const {
    std::chrono::milliseconds wait = policy_.first;
    for (std::uint32_t i = 1; i < backoffs && wait < policy_.cap; ++i) wait *= 2;
    return std::min(wait, policy_.cap);
}

std::chrono::milliseconds HostBackoff::WithJitter(std::chrono::milliseconds wait) {
    // splitmix64: cheap, and different for each backoff.
    std::uint64_t z = (jitterState_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    const std::uint64_t percent = policy_.jitterPercent == 0 ? 0 : z % (policy_.jitterPercent + 1);
    return wait + std::chrono::milliseconds(static_cast<std::int64_t>(wait.count() * percent / 100));
}

}  // namespace quotrix
