#include "app/PortfolioLayout.h"

#include <algorithm>

#include "app/DisplayTexts.h"
#include "model/Stock.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"
#include "settings/AppSettings.h"

namespace quotrix {

namespace {

constexpr int kSpacing[kPortfolioColumns] = {4, 0, 5, 2, 5, 6, 6, 6, 6, 6, 6, 6, 6, 0, 6, 6, 6, 6, 5, 3};
constexpr const char* kLabels[kPortfolioColumns] = {"",      " ",     " ",     "",      " 出来高",   " 損益", " 前日値",
                                                    " 始値", " 高値", " 安値", " 株数", " 売買単価", " 目標", "",
                                                    " 配当", " PER",  " EPS",  " PBR",  " コード",   ""};
constexpr int kMarkWidth = 16;
constexpr int kCodeExtra = 5;
constexpr int kMinFont = 8;
constexpr int kMaxFont = 30;
constexpr int kDefaultFont = 12;

int Channel(std::uint32_t color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

std::uint32_t Rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) | (static_cast<std::uint32_t>(b) << 16);
}

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

bool Near(int a, int b) { return a - b <= kSnapDistance && b - a <= kSnapDistance; }

}  // namespace

int ColumnSpacing(int column) { return column >= 0 && column < kPortfolioColumns ? kSpacing[column] : 0; }

const std::string& ColumnLabel(int column) {
    static const auto labels = [] {
        std::array<std::string, kPortfolioColumns> out;
        for (int k = 0; k < kPortfolioColumns; ++k) out[static_cast<std::size_t>(k)] = Utf8ToSjis(kLabels[k]);
        return out;
    }();
    static const std::string none;
    return column >= 0 && column < kPortfolioColumns ? labels[static_cast<std::size_t>(column)] : none;
}

int PortfolioFontSize(std::uint32_t pfFont) {
    return pfFont >= kMinFont && pfFont <= kMaxFont ? static_cast<int>(pfFont) : kDefaultFont;
}

int RowHeightFor(int fontSize) { return fontSize > 14 ? fontSize + 4 : 16; }

int TitleTextY(int fontSize) { return fontSize > 14 ? 2 : 3; }

const std::string& RowName(const CStockMan& stock) {
    static const std::string waiting = SJIS("待機中…");
    return (stock.status & STATUS_UPDATED) ? stock.valueTexts[TEXT_NAME].text : waiting;
}

std::uint32_t RowMarks(const CStockMan& stock, std::uint32_t checkMask) { return stock.newMarks & checkMask & 3u; }

int MarkCount(std::uint32_t marks) { return static_cast<int>((marks & 1u) + ((marks >> 1) & 1u)); }

RowMeasure MeasureRow(const CStockMan& stock, std::uint32_t portfolioFlags, int marks, const TextMeasure& measure) {
    RowMeasure row;
    row.marks = marks;
    const std::uint32_t flags = portfolioFlags | kTradeMarkBit;
    for (int k = 0; k < kPortfolioColumns; ++k) {
        if (!(flags & ColumnBit(k))) continue;
        const std::size_t i = static_cast<std::size_t>(k);
        const std::string& text = k == TEXT_NAME ? RowName(stock) : stock.valueTexts[i].text;
        if (text.empty()) continue;
        row.present |= ColumnBit(k);
        const int whole = measure(text);
        int fraction = 0;
        const std::int32_t n = k == TEXT_NAME ? 0 : stock.valueTexts[i].fractionLength;
        if (n > 0 && static_cast<std::size_t>(n) <= text.size())
            fraction = std::max(0, whole - measure(text.substr(0, text.size() - static_cast<std::size_t>(n))));
        row.width[i] = whole;
        row.fraction[i] = fraction;
    }
    if (row.present & ColumnBit(TEXT_NAME)) row.width[TEXT_NAME] += kMarkWidth * marks;
    return row;
}

bool PortfolioLayout::Rebuild(const std::vector<RowMeasure>& rows, const LayoutOptions& o) {
    const int oldRows = rowCount_, oldWidth = contentWidth_, oldHeight = windowHeight_;
    const auto oldColumns = columns_;
    const int oldRowHeight = rowHeight_;
    fontSize_ = o.fontSize;
    rowHeight_ = RowHeightFor(fontSize_);
    labelRow_ = o.labelRow;
    priceBars_ = o.priceBars;
    barSetting_ = o.barSetting;
    const std::uint32_t flags = o.portfolioFlags | kTradeMarkBit;

    std::array<int, kPortfolioColumns> integer{}, fraction{};
    std::uint32_t present = 0;
    if (labelRow_)
        for (int k = 0; k < kPortfolioColumns; ++k)
            if (flags & ColumnBit(k)) integer[static_cast<std::size_t>(k)] = o.labelWidth[static_cast<std::size_t>(k)];
    for (const RowMeasure& row : rows) {
        present |= row.present;
        for (std::size_t k = 0; k < kPortfolioColumns; ++k) {
            integer[k] = std::max(integer[k], row.width[k] - row.fraction[k]);
            fraction[k] = std::max(fraction[k], row.fraction[k]);
        }
    }
    for (int k = 0; k < kPortfolioColumns; ++k) {
        ColumnLayout& c = columns_[static_cast<std::size_t>(k)];
        c.exists = (flags & present & ColumnBit(k)) != 0;
        c.integer = integer[static_cast<std::size_t>(k)];
        c.fraction = fraction[static_cast<std::size_t>(k)];
        c.width = c.integer + c.fraction + (k == TEXT_CODE && c.exists ? kCodeExtra : 0);
    }

    marksArea_ = kMarkWidth * MarkCount(o.markKinds);
    int width = marksArea_ == 0 ? 23 : marksArea_ + 25;
    for (int k = 0; k < kPortfolioColumns; ++k) {
        const ColumnLayout& c = columns_[static_cast<std::size_t>(k)];
        if (c.exists) width += kSpacing[k] + c.width;
    }
    if (priceBars_) width += 2 * barSetting_ + 9;
    titleWidth_ = o.titleTextWidth + 49 + (o.autoHideShown ? 13 : 0);
    contentWidth_ = std::max(width, titleWidth_);

    rowCount_ = static_cast<int>(rows.size());
    if (visible_ < 1 || visible_ > rowCount_) visible_ = rowCount_;
    ClampScroll();
    ComputeHeight();
    return rowCount_ != oldRows || contentWidth_ != oldWidth || windowHeight_ != oldHeight || columns_ != oldColumns ||
           rowHeight_ != oldRowHeight;
}

bool PortfolioLayout::Absorbs(const RowMeasure& before, const RowMeasure& after) const {
    if (before.present != after.present || before.marks != after.marks) return false;
    for (std::size_t k = 0; k < kPortfolioColumns; ++k) {
        const ColumnLayout& c = columns_[k];
        const int beforeInteger = before.width[k] - before.fraction[k];
        const int afterInteger = after.width[k] - after.fraction[k];
        if (afterInteger > c.integer || after.fraction[k] > c.fraction) return false;
        // A row that set a column's width and now is narrower may let the column shrink.
        if (beforeInteger == c.integer && afterInteger < beforeInteger) return false;
        if (before.fraction[k] == c.fraction && after.fraction[k] < before.fraction[k]) return false;
    }
    return true;
}

void PortfolioLayout::ComputeHeight() { windowHeight_ = visible_ * rowHeight_ + TitleHeight() + 4; }

void PortfolioLayout::ClampScroll() { first_ = Clamp(first_, 0, std::max(0, rowCount_ - visible_)); }

void PortfolioLayout::Restore(int firstRow, int visibleRows) {
    first_ = std::max(0, firstRow);
    visible_ = std::max(0, visibleRows);
}

void PortfolioLayout::SetFontSize(int fontSize) {
    fontSize_ = fontSize;
    rowHeight_ = RowHeightFor(fontSize);
    ComputeHeight();
}

void PortfolioLayout::FitHeight(int workAreaHeight) {
    if (rowHeight_ <= 0 || windowHeight_ <= workAreaHeight) return;
    const int excess = (windowHeight_ - workAreaHeight + rowHeight_ - 1) / rowHeight_;
    visible_ = std::max(1, visible_ - excess);
    ClampScroll();
    ComputeHeight();
}

ScrollBarPlace PortfolioLayout::ScrollBar(int cxVScroll) const {
    ScrollBarPlace p;
    p.windowWidth = contentWidth_;
    if (visible_ >= rowCount_) return p;
    p.shown = true;
    p.min = 0;
    p.max = rowCount_ - 1;
    p.page = visible_;
    p.pos = first_;
    p.x = contentWidth_;
    p.y = TitleHeight() + 2;
    p.width = cxVScroll - 1;
    p.height = windowHeight_ - TitleHeight() - 4;
    p.windowWidth = contentWidth_ + cxVScroll;
    return p;
}

int PortfolioLayout::WindowWidth(int cxVScroll) const { return ScrollBar(cxVScroll).windowWidth; }

bool PortfolioLayout::ScrollBy(int rows) {
    const int old = first_;
    first_ = Clamp(first_ + rows, 0, std::max(0, rowCount_ - visible_));
    if (visible_ >= rowCount_) first_ = 0;
    return first_ != old;
}

bool PortfolioLayout::SetVisibleRows(int delta, int& moveStartY) {
    if (rowCount_ < 1) return false;
    const int old = visible_;
    visible_ = Clamp(visible_ + delta, 1, rowCount_);
    moveStartY += (visible_ - old) * rowHeight_;
    if (first_ + visible_ > rowCount_) first_ = rowCount_ - visible_;
    ComputeHeight();
    return visible_ == rowCount_;
}

void PortfolioLayout::AddRows(int n, int workAreaHeight) {
    if (n <= 0) return;
    const int r = rowCount_, v = visible_;
    if (r != v && r != 0) {
        // The list already scrolls: it shows its end with the new rows.
        rowCount_ = r + n;
        first_ = r + n - v;
        ComputeHeight();
        return;
    }
    rowCount_ = r + n;
    if (v < 1) {
        visible_ = n;
        first_ = 0;
    } else if (first_ + v > rowCount_) {
        first_ = rowCount_ - v;
    }
    ComputeHeight();
    if (rowHeight_ <= 0 || windowHeight_ <= workAreaHeight) return;
    int excess = (windowHeight_ - workAreaHeight) / rowHeight_;
    if (excess <= 0 || excess >= visible_) return;
    excess = std::min(excess, n);
    // The rows that do not fit are taken from the visible ones (an empty portfolio then shows
    // the end of its new rows); the window never grows past the work area here.
    visible_ -= excess;
    first_ = v < 1 ? rowCount_ - visible_ : Clamp(first_, 0, rowCount_ - visible_);
    ComputeHeight();
}

int PortfolioLayout::DragRows(int dy) const {
    if (rowHeight_ <= 0) return 0;
    const int third = rowHeight_ / 3;
    return dy >= 0 ? (dy + third) / rowHeight_ : (dy - third) / rowHeight_;
}

TitleHit PortfolioLayout::HitTest(int x, int y, int w, bool autoHideShown) {
    if (y < 2 || y > 14) return TitleHit::List;
    if (x < w - 41 || x > w - 3) return TitleHit::Title;
    if (x >= w - 15) return TitleHit::Close;
    if (x >= w - 28) return TitleHit::RollUp;
    return autoHideShown ? TitleHit::AutoHide : TitleHit::Title;
}

bool PortfolioLayout::NearBottomEdge(int y, int clientHeight, bool rolledUp) const {
    return rowCount_ > 0 && !rolledUp && y >= clientHeight - 8 && y < clientHeight;
}

int PortfolioLayout::RowAt(int y) const {
    const int top = ListTop();
    if (y < top || rowHeight_ <= 0) return -1;
    const int slot = (y - top) / rowHeight_;
    if (slot >= visible_) return -1;
    const int row = first_ + slot;
    return row < rowCount_ ? row : -1;
}

ColumnSpans PortfolioLayout::Spans() const {
    ColumnSpans spans;
    auto at = [&](int k) -> ColumnSpan& { return spans.at[static_cast<std::size_t>(k)]; };
    auto col = [&](int k) -> const ColumnLayout& { return columns_[static_cast<std::size_t>(k)]; };
    int x;
    if (col(TEXT_NAME).exists) {
        at(TEXT_NAME) = {20, 20 + col(TEXT_NAME).width};
        x = col(TEXT_NAME).width + 24;
    } else {
        x = marksArea_ + 22;
    }
    if (col(TEXT_CODE).exists) {
        at(TEXT_CODE) = {x, x + col(TEXT_CODE).width};
        x += col(TEXT_CODE).width;
    }
    spans.barLeft = x;
    if (priceBars_) x += 2 * barSetting_ + 9;
    if (col(TEXT_TIME).exists) {
        at(TEXT_TIME) = {x, x + col(TEXT_TIME).width};
        x += col(TEXT_TIME).width;
    }
    for (int k : kRightAlignedOrder) {
        if (!col(k).exists) continue;
        at(k) = {x + kSpacing[k], x + kSpacing[k] + col(k).width};
        x += kSpacing[k] + col(k).width;
    }
    return spans;
}

PortfolioColors PortfolioColorsFor(std::uint32_t background) {
    PortfolioColors c;
    int light[3], dark[3];
    for (int i = 0; i < 3; ++i) {
        const int v = Channel(background, 8 * i);
        light[i] = std::min(255, v + ((v + 128) >> 4) + 20);
        dark[i] = std::max(0, v - (v >> 4) - 20);
    }
    c.light = Rgb(light[0], light[1], light[2]);
    c.dark = Rgb(dark[0], dark[1], dark[2]);
    const bool darkBackground = IsDarkColor(background & 0xFFFFFF);
    c.line = darkBackground ? c.light : c.dark;
    c.text = darkBackground ? 0xFFFFFF : 0x000000;
    return c;
}

bool RowHighlighted(bool watchAlert, bool menuOpen, bool translucent, bool transparentBackground) {
    if (!menuOpen) return watchAlert;
    if (transparentBackground) return false;
    if (translucent) return watchAlert;
    return true;
}

PortfolioTitle MakePortfolioTitle(std::uint32_t boolFlags1, bool fileNameItem, const std::string& fileTitle,
                                  bool totalsIncomplete, const std::string& totalsLine, bool rolledUp) {
    PortfolioTitle title;
    title.totals = !totalsIncomplete && (boolFlags1 & PF_BF1_TOTALS_TITLE);
    if (rolledUp && (boolFlags1 & PF_BF1_NO_ROLLED_TITLE)) return title;
    const bool withFile = fileNameItem && !fileTitle.empty();
    if (title.totals) {
        title.text = withFile ? fileTitle + "  " + totalsLine : totalsLine;
    } else {
        title.bold = true;
        title.text = withFile ? fileTitle + " - Quotrix! Portfolio" : "Quotrix! Portfolio";
    }
    return title;
}

int ListedNeighbour(const std::vector<bool>& listed, int index, bool up) {
    const int n = static_cast<int>(listed.size());
    if (index < 0 || index >= n) return -1;
    for (int i = up ? index - 1 : index + 1; i >= 0 && i < n; i += up ? -1 : 1)
        if (listed[static_cast<std::size_t>(i)]) return i;
    return -1;
}

PortfolioPlacement PlacementToSave(const ScreenRect& window, const ScreenRect& workArea) {
    PortfolioPlacement p;
    std::uint8_t flags = 0;
    if (Near(window.left, workArea.left))
        flags |= DOCK_LEFT;
    else if (Near(window.right, workArea.right))
        flags |= DOCK_RIGHT;
    if (Near(window.top, workArea.top))
        flags |= DOCK_TOP;
    else if (Near(window.bottom, workArea.bottom))
        flags |= DOCK_BOTTOM;
    p.left = (flags & DOCK_RIGHT) ? window.right : window.left;
    p.top = (flags & DOCK_BOTTOM) ? window.bottom : window.top;
    p.anchor = flags;
    return p;
}

ScreenRect ResizeKeepingDock(const ScreenRect& window, int width, int height, const ScreenRect& workArea,
                             bool rolling) {
    const std::uint8_t dock = PlacementToSave(window, workArea).anchor;
    const int left = (dock & DOCK_RIGHT) ? window.right - width : window.left;
    const int top = (dock & DOCK_BOTTOM) && !rolling ? window.bottom - height : window.top;
    return ScreenRect{left, top, left + width, top + height};
}

ScreenRect PlaceAtStart(const PortfolioPlacement& placement, int width, int height, const ScreenRect& workArea,
                        const ScreenRect& virtualDesktop, bool snap) {
    const std::uint8_t flags = placement.anchor & 0x0F;
    ScreenRect r;
    r.left = (flags & DOCK_RIGHT) ? placement.left - width : placement.left;
    r.top = (flags & DOCK_BOTTOM) ? placement.top - height : placement.top;
    r.right = r.left + width;
    r.bottom = r.top + height;
    if (snap) r = SnapToWorkArea(r, workArea);
    // At least 16 pixels of the window stay on the desktop, so that it can be reached and dragged.
    const int left = Clamp(r.left, virtualDesktop.left + kDesktopMargin - width, virtualDesktop.right - kDesktopMargin);
    const int top = Clamp(r.top, virtualDesktop.top + kDesktopMargin - height, virtualDesktop.bottom - kDesktopMargin);
    return ScreenRect{left, top, left + width, top + height};
}

}  // namespace quotrix
