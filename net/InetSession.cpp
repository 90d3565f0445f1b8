// Placeholder bodies until the session and transports land; the interface above is final.
#include "net/InetSession.h"

namespace quotrix {

std::atomic<bool> CheckHalt{false};
std::atomic<bool> Online{true};
std::atomic<bool> NoAutoUpdateOffline{false};

InetSession& InetSession::Instance() {
    static InetSession session;
    return session;
}
bool InetSession::Acquire(bool) { return false; }
void InetSession::Release() {}
bool InetSession::IsInUse() { return false; }
bool InetSession::IsFull() { return false; }

bool DownloadUrl(const std::string&, std::string& body, ThreadLog*) {
    body.clear();
    return false;
}
bool ToUtf8Query(const std::string&, bool, std::string& out) {
    out.clear();
    return false;
}
bool UrlEncodeUtf8(const std::string&, std::string& out) {
    out.clear();
    return false;
}

}  // namespace quotrix
