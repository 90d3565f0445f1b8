#include "dialogs/TradePage.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/TextCodec.h"

namespace quotrix {
namespace {

std::unique_ptr<CStockMan> Stock(std::uint32_t shares = 0, PriceValue cost = 0, std::uint8_t tradeMode = 0) {
    auto stock = std::make_unique<CStockMan>("7203.t");
    stock->name = SJIS("トヨタ自動車(株)");
    stock->shares = shares;
    stock->cost = cost;
    stock->tradeMode = tradeMode;
    stock->price = 1200 * kYen;
    return stock;
}

TradePageModel Page(const CStockMan& stock) {
    TradePageModel page;
    page.Load(stock);
    return page;
}

TEST(TradePage, LoadsTheWorkingCopyByTheLoadingRules) {
    auto stock = Stock(100, 100000 * kYen, 1);  // a short flag without margin means nothing
    stock->name.clear();
    stock->fileFlags = 0;
    TradePageModel page = Page(*stock);
    EXPECT_EQ(page.name, SJIS("不明"));
    EXPECT_FALSE(page.margin);
    EXPECT_FALSE(page.isShort);
    EXPECT_FALSE(page.inPortfolio);
    EXPECT_EQ(page.MarketText(), SJIS("東京 (T)"));

    stock->tradeMode = 3;
    page = Page(*stock);
    EXPECT_TRUE(page.margin && page.isShort);
    EXPECT_EQ(page.Labels().shares, SJIS("売付株数:"));
    EXPECT_EQ(page.Labels().remove, SJIS("買付株削除(&S)"));

    auto currency = std::make_unique<CStockMan>("USDJPY=X");
    page = Page(*currency);
    EXPECT_TRUE(page.IsCurrency());
    EXPECT_EQ(page.market, currency->market);
    EXPECT_EQ(page.MarketText(), MarketName(MARKET_CURRENCY));  // no letter

    stock->market = 9;  // neither a market nor a currency pair
    page = Page(*stock);
    EXPECT_EQ(page.market, 0u);
    EXPECT_EQ(page.MarketText(), MarketName(0));
}

TEST(TradePage, BuyingHundredAtThousandMovesTheBalanceOnlyForSpot) {
    for (bool margin : {false, true}) {
        auto stock = Stock();
        TradePageModel page = Page(*stock);
        if (margin) page.SetMargin(true);

        AddTradeModel add;
        add.SetSharesText("100");
        add.SetAmountText("1000");
        add.SetUnitPrice(true);
        ASSERT_FALSE(add.Finish().has_value());
        ASSERT_TRUE(page.AddTrade(add.finalShares, add.finalAmount));
        EXPECT_EQ(page.shares, 100u);
        EXPECT_EQ(page.cost, 100000 * kYen);

        PriceValue balance = 500000 * kYen;
        const TradeStoreResult stored = page.Store(*stock, balance, CASH_MANAGED);
        EXPECT_TRUE(stored.holdingStored);
        EXPECT_EQ(stock->shares, 100u);
        EXPECT_EQ(stock->cost, 100000 * kYen);
        EXPECT_EQ(balance, (margin ? 500000 : 400000) * kYen) << margin;
        EXPECT_EQ(stock->tradeMode, margin ? TRADE_MARGIN_BUY : TRADE_SPOT);
        // A second Apply of the same copy moves nothing more.
        page.Store(*stock, balance, CASH_MANAGED);
        EXPECT_EQ(balance, (margin ? 500000 : 400000) * kYen);
    }
}

TEST(TradePage, BalanceStaysWhenItIsNotManaged) {
    auto stock = Stock();
    TradePageModel page = Page(*stock);
    page.AddTrade(100, 100000 * kYen);
    PriceValue balance = 7 * kYen;
    EXPECT_EQ(page.Store(*stock, balance, CASH_IN_TOTALS).balanceDelta, 0);
    EXPECT_EQ(balance, 7 * kYen);
    EXPECT_EQ(stock->tradeCash, -100000 * kYen);  // the stock's share is kept all the same
}

TEST(TradePage, SaleMovesCashByPositionKind) {
    struct Case {
        std::uint8_t mode;
        PriceValue cash;
    } cases[] = {{TRADE_SPOT, 120000 * kYen}, {TRADE_MARGIN_BUY, 20000 * kYen}, {TRADE_MARGIN_SELL, -20000 * kYen}};
    for (const Case& c : cases) {
        auto stock = Stock(100, 100000 * kYen, c.mode);
        TradePageModel page = Page(*stock);
        SellTradeModel sell;
        sell.Init(page, stock->price, FMT_GROUP);
        sell.SetAmountText("120000");
        if (c.mode == TRADE_MARGIN_SELL)
            EXPECT_EQ(sell.ProfitText(), "-20,000");
        else
            EXPECT_EQ(sell.ProfitText(), "20,000");
        ASSERT_FALSE(sell.Finish().has_value());
        EXPECT_EQ(sell.finalCostBasis, 100000 * kYen);
        page.RemoveTrade(sell.finalShares, sell.finalAmount, sell.finalCostBasis);
        EXPECT_EQ(page.shares, 0u);
        EXPECT_EQ(page.cost, 0);
        EXPECT_EQ(page.tradeCash, c.cash) << int(c.mode);
    }
}

TEST(TradePage, SellingAllLeavesNoCostAndOverHoldingAsks) {
    auto stock = Stock(100, 100000 * kYen);
    TradePageModel page = Page(*stock);
    page.RemoveTrade(100, 90000 * kYen, 40000 * kYen);  // a cost basis below the total
    EXPECT_EQ(page.shares, 0u);
    EXPECT_EQ(page.cost, 0);

    page = Page(*stock);
    EXPECT_TRUE(page.RemoveNeedsConfirmation(150));
    page.RemoveTrade(150, 1000 * kYen, 10 * kYen, false);  // "No"
    EXPECT_EQ(page.shares, 100u);
    EXPECT_EQ(page.cost, 100000 * kYen);
    EXPECT_EQ(page.undoStack.size(), 1u);  // the history entry stays
    page.RemoveTrade(150, 1000 * kYen, 10 * kYen, true);
    EXPECT_EQ(page.shares, 0u);
    EXPECT_EQ(page.cost, 0);

    // A partial sale whose cost basis exceeds the total keeps no negative cost.
    page = Page(*stock);
    page.RemoveTrade(10, 1000 * kYen, 200000 * kYen);
    EXPECT_EQ(page.shares, 90u);
    EXPECT_EQ(page.cost, 0);
}

TEST(TradePage, AmountZeroStoresNoHoldingAndDropsTheTradePriceReference) {
    auto stock = Stock();
    stock->iconIndexMode = 1;
    TradePageModel page = Page(*stock);
    AddTradeModel add;
    add.SetSharesText("100");
    add.SetAmountText("0");
    ASSERT_FALSE(add.Finish().has_value());
    page.AddTrade(add.finalShares, add.finalAmount);
    EXPECT_EQ(page.shares, 100u);
    PriceValue balance = 0;
    EXPECT_FALSE(page.Store(*stock, balance, CASH_MANAGED).holdingStored);
    EXPECT_EQ(stock->shares, 0u);
    EXPECT_EQ(stock->cost, 0);
    EXPECT_EQ(stock->iconIndexMode, 0);
}

TEST(TradePage, MarginToggleMovesTheCostAndUndoRestoresIt) {
    auto stock = Stock(100, 50000 * kYen);
    TradePageModel page = Page(*stock);
    page.SetMargin(true);
    EXPECT_EQ(page.tradeCash, 50000 * kYen);
    EXPECT_TRUE(page.ShortEnabled());
    page.SetShort(true);
    EXPECT_EQ(page.Labels().total, SJIS("売付総額:"));
    page.SetMargin(false);  // clears short as well
    EXPECT_FALSE(page.isShort);
    EXPECT_EQ(page.tradeCash, 0);
    ASSERT_TRUE(page.Undo());
    EXPECT_TRUE(page.margin && page.isShort);
    ASSERT_TRUE(page.Undo());
    ASSERT_TRUE(page.Undo());
    EXPECT_FALSE(page.margin);
    EXPECT_EQ(page.tradeCash, 0);
    EXPECT_FALSE(page.CanUndo());
    EXPECT_FALSE(page.Undo());
    EXPECT_EQ(page.redoStack.size(), 3u);
}

TEST(TradePage, UndoRedoOfMixedStepsMatchesRecomputation) {
    std::mt19937 random(17);
    auto stock = Stock();
    TradePageModel page = Page(*stock);
    // Each step's resulting state, recomputed from scratch by the rules of each step.
    std::vector<TradeSnapshot> states{page.Snapshot()};
    for (int step = 0; step < 200; ++step) {
        TradeSnapshot expect = page.Snapshot();
        const int kind = static_cast<int>(random() % 4);
        if (kind == 0) {
            const std::uint32_t n = 1 + random() % 500;
            const PriceValue amount = static_cast<PriceValue>(random() % 1000000) * kYen;
            page.AddTrade(n, amount);
            expect.shares += n;
            expect.cost += amount;
            if (!expect.margin) expect.tradeCash += expect.isShort ? amount : -amount;
        } else if (kind == 1 && expect.shares != 0) {
            const std::uint32_t n = 1 + random() % expect.shares;
            const PriceValue amount = static_cast<PriceValue>(random() % 1000000) * kYen;
            const PriceValue basis = expect.cost / expect.shares * n;
            page.RemoveTrade(n, amount, basis);
            expect.shares -= n;
            expect.cost = expect.shares == 0 || expect.cost - basis < 0 ? 0 : expect.cost - basis;
            const PriceValue moved = expect.margin ? amount - basis : amount;
            expect.tradeCash += expect.isShort ? -moved : moved;
        } else if (kind == 2) {
            const bool on = !expect.margin;
            page.SetMargin(on);
            if (expect.shares != 0) expect.tradeCash += on ? expect.cost : -expect.cost;
            expect.margin = on;
            expect.isShort = false;
        } else {
            page.SetShort(!expect.isShort);
            expect.isShort = expect.margin && !expect.isShort;
        }
        const TradeSnapshot now = page.Snapshot();
        ASSERT_EQ(now.shares, expect.shares) << step;
        ASSERT_EQ(now.cost, expect.cost) << step;
        ASSERT_EQ(now.tradeCash, expect.tradeCash) << step;
        ASSERT_EQ(now.margin, expect.margin) << step;
        ASSERT_EQ(now.isShort, expect.isShort) << step;
        if (page.undoStack.size() == states.size()) states.push_back(now);
        ASSERT_EQ(page.undoStack.size() + 1, states.size());
    }
    auto same = [](const TradeSnapshot& a, const TradeSnapshot& b) {
        return a.shares == b.shares && a.cost == b.cost && a.tradeCash == b.tradeCash && a.margin == b.margin &&
               a.isShort == b.isShort;
    };
    // Undo walks back through every state; redo walks forward again.
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(page.Undo());
        ASSERT_TRUE(same(page.Snapshot(), states[i - 1])) << i;
    }
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(page.Redo());
        ASSERT_TRUE(same(page.Snapshot(), states[i])) << i;
    }
    // A new step after an undo empties the redo stack.
    page.Undo();
    page.SetShort(false);
    EXPECT_FALSE(page.CanRedo());

    // The history survives an Apply and a fresh load.
    PriceValue balance = 0;
    page.Store(*stock, balance, 0);
    TradePageModel again = Page(*stock);
    EXPECT_EQ(again.undoStack.size(), page.undoStack.size());
    ASSERT_TRUE(again.Undo());
}

TEST(TradePage, HoldingTextsFollowGroupingAndShowZeroWithoutShares) {
    auto stock = Stock(300, 1000000 * kYen);
    TradePageModel page = Page(*stock);
    HoldingTexts texts = page.Texts(1200 * kYen, true);
    EXPECT_EQ(texts.shares, "300");
    EXPECT_EQ(texts.total, "1,000,000");
    EXPECT_EQ(texts.average, "3,333.33");
    EXPECT_EQ(texts.marketValue, "360,000");
    EXPECT_EQ(page.Texts(1200 * kYen, false).total, "1000000");
    page.RemoveTrade(300, 0, 1000000 * kYen);
    texts = page.Texts(1200 * kYen, true);
    EXPECT_EQ(texts.average, "0");
    EXPECT_EQ(texts.marketValue, "0");
    EXPECT_FALSE(page.HoldingEnabled());
}

TEST(TradePage, OverflowingTradesAreRefused) {
    auto stock = Stock(0xFFFFFFF0u, 10 * kYen);
    TradePageModel page = Page(*stock);
    EXPECT_FALSE(page.AddTrade(0x20, kYen));
    EXPECT_FALSE(page.AddTrade(1, INT64_MAX));
    EXPECT_EQ(page.shares, 0xFFFFFFF0u);
    EXPECT_FALSE(page.CanUndo());
    EXPECT_EQ(page.Texts(INT64_MAX / 2, false).marketValue, "-");
}

TEST(AddTradeDialog, OkNeedsSharesAndModeFallsBackToTotal) {
    AddTradeModel add;
    EXPECT_FALSE(add.OkEnabled());
    add.SetUnitPrice(true);
    EXPECT_FALSE(add.unitPrice);  // no unit price without shares
    add.SetSharesText("10");
    add.SetUnitPrice(true);
    EXPECT_TRUE(add.unitPrice);
    add.SetSharesText("0");
    EXPECT_FALSE(add.unitPrice);
    add.SetSharesText("abc");
    EXPECT_FALSE(add.OkEnabled());
    auto problem = add.Finish();
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->field, AddTradeModel::FIELD_SHARES);
    EXPECT_EQ(problem->message, SJIS("正の整数を入力してください。"));

    add.SetSharesText("1000000");
    add.SetUnitPrice(true);
    add.SetAmountText("99999999999999");  // × shares leaves the amount range
    problem = add.Finish();
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->field, AddTradeModel::FIELD_AMOUNT);
    EXPECT_EQ(problem->message, SJIS("通貨型を入力してください。"));
    add.SetAmountText("12.5x");
    EXPECT_TRUE(add.Finish().has_value());
}

TEST(SellTradeDialog, PreviewFollowsSharesEditModeAndSkipsInvalidInput) {
    auto stock = Stock(200, 200000 * kYen);  // average 1,000
    TradePageModel page = Page(*stock);
    SellTradeModel sell;
    sell.Init(page, 1200 * kYen, 0);
    EXPECT_EQ(sell.amount, 240000 * kYen);
    EXPECT_EQ(sell.ProfitText(), "40000");
    EXPECT_EQ(sell.AmountLabel(), SJIS("売付金額(&P):"));

    sell.SetSharesText("50");
    EXPECT_EQ(sell.costBasis, 50000 * kYen);
    sell.SetUnitPrice(true);
    sell.SetAmountText("1100");
    EXPECT_EQ(sell.ProfitText(), "5000");
    EXPECT_TRUE(sell.OkEnabled());
    sell.SetSharesText("201");
    EXPECT_FALSE(sell.OkEnabled());
    sell.SetSharesText("50");

    sell.PressEdit();
    EXPECT_TRUE(sell.costEdit);
    EXPECT_FALSE(sell.editEnabled);
    EXPECT_EQ(sell.EditCaption(), SJIS("単価を戻す(&R)"));
    sell.SetCostBasisText("60000");
    EXPECT_EQ(sell.average, 1200 * kYen);
    EXPECT_TRUE(sell.editEnabled);
    EXPECT_EQ(sell.ProfitText(), "-5000");
    sell.SetAverageText("900");
    EXPECT_EQ(sell.costBasis, 45000 * kYen);
    sell.PressEdit();  // back to the starting average
    EXPECT_EQ(sell.average, 1000 * kYen);
    EXPECT_EQ(sell.costBasis, 50000 * kYen);

    sell.SetAmountText("99999999999999999");  // beyond the amount range
    EXPECT_FALSE(sell.ProfitText().has_value());
    auto problem = sell.Finish();
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->field, SellTradeModel::FIELD_AMOUNT);
    sell.SetAmountText("1100");
    sell.SetCostBasisText("x");
    EXPECT_FALSE(sell.ProfitText().has_value());
    sell.SetSharesText("40");  // an invalid cost basis is not recomputed
    EXPECT_FALSE(sell.costBasis.has_value());
    problem = sell.Finish();
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->field, SellTradeModel::FIELD_COST_BASIS);
    sell.SetCostBasisText("40000");
    ASSERT_FALSE(sell.Finish().has_value());
    EXPECT_EQ(sell.finalAmount, 44000 * kYen);  // unit price × shares
}

TEST(ChangeMarketDialog, NameAndMarketRules) {
    auto stock = Stock();
    TradePageModel page = Page(*stock);
    ChangeMarketModel dialog;
    dialog.Init(page, *stock);
    EXPECT_EQ(dialog.selection, 0);
    EXPECT_TRUE(dialog.ListShown());
    EXPECT_FALSE(dialog.ApplyTo(page));  // nothing seen changed

    dialog.selection = 2;
    ASSERT_TRUE(dialog.ApplyTo(page));
    EXPECT_EQ(page.market, MARKET_JASDAQ);
    EXPECT_EQ(page.editFlags & TRADE_EDIT_NAME, 0u);

    dialog.Init(page, *stock);
    dialog.name.clear();  // an empty name asks for the name again
    dialog.ApplyTo(page);
    EXPECT_EQ(page.editFlags & (TRADE_EDIT_NAME | TRADE_EDIT_REFETCH), TRADE_EDIT_NAME | TRADE_EDIT_REFETCH);
    EXPECT_EQ(page.name, stock->name);

    dialog.Init(page, *stock);
    EXPECT_TRUE(dialog.refetch);  // from the page's flag once the name was edited
    EXPECT_FALSE(dialog.NameEnabled());
    dialog.refetch = false;
    dialog.name = SJIS("新しい名前");
    dialog.ApplyTo(page);
    PriceValue balance = 0;
    stock->status |= kNamePending;
    const TradeStoreResult stored = page.Store(*stock, balance, 0);
    EXPECT_TRUE(stored.marketChanged);
    EXPECT_EQ(stock->market, MARKET_JASDAQ);
    EXPECT_EQ(stock->name, SJIS("新しい名前"));
    EXPECT_EQ(stock->status & kNamePending, 0u);
    EXPECT_NE(stock->quoteUrl.find("7203.q"), std::string::npos) << stock->quoteUrl;  // rebuilt

    auto currency = std::make_unique<CStockMan>("USDJPY=X");
    page = Page(*currency);
    dialog.Init(page, *currency);
    EXPECT_FALSE(dialog.ListShown());
    EXPECT_EQ(dialog.selection, -1);
    EXPECT_EQ(dialog.marketText, MarketName(MARKET_CURRENCY));
    EXPECT_EQ(MarketListItems().size(), 7u);
}

TEST(AccountBalance, ChangesReportOnlyRealChanges) {
    PriceValue balance = 1000 * kYen;
    EXPECT_FALSE(ChangeBalance(balance, BalanceChange::Set, 1000 * kYen));
    EXPECT_TRUE(ChangeBalance(balance, BalanceChange::Add, 500 * kYen));
    EXPECT_EQ(balance, 1500 * kYen);
    EXPECT_TRUE(ChangeBalance(balance, BalanceChange::Subtract, 2000 * kYen));
    EXPECT_EQ(balance, -500 * kYen);
    EXPECT_FALSE(ChangeBalance(balance, BalanceChange::Add, 0));
    EXPECT_FALSE(ChangeBalance(balance, BalanceChange::Subtract, INT64_MAX));  // overflow: unchanged
    EXPECT_EQ(balance, -500 * kYen);
    EXPECT_TRUE(ChangeBalance(balance, BalanceChange::Set, 0));
    EXPECT_EQ(balance, 0);
}

}  // namespace
}  // namespace quotrix
