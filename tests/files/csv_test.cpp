#include "files/StockCsv.h"

#include <gtest/gtest.h>

#include <memory>

#include "FilesTestSupport.h"

namespace quotrix {
namespace {

using testing::ExpectSameStock;

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == separator)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::unique_ptr<CStockMan> Held() {
    auto s = std::make_unique<CStockMan>("7203.t", SJIS("トヨタ自動車"));
    s->shares = 100;
    s->cost = 1234567800;  // 123,456.78 yen
    s->price = 1300 * kYen;
    s->change = -155000;
    s->volume = 2345678;
    s->open = 1310 * kYen;
    s->high = 1325 * kYen + 5000;
    s->low = 1295 * kYen;
    s->prevClose = 13155000;
    s->updateTime = "15:00";
    return s;
}

TEST(Csv, LineOfAHolding) {
    EXPECT_EQ(
        SjisToUtf8(BuildCsvLine(*Held())),
        "トヨタ自動車,7203.T,15:00,1300,-15.50,2345678,1310,1325.50,1295,1315.50,100,123456.78,1234.56,6543.22\r\n");
}

TEST(Csv, LinesWithoutSharesAndOfOtherInstruments) {
    CStockMan plain(6758, MARKET_NONE);
    plain.price = 12345;  // 1.2345 yen: fractions are cut to hundredths
    EXPECT_EQ(BuildCsvLine(plain), ",6758,,1.23,0,0,0,0,0,0,0,0,0,0\r\n");

    CStockMan dollar("usd", SJIS("米ドル/円"));
    const auto fields = Split(BuildCsvLine(dollar), ',');
    ASSERT_EQ(fields.size(), 14u);
    EXPECT_EQ(fields[1], "0000");

    CStockMan odd(1234, MARKET_TOKYO);
    odd.market = 99;
    EXPECT_EQ(Split(BuildCsvLine(odd), ',')[1], "1234");

    // No quoting: a comma in the name moves every later column one place on.
    CStockMan comma("7203.t", "A,B");
    comma.shares = 10;
    const auto shifted = Split(BuildCsvLine(comma), ',');
    ASSERT_EQ(shifted.size(), 15u);
    EXPECT_EQ(shifted[2], "7203.T");
}

TEST(Csv, TextHasTheHeaderAndAllStocksInOrder) {
    StockList stocks;
    stocks.push_back(Held());
    stocks.push_back(std::make_unique<CStockMan>("998407", SJIS("日経平均")));
    const std::string text = SjisToUtf8(BuildCsvText(stocks));
    EXPECT_EQ(text.substr(0, text.find('\n') + 1),
              "銘柄名,コード,更新時刻,株価,前日比,出来高,始値,高値,安値,前日終値,株数,売買総額,売買単価,損益\r\n");
    EXPECT_EQ(text, SjisToUtf8(CsvHeaderLine() + BuildCsvLine(*stocks[0]) + BuildCsvLine(*stocks[1])));
    EXPECT_NE(text.find("日経平均,998407.O,"), std::string::npos);

    const std::string tabbed = CsvToClipboardText(BuildCsvText(stocks));
    EXPECT_EQ(tabbed.find(','), std::string::npos);
    EXPECT_EQ(SjisToUtf8(tabbed).rfind("銘柄名\tコード\t更新時刻\t", 0), 0u);
}

TEST(ClipboardBlock, CarriesRecordsExactlyAsTheFile) {
    StockList stocks;
    stocks.push_back(Held());
    stocks.push_back(std::make_unique<CStockMan>("EURUSD", SJIS("ユーロ/ドル")));
    stocks.push_back(std::make_unique<CStockMan>(9984, MARKET_TOKYO));
    const std::string block = BuildClipboardBlock(stocks);
    EXPECT_EQ(block.substr(0, 4), std::string("\x03\0\0\0", 4));
    EXPECT_EQ(block.substr(4, 272 + 12), BuildClipboardRecord(*stocks[0]));

    StockList pasted;
    ASSERT_EQ(ReadClipboardBlock(block, pasted), 3u);
    for (int i = 0; i < 3; ++i) ExpectSameStock(*pasted[i], *stocks[i]);
    EXPECT_NE(pasted[0]->Id(), stocks[0]->Id());
}

TEST(ClipboardBlock, ShortOrDamagedBlocksGiveTheCompleteRecords) {
    StockList two;
    two.push_back(Held());
    two.push_back(std::make_unique<CStockMan>(9984, MARKET_TOKYO));
    const std::string block = BuildClipboardBlock(two);
    const std::size_t first = 4 + 272 + 12;

    struct Case {
        std::string bytes;
        std::size_t expected;
    };
    std::string claimsMore = block;
    claimsMore[0] = '\x05';
    std::string claimsHuge = block;
    claimsHuge.replace(0, 4, "\xFF\xFF\xFF\xFF");
    std::string claimsNone = block;
    claimsNone[0] = '\0';
    std::string hugeName = block;
    hugeName.replace(first + rec::NameLength, 4, "\xFF\xFF\xFF\x7F");
    const std::vector<Case> cases = {
        {block.substr(0, first), 1},          // count 2, one record
        {block.substr(0, first + 271), 1},    // second record cut
        {block.substr(0, first - 1), 0},      // first record's name cut
        {claimsMore, 2},                      // count beyond the records
        {claimsHuge, 2},                      //
        {claimsNone, 0},                      // count 0
        {hugeName, 1},                        // length beyond the block
        {block.substr(0, 4), 0},              // shorter than 5 bytes
        {std::string("\x01\0\0\0\0", 5), 0},  // one byte of a record
        {"", 0},
    };
    for (const Case& c : cases) {
        StockList pasted;
        EXPECT_EQ(ReadClipboardBlock(c.bytes, pasted), c.expected) << c.bytes.size();
        EXPECT_EQ(pasted.size(), c.expected);
    }
}

}  // namespace
}  // namespace quotrix
