#include "app/CodeList.h"

#include <gtest/gtest.h>

#include "model/StockMan.h"

namespace quotrix {
namespace {

StockList Parse(const std::string& text, bool* ok = nullptr) {
    StockList stocks;
    const bool result = ParseCodeList(stocks, text, nullptr);
    if (ok) *ok = result;
    return stocks;
}

TEST(ParseCodeList, MixedSeparatorsMarketsAndCurrencies) {
    bool ok = false;
    StockList s = Parse(std::string("3456.T, 7777.Q 9999\tUSD,,EUR"), &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[0]->code, 3456u);
    EXPECT_EQ(s[0]->market, MARKET_TOKYO);
    EXPECT_EQ(s[1]->code, 7777u);
    EXPECT_EQ(s[1]->market, MarketFromLetter('q'));
    EXPECT_EQ(s[2]->code, 9999u);
    EXPECT_EQ(s[2]->market, 0u);
    EXPECT_TRUE(s[3]->IsCurrency());
    EXPECT_TRUE(s[4]->IsCurrency());
    // Each stock is registered and so has a tray id of its own.
    EXPECT_GE(s[0]->Id(), 32u);
    EXPECT_NE(s[0]->Id(), s[1]->Id());
}

TEST(ParseCodeList, DefaultLettersShortCodesAndTextRules) {
    StockList s = Parse("1320 1320.t 12 12345678 7203.x 7203.TX .T");
    ASSERT_EQ(s.size(), 7u);
    EXPECT_EQ(s[0]->market, MarketFromLetter('o'));
    EXPECT_EQ(s[1]->market, MARKET_TOKYO);
    EXPECT_EQ(s[2]->code, 12u);               // one or two digits still make a coded stock
    EXPECT_EQ(s[3]->code, 0u);                // too long: the text rules keep it without a code
    EXPECT_EQ(s[4]->market, MARKET_UNKNOWN);  // the text rules keep the unknown letter's market
    EXPECT_FALSE(HasStockCode(*s[6]));
    EXPECT_TRUE(Parse("").empty());
    EXPECT_TRUE(Parse(" ,\t\r\n").empty());
}

TEST(CommandLine, TokensQuotesAndArguments) {
    const std::string line = "\"C:\\Program Files\\Quotrix.exe\"  /f \"C:\\My Files\\a b.quotrix\"\t x";
    EXPECT_EQ(GetCommandLineToken(line, 0), "C:\\Program Files\\Quotrix.exe");
    EXPECT_EQ(GetCommandLineToken(line, 1), "/f");
    EXPECT_EQ(GetCommandLineToken(line, 2), "C:\\My Files\\a b.quotrix");
    EXPECT_EQ(GetCommandLineToken(line, 3), "x");
    EXPECT_EQ(GetCommandLineToken(line, 4), "");
    EXPECT_EQ(GetCommandLineToken("a\"b c\"d e", 0), "ab cd");
    EXPECT_EQ(CommandLineArguments(line), "/f \"C:\\My Files\\a b.quotrix\"\t x");
    EXPECT_EQ(CommandLineArguments("Quotrix.exe"), "");
}

TEST(CommandLine, StartupArguments) {
    StartupArguments a = ReadStartupArguments("/f \"C:\\a b\\c.quotrix\"");
    EXPECT_EQ(a.kind, StartupArguments::STOCK_FILE);
    EXPECT_EQ(a.text, "C:\\a b\\c.quotrix");
    EXPECT_EQ(ReadStartupArguments("-f x.quotrix").kind, StartupArguments::STOCK_FILE);
    EXPECT_EQ(ReadStartupArguments("/F x.quotrix").kind, StartupArguments::BAD_SWITCH);
    EXPECT_EQ(ReadStartupArguments("/f").kind, StartupArguments::BAD_SWITCH);
    EXPECT_EQ(ReadStartupArguments("/x a").kind, StartupArguments::BAD_SWITCH);
    EXPECT_EQ(ReadStartupArguments("  ").kind, StartupArguments::NONE);
    a = ReadStartupArguments("7203  \t 6758.t");
    EXPECT_EQ(a.kind, StartupArguments::CODES);
    EXPECT_EQ(a.text, "7203 6758.t");
    // "/ff" is three characters: a code list, not a switch.
    EXPECT_EQ(ReadStartupArguments("/ff a").kind, StartupArguments::CODES);
}

}  // namespace
}  // namespace quotrix
