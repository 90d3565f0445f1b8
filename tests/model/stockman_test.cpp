#include "model/StockMan.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/TextCodec.h"
#include "settings/MemorySettingsStore.h"

namespace quotrix {
namespace {

// Codes whose hash puts them in bucket 7, found by search so the test does not restate the hash.
std::vector<std::uint32_t> CodesInBucket(std::uint32_t bucket, std::size_t count) {
    std::vector<std::uint32_t> codes;
    for (std::uint32_t code = 1000; codes.size() < count; ++code)
        if (CStock(code, 1).Hash() == bucket) codes.push_back(code);
    return codes;
}

TEST(StockRegistry, IdentifiersFollowTheBucketRule) {
    const auto codes = CodesInBucket(7, 3);
    auto first = std::make_unique<CStockMan>(codes[0], 1);
    auto second = std::make_unique<CStockMan>(codes[1], 1);
    EXPECT_EQ(first->Id(), 39u);
    EXPECT_EQ(second->Id(), 71u);
    EXPECT_EQ(StockRegistry::Instance().Find(39), first.get());
    EXPECT_EQ(StockRegistry::Instance().Find(71), second.get());
    first.reset();
    EXPECT_EQ(StockRegistry::Instance().Find(39), nullptr);
    auto third = std::make_unique<CStockMan>(codes[2], 1);
    EXPECT_EQ(third->Id(), 103u);
    EXPECT_EQ(StockRegistry::Instance().Find(103), third.get());
    EXPECT_EQ(StockRegistry::Instance().Find(71), second.get());
}

TEST(StockRegistry, RegisterTwiceFailsUnregisterTwiceSucceeds) {
    CStockMan stock("7203.t");
    const std::uint32_t id = stock.Id();
    EXPECT_GE(id, 32u);
    EXPECT_FALSE(StockRegistry::Instance().Register(stock));
    EXPECT_EQ(stock.Id(), id);
    EXPECT_TRUE(StockRegistry::Instance().Unregister(stock));
    EXPECT_EQ(stock.Id(), 0u);
    EXPECT_TRUE(StockRegistry::Instance().Unregister(stock));
    EXPECT_EQ(StockRegistry::Instance().Find(id), nullptr);
    EXPECT_EQ(StockRegistry::Instance().Find(0), nullptr);
    EXPECT_EQ(StockRegistry::Instance().Find(1), nullptr);
}

TEST(StockMan, NewStocksGetDefaultsAddressesAndAName) {
    CStockMan stock("7203.t", SJIS("トヨタ自動車"));
    EXPECT_EQ(stock.curPlusHigh, 10 * kYen);
    EXPECT_EQ(stock.perMinusHigh, 1000u);
    EXPECT_EQ(stock.fileFlags, 2u);
    EXPECT_EQ(stock.desktopTxtFlags, 13u);
    EXPECT_EQ(stock.arrowImage, 10);
    EXPECT_EQ(stock.displayFlag, 1);
    EXPECT_EQ(stock.codeText, "7203");
    EXPECT_FALSE(stock.quoteUrl.empty());
    EXPECT_EQ(SjisToUtf8(stock.name), "トヨタ自動車");

    CStockDefaults defaults;
    defaults.fileFlags = 0xFFFF;
    defaults.tradeMode = 6;
    defaults.iconIndexMode = 7;
    defaults.showMode = 21;
    CStockMan withDefaults(6758, 1, &defaults);
    EXPECT_EQ(withDefaults.fileFlags, 0xF07u);
    EXPECT_EQ(withDefaults.tradeMode, 2);
    EXPECT_EQ(withDefaults.iconIndexMode, 2);
    EXPECT_EQ(withDefaults.showMode, 21);
}

TEST(StockParams, ReadingChecksEveryValue) {
    MemorySettingsStore store;
    store.SetInt("StdStock", "DispLowerLo", 2000000);
    store.SetInt("StdStock", "DispUpperLo", 1000000);
    store.SetInt("StdStock", "ShowMode", 4);
    store.SetInt("StdStock", "IconIndexMode", 7);
    store.SetInt("StdStock", "FileFlags", 0xFFFF);
    store.SetInt("StdStock", "TradeMode", 6);
    store.SetInt("StdStock", "PercentFlag", 5);
    store.SetInt("StdStock", "CurPlusHighH", 1);
    store.SetInt("StdStock", "CurPlusHighL", 2);
    CStockDefaults d;
    d.ReadSettings(store, "StdStock");
    EXPECT_EQ(d.dispLower, 100 * kYen);
    EXPECT_EQ(d.dispUpper, 200 * kYen);
    EXPECT_EQ(d.showMode, 0);
    EXPECT_EQ(d.iconIndexMode, 2);
    EXPECT_EQ(d.fileFlags, 0xF07u);
    EXPECT_EQ(d.tradeMode, 2);
    EXPECT_TRUE(d.percentFlag);
    EXPECT_EQ(d.curPlusHigh, (PriceValue{1} << 32) | 2);
    EXPECT_EQ(d.curMinusHigh, 10 * kYen);  // missing keys keep the current value
    EXPECT_EQ(d.desktopTxtFlags, 13u);

    store.SetInt("StdStock", "ShowMode", 22);
    d.ReadSettings(store, "StdStock");
    EXPECT_EQ(d.showMode, 22);
}

TEST(StockParams, WriteThenReadRoundTrips) {
    CStockDefaults d;
    d.curPlusHigh = -123456789012345;
    d.curMinusLow = 7;
    d.perPlusLow = 12345;
    d.percentFlag = true;
    d.dispLower = -5 * kYen;
    d.dispUpper = PriceValue{0x7FFFFFFF} * 3;
    d.targetPrice = 2971 * kYen;
    d.fileFlags = 0x603;
    d.desktopTxtFlags = 0xABCD;
    d.tradeMode = 3;
    d.showMode = 20;
    d.iconIndexMode = 1;
    d.desktopTxtMode = 2;
    MemorySettingsStore store;
    d.WriteSettings(store, "StdStock");
    EXPECT_TRUE(store.Contains("StdStock", "CurPlusHighH"));
    EXPECT_TRUE(store.Contains("StdStock", "TargetPriceHi"));
    CStockDefaults back;
    back.ReadSettings(store, "StdStock");
    EXPECT_EQ(back, d);
    EXPECT_EQ(back.desktopTxtMode, 2u);
}

TEST(StockParams, WatchAlert) {
    CStockParams p;
    p.dispLower = 100 * kYen;
    p.dispUpper = 200 * kYen;
    p.targetPrice = 300 * kYen;
    EXPECT_FALSE(p.WatchAlert(50 * kYen));
    p.fileFlags = FILEFLAG_ALERT_OUTSIDE;
    EXPECT_TRUE(p.WatchAlert(50 * kYen));
    EXPECT_FALSE(p.WatchAlert(100 * kYen));
    p.fileFlags = FILEFLAG_ALERT_OUTSIDE | FILEFLAG_ALERT_INSIDE;  // inside wins
    EXPECT_TRUE(p.WatchAlert(200 * kYen));
    EXPECT_FALSE(p.WatchAlert(201 * kYen));
    p.fileFlags = FILEFLAG_ALERT_TARGET | FILEFLAG_ALERT_INSIDE;
    EXPECT_TRUE(p.WatchAlert(300 * kYen));
    EXPECT_TRUE(p.WatchAlert(150 * kYen));
    EXPECT_FALSE(p.WatchAlert(250 * kYen));
}

TEST(Totals, HoldingsAddValueChangeAndProfit) {
    CStockMan stock(7203, 1);
    stock.shares = 100;
    stock.cost = 100000 * kYen;
    stock.price = 1200 * kYen;
    stock.change = 15 * kYen;
    stock.status = STATUS_UPDATED;

    PriceValue value = 0, change = 0, profit = 0;
    EXPECT_EQ(AddToTotals(stock, value, change, profit), STATUS_UPDATED);
    EXPECT_EQ(value, 120000 * kYen);
    EXPECT_EQ(change, 1500 * kYen);
    EXPECT_EQ(profit, 20000 * kYen);

    stock.tradeMode = TRADE_MARGIN_BUY;
    value = change = profit = 0;
    AddToTotals(stock, value, change, profit);
    EXPECT_EQ(value, 20000 * kYen);
    EXPECT_EQ(profit, 20000 * kYen);

    stock.tradeMode = TRADE_MARGIN_SELL;
    value = change = profit = 0;
    AddToTotals(stock, value, change, profit);
    EXPECT_EQ(value, -20000 * kYen);
    EXPECT_EQ(profit, -20000 * kYen);
    EXPECT_EQ(change, -1500 * kYen);

    stock.shares = 0;
    value = change = profit = 0;
    EXPECT_EQ(AddToTotals(stock, value, change, profit), 2u);
    EXPECT_EQ(value, 0);
}

TEST(Totals, HugeValuesFromADamagedFileDoNotTrap) {
    CStockMan stock(7203, 1);
    stock.shares = 0xFFFFFFFF;
    stock.price = INT64_MAX;
    stock.change = INT64_MIN;
    PriceValue value = INT64_MAX, change = INT64_MIN, profit = 0;
    AddToTotals(stock, value, change, profit);  // wraps; must not be undefined behaviour
    SUCCEED();
}

TEST(SameInstrument, ComparesCodeMarketAndText) {
    CStock usd("USDJPY=X"), eur("EURJPY=X");
    EXPECT_FALSE(SameInstrument(usd, eur));
    EXPECT_TRUE(SameInstrument(usd, CStock("usd")));
    EXPECT_FALSE(SameInstrument(CStock(7203, 0), CStock(7203, 1)));
    EXPECT_TRUE(SameInstrument(CStock("7203.t"), CStock("7203.T")));
}

TEST(ShowModeText, NamesAndPortfolio) {
    EXPECT_EQ(SjisToUtf8(ShowModeText(1, 0)), "トレイ");
    EXPECT_EQ(SjisToUtf8(ShowModeText(21, 2)), "デスクトップ(指定範囲内非表示), ポートフォリオ");
    EXPECT_EQ(SjisToUtf8(ShowModeText(0, 2)), "ポートフォリオ");
    EXPECT_EQ(SjisToUtf8(ShowModeText(9, 0)), "非表示");
}

}  // namespace
}  // namespace quotrix
