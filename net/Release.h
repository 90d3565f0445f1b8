// The release check: fetches the publisher's release file (a version pair, ">", a notice text)
// and, when the published version is newer than the running one, hands the notice to the
// version-up icon. Runs on a short-lived thread of its own, one check at a time.
//
// Threads: StartReleaseCheck, ReleaseCheckedToday and the window's state belong to the main
// thread; the check thread touches the state only under the window's locks. Versions are plain
// major/minor pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace quotrix {

// The release file's address, until the settings carry one.
std::string DefaultReleaseFileUrl();

// One check's findings.
struct ReleaseNotice {
    ReleaseNotice(std::uint32_t localMajor, std::uint32_t localMinor)
        : localMajor(localMajor), localMinor(localMinor) {}
    // The published pair is above the running one.
    bool IsNewer() const { return remoteMajor > localMajor || (remoteMajor == localMajor && remoteMinor > localMinor); }

    std::string text;  // Shift-JIS notice, as published
    std::uint32_t remoteMajor = 0;
    std::uint32_t remoteMinor = 0;
    std::uint32_t localMajor = 0;
    std::uint32_t localMinor = 0;
};

// What the main window keeps for the check. The window must outlive every check thread (the
// thread counts as a user of the Internet session, which the window waits for at shutdown).
class ReleaseCheckWindow {
  public:
    ReleaseCheckWindow(std::uint32_t localMajor, std::uint32_t localMinor,
                       std::string releaseFileUrl = DefaultReleaseFileUrl())
        : localMajor(localMajor), localMinor(localMinor), releaseFileUrl(std::move(releaseFileUrl)) {}
    virtual ~ReleaseCheckWindow() = default;

    // The version-up icon takes the notice. Called on the check thread, with the day lock held.
    virtual void OnReleaseNotice(const std::string& text) = 0;

    const std::uint32_t localMajor;  // the running program's version
    const std::uint32_t localMinor;
    const std::string releaseFileUrl;
    std::string osName;                   // for the user agent ("Windows XP"); empty when unknown
    std::uint32_t lastNotifiedMajor = 0;  // the newest pair announced in this run
    std::uint32_t lastNotifiedMinor = 0;
    std::int32_t lastCheckDay = 0;      // day of the month of the last successful fetch; 0 none
    std::timed_mutex releaseCheckLock;  // one check at a time
    std::timed_mutex dayLock;           // lastCheckDay and the version-up icon
};

// Takes a place in the Internet session (so that shutdown waits for the thread) and starts the
// check thread; `manual` for a check the
// user asked for (shows a newer release every time, not only once per run). False when nothing
// started.
bool StartReleaseCheck(ReleaseCheckWindow& window, bool manual);
// The check thread's work, steps before giving the session place back. Also for callers that
// run the check on a thread of their own.
void RunReleaseCheck(ReleaseCheckWindow& window, bool manual);

// "Mozilla/4.0 (compatible; " + the operating system's name + ")", or "Mozilla/4.0 (compatible;)"
// when the name is not known.
std::string ReleaseCheckUserAgent(const std::string& osName);

// Fetches the release file with a short session of its own and parses it. True when the file
// names a version pair other than 0.0.
bool FetchReleaseNotice(ReleaseNotice& notice, const std::string& url, const std::string& osName = {});
// Reads the pair in front of the first ">" (one that is not among the last two bytes) and the
// notice text behind it. Leaves the pair 0.0 when there is none.
void ParseReleaseNotice(ReleaseNotice& notice, const char* buffer, std::size_t length);

// True, remembering the pair, when it is newer than the newest one announced so far.
bool NoteNewerRelease(ReleaseCheckWindow& window, std::uint32_t major, std::uint32_t minor);
// Hands the notice to the window; skipped when the day lock is not free within 50 ms.
void ShowReleaseNotice(ReleaseCheckWindow& window, const std::string& text);
// Records today's day of the month (within 50 ms, else nothing).
void MarkReleaseCheckDay(ReleaseCheckWindow& window);
bool ReleaseCheckedToday(ReleaseCheckWindow& window);

}  // namespace quotrix
