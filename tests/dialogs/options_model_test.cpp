#include "dialogs/OptionsModel.h"

#include <gtest/gtest.h>

#include "platform/TextCodec.h"

namespace quotrix {
namespace {

// Every check box of every page: ticking it changes exactly its bit, in the right sense, and the
// page's Store carries that bit into the live state.
struct PageBoxes {
    const char* page;
    std::span<const FlagBox> boxes;
};

std::uint64_t Fingerprint(const OptionsState& s) {
    const AppSettings& a = s.settings;
    std::uint64_t h = 0;
    for (std::uint64_t v :
         {std::uint64_t{a.boolFlags1}, std::uint64_t{a.boolFlags2}, std::uint64_t{a.newBoolean1},
          std::uint64_t{a.nameOptions}, std::uint64_t{a.checkMask}, std::uint64_t{a.itemFlags.other},
          std::uint64_t{s.cashSwitches}, std::uint64_t{a.proxyFlags}, std::uint64_t{a.noAutoUpdateOffline},
          std::uint64_t{a.http10}, std::uint64_t{a.marketCalendar}})
        h = h * 0x100000001B3ull ^ v;
    return h;
}

TEST(OptionsFlagBoxes, EachBoxTogglesItsOwnBitInItsSense) {
    const PageBoxes pages[] = {
        {"check", OptCheckModel::Boxes()},         {"link", OptLinkModel::Boxes()},
        {"items", OptDispItemModel::Boxes()},      {"form", OptFormModel::Boxes()},
        {"icon", OptIconModel::Boxes()},           {"desktop", OptDesktopModel::Boxes()},
        {"portfolio", OptPortfolioModel::Boxes()}, {"other", OptOtherModel::Boxes()},
        {"detail", OptDetailModel::Boxes()},
    };
    for (const PageBoxes& page : pages) {
        for (const FlagBox& box : page.boxes) {
            SCOPED_TRACE(std::string(page.page) + ": " + box.label);
            OptionsState state;
            SetFlagBox(state, box, false);
            EXPECT_FALSE(FlagBoxChecked(state, box));
            const std::uint64_t off = Fingerprint(state);
            SetFlagBox(state, box, true);
            EXPECT_TRUE(FlagBoxChecked(state, box));
            EXPECT_NE(off, Fingerprint(state));
            // The inverted boxes set their bit when not ticked.
            OptionsState probe = state;
            SetFlagBox(probe, box, false);
            OptionsState copy;
            CopyFlagBox(state, copy, box);
            EXPECT_TRUE(FlagBoxChecked(copy, box));
            CopyFlagBox(probe, copy, box);
            EXPECT_FALSE(FlagBoxChecked(copy, box));
        }
    }
}

// The contract of the pages' boxes: word, bit, inversion.
TEST(OptionsFlagBoxes, TheInvertedBitsAreSetWhenNotTicked) {
    struct Expect {
        std::span<const FlagBox> boxes;
        std::size_t index;
        std::uint32_t AppSettings::*word;
        std::uint32_t bit;
    };
    const Expect cases[] = {
        {OptLinkModel::Boxes(), 0, &AppSettings::newBoolean1, 0x20},
        {OptLinkModel::Boxes(), 1, &AppSettings::newBoolean1, 0x20000000},
        {OptLinkModel::Boxes(), 2, &AppSettings::newBoolean1, 0x40000000},
        {OptFormModel::Boxes(), 5, &AppSettings::boolFlags2, 0x0008},
        {OptFormModel::Boxes(), 6, &AppSettings::boolFlags2, 0x0400},
        {OptFormModel::Boxes(), 7, &AppSettings::boolFlags2, 0x0800},
        {OptDesktopModel::Boxes(), 4, &AppSettings::boolFlags2, 0x0040},
        {OptPortfolioModel::Boxes(), 8, &AppSettings::boolFlags2, 0x0020},
        {OptPortfolioModel::Boxes(), 9, &AppSettings::newBoolean1, 0x08},
        {OptPortfolioModel::Boxes(), 10, &AppSettings::newBoolean1, 0x10},
        {OptOtherModel::Boxes(), 4, &AppSettings::boolFlags2, 0x0100},
    };
    for (const Expect& e : cases) {
        const FlagBox& box = e.boxes[e.index];
        SCOPED_TRACE(box.label);
        OptionsState state;
        SetFlagBox(state, box, false);
        EXPECT_EQ(state.settings.*e.word & e.bit, e.bit);
        SetFlagBox(state, box, true);
        EXPECT_EQ(state.settings.*e.word & e.bit, 0u);
    }
}

TEST(OptionsFlagBoxes, PagesStoreOnlyTheirOwnSettings) {
    OptionsState live;
    live.settings.stkNameMax = 9;
    OptCheckModel check;
    check.Load(live);
    check.work.settings.stkNameMax = 200;  // not the check page's: must not travel
    ASSERT_FALSE(check.SetTexts("45", "5"));
    SetFlagBox(check.work, OptCheckModel::Boxes()[5], false);
    check.work.settings.startTime = {8, 15, 0};
    check.Store(live);
    EXPECT_EQ(live.settings.interval, 45000u);
    EXPECT_EQ(live.settings.maxThreads, 5);
    EXPECT_FALSE(live.settings.marketCalendar);
    EXPECT_EQ(live.settings.startTime, (DayTime{8, 15, 0}));
    EXPECT_EQ(live.settings.stkNameMax, 9u);
}

TEST(OptionsRanges, RefusesOutsideTheLimitsWithTheRangeMessage) {
    OptCheckModel check;
    check.Load(OptionsState{});
    auto problem = check.SetTexts("29", "3");
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, OptCheckModel::FIELD_INTERVAL);
    EXPECT_EQ(problem->message, SJIS("30 から 10000 までの整数を入力してください。"));
    EXPECT_EQ(check.work.settings.interval, 90000u);
    EXPECT_FALSE(check.SetTexts("30", "3"));
    EXPECT_EQ(check.work.settings.interval, 30000u);
    EXPECT_TRUE(check.SetTexts("10001", "3"));
    EXPECT_FALSE(check.SetTexts("10000", "25"));

    problem = check.SetTexts("60", "26");
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, OptCheckModel::FIELD_THREADS);
    EXPECT_EQ(problem->message, SJIS("1 から 25 までの整数を入力してください。"));
    EXPECT_TRUE(check.SetTexts("60", "0"));
    problem = check.SetTexts("abc", "3");
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->message, SJIS("正の整数を入力してください。"));
    EXPECT_EQ(check.work.settings.maxThreads, 25);  // nothing taken from refused texts

    OptFormModel form;
    form.Load(OptionsState{});
    problem = form.SetNameMaxText("0");
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->message, SJIS("1 から 255 までの整数を入力してください。"));
    EXPECT_TRUE(form.SetNameMaxText("256"));
    EXPECT_FALSE(form.SetNameMaxText("255"));
    EXPECT_EQ(form.work.settings.stkNameMax, 255u);
}

TEST(OptionsBrokerage, AddressesAreNormalisedAsTyped) {
    EXPECT_EQ(NormalizeBrokerageUrl("www.example.co.jp/account"), "http://www.example.co.jp/account");
    EXPECT_EQ(NormalizeBrokerageUrl("http://a"), "");  // exactly 8 characters with the scheme word
    EXPECT_EQ(NormalizeBrokerageUrl("http://ab"), "http://ab");
    EXPECT_EQ(NormalizeBrokerageUrl("https://bank.example/"), "https://bank.example/");
    EXPECT_EQ(NormalizeBrokerageUrl("ftp://x"), "ftp://x");
    EXPECT_EQ(NormalizeBrokerageUrl("ftp://"), "");
    EXPECT_EQ(NormalizeBrokerageUrl("abc"), "");
    EXPECT_EQ(NormalizeBrokerageUrl(""), "");
    EXPECT_EQ(NormalizeBrokerageUrl("abcd"), "http://abcd");

    OptionsState live;
    OptLinkModel link;
    link.Load(live);
    link.brokerageText = "sec.example.jp";
    link.SetPageIndex(15);
    link.SetBoardFirst(true);
    link.Store(live);
    EXPECT_EQ(live.settings.secUrl, "http://sec.example.jp");
    EXPECT_EQ(live.settings.newBoolean1 & OptLinkModel::kPageMask, 15u << 20);
    EXPECT_NE(live.settings.newBoolean1 & 0x10000000, 0u);
    link.SetPageIndex(16);  // beyond the list: ignored
    EXPECT_EQ(link.PageIndex(), 15);
}

TEST(OptionsTotalIcon, UnitSwitchConvertsWithTheTotal) {
    // At a total of 10 yen the basis is 100 yen.
    EXPECT_EQ(PercentStepToYen(1000, 10 * kYen), 10 * kYen);
    EXPECT_EQ(YenStepToPercent(10 * kYen, 10 * kYen), 1000u);
    EXPECT_EQ(YenStepToPercent(5 * kYen, 0), 500u);
    // 11 yen is a real basis; a step above the total caps at 100 %.
    EXPECT_EQ(YenStepToPercent(20 * kYen, 11 * kYen), 10000u);
    // A realistic total: 1,234,567 yen; 5 % is 61,728.35 yen, rounded to 61,728; back it is
    // 0.049999... truncated to four decimals: 4.99 %.
    const PriceValue total = 1234567 * kYen + 4000;  // rounds down to 1,234,567
    EXPECT_EQ(PercentStepToYen(500, total), 61728 * kYen);
    EXPECT_EQ(YenStepToPercent(61728 * kYen, total), 499u);
    // Half a yen rounds up.
    EXPECT_EQ(PercentStepToYen(50, 1000 * kYen), 5 * kYen);
    EXPECT_EQ(PercentStepToYen(5, 1000 * kYen), 1 * kYen);  // 0.5 yen -> 1

    OptionsState live;
    live.totalAmount = 200000 * kYen;
    OptIconModel icon;
    icon.Load(live);
    icon.LoadStandard();
    EXPECT_TRUE(icon.Percent());
    icon.SetPercent(false);
    EXPECT_EQ(icon.StepTexts()[0], "20000");
    EXPECT_EQ(icon.StepTexts()[1], "10000");
    EXPECT_EQ(icon.UnitText(0), SJIS("円上昇"));
    EXPECT_EQ(icon.UnitText(3), SJIS("円低下"));
    EXPECT_TRUE(icon.SetStepTexts({"3000", "6000", "1000", "-"}));
    ASSERT_FALSE(icon.SetStepTexts({"3000", "6000", "1000", "2000"}));
    icon.SetPercent(true);
    EXPECT_EQ(icon.StepTexts()[0], "1.5");
    icon.SetProfitBasis(true);
    icon.SetTrayShown(false);
    icon.Store(live);
    // Pairs are sorted: the larger rise is the high step.
    EXPECT_EQ(live.settings.totalThresholds.perPlusHigh, 300u);
    EXPECT_EQ(live.settings.totalThresholds.perPlusLow, 150u);
    EXPECT_EQ(live.settings.totalThresholds.curPlusHigh, 6000 * kYen);
    EXPECT_TRUE(live.settings.totalThresholds.percentFlag);
    EXPECT_EQ(live.settings.totalArrowMode & 2u, 2u);
    EXPECT_EQ(live.settings.dispTotal, 0u);
}

TEST(OptionsSkin, ChoicesGiveTheSkinCodes) {
    OptSkinModel skin;
    skin.Load(2, "a.bmp");
    EXPECT_EQ(skin.choice(), OptSkinModel::SKIN_BORDERED);
    EXPECT_TRUE(skin.monochrome);
    EXPECT_EQ(skin.ArrowType(), 2);
    skin.monochrome = false;
    EXPECT_EQ(skin.ArrowType(), 1);
    skin.SetChoice(OptSkinModel::SKIN_USER);
    EXPECT_TRUE(skin.FileEnabled());
    EXPECT_FALSE(skin.MonochromeEnabled());
    EXPECT_EQ(skin.ArrowType(), 3);
    skin.SetChoice(OptSkinModel::SKIN_PLAIN);
    EXPECT_EQ(skin.ArrowType(), 0);
}

TEST(OptionsPortfolio, AlphaClampFontSizesAndIdleAction) {
    OptionsState live;
    OptPortfolioModel page;
    page.Load(live);
    page.SetTranslucent(true);
    page.SetAlpha(3);
    EXPECT_EQ(page.StoredAlpha(), 10u);
    page.SetAlpha(400);
    EXPECT_EQ(page.StoredAlpha(), 255u);
    page.SetAlpha(77);
    page.SetTranslucent(false);
    EXPECT_EQ(page.StoredAlpha(), 255u);  // opaque while translucency is off
    page.SetTranslucent(true);

    EXPECT_EQ(page.FontSizeIndex(), 2);
    page.SetFontSizeIndex(0);
    EXPECT_EQ(page.work.settings.pfFont, 18u);

    EXPECT_EQ(page.MouseBoxCaption(), SJIS("マウスイベントで、自動ロールダウン(&A)"));
    page.SetIdleAction(3);
    EXPECT_EQ(page.MouseBoxCaption(), SJIS("マウスイベントで最前面に自動移動(&A)"));
    page.SetIdleAction(7);
    EXPECT_EQ(page.work.settings.timerAction, 3u);
    EXPECT_TRUE(page.SetIdleTimeText("0"));
    EXPECT_FALSE(page.SetIdleTimeText("5"));

    EXPECT_TRUE(page.LastPlace());
    page.SetLastPlace(false);
    page.Store(live);
    EXPECT_EQ(live.settings.newBoolean1 & 0xC0, 0x80u);
    EXPECT_EQ(live.settings.pfAlpha, 77u);
    EXPECT_EQ(live.settings.pfFont, 18u);
    EXPECT_EQ(live.settings.activateTime, 5000u);
    page.SetLastPlace(true);
    page.Store(live);
    EXPECT_EQ(live.settings.newBoolean1 & 0xC0, 0u);
}

TEST(OptionsOther, ClearedBalanceMarksTheFileModified) {
    OptionsState live;
    live.cashBalance = 1500 * kYen;
    live.cashSwitches = CASH_MANAGED;
    OptOtherModel other;
    other.Load(live);
    EXPECT_TRUE(other.BalanceEnabled());
    EXPECT_EQ(other.BalanceText(true), "1,500");
    other.Store(live);
    EXPECT_EQ(live.settings.boolFlags1 & BF1_MODIFIED, 0u);  // unchanged balance: nothing to save
    other.ClearBalance();
    other.Store(live);
    EXPECT_EQ(live.cashBalance, 0);
    EXPECT_NE(live.settings.boolFlags1 & BF1_MODIFIED, 0u);
}

TEST(OptionsItems, ListsEditTheirWordsAndTheStorageChoice) {
    OptionsState live;
    live.settings.itemFlags = {0x0C3F, 0x0C3F, 0x53};
    live.commonItems = {0x1, 0x2, 0x3};
    OptDispItemModel items;
    items.Load(live, true);
    EXPECT_FALSE(items.inFile);
    // Row 0 is the file name, in "OtherItemFlags" bit 5; row 8 the target price, whose
    // distance column follows it.
    items.SetPortfolioItem(0, true);
    items.SetPortfolioItem(8, true);
    items.SetTipItem(1, false);  // the update status, tip bit 2
    items.inFile = true;
    items.Store(live);
    EXPECT_EQ(live.settings.itemFlags.other & 0x20, 0x20u);
    EXPECT_EQ(live.settings.itemFlags.portfolioText & 0x3000, 0x3000u);
    EXPECT_EQ(live.settings.itemFlags.tipText & 0x4, 0u);
    EXPECT_TRUE(live.settings.itemFlagsFromFile);
    EXPECT_EQ(live.commonItems, (ItemFlags{0x1, 0x2, 0x3}));  // the store's words stay

    items.LoadCommon();
    EXPECT_TRUE(items.PortfolioItem(2));  // name: bit 0 of the common word
    items.inFile = false;
    items.Store(live);
    EXPECT_FALSE(live.settings.itemFlagsFromFile);
    EXPECT_EQ(live.settings.itemFlags.portfolioText, 0x1u);

    // Without an open file the file choice cannot be kept.
    OptDispItemModel noFile;
    noFile.Load(live, false);
    noFile.inFile = true;
    noFile.Store(live);
    EXPECT_FALSE(live.settings.itemFlagsFromFile);
}

TEST(OptionsDetail, TimeoutsProxyAndDefaults) {
    OptionsState live;
    live.defaultLogPath = "C:\\temp\\Quotrix.log";
    live.logPath = "D:\\logs\\Quotrix.log";
    live.settings.receiveTimeout = 1500;
    OptDetailModel detail;
    detail.Load(live);
    EXPECT_FALSE(detail.TimeoutUsed(0));
    EXPECT_TRUE(detail.TimeoutUsed(1));
    EXPECT_EQ(detail.TimeoutText(1), "2");
    detail.SetTimeoutUsed(0, true);
    auto problem = detail.SetTimeoutTexts({"0", "2", "junk"});  // the unused send box is not read
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, OptDetailModel::FIELD_CONNECT);
    ASSERT_FALSE(detail.SetTimeoutTexts({"20", "2", "junk"}));
    detail.work.logPath.clear();
    detail.work.settings.calcPath.clear();
    detail.Store(live);
    EXPECT_EQ(live.settings.checkTimeout, 20000u);
    EXPECT_EQ(live.settings.receiveTimeout, 2000u);
    EXPECT_EQ(live.settings.sendTimeout, 0u);
    EXPECT_EQ(live.logPath, live.defaultLogPath);  // an empty folder becomes the default
    EXPECT_EQ(live.settings.calcPath, "Calc.EXE");

    detail.work.settings.calcPath = "x.exe";
    detail.work.logLevel = 4;
    detail.RestoreDefaults();
    EXPECT_EQ(detail.work.settings.calcPath, "Calc.EXE");
    EXPECT_EQ(detail.work.logPath, live.defaultLogPath);
    EXPECT_FALSE(detail.TimeoutUsed(0));

    OptProxyModel proxy;
    proxy.Load(live.settings);
    EXPECT_EQ(proxy.address, "localhost");
    EXPECT_EQ(proxy.port, 8080u);
    EXPECT_TRUE(proxy.SetPortText("70000"));
    ASSERT_FALSE(proxy.SetPortText("3128"));
    proxy.address = "proxy.example";
    proxy.login = true;
    proxy.user = "u";
    proxy.password = "p";
    proxy.Store(live.settings);
    EXPECT_EQ(live.settings.proxyServer, "http=http://proxy.example:3128");
    EXPECT_TRUE(live.settings.ProxyNeedsLogin());
    OptProxyModel again;
    again.Load(live.settings);
    EXPECT_EQ(again.address, "proxy.example");
    EXPECT_EQ(again.port, 3128u);
    EXPECT_EQ(again.password, "p");
}

TEST(OptionsDesktop, FontChangeIsNoticed) {
    OptionsState live;
    OptDesktopModel desk;
    desk.Load(live);
    EXPECT_FALSE(desk.FontChanged(live));
    DesktopFont font;
    font.height = -14;
    font.faceName = std::string(40, 'A');
    desk.SetFont(font, 0x12345678);
    EXPECT_EQ(desk.work.settings.desktopFont.faceName.size(), kFaceNameMax);
    EXPECT_EQ(desk.work.settings.dskFontColor, 0x345678u);
    EXPECT_TRUE(desk.FontChanged(live));
    desk.work.settings.alphaVal = 99;
    desk.Store(live);
    EXPECT_FALSE(desk.FontChanged(live));
    EXPECT_EQ(live.settings.alphaVal, 99u);
}

}  // namespace
}  // namespace quotrix
