#include "app/DisplayTexts.h"

#include <gtest/gtest.h>

#include "model/StockMan.h"
#include "platform/TextCodec.h"
#include "settings/AppSettings.h"

namespace quotrix {
namespace {

// Texts are Shift-JIS in memory; the expectations are written in UTF-8.
std::string U(const std::string& sjis) { return SjisToUtf8(sjis); }
std::string S(const char* utf8) { return Utf8ToSjis(utf8); }

struct Toyota : CStockMan {
    Toyota() : CStockMan("7203.t", Utf8ToSjis("トヨタ自動車(株)")) {
        status = STATUS_UPDATED;
        updateTime = "15:00";
        prevClose = 29000000;  // 2900 yen
        price = 29500000;
        change = 500000;
        open = 29100000;
        high = 29600000;
        low = 28950000;
        volume = 1234567;
    }
};

CStockTipCtrl TipCtrl() {
    CStockTipCtrl ctrl;
    ctrl.options = DisplayOptions{};
    return ctrl;
}

TEST(BuildStockTexts, StockWithoutAQuoteShowsCodeAndWaitingSuffix) {
    CStockTipCtrl ctrl = TipCtrl();
    CStockMan s("7203.t");
    s.displayFlag = 0;
    const std::string& tray = ctrl.BuildStockTexts(s);
    EXPECT_EQ(U(tray), "7203.T  - データ取得待ち");
    EXPECT_EQ(s.displayStrings[DISPLAY_TIP_TEXT], tray);
    EXPECT_EQ(s.displayStrings[DISPLAY_DESKTOP_TEXT], tray);
    EXPECT_EQ(s.arrowImage, IMG_ARROW_NO_QUOTE);
    EXPECT_EQ(s.displayFlag & DISPFLAG_TEXTS_CHANGED, DISPFLAG_TEXTS_CHANGED);
    // A currency pair has no market suffix; a failed first fetch says so.
    CStockMan fx("usd");
    fx.status = STATUS_FAILED;
    EXPECT_EQ(U(ctrl.BuildStockTexts(fx)), "USDJPY=X  - 更新失敗");
}

TEST(BuildStockTexts, QuotedStockWithDefaultFlags) {
    CStockTipCtrl ctrl = TipCtrl();
    Toyota s;
    EXPECT_EQ(U(ctrl.BuildStockTexts(s)), "トヨタ自動車 15:00 2,950 (+50  +1.72%)\n 出来高 1,234,567");
    EXPECT_EQ(U(s.valueTexts[TEXT_NAME].text), "トヨタ自動車");
    EXPECT_EQ(s.valueTexts[TEXT_CODE].text, "7203.T");
    EXPECT_EQ(s.valueTexts[TEXT_CHANGE].text, "(+50  +1.72%)");
    EXPECT_EQ(s.valueTexts[TEXT_CHANGE].fractionLength, 9);  // after "+50"
    EXPECT_EQ(s.valueTexts[TEXT_LOW].text, "2,895");
    EXPECT_TRUE(s.valueTexts[TEXT_PROFIT].text.empty());
    EXPECT_TRUE(s.valueTexts[TEXT_DIVIDEND].text.empty());
    EXPECT_EQ(s.arrowImage, IMG_ARROW_LARGE_RISE);
    EXPECT_EQ(s.displayWord & DISPWORD_FALLING, 0);
    // Code, time, status (none), the price line and the volume line.
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TIP_TEXT]),
              "トヨタ自動車 (7203.T) 15:00 \r\n株   価: 2,950 +50  +1.72%\r\n出来高: 1,234,567");
    // Desktop flags 13: name, price, bracketed change.
    EXPECT_EQ(U(s.displayStrings[DISPLAY_DESKTOP_TEXT]), "トヨタ自動車 2,950(+50  +1.72%)");

    // A status kind beside the quote is appended to the tray tip.
    s.status = STATUS_UPDATED | STATUS_OUT_OF_HOURS;
    s.change = -500000;
    ctrl.options.otherItemFlags = 0;
    ctrl.options.nameOptions = 0;  // no grouping, company mark kept
    EXPECT_EQ(U(ctrl.BuildStockTexts(s)), "トヨタ自動車(株) 15:00 2950 (-50  -1.72%) - 待機中");
    EXPECT_NE(s.displayWord & DISPWORD_FALLING, 0);
    EXPECT_TRUE(s.valueTexts[TEXT_CHANGE].negative);
}

TEST(BuildStockTexts, HoldingsProfitMarksAndTrayParts) {
    CStockTipCtrl ctrl = TipCtrl();
    ctrl.options.otherItemFlags = 0x3;  // volume and profit on the tray tip
    Toyota s;
    s.shares = 100;
    s.cost = 3000000000;  // 300,000 yen: 3000 yen a share
    s.tradeMode = TRADE_MARGIN_BUY;
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(s.valueTexts[TEXT_PROFIT].text, "-5,000 (-1.67%)");
    EXPECT_TRUE(s.valueTexts[TEXT_PROFIT].negative);
    EXPECT_NE(s.displayWord & DISPWORD_LOSS, 0);
    EXPECT_EQ(U(s.valueTexts[TEXT_TRADE_MARK].text), "信買");
    EXPECT_EQ(s.valueTexts[TEXT_SHARES].text, "100");
    EXPECT_EQ(s.valueTexts[TEXT_AVERAGE].text, "3,000");
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TRAY_TIP]),
              "トヨタ自動車 15:00 2,950 (+50  +1.72%)\n 損益-5,000 (-1.67%) 出来高 1,234,567");
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TIP_TEXT]),
              "トヨタ自動車 (7203.T) 15:00 信買\r\n株   価: 2,950 +50  +1.72%\r\n出来高: 1,234,567"
              "\r\n損   益: -5,000 (-1.67%)\r\n株   数: 100\r\n取引単価: 3,000");
    EXPECT_EQ(U(s.displayStrings[DISPLAY_DESKTOP_TEXT]), "トヨタ自動車 2,950(+50  +1.72%) 信買");

    // A margin sell profits from the fall below the trade price; no volume leaves only the profit.
    s.tradeMode = TRADE_MARGIN_SELL;
    s.volume = 0;
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(s.valueTexts[TEXT_PROFIT].text, "+5,000 (+1.67%)");
    EXPECT_EQ(s.displayWord & DISPWORD_LOSS, 0);
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TRAY_TIP]), "トヨタ自動車 15:00 2,950 (+50  +1.72%)\n 損益+5,000 (+1.67%)");

    // BoolFlags2 0x8 drops the trade-kind mark; selling the holding clears every holding text.
    ctrl.options.boolFlags2 |= 0x8;
    ctrl.BuildStockTexts(s);
    EXPECT_TRUE(s.valueTexts[TEXT_TRADE_MARK].text.empty());
    s.shares = 0;
    ctrl.BuildStockTexts(s);
    EXPECT_TRUE(s.valueTexts[TEXT_PROFIT].text.empty());
    EXPECT_TRUE(s.valueTexts[TEXT_SHARES].text.empty());
    EXPECT_TRUE(s.valueTexts[TEXT_AVERAGE].text.empty());
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TRAY_TIP]), "トヨタ自動車 15:00 2,950 (+50  +1.72%)");
}

TEST(BuildStockTexts, CompanyMarkRemoval) {
    CStockTipCtrl ctrl = TipCtrl();
    Toyota s;
    s.name = S("ソニーグループ（株）");
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(U(s.valueTexts[TEXT_NAME].text), "ソニーグループ");
    s.name = S("（株）東海(株)");
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(U(s.valueTexts[TEXT_NAME].text), "東海(株)");
    s.name = S("東海(株)（株）");
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(U(s.valueTexts[TEXT_NAME].text), "東海（株）");
    // "ア" is 0x83 0x41 and "i" 0x69: the wide mark's 0x81 0x69 must not be found across them.
    s.name = S("アi");
    const std::string before = s.name;
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(s.valueTexts[TEXT_NAME].text, before);
}

TEST(BuildStockTexts, ShortNamesKeepWholeDoubleByteCharacters) {
    CStockTipCtrl ctrl = TipCtrl();
    ctrl.options.newBoolean1 = 0x2;
    ctrl.options.stkNameMax = 3;
    Toyota s;
    s.name = S("三菱ＵＦＪフィナ");  // eight double-byte characters
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(U(s.valueTexts[TEXT_NAME].text), "三菱Ｕ...");
    // The tip and desktop texts keep the full name; the tray tip only with bit 2.
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TIP_TEXT]).rfind("三菱ＵＦＪフィナ ", 0), 0u);
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TRAY_TIP]).rfind("三菱ＵＦＪフィナ ", 0), 0u);
    ctrl.options.newBoolean1 = 0x4;
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TRAY_TIP]).rfind("三菱Ｕ... ", 0), 0u);
    EXPECT_EQ(U(s.valueTexts[TEXT_NAME].text), "三菱ＵＦＪフィナ");

    // The fourth character would end at byte 7: five bytes are kept.
    ctrl.options.newBoolean1 = 0x2;
    s.name = S("AＢＣＤＥ");
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(U(s.valueTexts[TEXT_NAME].text), "AＢＣ...");
    // A name within the limit is not cut; the market suffix follows both names.
    ctrl.options.nameOptions |= 0x4;
    s.name = S("ＡＢ");
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(U(s.valueTexts[TEXT_NAME].text), "ＡＢ.T");
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TIP_TEXT]).rfind("ＡＢ.T ", 0), 0u);
}

TEST(BuildStockTexts, ChangePercentVariants) {
    CStockTipCtrl ctrl = TipCtrl();
    Toyota s;
    s.prevClose = 0;
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(s.valueTexts[TEXT_CHANGE].text, "(+50    ---%)");
    s.prevClose = -10000;
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(s.valueTexts[TEXT_CHANGE].text, "(+50    ---%)");
    ctrl.options.boolFlags2 |= 0x800;
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(s.valueTexts[TEXT_CHANGE].text, "(+50)");
}

TEST(BuildStockTexts, TipTextLinesAndValueRecords) {
    CStockTipCtrl ctrl = TipCtrl();
    Toyota s;
    ctrl.options.tipTextFlags = 0;
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TIP_TEXT]), "トヨタ自動車 ");

    s.dividendYield = 2.5;
    s.per = 10.25;
    s.pbr = -0.5;
    s.eps = 1234500;
    s.targetPrice = 30000000;
    s.fileFlags |= 0x100;                 // shows a target
    ctrl.options.tipTextFlags = 0x3FFC0;  // previous close .. PBR, with the unused bits 13 and 18
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(s.valueTexts[TEXT_TARGET_DISTANCE].text, " (-50)");
    EXPECT_TRUE(s.valueTexts[TEXT_TARGET_DISTANCE].negative);
    EXPECT_EQ(U(s.displayStrings[DISPLAY_TIP_TEXT]),
              "トヨタ自動車 \r\n前終値: 2,900\r\n始   値: 2,910\r\n高   値: 2,960\r\n安   値: 2,895"
              "\r\n目標株価: 3,000\r\n配   当: 2.50%\r\nＰ Ｅ Ｒ: 10.25倍\r\nＥ Ｐ Ｓ: 123.45\r\nＰ Ｂ Ｒ: -0.50倍");
    ctrl.options.boolFlags2 |= 0x400;
    ctrl.BuildStockTexts(s);
    EXPECT_TRUE(s.valueTexts[TEXT_TARGET_DISTANCE].text.empty());
    EXPECT_EQ(s.valueTexts[TEXT_TARGET].text, "3,000");
    s.fileFlags &= ~0x100u;
    s.dividendYield = 0;
    ctrl.BuildStockTexts(s);
    EXPECT_TRUE(s.valueTexts[TEXT_TARGET].text.empty());
    EXPECT_TRUE(s.valueTexts[TEXT_DIVIDEND].text.empty());

    // Every desktop item, in order.
    s.desktopTxtFlags = 0x3F;
    s.shares = 10;
    s.cost = 290000000;
    ctrl.BuildStockTexts(s);
    EXPECT_EQ(U(s.displayStrings[DISPLAY_DESKTOP_TEXT]),
              "トヨタ自動車 15:00 2,950(+50  +1.72%) 出来高1,234,567 損益+500 (+1.72%)");
}

TEST(BuildTotals, LinesTipAndIcon) {
    DisplayOptions o;
    TotalsInput in;
    in.value = 1000000 * kYen;
    in.change = 10000 * kYen;
    in.profit = -2000 * kYen;
    in.counted = 3;
    in.portfolioVisible = true;
    TotalsTexts t = BuildTotals(in, o);
    EXPECT_EQ(U(t.totalsLine), "合計 1,000,000 (+10,000  +1.01%) 損益 -2,000");
    EXPECT_EQ(U(t.appTip), "合計 1,000,000 (+10,000  +1.01%) 損益 -2,000  3銘柄");
    // 1.01 % of the total: between the 5 % steps, a small rise.
    EXPECT_EQ(t.arrow, IMG_ARROW_SMALL_RISE);
    EXPECT_EQ(t.appIcon, MakeIconCode(IMG_TOTALS_FRAME, IMG_ARROW_SMALL_RISE));  // BoolFlags1 0x100 is on

    in.balanceShown = true;
    in.balance = 500000 * kYen;
    in.overallKind = STATUS_CHECKING;
    in.arrowMode = 0x2;  // follow the profit
    o.boolFlags1 &= ~0x100u;
    t = BuildTotals(in, o);
    EXPECT_EQ(U(t.totalsLine), "合計 1,500,000 (+10,000  +0.67%) [内 残高 500,000] 損益 -2,000");
    EXPECT_EQ(t.arrow, IMG_ARROW_SMALL_FALL);
    EXPECT_EQ(t.appIcon, MakeIconCode(IMG_ARROW_SMALL_FALL, IMG_MARK_CHECKING));

    // Nothing held: no base for the percentage.
    in = TotalsInput{};
    in.portfolioVisible = true;
    t = BuildTotals(in, o);
    EXPECT_EQ(U(t.totalsLine), "合計 0 (+0    ---%) 損益 +0");
    EXPECT_EQ(t.arrow, IMG_ARROW_UNCHANGED);
    in.change = 10 * kYen;  // the value is all change: base 0
    in.value = 10 * kYen;
    EXPECT_EQ(U(BuildTotals(in, o).totalsLine), "合計 10 (+10    ---%) 損益 +0");
}

TEST(BuildTotals, IncompleteHiddenAndForcedIntoTheTray) {
    DisplayOptions o;
    TotalsInput in;
    in.value = 1000 * kYen;
    in.incomplete = true;
    in.overallKind = STATUS_OFFLINE;
    in.portfolioVisible = true;
    TotalsTexts t = BuildTotals(in, o);
    EXPECT_EQ(t.appTip, "Quotrix!");
    EXPECT_EQ(t.arrow, 0u);
    EXPECT_EQ(t.appIcon, MakeIconCode(IMG_APPLICATION, IMG_MARK_OFFLINE));
    EXPECT_EQ(t.showState, SHOW_TRAY);

    in.incomplete = false;
    in.dispTotal = 0;
    in.overallKind = 0;
    t = BuildTotals(in, o);
    EXPECT_EQ(t.appTip, "Quotrix!");
    EXPECT_EQ(t.appIcon, kIconApplication);
    EXPECT_EQ(t.showState, SHOW_HIDDEN);
    in.portfolioVisible = false;
    EXPECT_EQ(BuildTotals(in, o).showState, SHOW_TRAY);
    in.anyStockIconShown = true;
    EXPECT_EQ(BuildTotals(in, o).showState, SHOW_HIDDEN);
    in.dispTotal = 20;
    EXPECT_EQ(BuildTotals(in, o).showState, SHOW_DESKTOP);
}

TEST(GetTipText, PortfolioToolsAndTheAnswerLimit) {
    CStockTipCtrl ctrl = TipCtrl();
    Toyota s;
    ctrl.BuildStockTexts(s);
    const std::vector<const CStockMan*> rows = {&s};
    const std::string line = S("合計 0");
    DisplayOptions o;
    std::string answer;
    o.boolFlags1 &= ~0x20000u;
    EXPECT_FALSE(GetTipText(o, kFirstRowToolId, false, false, line, rows, answer));
    o.boolFlags1 |= 0x20000;
    ASSERT_TRUE(GetTipText(o, kFirstRowToolId, false, false, line, rows, answer));
    EXPECT_EQ(answer, s.displayStrings[DISPLAY_TIP_TEXT]);
    EXPECT_FALSE(GetTipText(o, kFirstRowToolId + 1, false, false, line, rows, answer));
    EXPECT_FALSE(GetTipText(o, kTitleToolId, true, false, line, rows, answer));  // 0x8000 clear
    o.boolFlags1 |= 0x8000;
    EXPECT_FALSE(GetTipText(o, kTitleToolId, false, false, line, rows, answer));  // not rolled up
    ASSERT_TRUE(GetTipText(o, kTitleToolId, true, false, line, rows, answer));
    EXPECT_EQ(answer, line);
    ASSERT_TRUE(GetTipText(o, kTitleToolId, true, true, line, rows, answer));
    EXPECT_EQ(U(answer), "Quotrix!\r\nデータ集計待ち...");

    // Cut at 511 bytes; one byte more in front puts a lead byte last, and that character goes whole.
    s.displayStrings[DISPLAY_TIP_TEXT] = "x";
    for (int i = 0; i < 300; ++i) s.displayStrings[DISPLAY_TIP_TEXT] += S("株");
    ASSERT_TRUE(GetTipText(o, kFirstRowToolId, false, false, line, rows, answer));
    EXPECT_EQ(answer.size(), 511u);
    s.displayStrings[DISPLAY_TIP_TEXT] = "x" + s.displayStrings[DISPLAY_TIP_TEXT];
    EXPECT_EQ(DesktopTipText(s).size(), 510u);
    s.displayStrings[DISPLAY_TIP_TEXT] = "short";
    EXPECT_EQ(DesktopTipText(s), "short");
}

TEST(DisplayOptionsFrom, FreshSettingsGiveTheDefaultTexts) {
    AppSettings settings;
    const DisplayOptions fresh = DisplayOptionsFrom(settings);
    const DisplayOptions defaults;
    EXPECT_EQ(fresh.nameOptions, defaults.nameOptions);
    EXPECT_EQ(fresh.tipTextFlags, defaults.tipTextFlags);
    EXPECT_EQ(fresh.otherItemFlags, defaults.otherItemFlags);
    EXPECT_EQ(fresh.newBoolean1, defaults.newBoolean1);
    EXPECT_EQ(fresh.stkNameMax, defaults.stkNameMax);
    const std::uint32_t read1 = 0x8 | 0x100 | 0x8000 | 0x20000, read2 = 0x8 | 0x400 | 0x800;
    EXPECT_EQ(fresh.boolFlags1 & read1, defaults.boolFlags1 & read1);
    EXPECT_EQ(fresh.boolFlags2 & read2, defaults.boolFlags2 & read2);
    settings.newBoolean1 = 0x6;
    settings.itemFlags.tipText = 0;
    EXPECT_EQ(DisplayOptionsFrom(settings).newBoolean1, 0x6u);
    EXPECT_EQ(DisplayOptionsFrom(settings).tipTextFlags, 0u);
}

}  // namespace
}  // namespace quotrix
