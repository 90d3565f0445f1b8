// The application settings of section "Setting" with their defaults and checks, the moved flag
// bits, and the sections "DispTotal" and "StdStock"; the log keys; the readers and writers.
//
// AppSettings is a plain value: the main window holds the process-wide one (ProcessSettings())
// and reads it on the main thread; the options dialog edits a copy and assigns it back. Other
// threads get copies of the values they need (the Internet session takes the time-outs and the
// proxy at configuration). Colours are COLORREF values (0x00BBGGRR); times are milliseconds.
#pragma once

#include <cstdint>
#include <string>

#include "icons/DesktopColors.h"  // IsDarkColor, DesktopTextColorFor
#include "model/SiteHosts.h"
#include "model/StockParams.h"

namespace quotrix {

class CErrLog;
class SettingsStore;

inline constexpr char kSectionSetting[] = "Setting";
inline constexpr char kSectionStdStock[] = "StdStock";
inline constexpr char kSectionDispTotal[] = "DispTotal";

// Bits of the flag words and the switches they are moved into.
enum BoolFlags1Bits : std::uint32_t {
    BF1_NO_AUTO_UPDATE_OFFLINE = 0x1,  // moved to noAutoUpdateOffline
    BF1_ACTIVE_HOURS = 0x2,
    BF1_NAME_OPTION3 = 0x4,          // moved to name option bit 3
    BF1_DIGIT_GROUPING = 0x100000,   // moved to name option bit 0
    BF1_NO_COMPANY_MARK = 0x200000,  // moved to name option bit 1
    BF1_MARKET_SUFFIX = 0x400000,    // moved to name option bit 2
    BF1_CHECK_BOARD = 0x800000,      // moved to check mask bit 0
    BF1_CHECK_AT_START = 0x2000000,
    BF1_ONE_SHOT_ACTIVE = 0x4000000,  // run-time
    BF1_MODIFIED = 0x8000000,         // run-time: the stock file has unsaved changes
};
inline constexpr std::uint32_t kBoolFlags1Stored = 0x3FFFFFF;  // bits 26 and up are run-time state
inline constexpr std::uint32_t kBoolFlags1Moved = BF1_NO_AUTO_UPDATE_OFFLINE | BF1_NAME_OPTION3 | BF1_DIGIT_GROUPING |
                                                  BF1_NO_COMPANY_MARK | BF1_MARKET_SUFFIX | BF1_CHECK_BOARD;

enum BoolFlags2Bits : std::uint32_t {
    BF2_NO_NEWS_CHECK = 0x2,   // moved to check mask bit 1, inverted
    BF2_NO_PRICE_BARS = 0x4,   // moved to name option bit 4, inverted
    BF2_HTTP10 = 0x80,         // moved to http10
    BF2_DESKTOP_FONT = 0x200,  // the desktop font keys are in force
};
inline constexpr std::uint32_t kBoolFlags2Stored = 0x1FFF;
inline constexpr std::uint32_t kBoolFlags2Moved = BF2_NO_NEWS_CHECK | BF2_NO_PRICE_BARS | BF2_HTTP10;

enum NameOptionBits : std::uint32_t {
    NAMEOPT_DIGIT_GROUPING = 0x1,  // FMT_GROUP for prices
    NAMEOPT_NO_COMPANY_MARK = 0x2,
    NAMEOPT_MARKET_SUFFIX = 0x4,
    NAMEOPT_BIT3 = 0x8,
    NAMEOPT_PRICE_BARS = 0x10,
};

enum CheckMaskBits : std::uint32_t {
    CHECK_BOARD = 0x1,
    CHECK_NEWS = 0x2,
};

enum ProxyFlagBits : std::uint32_t {
    PROXY_USE = 0x1,
    PROXY_AUTH = 0x2,
};

// A time of day (the active hours). A time whose parts are out of range is not valid; it is
// stored as -1 in all three keys.
struct DayTime {
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;

    bool IsValid() const {
        return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
    }
    bool operator==(const DayTime&) const = default;
};

// The desktop icon font, field for field the system's LOGFONT.
struct DesktopFont {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName;  // Shift-JIS, at most 31 bytes

    bool operator==(const DesktopFont&) const = default;
};
inline constexpr std::size_t kFaceNameMax = 31;

// The display items of the portfolio, the tips and the rest.
struct ItemFlags {
    std::uint32_t portfolioText = 0x0C3F;
    std::uint32_t tipText = 0x0C3F;
    std::uint32_t other = 0x53;

    // Portfolio bit 13 follows bit 12.
    void Apply();
    bool operator==(const ItemFlags&) const = default;
};

// The quote pages a new user's settings name: the site's current ones.
inline SiteHosts CurrentSiteForm() {
    SiteHosts hosts;
    hosts.addressForm = SiteHosts::ADDRESS_CURRENT;
    return hosts;
}

struct AppSettings {
    std::uint8_t defAction = 2;         // "DefAction": 0 file dialog, 1 add-stock dialog, 2 last file
    std::int32_t maxThreads = 3;        // "MaxThreads": parallel fetches, 1 to 25
    std::uint32_t interval = 90000;     // "Interval": ms between checks
    DayTime startTime{9, 0, 0};         // "StartHour", "StartMin", "StartSec"
    DayTime endTime{15, 30, 0};         // "EndHour", "EndMin", "EndSec"
    std::uint8_t alphaVal = 128;        // "AlphaVal": desktop icon translucency
    std::uint32_t dskFontColor = 0;     // "Dsk_FontColor"
    std::uint8_t dispTotal = 1;         // "DispTotal": total icon 0 hidden, 1 tray, 20 desktop
    ArrowThresholds totalThresholds;    // section "DispTotal"
    std::uint8_t timerAction = 0;       // "TimerAction": portfolio idle action 0 to 3
    std::uint32_t activateTime = 2000;  // "ActivateTime": ms
    std::uint32_t pfFont = 12;          // "PF_Font"
    std::uint32_t bkCol = 0xE1FFFF;     // "BkCol"
    std::uint8_t pfAlpha = 128;         // "PFBkAlpha" bits 0-7, at least 10
    bool pfTranslucent = false;         // "PFBkAlpha" bit 8
    bool pfTransparent = false;         // "PFBkAlpha" bit 9
    std::uint32_t checkTimeout = 0;     // "CheckTimeout": connect, ms (0: the system's)
    std::uint32_t receiveTimeout = 0;   // "RecieveTimeout"
    std::uint32_t sendTimeout = 0;      // "SendTimeout"
    std::uint32_t proxyFlags = 0;       // "ProxyFlags": ProxyFlagBits
    std::string proxyServer = "http=http://localhost:8080";  // "ProxyServer"
    std::string loginUser;                                   // "LoginUser"
    std::string proxyPassword;                               // "IndexData", plain in memory, protected in the store
    std::string calcPath = "Calc.EXE";
    std::string secUrl;
    std::int32_t arrowType = 0;                         // "ArrowType"
    std::string arrowDesignFile = "StkDesignFile.bmp";  // "ArrowDesignFile"
    std::uint32_t newBoolean1 = 0;                      // "NewBoolean1"
    std::uint32_t stkNameMax = 7;                       // "StkNameMax", at most 255
    // "BoolFlags1"/"BoolFlags2" without the moved bits (which live in the switches below);
    // BoolFlags1 bits 26 and up are run-time state and never stored.
    std::uint32_t boolFlags1 = 0x373D3D & ~kBoolFlags1Moved;
    std::uint32_t boolFlags2 = 1 & ~kBoolFlags2Moved;
    ItemFlags itemFlags;
    // Set while the open stock file carries its own item flags: they are then not saved here.
    bool itemFlagsFromFile = false;
    DesktopFont desktopFont;              // the system's icon-title font until the keys say otherwise
    CStockDefaults stdStock;              // section "StdStock"
    SiteHosts hosts = CurrentSiteForm();  // "HostDetail" ... "QuoteAddressForm"
    // "MarketCalendar": no automatic update on the days the Tokyo exchange is closed.
    bool marketCalendar = true;

    // The switches the moved bits become.
    bool noAutoUpdateOffline = true;  // BoolFlags1 bit 0
    std::uint32_t nameOptions = NAMEOPT_DIGIT_GROUPING | NAMEOPT_NO_COMPANY_MARK | NAMEOPT_BIT3 | NAMEOPT_PRICE_BARS;
    std::uint32_t checkMask = CHECK_NEWS;  // BoolFlags1 bit 23, BoolFlags2 bit 1
    bool http10 = false;                   // BoolFlags2 bit 7

    // Section "DispTotal", "ArrowMode": bit 1 makes the total icon's arrow follow the profit
    // instead of the day's change ("矢印表示対象"); other bits are kept as read.
    std::uint32_t totalArrowMode = 0;

    bool UseProxy() const { return (proxyFlags & PROXY_USE) != 0; }
    bool ProxyNeedsLogin() const { return (proxyFlags & PROXY_AUTH) != 0; }
    bool DesktopFontInForce() const { return (boolFlags2 & BF2_DESKTOP_FONT) != 0; }
    // The words as stored: the moved bits put back, the run-time bits dropped.
    std::uint32_t StoredBoolFlags1() const;
    std::uint32_t StoredBoolFlags2() const;
    // Takes stored words apart into the words and the switches (run-time bits are kept).
    void SetStoredBoolFlags(std::uint32_t stored1, std::uint32_t stored2);
    std::uint32_t PfBkAlphaValue() const;

    bool operator==(const AppSettings&) const = default;
};

// The log keys of "Setting", applied to `log` in order; the default path is the temporary
// folder plus "Quotrix.log".
void LoadLogSettings(SettingsStore& store, CErrLog& log);
// The application keys, the item flags, the desktop font and "StdStock"; also the arrow and
// site host keys. `desktopColor` is the system's desktop colour; `settings.desktopFont` should
// hold the system's icon-title font. Publishes the site hosts (SetSiteHosts).
void LoadSettings(SettingsStore& store, AppSettings& settings, std::uint32_t desktopColor, CErrLog& log);
// Writes the log keys of `log` and every application key, then logs "Profile saved".
// False when the store did not take every value.
bool SaveSettings(SettingsStore& store, const AppSettings& settings, CErrLog& log);
// "LogCurNo", at exit.
bool SaveLogFileNumber(SettingsStore& store, const CErrLog& log);
// The user chose another log level: logs "Log level changed to %d", applies and stores it.
bool ChangeLogLevel(SettingsStore& store, CErrLog& log, int level);
// At the end of start-up: levels 3 to 5 last one run, after which the level drops to 2.
void LimitLogLevelAfterStartup(SettingsStore& store, CErrLog& log);

// "Lastest": the stock file last used (also written by the wizard).
std::string ReadLastest(SettingsStore& store);
bool WriteLastest(SettingsStore& store, const std::string& path);

// "ReleaseFileUrl": where the release check reads the publisher's release file; the publisher's
// own address when the key is missing or holds anything but an http or https address.
std::string ReadReleaseFileUrl(SettingsStore& store);

// The process-wide settings (main thread).
AppSettings& ProcessSettings();

}  // namespace quotrix
