// The readers' rules and the save-load round trip, against every store of the build.
#include "settings/AppSettings.h"

#include <gtest/gtest.h>

#include "log/ErrLog.h"
#include "net/Release.h"
#include "platform/LogSupport.h"
#include "platform/SettingsStores.h"
#include "platform/TextCodec.h"
#include "settings/MemorySettingsStore.h"
#include "tests/settings/SettingsSuite.h"

namespace quotrix {
namespace {

constexpr const char* S = kSectionSetting;
constexpr std::uint32_t kGrey = 0x808080;  // a dark desktop (2R + 4G + B = 896)

AppSettings Load(SettingsStore& store, std::uint32_t desktop = kGrey) {
    CErrLog log;
    AppSettings settings;
    LoadSettings(store, settings, desktop, log);
    return settings;
}

TEST_P(SettingsStoreSuite, ValuesKeepTheirTypeAndMissingOnesTheDefault) {
    EXPECT_EQ(store().GetInt(S, "TestMissing", 77), 77u);
    EXPECT_EQ(store().GetString(S, "TestMissing", "dflt"), "dflt");
    ASSERT_TRUE(store().SetInt(S, "TestNumber", 0xFFFFFFFF));
    ASSERT_TRUE(store().SetString(S, "TestText", SJIS("トヨタ自動車(株) 表示")));
    ASSERT_TRUE(store().SetString(S, "TestEmpty", ""));
    EXPECT_EQ(store().GetInt(S, "TestNumber", 0), 0xFFFFFFFFu);
    // A value of the other type reads as missing.
    EXPECT_EQ(store().GetInt(S, "TestText", 5), 5u);
    EXPECT_EQ(store().GetString(S, "TestNumber", "x"), "x");

    auto again = Reopen();
    EXPECT_EQ(again->GetString(S, "TestText", ""), SJIS("トヨタ自動車(株) 表示"));
    EXPECT_EQ(again->GetString(S, "TestEmpty", "not empty"), "");
    EXPECT_EQ(again->GetInt("OtherSection", "TestNumber", 3), 3u);
    ASSERT_TRUE(again->SetInt(S, "TestNumber", 12));
    EXPECT_EQ(Reopen()->GetInt(S, "TestNumber", 0), 12u);
}

TEST_P(SettingsStoreSuite, FreshStoreGivesTheDefaults) {
    const AppSettings loaded = Load(store());
    AppSettings expected;
    expected.dskFontColor = 0xFFFFFF;  // white on the dark desktop
    EXPECT_EQ(loaded, expected);
    EXPECT_EQ(loaded.itemFlags.other, 0x53u);
    EXPECT_EQ(loaded.StoredBoolFlags1(), 0x373D3Du);
    EXPECT_EQ(loaded.StoredBoolFlags2(), 1u);
    EXPECT_EQ(Load(store(), 0xFFFFFF).dskFontColor, 0u);  // black on a white desktop
    EXPECT_EQ(CurrentSiteHosts(), CurrentSiteForm());     // a new user reads the current pages
    EXPECT_TRUE(loaded.marketCalendar);
    // "MarketCalendar" is a check box's value: anything but 0 is on, and it is stored as 0 or 1.
    ASSERT_TRUE(store().SetInt(S, "MarketCalendar", 7));
    EXPECT_TRUE(Load(store()).marketCalendar);
    ASSERT_TRUE(store().SetInt(S, "MarketCalendar", 0));
    EXPECT_FALSE(Load(store()).marketCalendar);
}

TEST_P(SettingsStoreSuite, ValuesOutOfRangeGetTheirReplacement) {
    struct Case {
        const char* key;
        std::uint32_t stored;
    };
    for (const Case& c : {Case{"Interval", 20000},
                          {"DefAction", 9},
                          {"DispTotal", 5},
                          {"StkNameMax", 300},
                          {"PFBkAlpha", 0x105},
                          {"BoolFlags1", 0x373D3D | 0x8000000},
                          {"MaxThreads", 0},
                          {"TimerAction", 5},
                          {"Dsk_FontColor", kGrey},
                          {"BoolFlags2", 0xFFFFFFFF}}) {
        store().SetInt(S, c.key, c.stored);
    }
    AppSettings s;
    s.timerAction = 3;  // "TimerAction" 5 leaves the action in force
    CErrLog log;
    LoadSettings(store(), s, kGrey, log);
    EXPECT_EQ(s.interval, 90000u);
    EXPECT_EQ(s.defAction, 2);
    EXPECT_EQ(s.dispTotal, 1);
    EXPECT_EQ(s.stkNameMax, 255u);
    EXPECT_EQ(s.pfAlpha, 10);
    EXPECT_TRUE(s.pfTranslucent);
    EXPECT_FALSE(s.pfTransparent);
    EXPECT_EQ(s.boolFlags1 & BF1_MODIFIED, 0u);
    EXPECT_EQ(s.StoredBoolFlags1(), 0x373D3Du);
    EXPECT_EQ(s.maxThreads, 3);
    EXPECT_EQ(s.timerAction, 3);
    EXPECT_EQ(s.dskFontColor, 0x808081u);
    EXPECT_EQ(s.StoredBoolFlags2(), 0x1FFFu);

    store().SetInt(S, "Interval", 20001);
    store().SetInt(S, "MaxThreads", 0xFFFFFFFF);  // -1
    store().SetInt(S, "Dsk_FontColor", 0x0000FF);
    store().SetInt(S, "DispTotal", 20);
    store().SetInt(S, "TimerAction", 2);
    LoadSettings(store(), s, 0x0000FF, log);
    EXPECT_EQ(s.interval, 20001u);
    EXPECT_EQ(s.maxThreads, 3);
    EXPECT_EQ(s.dskFontColor, 0x0000FEu);  // a red byte of 255 moves down
    EXPECT_EQ(s.dispTotal, 20);
    EXPECT_EQ(s.timerAction, 2);
    store().SetInt(S, "MaxThreads", 100000);
    EXPECT_EQ(Load(store()).maxThreads, 25);

    store().SetInt(kSectionStdStock, "ShowMode", 4);
    store().SetInt(kSectionStdStock, "IconIndexMode", 7);
    store().SetInt(kSectionStdStock, "FileFlags", 0xFFFF);
    store().SetInt(kSectionDispTotal, "PerPlusHigh", 1234);
    const AppSettings t = Load(store());
    EXPECT_EQ(t.stdStock.showMode, 0);
    EXPECT_EQ(t.stdStock.iconIndexMode, 2);
    EXPECT_EQ(t.stdStock.fileFlags, 0xF07u);
    EXPECT_EQ(t.totalThresholds.perPlusHigh, 1234u);
}

TEST_P(SettingsStoreSuite, MovedBitsBecomeSwitchesAndComeBack) {
    // Grouping, no company mark and market suffix on; board check on; news check off;
    // price bars off; HTTP/1.0.
    store().SetInt(S, "BoolFlags1", 0x100000 | 0x200000 | 0x400000 | 0x800000 | 0x4 | 0x1);
    store().SetInt(S, "BoolFlags2", 0x2 | 0x4 | 0x80 | 0x10);
    const AppSettings s = Load(store());
    EXPECT_TRUE(s.noAutoUpdateOffline);
    EXPECT_EQ(s.nameOptions, NAMEOPT_DIGIT_GROUPING | NAMEOPT_NO_COMPANY_MARK | NAMEOPT_MARKET_SUFFIX | NAMEOPT_BIT3);
    EXPECT_EQ(s.checkMask, CHECK_BOARD);
    EXPECT_TRUE(s.http10);
    EXPECT_EQ(s.boolFlags1 & kBoolFlags1Moved, 0u);
    EXPECT_EQ(s.boolFlags2, 0x10u);
    // Name option bit 3 on, price bars off, BoolFlags2 bit 4 set: only bit 0 of the derived default.
    EXPECT_EQ(s.itemFlags.other, 0x1u);

    CErrLog log;
    ASSERT_TRUE(SaveSettings(store(), s, log));
    EXPECT_EQ(store().GetInt(S, "BoolFlags1", 0), 0xF00005u);
    EXPECT_EQ(store().GetInt(S, "BoolFlags2", 0), 0x96u);
}

TEST_P(SettingsStoreSuite, EveryKeyRoundTrips) {
    AppSettings s;
    s.defAction = 1;
    s.maxThreads = 7;
    s.interval = 120000;
    s.startTime = {8, 15, 30};
    s.endTime = {23, 59, 58};
    s.alphaVal = 200;
    s.dskFontColor = 0x123456;
    s.dispTotal = 20;
    s.totalThresholds.curPlusHigh = -3 * kYen - 1;
    s.totalThresholds.perMinusHigh = 4321;
    s.totalThresholds.percentFlag = true;
    s.totalArrowMode = 2;
    s.timerAction = 3;
    s.activateTime = 4500;
    s.pfFont = 14;
    s.bkCol = 0x00FF00;
    s.pfAlpha = 99;
    s.pfTranslucent = true;
    s.pfTransparent = true;
    s.checkTimeout = 1000;
    s.receiveTimeout = 2000;
    s.sendTimeout = 3000;
    s.proxyFlags = PROXY_USE | PROXY_AUTH;
    s.proxyServer = "http=http://127.0.0.1:3128";
    s.loginUser = SJIS("利用者");
    s.proxyPassword = SJIS("パス\"word\\表");
    s.calcPath = SJIS("C:\\ツール\\calc.exe");
    s.secUrl = "https://broker.example/account";
    s.arrowType = 2;
    s.arrowDesignFile = SJIS("矢印.bmp");
    s.newBoolean1 = 0x7FF00021;
    s.stkNameMax = 11;
    s.boolFlags1 = 0x02001002 | BF1_MODIFIED | BF1_ONE_SHOT_ACTIVE;
    s.boolFlags2 = BF2_DESKTOP_FONT | 0x1001;
    s.itemFlags = {0x7F3FF, 0x12345, 0x7F};
    s.desktopFont = {-16, 7, 900, 900, 700, 1, 1, 1, 128, 3, 2, 5, 49, SJIS("ＭＳ ゴシック")};
    s.stdStock.fileFlags = 0x703;
    s.stdStock.showMode = 21;
    s.stdStock.dispLower = 100 * kYen;
    s.stdStock.dispUpper = 5000000 * kYen;  // needs the high half
    s.stdStock.desktopTxtMode = 2;
    s.hosts.detail = "127.0.0.1:18080";
    s.hosts.premiumNews = "127.0.0.1:18081";
    s.noAutoUpdateOffline = false;
    s.nameOptions = NAMEOPT_MARKET_SUFFIX | NAMEOPT_PRICE_BARS;
    s.checkMask = CHECK_BOARD | CHECK_NEWS;
    s.http10 = true;
    s.marketCalendar = false;

    CErrLog log;
    ASSERT_TRUE(SaveSettings(store(), s, log));
    // Bits 26 and up of "BoolFlags1" are this run's.
    EXPECT_EQ(store().GetInt(S, "BoolFlags1", 0) & ~kBoolFlags1Stored, 0u);

    auto next = Reopen();
    AppSettings loaded;
    LoadSettings(*next, loaded, kGrey, log);
    AppSettings expected = s;
    expected.boolFlags1 &= kBoolFlags1Stored;
    expected.itemFlags.portfolioText |= 0x2000;  // bit 13 follows bit 12
    EXPECT_EQ(loaded, expected);
    EXPECT_EQ(CurrentSiteHosts().detail, "127.0.0.1:18080");
    SetSiteHosts(SiteHosts());
}

TEST_P(SettingsStoreSuite, SavingFollowsTheWritersRules) {
    AppSettings s;
    s.startTime = {25, 0, 0};
    s.calcPath.clear();
    s.itemFlagsFromFile = true;  // the open file's words are not the application's
    s.itemFlags.other = 0;
    CErrLog log;
    log.SetMaxSize(1500);
    ASSERT_TRUE(SaveSettings(store(), s, log));
    for (const char* key : {"StartHour", "StartMin", "StartSec"}) {
        EXPECT_EQ(store().GetInt(S, key, 0), 0xFFFFFFFFu) << key;
    }
    EXPECT_EQ(store().GetInt(S, "EndMin", 0), 30u);
    EXPECT_EQ(store().GetString(S, "CalcPath", ""), "Calc.EXE");
    EXPECT_EQ(store().GetInt(S, "OtherItemFlags", 99), 99u);
    EXPECT_EQ(store().GetInt(S, "LogMaxSize", 0), 2u);
    // Without the desktop font switch only a zero height is written.
    EXPECT_EQ(store().GetInt(S, "Dsk_Font", 1), 0u);
    EXPECT_EQ(store().GetInt(S, "Dsk_FntWe", 77), 77u);
    EXPECT_EQ(Load(store()).startTime, (DayTime{-1, -1, -1}));
}

TEST_P(SettingsStoreSuite, DesktopFontKeys) {
    // An older height alone turns the font on and picks the colour for the desktop.
    store().SetInt(S, "Dsk_Font", static_cast<std::uint32_t>(-13));
    store().SetInt(S, "Dsk_FntWe", 700);
    store().SetInt(S, "Dsk_FontColor", 0x0000FF);
    AppSettings s = Load(store(), 0xFFFFFF);
    EXPECT_TRUE(s.DesktopFontInForce());
    EXPECT_EQ(s.desktopFont.height, -13);
    EXPECT_EQ(s.desktopFont.weight, 0);
    EXPECT_EQ(s.dskFontColor, 0u);

    store().SetInt(S, "BoolFlags2", BF2_DESKTOP_FONT);
    store().SetString(S, "Dsk_FntFN", std::string(22, 'A') + SJIS("ゴシック体"));
    s = Load(store());
    EXPECT_EQ(s.desktopFont.weight, 700);
    // 31 bytes at most, and no half of a double-byte character.
    EXPECT_EQ(s.desktopFont.faceName, std::string(22, 'A') + SJIS("ゴシック"));

    store().SetInt(S, "Dsk_Font", 0);  // font keys in force but no height: the system font stays
    AppSettings fresh;
    fresh.desktopFont.faceName = "System";
    CErrLog log;
    LoadSettings(store(), fresh, kGrey, log);
    EXPECT_EQ(fresh.desktopFont.faceName, "System");
    EXPECT_EQ(fresh.desktopFont.weight, 0);
}

TEST_P(SettingsStoreSuite, LogKeys) {
    CErrLog log;
    store().SetInt(S, "LogMaxSize", 1);
    store().SetInt(S, "LogNoOfFiles", 1);
    store().SetInt(S, "LogCurNo", 12);
    store().SetInt(S, "LogLevel", 6);
    LoadLogSettings(store(), log);
    EXPECT_EQ(log.MaxSize(), 512000u);
    EXPECT_EQ(log.FileCount(), 10u);
    EXPECT_EQ(log.CurrentNumber(), 0u);
    EXPECT_EQ(log.ConfiguredLevel(), 0);
    std::string temp;
    ASSERT_TRUE(GetTempFolder(temp));
    EXPECT_EQ(log.LogPath(), temp + "Quotrix.log");
    EXPECT_EQ(log.CurrentPath(), temp + "Quotrix0000.log");

    const std::string folder = temp + SJIS("ログ") + kPathSeparator;
    store().SetInt(S, "LogMaxSize", 2);
    store().SetInt(S, "LogNoOfFiles", 20);
    store().SetInt(S, "LogCurNo", 12);
    store().SetInt(S, "LogLevel", 5);
    store().SetString(S, "LogPath", folder + "my.");
    LoadLogSettings(store(), log);
    EXPECT_EQ(log.MaxSize(), 2048u);
    EXPECT_EQ(log.FileCount(), 20u);
    EXPECT_EQ(log.CurrentPath(), folder + "my0012.log");
    EXPECT_EQ(log.Threshold(), 3);

    // Levels above 2 last one run.
    LimitLogLevelAfterStartup(store(), log);
    EXPECT_EQ(store().GetInt(S, "LogLevel", 0), 2u);
    EXPECT_EQ(log.Threshold(), 1);
    ASSERT_TRUE(ChangeLogLevel(store(), log, 1));
    LimitLogLevelAfterStartup(store(), log);
    EXPECT_EQ(store().GetInt(S, "LogLevel", 0), 1u);
    ASSERT_TRUE(SaveLogFileNumber(store(), log));
    EXPECT_EQ(Reopen()->GetInt(S, "LogCurNo", 0), 12u);

    // The largest size in KiB does not wrap round in bytes.
    store().SetInt(S, "LogMaxSize", 0x7FFFFFFF);
    LoadLogSettings(store(), log);
    EXPECT_EQ(log.MaxSize(), 0xFFFFFFFFu);
    AppSettings s;
    ASSERT_TRUE(SaveSettings(store(), s, log));
    EXPECT_EQ(store().GetInt(S, "LogMaxSize", 0), 4194304u);
    EXPECT_EQ(store().GetString(S, "LogPath", ""), folder + "my.log");
}

TEST_P(SettingsStoreSuite, ProxyPassword) {
    AppSettings s;
    s.proxyPassword = "se(ret";
    CErrLog log;
    ASSERT_TRUE(SaveSettings(store(), s, log));
    EXPECT_EQ(Load(*Reopen()).proxyPassword, "se(ret");
    // Older settings hold it as plain text.
    store().SetString(S, "IndexData", "plain-old");
    EXPECT_EQ(Load(store()).proxyPassword, "plain-old");
    // A protected value that cannot be opened gives no password rather than its bytes.
    store().SetString(S, "IndexData", std::string(kProtectedPrefix) + "AAAA");
    EXPECT_EQ(Load(store()).proxyPassword, "");
    store().SetString(S, "IndexData", "");
    EXPECT_EQ(Load(store()).proxyPassword, "");
}

TEST_P(SettingsStoreSuite, LastFileAndHosts) {
    EXPECT_EQ(ReadLastest(store()), "");
    ASSERT_TRUE(WriteLastest(store(), SJIS("C:\\データ\\株.quotrix")));
    EXPECT_EQ(ReadLastest(*Reopen()), SJIS("C:\\データ\\株.quotrix"));
    EXPECT_EQ(store().GetString(S, "Lastest", ""), SJIS("C:\\データ\\株.quotrix"));

    // The release file may live elsewhere (a mirror, a test server); anything but a web address
    // keeps the publisher's.
    EXPECT_EQ(ReadReleaseFileUrl(store()), DefaultReleaseFileUrl());
    store().SetString(S, "ReleaseFileUrl", "http://127.0.0.1:8080/quotrix/release.txt");
    EXPECT_EQ(ReadReleaseFileUrl(*Reopen()), "http://127.0.0.1:8080/quotrix/release.txt");
    store().SetString(S, "ReleaseFileUrl", "file:///etc/passwd");
    EXPECT_EQ(ReadReleaseFileUrl(store()), DefaultReleaseFileUrl());

    store().SetString(S, "HostBoard", "127.0.0.1:9");
    store().SetString(S, "HostNews", "");  // an empty host keeps the built-in one
    const AppSettings s = Load(store());
    EXPECT_EQ(s.hosts.board, "127.0.0.1:9");
    EXPECT_EQ(s.hosts.news, SiteHosts().news);
    EXPECT_EQ(CurrentSiteHosts().board, "127.0.0.1:9");
    SetSiteHosts(SiteHosts());
}

// The memory store: one store shared by every handle.
class ForwardingStore : public SettingsStore {
  public:
    explicit ForwardingStore(std::shared_ptr<SettingsStore> target) : target_(std::move(target)) {}
    std::uint32_t GetInt(std::string_view section, std::string_view key, std::uint32_t defaultValue) override {
        return target_->GetInt(section, key, defaultValue);
    }
    std::string GetString(std::string_view section, std::string_view key, const std::string& defaultValue) override {
        return target_->GetString(section, key, defaultValue);
    }
    bool SetInt(std::string_view section, std::string_view key, std::uint32_t value) override {
        return target_->SetInt(section, key, value);
    }
    bool SetString(std::string_view section, std::string_view key, const std::string& value) override {
        return target_->SetString(section, key, value);
    }

  private:
    std::shared_ptr<SettingsStore> target_;
};

class MemoryPlace : public TestStorePlace {
  public:
    std::unique_ptr<SettingsStore> Open() override { return std::make_unique<ForwardingStore>(store_); }

  private:
    std::shared_ptr<SettingsStore> store_ = std::make_shared<MemorySettingsStore>();
};

INSTANTIATE_TEST_SUITE_P(Memory, SettingsStoreSuite,
                         testing::Values(StoreKind{"Memory", [] { return std::make_unique<MemoryPlace>(); }}),
                         StoreKindName);

}  // namespace
}  // namespace quotrix
