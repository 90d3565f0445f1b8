// The main window's add routine, its portable half: which new stocks a batch may add and the
// report of those it refused. Texts are Shift-JIS. Main thread only (stocks register themselves).
#pragma once

#include <string>

#include "model/StockMan.h"

namespace quotrix {

// Moves out of `incoming` every stock that names the same instrument (SameInstrument: code,
// market and code text) as a stock of `listed` or an earlier stock of `incoming`, keeping the
// order of the rest; answers the refused stocks in input order.
StockList TakeDuplicates(const StockList& listed, StockList& incoming);

// The message box text for refused stocks: "次の%d銘柄を追加できませんでした。" and one line
// "・name (code text and market suffix)" each. Empty when nothing was refused.
std::string DuplicateReport(const StockList& refused);
// The report's caption, "銘柄の追加".
const std::string& DuplicateReportCaption();

// The log lines of an added batch: "Add %d items" (codes typed) or "Add %d items by keywords".
std::string AddedItemsLogLine(std::size_t count, bool byKeywords);

}  // namespace quotrix
