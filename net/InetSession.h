// The one process-wide Internet session, the one HTTP GET routine, and the connectivity flags.
//
// The session's user count is also the limit of parallel fetches. Threads: every member is
// safe to call from any thread; the flags are written by the main thread and read by workers
// without a lock.
#pragma once

#include <atomic>
#include <string>

#include "log/ThreadLog.h"

namespace quotrix {

class InetSession {
public:
    static InetSession& Instance();

    // Takes a place, opening the session if needed; `limited` refuses when all places are taken.
    bool Acquire(bool limited);
    // Gives the place back; the last user closes the session.
    void Release();
    // Both answer true when the lock cannot be had within 20 ms.
    bool IsInUse();
    bool IsFull();
};

// Set once when the main window goes; running fetches stop at their next test of it.
extern std::atomic<bool> CheckHalt;
// The result of the last connectivity probe.
extern std::atomic<bool> Online;
// The user's choice not to dial a connection for automatic updates.
extern std::atomic<bool> NoAutoUpdateOffline;

// Fetches one URL with GET. The caller must hold a place in the session. On success `body`
// holds the bytes received (any status: an error page is a body too) and the result is true;
// on failure `body` is empty. Lines go to `log` when given.
bool DownloadUrl(const std::string& url, std::string& body, ThreadLog* log);

// Keyword encoding for URLs: Shift-JIS text to UTF-8, percent-encoded when `encode`.
bool ToUtf8Query(const std::string& sjis, bool encode, std::string& out);
bool UrlEncodeUtf8(const std::string& utf8, std::string& out);

}  // namespace quotrix
