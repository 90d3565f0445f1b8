#include "model/SiteHosts.h"

#include <mutex>

namespace quotrix {

namespace {
std::mutex g_hostsLock;
std::shared_ptr<const SiteHosts>& Hosts() {
    static std::shared_ptr<const SiteHosts> hosts = std::make_shared<const SiteHosts>();
    return hosts;
}
}  // namespace

SiteHosts CurrentSiteHosts() { return *SharedSiteHosts(); }

std::shared_ptr<const SiteHosts> SharedSiteHosts() {
    std::lock_guard lock(g_hostsLock);
    return Hosts();
}

void SetSiteHosts(const SiteHosts& hosts) {
    auto replacement = std::make_shared<const SiteHosts>(hosts);
    std::lock_guard lock(g_hostsLock);
    Hosts().swap(replacement);
}

std::string SiteAddress(const std::string& host, const std::string& path) {
    if (host.starts_with("http://") || host.starts_with("https://")) return host + path;
    return "http://" + host + path;
}

}  // namespace quotrix
