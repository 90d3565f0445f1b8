// The totals' inputs: the overall status kind with its precedence, and what the main window's
// state (the file's cash switches, the total icon's settings) hands to BuildTotals.
#include <gtest/gtest.h>

#include <random>

#include "app/DisplayTexts.h"
#include "files/StockRecord.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"
#include "settings/AppSettings.h"
#include "update/RunningTotals.h"
#include "update/UpdateStatus.h"

namespace quotrix {
namespace {

constexpr std::uint32_t H = STATUS_OUT_OF_HOURS, O = STATUS_OFFLINE, F = STATUS_FAILED, C = STATUS_CHECKING;

StockList ListOf(const std::vector<std::uint32_t>& statuses) {
    StockList stocks;
    for (const std::uint32_t status : statuses) {
        stocks.push_back(std::make_unique<CStockMan>("7203.t"));
        stocks.back()->status = status;
    }
    return stocks;
}

TEST(OverallStatusKind, CheckingStaysFailedBeatsTheQuietKindsAndTheLaterQuietKindWins) {
    struct Case {
        std::vector<std::uint32_t> statuses;
        std::uint32_t kind;
    };
    const Case cases[] = {
        {{}, 0},
        {{STATUS_UPDATED, 0}, 0},
        {{H, O}, O},
        {{O, H}, H},
        {{O, H, STATUS_UPDATED}, H},  // a stock without a fetch state changes nothing
        {{H | STATUS_UPDATED, O | STATUS_UPDATED}, O},
        {{F, H, O}, F},
        {{H, F, O}, F},
        {{C, F, H}, C},
        {{F, H, C, O}, C},  // Checking stays whatever comes after it
        {{F | STATUS_UPDATED}, F},
    };
    for (const Case& c : cases) {
        const StockList stocks = ListOf(c.statuses);
        EXPECT_EQ(OverallStatusKind(stocks), c.kind) << ::testing::PrintToString(c.statuses);
        RunningTotals sums;
        sums.Reset(stocks);
        EXPECT_EQ(OverallStatusKind(sums, stocks), c.kind) << ::testing::PrintToString(c.statuses);
    }
}

TEST(OverallStatusKind, RunningCountsFollowEveryChangeLikeTheFold) {
    std::mt19937 random(14);
    const std::uint32_t kinds[] = {0, STATUS_UPDATED, H, O, F, C, H | STATUS_UPDATED, F | STATUS_UPDATED};
    StockList stocks = ListOf(std::vector<std::uint32_t>(40, 0));
    for (std::size_t i = 0; i < 20; ++i) stocks[i]->shares = 100;
    RunningTotals sums;
    sums.Reset(stocks);
    for (int step = 0; step < 3000; ++step) {
        CStockMan& stock = *stocks[random() % stocks.size()];
        stock.status = kinds[random() % std::size(kinds)];
        sums.Update(stock);
        ASSERT_EQ(OverallStatusKind(sums, stocks), OverallStatusKind(stocks)) << "step " << step;
    }
    // A stock leaving the list takes its kind with it.
    for (auto& stock : stocks) stock->status = STATUS_UPDATED;
    sums.Reset(stocks);
    stocks[7]->status = C;
    sums.Update(*stocks[7]);
    EXPECT_EQ(sums.StocksOfKind(C), 1u);
    sums.Remove(*stocks[7]);
    stocks.erase(stocks.begin() + 7);
    EXPECT_EQ(OverallStatusKind(sums, stocks), 0u);
}

TEST(GatherTotals, StatusBalanceArrowBasisAndShowStateReachTheTotals) {
    StockList stocks = ListOf({STATUS_UPDATED, STATUS_UPDATED});
    stocks[0]->shares = 100;
    stocks[0]->cost = 100000 * kYen;
    stocks[0]->price = 1200 * kYen;
    stocks[0]->change = -10 * kYen;
    RunningTotals sums;
    sums.Reset(stocks);
    AppSettings settings;
    settings.totalArrowMode = 0x2;
    settings.dispTotal = 0;
    settings.totalThresholds.curPlusHigh = 7 * kYen;

    TotalsInput in = GatherTotals(sums, stocks, settings, {300000 * kYen, CASH_MANAGED, false});
    EXPECT_EQ(in.value, 120000 * kYen);
    EXPECT_EQ(in.profit, 20000 * kYen);
    EXPECT_EQ(in.counted, 1u);
    EXPECT_FALSE(in.balanceShown);  // managed, but not added to the totals
    EXPECT_EQ(in.arrowMode, 0x2u);
    EXPECT_EQ(in.dispTotal, 0);
    EXPECT_EQ(in.thresholds.curPlusHigh, 7 * kYen);
    EXPECT_EQ(in.overallKind, 0u);

    stocks[1]->status = StatusChecking(stocks[1]->status);
    sums.Update(*stocks[1]);
    in = GatherTotals(sums, stocks, settings, {300000 * kYen, CASH_MANAGED | CASH_IN_TOTALS, false});
    EXPECT_TRUE(in.balanceShown);
    EXPECT_EQ(in.balance, 300000 * kYen);
    EXPECT_EQ(in.overallKind, C);

    // The application icon: hidden by "DispTotal" 0, yet in the tray with the checking mark, as
    // no stock icon is shown; the balance stands in the line.
    DisplayOptions options;
    options.boolFlags1 &= ~0x100u;
    TotalsTexts texts = BuildTotals(in, options);
    EXPECT_NE(texts.totalsLine.find(Utf8ToSjis("[内 残高 300,000]")), std::string::npos);
    EXPECT_EQ(texts.appIcon, MakeIconCode(IMG_APPLICATION, IMG_MARK_CHECKING));
    EXPECT_EQ(texts.showState, SHOW_TRAY);
    // Shown: the arrow follows the profit (+20,000 yen, a large rise against steps of 7 yen),
    // where the day's change (-1,000 yen) would give a fall.
    settings.dispTotal = 1;
    texts = BuildTotals(GatherTotals(sums, stocks, settings, {0, 0, false}), options);
    EXPECT_EQ(texts.arrow, IMG_ARROW_LARGE_RISE);
    settings.totalArrowMode = 0;
    texts = BuildTotals(GatherTotals(sums, stocks, settings, {0, 0, false}), options);
    EXPECT_EQ(texts.arrow, IMG_ARROW_LARGE_FALL);
}

}  // namespace
}  // namespace quotrix
