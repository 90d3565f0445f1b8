// The clipboard transport of the stock list: the private format "Quotrix!銘柄データ" (a block of
// bytes built by files/StockCsv.h) together with the text form for other programs.
//
// `owner` is the window (HWND) that opens the clipboard; it may be null. Main thread only.
// Failures end the command quietly: the results are false or empty.
#pragma once

#include <optional>
#include <string>

namespace quotrix {

// Registers the private format; called once at start. Without it no clipboard call works.
bool RegisterStockClipboardFormat();
// Empties the clipboard and puts the block and the text (Shift-JIS) on it. True when both are there.
bool PutStocksOnClipboard(void* owner, const std::string& block, const std::string& text);
// A private copy of the block on the clipboard, or nothing when there is none.
std::optional<std::string> GetStocksFromClipboard(void* owner);
// Whether the private format is on the clipboard (enables pasting).
bool ClipboardHasStocks(void* owner);

}  // namespace quotrix
