// Linux has no WinINet state to ask: a machine counts as connected when a network interface
// other than loopback is up and running, or else when the quote host resolves (a resolver or a
// hosts entry that knows it, as on a machine that only reaches a local mirror).
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdint>

#include "model/SiteHosts.h"
#include "platform/Connectivity.h"

namespace quotrix {

namespace {

// "name", "name:port", "[v6]:port", "http://name:port/..." -> name.
std::string HostName(std::string host) {
    if (auto scheme = host.find("://"); scheme != std::string::npos) host.erase(0, scheme + 3);
    if (auto slash = host.find('/'); slash != std::string::npos) host.erase(slash);
    if (!host.empty() && host.front() == '[') {
        const auto close = host.find(']');
        return close == std::string::npos ? std::string() : host.substr(1, close - 1);
    }
    if (host.find(':') == host.rfind(':')) host = host.substr(0, host.find(':'));
    return host;
}

bool Probe() { return NetworkLinkUp() || HostResolves(CurrentSiteHosts().detail); }

// Every update worker asks before its fetch, twice, and a probe is a netlink dump of every
// interface and address (with a name lookup behind it when no link is up): a pass over a
// thousand stocks spent more CPU on asking than on reading its pages. An answer stands for a
// second, which no change of the network can outrun in a way the user would notice.
constexpr std::int64_t kAnswerLifeNs = 1'000'000'000;
std::atomic<std::int64_t> g_answeredAt{0};  // steady-clock ns of the answer, 0: none yet
std::atomic<bool> g_answer{false};

bool Connected() {
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    const std::int64_t at = g_answeredAt.load(std::memory_order_acquire);
    if (at != 0 && now - at >= 0 && now - at < kAnswerLifeNs) return g_answer.load(std::memory_order_relaxed);
    const bool answer = Probe();
    g_answer.store(answer, std::memory_order_relaxed);
    g_answeredAt.store(now == 0 ? 1 : now, std::memory_order_release);
    return answer;
}

}  // namespace

bool NetworkLinkUp() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool up = false;
    for (ifaddrs* entry = list; entry != nullptr && !up; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr) continue;
        const int family = entry->ifa_addr->sa_family;
        const unsigned flags = entry->ifa_flags;
        up = (family == AF_INET || family == AF_INET6) && (flags & IFF_UP) && (flags & IFF_RUNNING) &&
             !(flags & IFF_LOOPBACK);
    }
    freeifaddrs(list);
    return up;
}

bool HostResolves(const std::string& host) {
    const std::string name = HostName(host);
    if (name.empty()) return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) return false;
    freeaddrinfo(found);
    return true;
}

bool PlatformQueryConnectedOption(bool& connected) {
    connected = Connected();
    return true;
}

bool PlatformGetConnectedState(std::uint32_t& flags) {
    flags = Connected() ? kConnectionLan : 0;
    return flags != 0;
}

bool PlatformAttemptConnect() { return Connected(); }

}  // namespace quotrix
