// The one process-wide Internet session, the one HTTP GET routine, and the connectivity flags.
//
// The session's user count is also the limit of parallel fetches. Threads: every member is
// safe to call from any thread; the flags are written by the main thread and read by workers
// without a lock.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "log/ThreadLog.h"
#include "net/HostBackoff.h"
#include "platform/HttpTransport.h"

namespace quotrix {

// What the settings say about the session ("Setting" keys in the comments). Changes take effect
// when the session is next opened.
struct InetSessionConfig {
    std::uint32_t connectTimeoutMs = 0;  // "CheckTimeout"; 0 leaves the system's value
    std::uint32_t receiveTimeoutMs = 0;  // "RecieveTimeout"
    std::uint32_t sendTimeoutMs = 0;     // "SendTimeout"
    std::int32_t maxThreads = 3;         // "MaxThreads"; taken only when 1 or more
    bool useProxy = false;               // "ProxyFlags" bit 0
    bool proxyAuthentication = false;    // "ProxyFlags" bit 1
    std::string proxyServer;             // "ProxyServer": "http=http://host:port"
    std::string proxyUser;               // "LoginUser" (Shift-JIS)
    std::string proxyPassword;           // "IndexData" (Shift-JIS)
    bool http10 = false;                 // "BoolFlags2" 0x80: HTTP/1.0 instead of 1.1
    // Not settings. Each fetch first waits requestPauseMs plus 0 to 63 ms, so that workers
    // started together do not hit the site in the same instant; 0 turns the wait off.
    std::uint32_t requestPauseMs = 30;
    // A body larger than this stops being read, like one that runs out of memory.
    std::uint32_t maxBodyBytes = 64u << 20;
    // When a host that refuses or keeps failing is left alone (HostBackoff.h).
    BackoffPolicy backoff;
};

class InetSession {
  public:
    // The process's session.
    static InetSession& Instance();

    InetSession() = default;
    ~InetSession();
    InetSession(const InetSession&) = delete;
    InetSession& operator=(const InetSession&) = delete;

    void Configure(const InetSessionConfig& config);
    InetSessionConfig Config();
    // The options dialog's limit: any value but 0.
    void SetMaxUsers(std::int32_t maxUsers);

    // Takes a place, opening the session if needed; `limited` refuses when all places are taken.
    bool Acquire(bool limited);
    // Gives the place back; the last user closes the session.
    void Release();
    // Both answer true when the lock cannot be had within 20 ms.
    bool IsInUse();
    bool IsFull();
    // Puts the proxy user and password on a request; false when proxy authentication is off or
    // either could not be set.
    bool ApplyProxyCredentials(HttpRequest& request);

    // The main window is going: no fetch starts after this. Users may still come and go.
    void Close();
    bool IsClosed();
    bool IsOpen();
    std::int32_t Users();
    // The open session for a fetch; empty when there is none or the session is closed.
    std::shared_ptr<HttpSession> Handle();
    // Holds the session lock; lets a caller see several fields at one moment.
    std::unique_lock<std::mutex> HoldLock();
    // The hosts this session's fetches leave alone for a while. Kept across the session's
    // closing and opening, since a pass of the update queue opens it anew.
    HostBackoff& Backoff() { return backoff_; }

  private:
    bool OpenLocked();
    void CloseHandleLocked();

    std::shared_ptr<HttpSession> handle_;
    std::int32_t users_ = 0;
    // Probes wait by trying in short steps rather than with a timed lock: the same 20 ms, and
    // a plain mutex that every thread checker understands.
    std::unique_lock<std::mutex> TryLockFor(std::chrono::milliseconds wait);

    std::mutex lock_;
    HostBackoff backoff_;
    InetSessionConfig config_;
    std::int32_t maxUsers_ = 3;
    bool closed_ = false;
};

// Set once when the main window goes; running fetches stop at their next test of it.
extern std::atomic<bool> CheckHalt;
// The result of the last connectivity probe.
extern std::atomic<bool> Online;
// The user's choice not to dial a connection for automatic updates.
extern std::atomic<bool> NoAutoUpdateOffline;

// Fetches one URL with GET. The caller must hold a place in the session. On success `body`
// holds the bytes received (any status: an error page is a body too) and the result is true;
// on failure `body` is empty. Lines go to `log` when given. A host the session's backoff leaves
// alone is not asked at all: the fetch fails at once with a line that says so.
bool DownloadUrl(const std::string& url, std::string& body, ThreadLog* log);
// The same through another session than the process's.
bool DownloadUrl(InetSession& session, const std::string& url, std::string& body, ThreadLog* log);

// Connectivity: whether WinINet (or the Linux probes) say the machine is connected; an attempt
// to connect (may dial); and the two ways of setting Online from them.
bool IsConnected();
bool AttemptConnect();
// Automatic checks: connected, else (unless NoAutoUpdateOffline) an attempt to connect.
void RefreshOnline();
// Commands the user gives: connected, else an attempt to connect.
void RefreshOnlineForUser();

// Keyword encoding for URLs: Shift-JIS text to UTF-8, percent-encoded when `encode`.
bool ToUtf8Query(const std::string& sjis, bool encode, std::string& out);
bool UrlEncodeUtf8(const std::string& utf8, std::string& out);

// The options dialog's proxy text: "http=http://%s:%d", and back (host after the second "/" up
// to the next ":", port the number after it). Parsing fails when there is no such ":".
std::string FormatProxyServer(const std::string& host, int port);
bool ParseProxyServer(const std::string& text, std::string& host, int& port);

}  // namespace quotrix
