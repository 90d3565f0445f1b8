#include "settings/AppSettings.h"

#include <algorithm>

#include "log/ErrLog.h"
#include "net/Release.h"
#include "platform/LogSupport.h"
#include "platform/SettingsStores.h"
#include "settings/SettingsStore.h"

namespace quotrix {

namespace {

constexpr const char* S = kSectionSetting;

// The most parallel fetches the options dialog offers; a hand-edited store must not ask for a
// thread per stock of a long list.
constexpr std::int32_t kMaxThreadsLimit = 25;

std::int32_t GetSigned(SettingsStore& store, const char* key, std::int32_t current) {
    return static_cast<std::int32_t>(store.GetInt(S, key, static_cast<std::uint32_t>(current)));
}

// Byte-sized keys: a stored value above 255 is cut to its low byte before any check.
std::uint8_t GetByte(SettingsStore& store, const char* key, std::uint8_t current) {
    return static_cast<std::uint8_t>(store.GetInt(S, key, current));
}

bool SetSigned(SettingsStore& store, const char* key, std::int32_t value) {
    return store.SetInt(S, key, static_cast<std::uint32_t>(value));
}

bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Cuts a Shift-JIS text to at most `limit` bytes without splitting a double-byte character.
std::string CutSjis(const std::string& text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = IsSjisLead(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return text.substr(0, std::min(end, text.size()));
}

void ReadTime(SettingsStore& store, const char* hourKey, const char* minKey, const char* secKey, DayTime& time) {
    time.hour = GetSigned(store, hourKey, time.hour);
    time.minute = GetSigned(store, minKey, time.minute);
    time.second = GetSigned(store, secKey, time.second);
}

bool WriteTime(SettingsStore& store, const char* hourKey, const char* minKey, const char* secKey, const DayTime& time) {
    const bool valid = time.IsValid();
    bool ok = SetSigned(store, hourKey, valid ? time.hour : -1);
    ok = SetSigned(store, minKey, valid ? time.minute : -1) && ok;
    return SetSigned(store, secKey, valid ? time.second : -1) && ok;
}

struct HostKey {
    const char* key;
    std::string SiteHosts::*field;
};
constexpr HostKey kHostKeys[] = {
    {"HostDetail", &SiteHosts::detail},
    {"HostQuote", &SiteHosts::quote},
    {"HostTimeSeries", &SiteHosts::timeSeries},
    {"HostNews", &SiteHosts::news},
    {"HostBoard", &SiteHosts::board},
    {"HostProfile", &SiteHosts::profile},
    {"HostPremiumQuote", &SiteHosts::premiumQuote},
    {"HostPremiumNews", &SiteHosts::premiumNews},
    {"HostCurrent", &SiteHosts::current},
};

void ReadDesktopFont(SettingsStore& store, AppSettings& settings, std::uint32_t desktopColor) {
    DesktopFont& font = settings.desktopFont;
    if (!settings.DesktopFontInForce()) {
        // Older settings kept only a height; it now means a configured font.
        const std::int32_t height = GetSigned(store, "Dsk_Font", 0);
        if (height != 0) {
            font.height = height;
            settings.boolFlags2 |= BF2_DESKTOP_FONT;
            settings.dskFontColor = DesktopTextColorFor(desktopColor);
        }
        return;
    }
    const std::int32_t height = GetSigned(store, "Dsk_Font", font.height);
    if (height == 0) return;
    font.height = height;
    font.width = GetSigned(store, "Dsk_FntWid", font.width);
    font.escapement = GetSigned(store, "Dsk_FntE", font.escapement);
    font.orientation = GetSigned(store, "Dsk_FntO", font.orientation);
    font.weight = GetSigned(store, "Dsk_FntWe", font.weight);
    font.italic = GetByte(store, "Dsk_FntIt", font.italic);
    font.underline = GetByte(store, "Dsk_FntUL", font.underline);
    font.strikeOut = GetByte(store, "Dsk_FntSO", font.strikeOut);
    font.charSet = GetByte(store, "Dsk_FntCS", font.charSet);
    font.outPrecision = GetByte(store, "Dsk_FntOP", font.outPrecision);
    font.clipPrecision = GetByte(store, "Dsk_FntCP", font.clipPrecision);
    font.quality = GetByte(store, "Dsk_FntQ", font.quality);
    font.pitchAndFamily = GetByte(store, "Dsk_FntPF", font.pitchAndFamily);
    font.faceName = CutSjis(store.GetString(S, "Dsk_FntFN", font.faceName), kFaceNameMax);
}

bool WriteDesktopFont(SettingsStore& store, const AppSettings& settings) {
    if (!settings.DesktopFontInForce()) return SetSigned(store, "Dsk_Font", 0);
    const DesktopFont& font = settings.desktopFont;
    bool ok = SetSigned(store, "Dsk_Font", font.height);
    ok = SetSigned(store, "Dsk_FntWid", font.width) && ok;
    ok = SetSigned(store, "Dsk_FntE", font.escapement) && ok;
    ok = SetSigned(store, "Dsk_FntO", font.orientation) && ok;
    ok = SetSigned(store, "Dsk_FntWe", font.weight) && ok;
    ok = store.SetInt(S, "Dsk_FntIt", font.italic) && ok;
    ok = store.SetInt(S, "Dsk_FntUL", font.underline) && ok;
    ok = store.SetInt(S, "Dsk_FntSO", font.strikeOut) && ok;
    ok = store.SetInt(S, "Dsk_FntCS", font.charSet) && ok;
    ok = store.SetInt(S, "Dsk_FntOP", font.outPrecision) && ok;
    ok = store.SetInt(S, "Dsk_FntCP", font.clipPrecision) && ok;
    ok = store.SetInt(S, "Dsk_FntQ", font.quality) && ok;
    ok = store.SetInt(S, "Dsk_FntPF", font.pitchAndFamily) && ok;
    return store.SetString(S, "Dsk_FntFN", CutSjis(font.faceName, kFaceNameMax)) && ok;
}

}  // namespace

void ItemFlags::Apply() { portfolioText = (portfolioText & ~0x2000u) | ((portfolioText & 0x1000u) << 1); }

std::uint32_t AppSettings::StoredBoolFlags1() const {
    std::uint32_t word = boolFlags1 & kBoolFlags1Stored & ~kBoolFlags1Moved;
    if (noAutoUpdateOffline) word |= BF1_NO_AUTO_UPDATE_OFFLINE;
    if (nameOptions & NAMEOPT_BIT3) word |= BF1_NAME_OPTION3;
    if (nameOptions & NAMEOPT_DIGIT_GROUPING) word |= BF1_DIGIT_GROUPING;
    if (nameOptions & NAMEOPT_NO_COMPANY_MARK) word |= BF1_NO_COMPANY_MARK;
    if (nameOptions & NAMEOPT_MARKET_SUFFIX) word |= BF1_MARKET_SUFFIX;
    if (checkMask & CHECK_BOARD) word |= BF1_CHECK_BOARD;
    return word;
}

std::uint32_t AppSettings::StoredBoolFlags2() const {
    std::uint32_t word = boolFlags2 & kBoolFlags2Stored & ~kBoolFlags2Moved;
    if (!(checkMask & CHECK_NEWS)) word |= BF2_NO_NEWS_CHECK;
    if (!(nameOptions & NAMEOPT_PRICE_BARS)) word |= BF2_NO_PRICE_BARS;
    if (http10) word |= BF2_HTTP10;
    return word;
}

void AppSettings::SetStoredBoolFlags(std::uint32_t stored1, std::uint32_t stored2) {
    stored1 &= kBoolFlags1Stored;
    stored2 &= kBoolFlags2Stored;
    noAutoUpdateOffline = (stored1 & BF1_NO_AUTO_UPDATE_OFFLINE) != 0;
    std::uint32_t names = nameOptions & ~(NAMEOPT_DIGIT_GROUPING | NAMEOPT_NO_COMPANY_MARK | NAMEOPT_MARKET_SUFFIX |
                                          NAMEOPT_BIT3 | NAMEOPT_PRICE_BARS);
    if (stored1 & BF1_DIGIT_GROUPING) names |= NAMEOPT_DIGIT_GROUPING;
    if (stored1 & BF1_NO_COMPANY_MARK) names |= NAMEOPT_NO_COMPANY_MARK;
    if (stored1 & BF1_MARKET_SUFFIX) names |= NAMEOPT_MARKET_SUFFIX;
    if (stored1 & BF1_NAME_OPTION3) names |= NAMEOPT_BIT3;
    if (!(stored2 & BF2_NO_PRICE_BARS)) names |= NAMEOPT_PRICE_BARS;
    nameOptions = names;
    checkMask = ((stored1 & BF1_CHECK_BOARD) ? CHECK_BOARD : 0u) | ((stored2 & BF2_NO_NEWS_CHECK) ? 0u : CHECK_NEWS);
    http10 = (stored2 & BF2_HTTP10) != 0;
    // The run-time bits are this run's, never the store's.
    boolFlags1 = (boolFlags1 & ~kBoolFlags1Stored) | (stored1 & ~kBoolFlags1Moved);
    boolFlags2 = stored2 & ~kBoolFlags2Moved;
}

std::uint32_t AppSettings::PfBkAlphaValue() const {
    return pfAlpha | (pfTranslucent ? 0x100u : 0u) | (pfTransparent ? 0x200u : 0u);
}

void LoadLogSettings(SettingsStore& store, CErrLog& log) {
    const std::int32_t kib = GetSigned(store, "LogMaxSize", 500);
    if (kib > 1)
        log.SetMaxSize(static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t(kib) * 1024, 0xFFFFFFFFu)));
    const std::int32_t files = GetSigned(store, "LogNoOfFiles", 10);
    if (files > 1) log.SetFileCount(static_cast<std::uint32_t>(files));
    const std::uint32_t number = store.GetInt(S, "LogCurNo", 0);
    if (number < log.FileCount()) log.SetCurrentNumber(number);

    std::string defaultPath;
    if (GetTempFolder(defaultPath)) {
        defaultPath += "Quotrix.log";
    } else {
        log.LogLastError("Temp path error");
        defaultPath.clear();
    }
    log.SetPath(store.GetString(S, "LogPath", defaultPath));
    log.SetLevel(GetSigned(store, "LogLevel", 0));
}

void LoadSettings(SettingsStore& store, AppSettings& settings, std::uint32_t desktopColor, CErrLog& log) {
    AppSettings& s = settings;
    s.defAction = std::min<std::uint8_t>(GetByte(store, "DefAction", s.defAction), 2);
    const std::int32_t threads = GetSigned(store, "MaxThreads", s.maxThreads);
    if (threads >= 1) s.maxThreads = std::min(threads, kMaxThreadsLimit);
    const std::int32_t interval = GetSigned(store, "Interval", static_cast<std::int32_t>(s.interval));
    if (interval > 20000) s.interval = static_cast<std::uint32_t>(interval);
    ReadTime(store, "StartHour", "StartMin", "StartSec", s.startTime);
    ReadTime(store, "EndHour", "EndMin", "EndSec", s.endTime);
    s.alphaVal = GetByte(store, "AlphaVal", s.alphaVal);

    s.dskFontColor = store.GetInt(S, "Dsk_FontColor", DesktopTextColorFor(desktopColor));
    if (s.dskFontColor == desktopColor) {
        // Text in the desktop colour would vanish under colour keying.
        const std::uint32_t red = s.dskFontColor & 0xFF;
        s.dskFontColor = (s.dskFontColor & ~0xFFu) | (red == 0xFF ? red - 1 : red + 1);
    }

    const std::uint8_t total = GetByte(store, "DispTotal", s.dispTotal);
    s.dispTotal = total == 0 || total == 1 || total == 20 ? total : 1;
    s.totalThresholds.ReadSettings(store, kSectionDispTotal);
    s.totalArrowMode = store.GetInt(kSectionDispTotal, "ArrowMode", s.totalArrowMode);

    const std::uint8_t action = GetByte(store, "TimerAction", s.timerAction);
    if (action < 4) s.timerAction = action;
    s.activateTime = store.GetInt(S, "ActivateTime", s.activateTime);
    s.pfFont = store.GetInt(S, "PF_Font", s.pfFont);
    s.bkCol = store.GetInt(S, "BkCol", s.bkCol);
    const std::uint32_t pfAlpha = store.GetInt(S, "PFBkAlpha", s.PfBkAlphaValue());
    s.pfAlpha = std::max<std::uint8_t>(static_cast<std::uint8_t>(pfAlpha & 0xFF), 10);
    s.pfTranslucent = (pfAlpha & 0x100) != 0;
    s.pfTransparent = (pfAlpha & 0x200) != 0;

    s.checkTimeout = store.GetInt(S, "CheckTimeout", s.checkTimeout);
    s.receiveTimeout = store.GetInt(S, "RecieveTimeout", s.receiveTimeout);
    s.sendTimeout = store.GetInt(S, "SendTimeout", s.sendTimeout);
    s.proxyFlags = store.GetInt(S, "ProxyFlags", s.proxyFlags);
    s.proxyServer = store.GetString(S, "ProxyServer", s.proxyServer);
    s.loginUser = store.GetString(S, "LoginUser", s.loginUser);
    const std::string storedPassword = store.GetString(S, "IndexData", ProtectSecret(s.proxyPassword));
    if (!UnprotectSecret(storedPassword, s.proxyPassword)) {
        log.Log(LOG_ERR, "Proxy password could not be read");
        s.proxyPassword.clear();
    }
    s.calcPath = store.GetString(S, "CalcPath", s.calcPath);
    s.secUrl = store.GetString(S, "SecUrl", s.secUrl);
    s.newBoolean1 = store.GetInt(S, "NewBoolean1", s.newBoolean1);
    s.stkNameMax = std::min<std::uint32_t>(store.GetInt(S, "StkNameMax", s.stkNameMax), 255);
    const std::uint32_t flags1 = store.GetInt(S, "BoolFlags1", s.StoredBoolFlags1());
    const std::uint32_t flags2 = store.GetInt(S, "BoolFlags2", s.StoredBoolFlags2());
    s.SetStoredBoolFlags(flags1, flags2);

    ItemFlags items;
    items.portfolioText = store.GetInt(S, "PortfolioTextFlags", s.itemFlags.portfolioText) & 0x7FFFF;
    items.tipText = store.GetInt(S, "TipTextFlags", s.itemFlags.tipText);
    const std::uint32_t stored1 = s.StoredBoolFlags1(), stored2 = s.StoredBoolFlags2();
    std::uint32_t otherDefault = 0;
    if (s.nameOptions & NAMEOPT_BIT3) otherDefault |= 0x1;
    if (s.nameOptions & NAMEOPT_PRICE_BARS) otherDefault |= 0x2;
    if (!(stored2 & 0x10)) otherDefault |= 0x10;
    if (stored1 & 0x1000000) otherDefault |= 0x20;
    if (stored1 & 0x800) otherDefault |= 0x40;
    items.other = store.GetInt(S, "OtherItemFlags", otherDefault);
    items.Apply();
    s.itemFlags = items;

    ReadDesktopFont(store, s, desktopColor);
    s.stdStock.ReadSettings(store, kSectionStdStock);

    s.arrowType = GetSigned(store, "ArrowType", s.arrowType);
    s.arrowDesignFile = store.GetString(S, "ArrowDesignFile", s.arrowDesignFile);
    for (const HostKey& host : kHostKeys) {
        std::string value = store.GetString(S, host.key, s.hosts.*host.field);
        // An empty host would make addresses without a server.
        if (!value.empty()) s.hosts.*host.field = std::move(value);
    }
    const std::uint32_t form = store.GetInt(S, "QuoteAddressForm", s.hosts.addressForm);
    s.hosts.addressForm = form <= SiteHosts::ADDRESS_CURRENT ? form : s.hosts.addressForm;
    SetSiteHosts(s.hosts);
    // Any value but 0 leaves the calendar on, as a check box stores it.
    s.marketCalendar = store.GetInt(S, "MarketCalendar", s.marketCalendar ? 1 : 0) != 0;
}

bool SaveSettings(SettingsStore& store, const AppSettings& settings, CErrLog& log) {
    const AppSettings& s = settings;
    SettingsBatch batch(store);
    bool ok = store.SetInt(S, "LogMaxSize", static_cast<std::uint32_t>((std::uint64_t(log.MaxSize()) + 1023) / 1024));
    ok = store.SetInt(S, "LogNoOfFiles", log.FileCount()) && ok;
    ok = SetSigned(store, "LogLevel", log.ConfiguredLevel()) && ok;
    ok = store.SetString(S, "LogPath", log.LogPath()) && ok;

    ok = store.SetInt(S, "DefAction", s.defAction) && ok;
    ok = SetSigned(store, "MaxThreads", s.maxThreads) && ok;
    ok = store.SetInt(S, "Interval", s.interval) && ok;
    ok = WriteTime(store, "StartHour", "StartMin", "StartSec", s.startTime) && ok;
    ok = WriteTime(store, "EndHour", "EndMin", "EndSec", s.endTime) && ok;
    ok = store.SetInt(S, "AlphaVal", s.alphaVal) && ok;
    ok = WriteDesktopFont(store, s) && ok;
    ok = store.SetInt(S, "Dsk_FontColor", s.dskFontColor) && ok;
    ok = store.SetInt(S, "DispTotal", s.dispTotal) && ok;
    s.totalThresholds.WriteSettings(store, kSectionDispTotal);
    ok = store.SetInt(kSectionDispTotal, "ArrowMode", s.totalArrowMode) && ok;
    ok = store.SetInt(S, "TimerAction", s.timerAction) && ok;
    ok = store.SetInt(S, "ActivateTime", s.activateTime) && ok;
    ok = store.SetInt(S, "PF_Font", s.pfFont) && ok;
    ok = store.SetInt(S, "PFBkAlpha", s.PfBkAlphaValue()) && ok;
    ok = store.SetInt(S, "BkCol", s.bkCol) && ok;
    if (!s.itemFlagsFromFile) {
        ok = store.SetInt(S, "PortfolioTextFlags", s.itemFlags.portfolioText & 0x7FFFF) && ok;
        ok = store.SetInt(S, "TipTextFlags", s.itemFlags.tipText & 0x7FFFF) && ok;
        ok = store.SetInt(S, "OtherItemFlags", s.itemFlags.other) && ok;
    }
    ok = store.SetInt(S, "CheckTimeout", s.checkTimeout) && ok;
    ok = store.SetInt(S, "RecieveTimeout", s.receiveTimeout) && ok;
    ok = store.SetInt(S, "SendTimeout", s.sendTimeout) && ok;
    ok = store.SetInt(S, "ProxyFlags", s.proxyFlags) && ok;
    ok = store.SetString(S, "ProxyServer", s.proxyServer) && ok;
    ok = store.SetString(S, "LoginUser", s.loginUser) && ok;
    ok = store.SetString(S, "IndexData", ProtectSecret(s.proxyPassword)) && ok;
    ok = store.SetString(S, "CalcPath", s.calcPath.empty() ? std::string("Calc.EXE") : s.calcPath) && ok;
    ok = store.SetString(S, "SecUrl", s.secUrl) && ok;
    ok = SetSigned(store, "ArrowType", s.arrowType) && ok;
    ok = store.SetString(S, "ArrowDesignFile", s.arrowDesignFile) && ok;
    ok = store.SetInt(S, "NewBoolean1", s.newBoolean1) && ok;
    ok = store.SetInt(S, "StkNameMax", s.stkNameMax) && ok;
    ok = store.SetInt(S, "BoolFlags1", s.StoredBoolFlags1()) && ok;
    ok = store.SetInt(S, "BoolFlags2", s.StoredBoolFlags2()) && ok;
    s.stdStock.WriteSettings(store, kSectionStdStock);
    for (const HostKey& host : kHostKeys) ok = store.SetString(S, host.key, s.hosts.*host.field) && ok;
    ok = store.SetInt(S, "QuoteAddressForm", s.hosts.addressForm) && ok;
    ok = store.SetInt(S, "MarketCalendar", s.marketCalendar ? 1 : 0) && ok;
    ok = batch.End() && ok;
    log.Log(LOG_DTL, "Profile saved");
    return ok;
}

bool SaveLogFileNumber(SettingsStore& store, const CErrLog& log) {
    return store.SetInt(S, "LogCurNo", log.CurrentNumber());
}

bool ChangeLogLevel(SettingsStore& store, CErrLog& log, int level) {
    log.Log(LOG_INT, "Log level changed to %d", level);
    log.SetLevel(level);
    return SetSigned(store, "LogLevel", log.ConfiguredLevel());
}

void LimitLogLevelAfterStartup(SettingsStore& store, CErrLog& log) {
    if (log.ConfiguredLevel() > 2) ChangeLogLevel(store, log, 2);
}

std::string ReadLastest(SettingsStore& store) { return store.GetString(S, "Lastest", std::string()); }

bool WriteLastest(SettingsStore& store, const std::string& path) { return store.SetString(S, "Lastest", path); }

std::string ReadReleaseFileUrl(SettingsStore& store) {
    const std::string url = store.GetString(S, "ReleaseFileUrl", std::string());
    const bool web = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
    return web ? url : DefaultReleaseFileUrl();
}

AppSettings& ProcessSettings() {
    static AppSettings settings;
    return settings;
}

}  // namespace quotrix
