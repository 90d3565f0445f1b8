// The stock clipboard format on the real Windows clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "../files/FilesTestSupport.h"
#include "files/StockCsv.h"
#include "platform/Clipboard.h"
#include "platform/win32/WinText.h"

namespace quotrix {
namespace {

TEST(ClipboardWin32, StocksTravelAsBlockAndText) {
    ASSERT_TRUE(RegisterStockClipboardFormat());
    EXPECT_NE(RegisterClipboardFormatW(Wide(SJIS("Quotrix!銘柄データ")).c_str()), 0u);
    StockList stocks;
    stocks.push_back(std::make_unique<CStockMan>("7203.t", SJIS("トヨタ自動車")));
    stocks.push_back(std::make_unique<CStockMan>("usd", SJIS("米ドル/円")));
    const std::string block = BuildClipboardBlock(stocks);
    const std::string text = CsvToClipboardText(BuildCsvText(stocks));
    ASSERT_TRUE(PutStocksOnClipboard(nullptr, block, text));
    EXPECT_TRUE(ClipboardHasStocks(nullptr));

    const auto pasted = GetStocksFromClipboard(nullptr);
    ASSERT_TRUE(pasted.has_value());
    ASSERT_GE(pasted->size(), block.size());
    EXPECT_EQ(pasted->substr(0, block.size()), block);
    StockList back;
    EXPECT_EQ(ReadClipboardBlock(*pasted, back), 2u);
    EXPECT_EQ(back[1]->codeText, "USDJPY=X");

    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(data, nullptr);
    const std::wstring onBoard(static_cast<const wchar_t*>(GlobalLock(data)));
    GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(Narrow(onBoard), text);
}

TEST(ClipboardWin32, TextAloneIsNoStockData) {
    ASSERT_TRUE(RegisterStockClipboardFormat());
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 6);
    std::memcpy(GlobalLock(memory), "hello", 6);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    EXPECT_FALSE(ClipboardHasStocks(nullptr));
    EXPECT_FALSE(GetStocksFromClipboard(nullptr).has_value());
}

}  // namespace
}  // namespace quotrix
