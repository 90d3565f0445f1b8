#include "app/RuntimeSetup.h"

#include "model/SiteHosts.h"
#include "net/InetSession.h"

namespace quotrix {

namespace {

// "新バージョンのリリースを、通知する": check once a day after a check event.
constexpr std::uint32_t kReleaseCheckFlag = 0x40000;

TimeOfDay ToTimeOfDay(const DayTime& time) {
    TimeOfDay t = TimeOfDay::Hms(time.hour, time.minute, time.second);
    if (!time.IsValid()) t.state = TimeOfDay::INVALID;
    return t;
}

}  // namespace

void ApplyNetworkSettings(const AppSettings& settings) {
    InetSessionConfig config = InetSession::Instance().Config();
    config.connectTimeoutMs = settings.checkTimeout;
    config.receiveTimeoutMs = settings.receiveTimeout;
    config.sendTimeoutMs = settings.sendTimeout;
    config.maxThreads = settings.maxThreads;
    config.useProxy = settings.UseProxy();
    config.proxyAuthentication = settings.ProxyNeedsLogin();
    config.proxyServer = settings.proxyServer;
    config.proxyUser = settings.loginUser;
    config.proxyPassword = settings.proxyPassword;
    config.http10 = settings.http10;
    InetSession::Instance().Configure(config);
    NoAutoUpdateOffline = settings.noAutoUpdateOffline;
    SetSiteHosts(settings.hosts);
}

CheckSettings CheckSettingsFrom(const AppSettings& settings) {
    CheckSettings check;
    check.intervalMs = settings.interval;
    check.activeHoursOn = (settings.boolFlags1 & BF1_ACTIVE_HOURS) != 0;
    check.start = ToTimeOfDay(settings.startTime);
    check.end = ToTimeOfDay(settings.endTime);
    check.checkAtStartup = (settings.boolFlags1 & BF1_CHECK_AT_START) != 0;
    check.autoReleaseCheck = (settings.boolFlags1 & kReleaseCheckFlag) != 0;
    check.marketCalendar = settings.marketCalendar;
    check.boardNewsMask = static_cast<std::uint8_t>(settings.checkMask & (CHECK_BOARD | CHECK_NEWS));
    return check;
}

}  // namespace quotrix
