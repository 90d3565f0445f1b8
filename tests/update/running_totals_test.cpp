#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <random>
#include <string>

#include "update/RunningTotals.h"
#include "update/UpdateStatus.h"

namespace quotrix {
namespace {

struct FullPass {
    PriceValue value = 0, change = 0, profit = 0;
    unsigned counted = 0;
    bool incomplete = false;
};

// What the totals line shows when every stock is summed again.
FullPass SumAll(const StockList& stocks) {
    FullPass sums;
    for (const auto& stock : stocks) {
        const std::uint32_t state = AddToTotals(*stock, sums.value, sums.change, sums.profit);
        if (state == 2) continue;
        if (state & STATUS_UPDATED)
            ++sums.counted;
        else
            sums.incomplete = true;
    }
    return sums;
}

void ExpectSameAsFullPass(const RunningTotals& totals, const StockList& stocks, int step) {
    const FullPass full = SumAll(stocks);
    EXPECT_EQ(totals.Value(), full.value) << "step " << step;
    EXPECT_EQ(totals.Change(), full.change) << "step " << step;
    EXPECT_EQ(totals.Profit(), full.profit) << "step " << step;
    EXPECT_EQ(totals.Counted(), full.counted) << "step " << step;
    EXPECT_EQ(totals.Incomplete(), full.incomplete) << "step " << step;
}

// Merges, holding edits, trade modes, failures and removals in any order, with sums large
// enough to wrap: after each, the running totals equal a full pass over the list.
TEST(RunningTotals, EveryChangeGivesWhatAFullPassGives) {
    std::mt19937 random(20240607);
    StockList stocks;
    for (int i = 0; i < 40; ++i) stocks.push_back(std::make_unique<CStockMan>(std::to_string(1301 + i) + ".t"));
    RunningTotals totals;
    totals.Reset(stocks);
    ExpectSameAsFullPass(totals, stocks, -1);

    auto pick = [&](std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(random); };
    for (int step = 0; step < 2000 && !stocks.empty(); ++step) {
        CStockMan& stock = *stocks[pick(static_cast<std::uint32_t>(stocks.size()))];
        switch (pick(6)) {
            case 0:  // a successful merge
                stock.price = static_cast<PriceValue>(pick(50000)) * 10000;
                stock.change = static_cast<PriceValue>(pick(2001)) * 1000 - 1000000;
                stock.status = STATUS_UPDATED;
                break;
            case 1:  // a failed one keeps the old quote
                stock.status = StatusFailed(stock.status);
                break;
            case 2:  // the holding, sometimes none
                stock.shares = pick(3) == 0 ? 0 : pick(100000);
                stock.cost = static_cast<PriceValue>(pick(1u << 30)) * 10000;
                break;
            case 3:
                stock.tradeMode = static_cast<std::uint8_t>(pick(4));
                break;
            case 4:  // absurd values from a damaged file: the sums wrap
                stock.price = std::numeric_limits<PriceValue>::max() - pick(1000);
                stock.shares = std::numeric_limits<std::uint32_t>::max();
                stock.status = STATUS_UPDATED;
                break;
            case 5: {
                totals.Remove(stock);
                totals.Remove(stock);  // twice: the second finds nothing to take out
                std::erase_if(stocks, [&](const auto& s) { return s.get() == &stock; });
                ExpectSameAsFullPass(totals, stocks, step);
                continue;
            }
        }
        totals.Update(stock);
        ExpectSameAsFullPass(totals, stocks, step);
        if (HasFailure()) return;
    }
}

TEST(RunningTotals, AStockNotSeenBeforeIsAddedAndResetForgetsTheOldList) {
    StockList stocks;
    stocks.push_back(std::make_unique<CStockMan>("7203.t"));
    stocks[0]->shares = 100;
    stocks[0]->price = 2500 * 10000LL;
    stocks[0]->status = STATUS_UPDATED;
    RunningTotals totals;
    totals.Update(*stocks[0]);
    EXPECT_EQ(totals.Value(), 250000 * 10000LL);
    EXPECT_EQ(totals.Counted(), 1u);

    StockList other;
    other.push_back(std::make_unique<CStockMan>("6758.t"));
    other[0]->shares = 10;
    other[0]->price = 100 * 10000LL;
    totals.Reset(other);
    ExpectSameAsFullPass(totals, other, 0);
    EXPECT_TRUE(totals.Incomplete());
    totals.Remove(*stocks[0]);  // from the old list: nothing changes
    ExpectSameAsFullPass(totals, other, 1);
}

}  // namespace
}  // namespace quotrix
