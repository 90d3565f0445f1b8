#include "dialogs/StockListModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "model/Price.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

std::string S(const char* utf8) { return Utf8ToSjis(utf8); }

TEST(StockListRows, HoldingMarginAndEmptyStocksShowTheirTexts) {
    CStockMan bought("7203.t", S("トヨタ自動車"));
    bought.shares = 1200;
    bought.cost = PriceValue{12345675000};
    bought.iconIndexMode = 1;
    bought.fileFlags = FILEFLAG_PORTFOLIO | 0x1;
    bought.showMode = 20;
    StockListRow row = BuildStockListRow(bought, true);
    EXPECT_EQ(row[SLC_NAME], S("トヨタ自動車"));
    EXPECT_EQ(row[SLC_CODE], "7203");
    EXPECT_EQ(row[SLC_MARKET], S("東京"));
    EXPECT_EQ(row[SLC_SHARES], "1,200");
    EXPECT_EQ(row[SLC_TRADE_KIND], S("買"));
    EXPECT_EQ(row[SLC_TOTAL], "1,234,567.50");
    EXPECT_EQ(row[SLC_REFERENCE], S("売買単価"));
    EXPECT_EQ(row[SLC_BORDER], S("○"));
    EXPECT_EQ(row[SLC_SHOW], S("デスクトップ, ポートフォリオ"));
    EXPECT_EQ(BuildStockListRow(bought, false)[SLC_TOTAL], "1234567.50");

    bought.tradeMode = TRADE_MARGIN_SELL;
    EXPECT_EQ(BuildStockListRow(bought, true)[SLC_TRADE_KIND], S("信用売"));
    bought.tradeMode = TRADE_MARGIN_BUY;
    EXPECT_EQ(BuildStockListRow(bought, true)[SLC_TRADE_KIND], S("信用買"));
    // A spot sell position is still listed as a purchase.
    bought.tradeMode = TRADE_SELL;
    EXPECT_EQ(BuildStockListRow(bought, true)[SLC_TRADE_KIND], S("買"));

    CStockMan empty("6758.o", S("ソニー"));
    empty.iconIndexMode = 7;
    empty.fileFlags = 0;
    empty.showMode = 0;
    row = BuildStockListRow(empty, true);
    EXPECT_EQ(row[SLC_SHARES], "0");
    EXPECT_EQ(row[SLC_TRADE_KIND], " ");
    EXPECT_EQ(row[SLC_TOTAL], "-");
    EXPECT_EQ(row[SLC_REFERENCE], "");
    EXPECT_EQ(row[SLC_BORDER], "");
    EXPECT_EQ(row[SLC_SHOW], S("非表示"));
    EXPECT_EQ(row[SLC_MARKET], S("大阪"));
}

TEST(StockListSorting, ThreeKindsOfComparison) {
    // Codes compare as numbers, not as text ("998407" after "9984").
    EXPECT_LT(CompareStockListTexts(SLC_CODE, "9984", "998407"), 0);
    EXPECT_GT(CompareStockListTexts(SLC_CODE, "10000", "9999"), 0);
    EXPECT_EQ(CompareStockListTexts(SLC_CODE, "0100", "100"), 0);
    // A currency pair's code has no digits: 0.
    EXPECT_LT(CompareStockListTexts(SLC_CODE, "USDJPY", "0001"), 0);
    // Amounts: grouped digits and fractions are read; "-" and a blank count as 0.
    EXPECT_GT(CompareStockListTexts(SLC_TOTAL, "1,000,000", "999,999.99"), 0);
    EXPECT_EQ(CompareStockListTexts(SLC_TOTAL, "-", "0"), 0);
    EXPECT_EQ(CompareStockListTexts(SLC_SHARES, " ", "-"), 0);
    EXPECT_LT(CompareStockListTexts(SLC_TOTAL, "-", "0.01"), 0);
    EXPECT_GT(CompareStockListTexts(SLC_SHARES, "1,200", "900"), 0);
    // Other columns: bytes, so a lead byte of Shift-JIS sorts after ASCII.
    EXPECT_LT(CompareStockListTexts(SLC_NAME, "ABC", S("あ")), 0);
    EXPECT_GT(CompareStockListTexts(SLC_SHOW, "b", "a"), 0);
    EXPECT_EQ(CompareStockListTexts(SLC_NAME, "x", "x"), 0);
}

TEST(StockListSorting, SecondClickOnAColumnReversesTheOrderOfOneClick) {
    const std::vector<std::string> totals = {"-", "1,500", "200", "12.5", "1,500"};
    auto sorted = [&](const StockListSort& sort) {
        std::vector<std::string> rows = totals;
        std::stable_sort(rows.begin(), rows.end(),
                         [&](const std::string& a, const std::string& b) { return sort.Compare(a, b) < 0; });
        return rows;
    };
    StockListSort sort;
    sort.Click(SLC_TOTAL);
    EXPECT_EQ(sort.Direction(), 1);
    const std::vector<std::string> once = sorted(sort);
    EXPECT_EQ(once, (std::vector<std::string>{"-", "12.5", "200", "1,500", "1,500"}));
    sort.Click(SLC_TOTAL);
    EXPECT_EQ(sort.Direction(), -1);
    std::vector<std::string> twice = sorted(sort);
    std::reverse(twice.begin(), twice.end());
    EXPECT_EQ(twice, once);
    // Another column starts ascending again; back on the first, ascending too.
    sort.Click(SLC_NAME);
    EXPECT_EQ(sort.Column(), SLC_NAME);
    EXPECT_EQ(sort.Direction(), 1);
    sort.Click(SLC_TOTAL);
    EXPECT_EQ(sort.Direction(), 1);
}

TEST(StockListDelete, QuestionNamesEveryFoundStockWithItsMarketSuffix) {
    CStockMan toyota("7203.t", S("トヨタ"));
    CStockMan plain("1234", S("無印"));
    plain.market = 0;
    CStockMan dollar("USDJPY", S("米ドル/円"));
    const CStock* found[] = {&toyota, &plain, &dollar};
    EXPECT_EQ(DeleteQuestionText(found), S("次の3銘柄を削除します。よろしいですか？\r\n\r\n・トヨタ (7203.T)\r\n"
                                           "・無印 (1234)\r\n・米ドル/円 (USDJPY=X)\r\n"));
    EXPECT_EQ(DeleteQuestionText({}), "");
}

TEST(StockListOrder, CollectionTakesTheRowOrderSkippingGoneStocks) {
    StockList stocks;
    for (const char* code : {"1001", "1002", "1003", "1004"}) stocks.push_back(std::make_unique<CStockMan>(code));
    auto codes = [&] {
        std::string text;
        for (const auto& s : stocks) text += s->codeText + " ";
        return text;
    };
    const std::uint32_t id1 = stocks[0]->Id(), id2 = stocks[1]->Id(), id3 = stocks[2]->Id(), id4 = stocks[3]->Id();
    // Already in row order: nothing changes.
    const std::uint32_t same[] = {id1, id2, id3, id4};
    EXPECT_FALSE(ApplyRowOrder(stocks, same));
    EXPECT_EQ(codes(), "1001 1002 1003 1004 ");
    // A dragged row and the id of a stock deleted meanwhile (never registered again).
    const std::uint32_t gone = id4 + 1000;
    const std::uint32_t dragged[] = {id3, gone, id1, id2, id4};
    EXPECT_TRUE(ApplyRowOrder(stocks, dragged));
    EXPECT_EQ(codes(), "1003 1001 1002 1004 ");
    // Stocks added after the rows were filled keep their place behind the listed ones.
    stocks.push_back(std::make_unique<CStockMan>("1005"));
    const std::uint32_t partial[] = {id4, id2};
    EXPECT_TRUE(ApplyRowOrder(stocks, partial));
    EXPECT_EQ(codes(), "1004 1002 1003 1001 1005 ");
}

}  // namespace
}  // namespace quotrix
