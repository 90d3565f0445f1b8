// The portfolio window's arithmetic: which columns exist and how wide they are, the window's
// size, the scroll bar, rows added and dragged, the title buttons, moving rows among the listed
// stocks, the colours, the title text and where the window stands on the screen.
//
// Everything is portable: text widths come from a measuring function that the window gives (a
// GDI text extent on Windows, a fake in the tests). Pixels throughout; colours are COLORREF
// values (0x00BBGGRR). Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "files/StockRecord.h"
#include "icons/Snap.h"
#include "model/Price.h"

namespace quotrix {

class CStockMan;

inline constexpr int kPortfolioColumns = 20;

// Column k shows text record k of the stock and is switched on by bit k of
// "PortfolioTextFlags": 0 name, 1 time, 2 price, 3 change, 4 volume, 5 profit, 6 previous close,
// 7 open, 8 high, 9 low, 10 shares, 11 trade price, 12 target, 13 target distance, 14 dividend,
// 15 PER, 16 EPS, 17 PBR, 18 code, 19 trade-kind mark.
constexpr std::uint32_t ColumnBit(int column) { return 1u << column; }
inline constexpr std::uint32_t kTradeMarkBit = 0x80000;  // measured whatever the flags say

// The portfolio's switches among the other item flags.
enum PortfolioOtherItemBits : std::uint32_t {
    OTHER_PRICE_BARS = 0x10,
    OTHER_FILE_NAME = 0x20,
    OTHER_LABEL_ROW = 0x40,
};

// BoolFlags1 bits the portfolio reads.
enum PortfolioBoolFlags1 : std::uint32_t {
    PF_BF1_TOTALS_TITLE = 0x400,
    PF_BF1_SNAP = 0x1000,
    PF_BF1_SHOW_AT_START = 0x2000,
    PF_BF1_AUTO_ROLL_DOWN = 0x4000,  // mouse activity brings a rolled-up or lowered portfolio back
    PF_BF1_NO_ROLLED_TITLE = 0x8000,
    PF_BF1_RED_NEGATIVES = 0x10000,
};
// NewBoolean1 bits of the portfolio's look.
enum PortfolioNewBoolean1 : std::uint32_t {
    PF_NB1_NO_FRAME = 0x8,
    PF_NB1_FLAT = 0x10,  // clear: 3D border lines and frame
};
inline constexpr std::uint32_t kBoolFlags2NoShadow = 0x20;
inline constexpr std::uint32_t kNegativeColor = 0x0000FA;

// Spacing before each column and the label row's texts (Shift-JIS, converted once).
int ColumnSpacing(int column);
const std::string& ColumnLabel(int column);

// Row height and title text position for the font size "PF_Font" (8 to 30; anything else
// counts as 12).
int PortfolioFontSize(std::uint32_t pfFont);
int RowHeightFor(int fontSize);
int TitleTextY(int fontSize);

// The width of a text in the row font, in pixels.
using TextMeasure = std::function<int(const std::string&)>;

// One row's measured texts: per column the whole width and the width of its fraction.
struct RowMeasure {
    std::array<int, kPortfolioColumns> width{};
    std::array<int, kPortfolioColumns> fraction{};
    std::uint32_t present = 0;  // ColumnBit(k) when record k has text
    int marks = 0;              // news and board marks shown beside the name (0 to 2)
};

// Measures the records of a stock for the columns `portfolioFlags` asks for (and the trade-kind
// mark). A stock without a quote is measured with "待機中…" as its name. `marks` counts the
// stock's enabled marks.
RowMeasure MeasureRow(const CStockMan& stock, std::uint32_t portfolioFlags, int marks, const TextMeasure& measure);
// The name a row shows: "待機中…" until the stock has a quote.
const std::string& RowName(const CStockMan& stock);
// The stock's news (bit 1) and board (bit 0) marks that are enabled by `checkMask`.
std::uint32_t RowMarks(const CStockMan& stock, std::uint32_t checkMask);
int MarkCount(std::uint32_t marks);

struct ColumnLayout {
    bool exists = false;
    int width = 0;     // integer part + largest fraction (+5 for the code column)
    int integer = 0;   // largest width without the fraction
    int fraction = 0;  // largest fraction width
    bool operator==(const ColumnLayout&) const = default;
};

// What the layout is computed from besides the rows.
struct LayoutOptions {
    std::uint32_t portfolioFlags = 0x0C3F;  // with bit 13 following bit 12
    bool labelRow = true;
    bool priceBars = true;
    int barSetting = 20;  // the price bar's w (bars are 2w + 3 wide)
    int titleTextWidth = 0;
    bool autoHideShown = false;
    std::uint32_t markKinds = 0;  // bit 0 a board mark, bit 1 a news mark in any row
    int fontSize = 12;
    std::array<int, kPortfolioColumns> labelWidth{};  // the labels' widths, for the label row
};

// Where a column's texts go in a row: right-aligned columns end at `right` less the difference
// between the column's largest fraction and the text's own.
struct ColumnSpan {
    int left = 0;
    int right = 0;
};
struct ColumnSpans {
    std::array<ColumnSpan, kPortfolioColumns> at{};
    int barLeft = 0;  // the price bar's x
};
// The order of the columns after the time: right-aligned on their fractions, except the
// trade-kind mark (left-aligned).
inline constexpr int kRightAlignedOrder[] = {2, 3, 4, 12, 13, 5, 19, 6, 7, 8, 9, 14, 15, 16, 17, 10, 11};

// Where the scroll bar goes; hidden when every row is visible.
struct ScrollBarPlace {
    bool shown = false;
    int min = 0, max = 0, page = 0, pos = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int windowWidth = 0;
};

// The three title buttons and what lies around them.
enum class TitleHit { List, Title, Close, RollUp, AutoHide };

class PortfolioLayout {
  public:
    // Measures everything again from `rows`. True when the row count, content width, height or
    // a column width changed: the virtual screen must be rebuilt and the window resized.
    bool Rebuild(const std::vector<RowMeasure>& rows, const LayoutOptions& options);

    // Whether a row measured `before` and now `after` leaves every column as it is (so that only
    // that row needs drawing again). False whenever a column could grow, shrink, appear or go.
    bool Absorbs(const RowMeasure& before, const RowMeasure& after) const;

    // Rows of the list, shown rows, scroll position.
    int RowCount() const { return rowCount_; }
    int VisibleRows() const { return visible_; }
    int FirstRow() const { return first_; }
    int RowHeight() const { return rowHeight_; }
    int FontSize() const { return fontSize_; }
    int TitleHeight() const { return labelRow_ ? 2 * rowHeight_ : rowHeight_; }
    // The list starts below the title strip and its two-pixel gap.
    int ListTop() const { return TitleHeight() + 2; }
    int ContentWidth() const { return contentWidth_; }
    int WindowHeight() const { return windowHeight_; }
    int MarksArea() const { return marksArea_; }
    int TitleWidth() const { return titleWidth_; }
    bool LabelRow() const { return labelRow_; }
    bool PriceBars() const { return priceBars_; }
    int BarSetting() const { return barSetting_; }
    const ColumnLayout& Column(int k) const { return columns_[static_cast<std::size_t>(k)]; }

    // The stored scroll position and visible rows (a file's values; 0 rows shows them all).
    void Restore(int firstRow, int visibleRows);
    void SetFontSize(int fontSize);
    // Fewer visible rows (at least 1) until the window fits a work area this high.
    void FitHeight(int workAreaHeight);

    ScrollBarPlace ScrollBar(int cxVScroll) const;
    // The window's width: content width, plus the scroll bar when not every row is visible.
    int WindowWidth(int cxVScroll) const;

    // Moves the scroll position by `rows`, clamped; true when it changed.
    bool ScrollBy(int rows);
    bool ScrollTo(int row) { return ScrollBy(row - first_); }
    // Changes the visible rows by `delta`, clamped to 1 ... row count; `moveStartY` (the drag's
    // start point) shifts with it. True when the count reached the row count (rebuild the layout).
    bool SetVisibleRows(int delta, int& moveStartY);
    // `n` stocks were added to the portfolio; `workAreaHeight` is the screen's usable height.
    void AddRows(int n, int workAreaHeight);
    // Rows dragged through `dy` pixels: (dy ± row height ÷ 3) ÷ row height, away from zero.
    int DragRows(int dy) const;
    // The rows each wheel notch of `delta` scrolls: -(delta ÷ 120), truncating.
    static int WheelRows(int delta) { return -(delta / 120); }

    // Which part of the title strip the client point is on, for a window `clientWidth` wide.
    static TitleHit HitTest(int x, int y, int clientWidth, bool autoHideShown);
    // Within 8 pixels of the bottom edge, with rows shown and not rolled up.
    bool NearBottomEdge(int y, int clientHeight, bool rolledUp) const;
    // The row under client point y, or -1.
    int RowAt(int y) const;
    // Where each existing column is drawn in a row.
    ColumnSpans Spans() const;

  private:
    int rowHeight_ = 16;
    int fontSize_ = 12;
    int rowCount_ = 0;
    int visible_ = 0;
    int first_ = 0;
    int contentWidth_ = 0;
    int windowHeight_ = 0;
    int marksArea_ = 0;
    int titleWidth_ = 0;
    bool labelRow_ = true;
    bool priceBars_ = true;
    int barSetting_ = 20;
    std::array<ColumnLayout, kPortfolioColumns> columns_{};
    void ClampScroll();
    void ComputeHeight();
};

// The colours of a background: light and dark shades, the line colour and the text colour.
struct PortfolioColors {
    std::uint32_t light = 0;
    std::uint32_t dark = 0;
    std::uint32_t line = 0;
    std::uint32_t text = 0;
};
PortfolioColors PortfolioColorsFor(std::uint32_t background);

// The watch-alert highlight of a row: when the alert holds and no menu is open on it, or when
// its menu is open on an opaque portfolio.
bool RowHighlighted(bool watchAlert, bool menuOpen, bool translucent, bool transparentBackground);

// The title text: bold "Quotrix! Portfolio" (with the file title) while the totals are not
// shown, else the totals line in the row font. Empty while rolled up with BoolFlags1 0x8000.
struct PortfolioTitle {
    std::string text;
    bool bold = false;
    bool totals = false;  // the title icon is the totals arrow
};
PortfolioTitle MakePortfolioTitle(std::uint32_t boolFlags1, bool fileNameItem, const std::string& fileTitle,
                                  bool totalsIncomplete, const std::string& totalsLine, bool rolledUp);

// The listed neighbour a row swaps with: the nearest stock before (up) or after it in the
// collection whose flag in `listed` is set; -1 when there is none.
int ListedNeighbour(const std::vector<bool>& listed, int index, bool up);

// Docking flags of a stored position.
enum DockFlags : std::uint8_t { DOCK_LEFT = 1, DOCK_RIGHT = 2, DOCK_TOP = 4, DOCK_BOTTOM = 8 };
// The position to store for a window at `window`: x is the right edge when docked right, y the
// bottom edge when docked bottom.
PortfolioPlacement PlacementToSave(const ScreenRect& window, const ScreenRect& workArea);
// The window's rectangle after a change of size to `width` x `height`: docked to the right or
// bottom edge of `workArea`, it grows to the left or upwards, so that columns or rows arriving
// with the quotes neither push it off the screen nor lose its docking. `rolling` (rolled up, or
// rolling down) keeps the top where it is, as the title bar stays under the mouse.
ScreenRect ResizeKeepingDock(const ScreenRect& window, int width, int height, const ScreenRect& workArea, bool rolling);
// The window rectangle for a stored position and a window of `width` x `height`: snapped when
// asked, then kept at least 16 pixels inside the virtual desktop.
ScreenRect PlaceAtStart(const PortfolioPlacement& placement, int width, int height, const ScreenRect& workArea,
                        const ScreenRect& virtualDesktop, bool snap);
inline constexpr int kDesktopMargin = 16;

// The idle action's alpha: "PFBkAlpha" low byte, at least 10.
inline int PortfolioAlpha(int alpha) { return alpha < 10 ? 10 : alpha > 255 ? 255 : alpha; }

}  // namespace quotrix
