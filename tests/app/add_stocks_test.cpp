#include "app/AddStocks.h"

#include <gtest/gtest.h>

#include "app/CodeList.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

TEST(AddStocks, DuplicatesOfListedAndEarlierStocksAreRefusedInOrder) {
    StockList listed;
    ParseCodeList(listed, "7203.t USD", nullptr);
    StockList incoming;
    // 7203.t again, 7203 on another market, a new code twice, the currency pair again.
    ParseCodeList(incoming, "7203.T 7203.o 6758 6758 USD", nullptr);
    incoming[0]->name = Utf8ToSjis("トヨタ自動車");
    StockList refused = TakeDuplicates(listed, incoming);
    ASSERT_EQ(incoming.size(), 2u);
    EXPECT_EQ(incoming[0]->market, MarketFromLetter('o'));
    EXPECT_EQ(incoming[1]->code, 6758u);
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0]->code, 7203u);
    EXPECT_EQ(refused[1]->code, 6758u);
    EXPECT_TRUE(refused[2]->IsCurrency());

    const std::string report = DuplicateReport(refused);
    const std::string head = Utf8ToSjis("次の3銘柄を追加できませんでした。\r\n\r\n・トヨタ自動車 (7203.T)\r\n");
    EXPECT_EQ(report.substr(0, head.size()), head);
    EXPECT_NE(report.find(" (6758)\r\n"), std::string::npos);
    EXPECT_TRUE(DuplicateReport(StockList{}).empty());
}

TEST(AddStocks, LogLines) {
    EXPECT_EQ(AddedItemsLogLine(5, false), "Add 5 items");
    EXPECT_EQ(AddedItemsLogLine(2, true), "Add 2 items by keywords");
}

}  // namespace
}  // namespace quotrix
