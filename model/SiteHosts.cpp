#include "model/SiteHosts.h"

#include <mutex>

namespace quotrix {

namespace {
std::mutex g_hostsLock;
SiteHosts& Hosts() {
    static SiteHosts hosts;
    return hosts;
}
}  // namespace

SiteHosts CurrentSiteHosts() {
    std::lock_guard lock(g_hostsLock);
    return Hosts();
}

void SetSiteHosts(const SiteHosts& hosts) {
    std::lock_guard lock(g_hostsLock);
    Hosts() = hosts;
}

std::string SiteAddress(const std::string& host, const std::string& path) {
    if (host.starts_with("http://") || host.starts_with("https://")) return host + path;
    return "http://" + host + path;
}

}  // namespace quotrix
