// The portable half of the stock list manager: the nine columns and the texts of a stock's row,
// the sort order of the header clicks, the delete question and the step that puts the stock list
// into the manager's row order.
//
// Texts are Shift-JIS. Rows name their stock by its identity number (StockRegistry), so a stock
// deleted while the manager shows it is skipped. Plain values, user-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/StockMan.h"

namespace quotrix {

enum StockListColumn : int {
    SLC_NAME,
    SLC_CODE,
    SLC_MARKET,
    SLC_SHARES,
    SLC_TRADE_KIND,
    SLC_TOTAL,
    SLC_REFERENCE,
    SLC_BORDER,
    SLC_SHOW,
    kStockListColumns
};

enum class ColumnAlign { Left, Right, Centre };

struct StockListColumnInfo {
    std::string title;  // Shift-JIS
    int width;          // pixels
    ColumnAlign align;
};

const StockListColumnInfo& StockListColumnAt(int column);

using StockListRow = std::array<std::string, kStockListColumns>;

// What the row of `stock` shows; `groupDigits` puts "," into the share count and the total.
StockListRow BuildStockListRow(const CStockMan& stock, bool groupDigits);

// How a column's texts compare when the rows are sorted by it.
enum class SortKind {
    Number,  // leading decimal digits, compared as numbers
    Amount,  // amounts; an unreadable text ("-", a blank) counts as 0
    Bytes,   // byte-wise
};
SortKind SortKindOf(int column);
// -1, 0 or 1: the ascending order of two texts of `column`.
int CompareStockListTexts(int column, std::string_view a, std::string_view b);

// The sort of the header clicks, kept for the life of the program: a click on the column sorted
// last reverses the direction, a click on another column sorts it ascending.
class StockListSort {
  public:
    void Click(int column);
    int Column() const { return column_; }
    int Direction() const { return direction_; }
    // The order of two rows' texts of the sorted column, in the current direction.
    int Compare(std::string_view a, std::string_view b) const {
        return CompareStockListTexts(column_, a, b) * direction_;
    }

  private:
    int column_ = -1;
    int direction_ = 1;
};

// "・name (code.T)\r\n": one line of the delete question.
std::string DeleteQuestionLine(const CStock& stock);
// The whole question for the stocks found; empty when none was found.
std::string DeleteQuestionText(std::span<const CStock* const> found);

// Puts the stocks named by `rowIds` (top to bottom) first, in that order; ids of stocks that are
// gone are skipped, and stocks the rows do not name (added meanwhile) follow in their old order.
// Answers whether the order changed.
bool ApplyRowOrder(StockList& stocks, std::span<const std::uint32_t> rowIds);

}  // namespace quotrix
