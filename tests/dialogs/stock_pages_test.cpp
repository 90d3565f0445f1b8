#include "dialogs/StockPages.h"

#include <gtest/gtest.h>

#include "platform/TextCodec.h"

namespace quotrix {
namespace {

TEST(DisplayPage, ShowModeLoadsAndStoresByTable) {
    struct Row {
        std::uint8_t mode;
        DisplayPageModel::Choice choice;
        bool desktop;
        std::uint8_t stored;
    } rows[] = {{0, DisplayPageModel::SHOW_NEVER, false, 0},   {1, DisplayPageModel::SHOW_ALWAYS, false, 1},
                {2, DisplayPageModel::SHOW_OUTSIDE, false, 2}, {3, DisplayPageModel::SHOW_INSIDE, false, 3},
                {20, DisplayPageModel::SHOW_ALWAYS, true, 20}, {21, DisplayPageModel::SHOW_OUTSIDE, true, 21},
                {22, DisplayPageModel::SHOW_INSIDE, true, 22}, {7, DisplayPageModel::SHOW_ALWAYS, false, 1}};
    for (const Row& row : rows) {
        CStockParams params;
        params.showMode = row.mode;
        DisplayPageModel page;
        page.Load(params);
        EXPECT_EQ(page.choice, row.choice) << int(row.mode);
        EXPECT_EQ(page.desktop, row.desktop) << int(row.mode);
        EXPECT_EQ(page.ShowMode(), row.stored) << int(row.mode);
    }
}

TEST(DisplayPage, OutsideOnlyDesktopDisablesTheBalloonAndListChangesReevaluate) {
    CStockParams params;
    params.showMode = 21;
    DisplayPageModel page;
    page.Load(params);
    EXPECT_EQ(page.choice, DisplayPageModel::SHOW_OUTSIDE);
    EXPECT_TRUE(page.desktop);
    EXPECT_TRUE(page.ListEnabled());
    EXPECT_FALSE(page.BalloonEnabled());
    page.SetDesktop(false);
    EXPECT_TRUE(page.BalloonEnabled());
    page.SetChoice(DisplayPageModel::SHOW_INSIDE);
    EXPECT_FALSE(page.BalloonEnabled());
    page.SetChoice(DisplayPageModel::SHOW_NEVER);
    EXPECT_FALSE(page.ListEnabled());
    EXPECT_FALSE(page.BalloonEnabled());
    EXPECT_EQ(page.ShowMode(), 0);
}

TEST(DisplayPage, StoresItsFileFlagsAndTheRangeText) {
    CStockParams params;
    params.fileFlags = 0xF02;
    DisplayPageModel page;
    page.Load(params);
    page.border = true;
    page.balloon = true;
    page.inPortfolio = false;
    page.Store(params, false);  // the trade page owns the portfolio flag
    EXPECT_EQ(params.fileFlags, 0xF07u);
    page.Store(params, true);
    EXPECT_EQ(params.fileFlags, 0xF05u);
    EXPECT_EQ(DisplayPageModel::WatchRangeText(2000 * kYen, 1500 * kYen), SJIS("1,500円 ～ 2,000円"));
}

TEST(IconPage, StepsSortOnStoreAndUnitSetsStayApart) {
    CStockParams params;
    IconPageModel page;
    page.Load(params);
    ASSERT_FALSE(page.SetBoxTexts({"3", "8", "5", "10"}).has_value());
    page.Store(params);
    EXPECT_EQ(params.curPlusHigh, 8 * kYen);
    EXPECT_EQ(params.curPlusLow, 3 * kYen);

    // Yen → percent → yen keeps what was typed in yen; percent is its own set.
    page.SetPercent(true);
    EXPECT_EQ(page.BoxTexts()[0], "10");  // 1000 hundredths
    EXPECT_EQ(page.UnitText(0), SJIS("％上昇"));
    ASSERT_FALSE(page.SetBoxTexts({"5", "5.5", "1", "2.25"}).has_value());
    page.SetPercent(false);
    EXPECT_EQ(page.BoxTexts(), (std::array<std::string, 4>{"3", "8", "5", "10"}));
    EXPECT_EQ(page.UnitText(3), SJIS("円低下"));
    page.SetPercent(true);
    page.Store(params);
    EXPECT_EQ(params.perPlusHigh, 550u);  // typed ÷ 100, truncated
    EXPECT_EQ(params.perPlusLow, 500u);
    EXPECT_EQ(params.perMinusHigh, 225u);
    EXPECT_EQ(params.perMinusLow, 100u);
    EXPECT_TRUE(params.percentFlag);

    const auto problem = page.SetBoxTexts({"1", "x", "1", "1"});
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->field, 1);
    EXPECT_EQ(problem->message, SJIS("通貨型を入力してください。"));
    EXPECT_TRUE(page.SetBoxTexts({"1", "-2", "1", "1"}).has_value());
    EXPECT_EQ(page.percentSteps[1], 550u);  // nothing read from a refused set
}

TEST(IconPage, TradeReferenceNeedsAHoldingAndStandardSettings) {
    CStockParams params;
    params.iconIndexMode = 1;
    IconPageModel page;
    page.Load(params);
    page.SetHoldingPresent(false);
    EXPECT_FALSE(page.TradeReferenceEnabled());
    EXPECT_EQ(page.reference, 0);
    page.SetReference(1);
    EXPECT_EQ(page.reference, 0);
    page.SetHoldingPresent(true);
    page.SetReference(1);
    EXPECT_EQ(page.Caption(), SJIS("売買単価から:"));
    EXPECT_EQ(page.Explanation(), SJIS("矢印は１株あたりの損益を示します。"));
    page.SetReference(2);
    EXPECT_EQ(page.Caption(), SJIS("目標株価から:"));

    ArrowThresholds standard;
    standard.curPlusHigh = 30 * kYen;
    standard.percentFlag = true;
    page.SetHoldingPresent(false);
    page.LoadStandard(standard, 1);
    EXPECT_EQ(page.yen[0], 30 * kYen);
    EXPECT_TRUE(page.percent);
    EXPECT_EQ(page.reference, 0);  // the fallback applies to the standard reference too
    page.LoadRecommended();
    EXPECT_EQ(page.yen, (std::array<PriceValue, 4>{10 * kYen, 5 * kYen, 5 * kYen, 10 * kYen}));
    EXPECT_FALSE(page.percent);
}

TEST(WatchPage, HighlightBitsBoundsAndBadAmounts) {
    CStockParams params;
    params.fileFlags = 0x802 | 0x200;
    WatchPageModel page;
    page.Load(params);
    EXPECT_EQ(page.highlight, 2);
    EXPECT_TRUE(page.targetHighlight);
    EXPECT_FALSE(page.targetShown);
    ASSERT_FALSE(page.SetTexts("2,000", "1500.5", "1800").has_value());
    page.SetHighlight(1);
    page.targetShown = true;
    page.Store(params);
    EXPECT_EQ(params.dispLower, 15005000);  // the smaller bound is the lower
    EXPECT_EQ(params.dispUpper, 2000 * kYen);
    EXPECT_EQ(params.targetPrice, 1800 * kYen);
    EXPECT_EQ(params.fileFlags, 0x002u | 0x100 | 0x200 | 0x400);

    const auto problem = page.SetTexts("1", "2", "abc");
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->field, WatchPageModel::FIELD_TARGET);
    EXPECT_EQ(page.lower, 2000 * kYen);  // unchanged
}

TEST(DeskItemsPage, SimpleKeepsTheBitsWithoutBoxes) {
    CStockParams params;
    params.desktopTxtFlags = 0x7FFFFFFF;  // every bit but the price bar
    DeskItemsPageModel page;
    page.Load(params, 2);
    page.Simple();
    std::uint32_t mode = 0;
    page.Store(params, mode);
    const std::uint32_t untouched = (1u << 12) | (1u << 13) | 0x7FFC0000u;  // 12, 13, 18 to 30
    EXPECT_EQ(params.desktopTxtFlags, 0x8000002Fu | untouched);
    EXPECT_EQ(mode, 2u);
    EXPECT_EQ(DeskItems().size(), 17u);

    page.MatchPortfolio(0xFFFC0C3F & 0x7FFFF, false);
    EXPECT_EQ(page.flags & 0x7FFFF, 0x40C3Fu);
    EXPECT_FALSE(page.Item(31));
    EXPECT_EQ(page.flags & 0x7FF80000u, 0x7FF80000u);  // bits 19 to 30 kept
    page.SetItem(31, true);
    EXPECT_TRUE(page.Item(31));
}

TEST(StockSheet, TitleAndApplyOrder) {
    auto stock = std::make_unique<CStockMan>("7203.t");
    stock->name = SJIS("トヨタ自動車(株)");
    EXPECT_EQ(StockSheetTitle(*stock, true), SJIS("トヨタ自動車 (7203.T) のプロパティ"));
    EXPECT_EQ(StockSheetTitle(*stock, false), SJIS("トヨタ自動車(株) (7203.T) のプロパティ"));
    auto currency = std::make_unique<CStockMan>("USDJPY=X");
    currency->name = "USD/JPY";
    EXPECT_EQ(StockSheetTitle(*currency, true), SJIS("USD/JPY (USDJPY=X) のプロパティ"));

    StockSheetModel sheet;
    stock->iconIndexMode = 1;
    stock->shares = 100;
    stock->cost = 100000 * kYen;
    sheet.Load(*stock);
    EXPECT_TRUE(sheet.icon.TradeReferenceEnabled());
    sheet.trade.RemoveTrade(100, 0, 100000 * kYen);  // sold out on the trade page
    sheet.display.SetChoice(DisplayPageModel::SHOW_OUTSIDE);
    sheet.display.SetDesktop(true);
    sheet.trade.inPortfolio = false;
    sheet.desk.Simple();
    PriceValue balance = 0;
    const TradeStoreResult result = sheet.StoreAll(*stock, balance, CASH_MANAGED);
    EXPECT_FALSE(result.holdingStored);
    EXPECT_TRUE(result.portfolioChanged);
    EXPECT_EQ(stock->iconIndexMode, 0);  // no holding: the trade-price reference falls back
    EXPECT_EQ(stock->showMode, 21);
    EXPECT_EQ(stock->fileFlags & FILEFLAG_PORTFOLIO, 0u);
    EXPECT_EQ(stock->desktopTxtFlags & 0x8000002Fu, 0x8000002Fu);
    EXPECT_TRUE(result.fileChanged);

    // OK without a change leaves the file unmodified; the history alone is not kept in it.
    StockSheetModel again;
    again.Load(*stock);
    again.trade.SetShort(false);
    EXPECT_FALSE(again.StoreAll(*stock, balance, CASH_MANAGED).fileChanged);
}

}  // namespace
}  // namespace quotrix
