// The stock list as CSV text and as clipboard payloads: the private block (a record count and
// the stock records of the stock file) and the tab-separated text.
//
// Texts are Shift-JIS with CR LF line ends; fields are never quoted (a comma in a name shifts the
// columns of its line). Prices are printed from PriceValue (ten-thousandths of a yen) with
// FormatPrice. Main thread only: pasting makes registered CStockMan objects.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "files/StockRecord.h"

namespace quotrix {

class CStock;

// "銘柄名,コード,...,損益" and CR LF.
const std::string& CsvHeaderLine();
std::string BuildCsvLine(const CStock& stock);
// The header line and one line per stock in list order.
std::string BuildCsvText(const StockList& stocks);
// The clipboard's text form: every "," of the CSV turned into a tab.
std::string CsvToClipboardText(std::string csv);

// One stock's record and strings, as the stock file holds them.
std::string BuildClipboardRecord(const CStockMan& stock);
// The private block: the number of records (4 bytes, little-endian) and the records.
std::string BuildClipboardBlock(std::span<const CStockMan* const> stocks);
std::string BuildClipboardBlock(const StockList& stocks);
// Makes a new stock of every complete record of a pasted block and appends it to `stocks`;
// returns how many were made. A short, foreign or damaged block gives the complete records
// before the damage.
std::size_t ReadClipboardBlock(std::string_view block, StockList& stocks);

}  // namespace quotrix
