#include "net/Release.h"

#include <chrono>
#include <ctime>
#include <new>
#include <system_error>
#include <thread>

#include "net/InetSession.h"
#include "net/UrlParts.h"
#include "platform/HttpTransport.h"

namespace quotrix {

namespace {

constexpr std::chrono::milliseconds kDayLockWait{50};
constexpr std::uint32_t kReadPiece = 1024;
// A release file is a line or two; anything near this size is not one, and is not read further.
constexpr std::size_t kLargestReleaseFile = 1u << 20;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// One "%d" of the pair: blanks, a sign, at least one digit. Out-of-range values saturate
// instead of overflowing.
bool ReadInt(const char* text, std::size_t length, std::size_t& i, std::uint32_t& out) {
    while (i < length && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= length || text[i] < '0' || text[i] > '9') return false;
    std::int64_t value = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) value = static_cast<std::int64_t>(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    out = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    return true;
}

int TodayOfMonth() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    if (localtime_s(&local, &now) != 0) return -1;
#else
    if (localtime_r(&now, &local) == nullptr) return -1;
#endif
    return local.tm_mday;
}

}  // namespace

std::string DefaultReleaseFileUrl() { return "http://www.veltrane.jp/quotrix/release.txt"; }

void ParseReleaseNotice(ReleaseNotice& notice, const char* buffer, std::size_t length) {
    if (buffer == nullptr || length == 0) return;
    for (std::size_t i = 0; i + 2 < length; ++i) {
        if (buffer[i] != '>') continue;
        // The pair is read as a C string would be: a zero byte ends it.
        std::size_t end = 0;
        while (end < i && buffer[end] != 0) ++end;
        std::size_t pos = 0;
        if (ReadInt(buffer, end, pos, notice.remoteMajor)) ReadInt(buffer, end, pos, notice.remoteMinor);
        if (notice.remoteMajor != 0 || notice.remoteMinor != 0) {
            notice.text.assign(buffer + i + 1, length - i - 1);
            return;
        }
        break;  // only the first ">" is looked at
    }
    notice.remoteMajor = 0;
    notice.remoteMinor = 0;
}

std::string ReleaseCheckUserAgent(const std::string& osName) {
    return osName.empty() ? std::string("Mozilla/4.0 (compatible;)") : "Mozilla/4.0 (compatible; " + osName + ")";
}

bool FetchReleaseNotice(ReleaseNotice& notice, const std::string& url, const std::string& osName) {
    try {
        UrlParts parts;
        if (!CrackUrl(url, parts)) return false;
        // A session of its own, with the system's proxy configuration: the program's proxy
        // settings are for the quote site.
        HttpSessionOptions options;
        options.userAgent = ReleaseCheckUserAgent(osName);
        const std::shared_ptr<HttpSession> session = OpenHttpSession(options);
        if (!session) return false;
        const std::unique_ptr<HttpConnection> connection = session->Connect(parts.host, parts.port, parts.secure);
        if (!connection) return false;
        const std::unique_ptr<HttpRequest> request = connection->OpenRequest(parts.path + parts.extra, false);
        if (!request || !request->Send()) return false;
        std::string body;
        char piece[kReadPiece];
        std::uint32_t read = 0;
        while (body.size() < kLargestReleaseFile && request->Read(piece, kReadPiece, read) && read > 0)
            body.append(piece, read);
        if (body.empty()) return false;
        ParseReleaseNotice(notice, body.data(), body.size());
        return notice.remoteMajor != 0 || notice.remoteMinor != 0;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool NoteNewerRelease(ReleaseCheckWindow& window, std::uint32_t major, std::uint32_t minor) {
    if (major < window.lastNotifiedMajor || (major == window.lastNotifiedMajor && minor <= window.lastNotifiedMinor))
        return false;
    window.lastNotifiedMajor = major;
    window.lastNotifiedMinor = minor;
    return true;
}

void ShowReleaseNotice(ReleaseCheckWindow& window, const std::string& text) {
    if (!window.dayLock.try_lock_for(kDayLockWait)) return;
    std::lock_guard lock(window.dayLock, std::adopt_lock);
    window.OnReleaseNotice(text);
}

void MarkReleaseCheckDay(ReleaseCheckWindow& window) {
    if (!window.dayLock.try_lock_for(kDayLockWait)) return;
    std::lock_guard lock(window.dayLock, std::adopt_lock);
    window.lastCheckDay = TodayOfMonth();
}

bool ReleaseCheckedToday(ReleaseCheckWindow& window) {
    std::lock_guard lock(window.dayLock);
    return window.lastCheckDay == TodayOfMonth();
}

void RunReleaseCheck(ReleaseCheckWindow& window, bool manual) {
    if (!window.releaseCheckLock.try_lock()) return;  // another check runs
    std::lock_guard lock(window.releaseCheckLock, std::adopt_lock);
    try {
        ReleaseNotice notice(window.localMajor, window.localMinor);
        if (!FetchReleaseNotice(notice, window.releaseFileUrl, window.osName)) return;
        if (notice.IsNewer()) {
            const bool first = NoteNewerRelease(window, notice.remoteMajor, notice.remoteMinor);
            if (first || manual) ShowReleaseNotice(window, notice.text);
        }
        MarkReleaseCheckDay(window);
    } catch (const std::bad_alloc&) {
    }
}

bool StartReleaseCheck(ReleaseCheckWindow& window, bool manual) {
    if (!InetSession::Instance().Acquire(false)) return false;
    try {
        std::thread([&window, manual] {
            RunReleaseCheck(window, manual);
            InetSession::Instance().Release();
        }).detach();
        return true;
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    InetSession::Instance().Release();
    return false;
}

}  // namespace quotrix
