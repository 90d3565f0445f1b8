#include "app/PortfolioLayout.h"

#include <gtest/gtest.h>

#include "app/DisplayTexts.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

// Every byte is 6 pixels wide, so that widths can be worked out by hand.
int Measure(const std::string& text) { return 6 * static_cast<int>(text.size()); }

std::unique_ptr<CStockMan> Quoted(const char* code, PriceValue price, PriceValue change) {
    auto s = std::make_unique<CStockMan>(code, Utf8ToSjis("銘柄"));
    s->status = STATUS_UPDATED;
    s->updateTime = "15:00";
    s->price = price;
    s->prevClose = price - change;
    s->change = change;
    s->volume = 1000;
    CStockTipCtrl tips;
    tips.BuildStockTexts(*s);
    return s;
}

// A layout of `n` rows as wide as the fake measurer makes them, with no label row.
PortfolioLayout LayoutOf(int n, int visible = 0, int first = 0) {
    PortfolioLayout layout;
    layout.Restore(first, visible);
    LayoutOptions o;
    o.labelRow = false;
    o.priceBars = false;
    layout.Rebuild(std::vector<RowMeasure>(static_cast<std::size_t>(n)), o);
    return layout;
}

TEST(PortfolioFont, RowHeightAndTitlePositionFollowTheFontSize) {
    EXPECT_EQ(RowHeightFor(18), 22);
    EXPECT_EQ(RowHeightFor(12), 16);
    EXPECT_EQ(RowHeightFor(14), 16);
    EXPECT_EQ(RowHeightFor(15), 19);
    EXPECT_EQ(TitleTextY(18), 2);
    EXPECT_EQ(TitleTextY(12), 3);
    // Sizes outside 8 to 30 count as the default.
    EXPECT_EQ(PortfolioFontSize(8), 8);
    EXPECT_EQ(PortfolioFontSize(30), 30);
    EXPECT_EQ(PortfolioFontSize(7), 12);
    EXPECT_EQ(PortfolioFontSize(31), 12);
    EXPECT_EQ(PortfolioFontSize(0xFFFFFFFF), 12);
}

TEST(PortfolioMeasure, FractionsWaitingNamesAndMarks) {
    auto s = Quoted("7203.t", 29500000, -500000);
    // "(-50  -1.69%)": the fraction is everything after "-50".
    const RowMeasure row = MeasureRow(*s, 0x0C3F, 2, Measure);
    const auto& change = s->valueTexts[TEXT_CHANGE];
    EXPECT_EQ(row.width[TEXT_CHANGE], 6 * static_cast<int>(change.text.size()));
    EXPECT_EQ(row.fraction[TEXT_CHANGE], 6 * change.fractionLength);
    EXPECT_GT(row.fraction[TEXT_CHANGE], 0);
    // The name column makes room for the two marks.
    EXPECT_EQ(row.width[TEXT_NAME], Measure(s->valueTexts[TEXT_NAME].text) + 32);
    // Columns that are switched off are not measured; the trade-kind mark always is (none here).
    EXPECT_EQ(row.width[TEXT_OPEN], 0);
    EXPECT_EQ(row.present & ColumnBit(TEXT_OPEN), 0u);
    EXPECT_EQ(row.present & kTradeMarkBit, 0u);

    // A stock without a quote is listed as waiting.
    CStockMan waiting("6758.t");
    EXPECT_EQ(SjisToUtf8(RowName(waiting)), "待機中…");
    const RowMeasure w = MeasureRow(waiting, 0x0C3F, 0, Measure);
    EXPECT_EQ(w.width[TEXT_NAME], Measure(Utf8ToSjis("待機中…")));
    EXPECT_EQ(w.present, ColumnBit(TEXT_NAME));

    // A fraction length longer than the text leaves the fraction at 0.
    s->valueTexts[TEXT_PRICE].fractionLength = 99;
    EXPECT_EQ(MeasureRow(*s, 0x0C3F, 0, Measure).fraction[TEXT_PRICE], 0);
}

TEST(PortfolioLayoutRebuild, ColumnWidthsContentWidthAndHeight) {
    auto a = Quoted("7203.t", 29500000, -500000);
    auto b = Quoted("6758.t", 123456789, 12345678);
    std::vector<RowMeasure> rows = {MeasureRow(*a, 0x0C3F, 0, Measure), MeasureRow(*b, 0x0C3F, 1, Measure)};
    LayoutOptions o;
    o.portfolioFlags = 0x0C3F;
    o.labelRow = false;
    o.priceBars = true;
    o.barSetting = 20;
    o.markKinds = 2;  // a news mark somewhere
    o.titleTextWidth = 10;
    PortfolioLayout layout;
    EXPECT_TRUE(layout.Rebuild(rows, o));

    // Each column: the widest integer part plus the widest fraction, not the widest text.
    const ColumnLayout& change = layout.Column(TEXT_CHANGE);
    EXPECT_TRUE(change.exists);
    EXPECT_EQ(change.integer, std::max(rows[0].width[3] - rows[0].fraction[3], rows[1].width[3] - rows[1].fraction[3]));
    EXPECT_EQ(change.width, change.integer + std::max(rows[0].fraction[3], rows[1].fraction[3]));
    // Bits set but no row with text (profit, shares, trade price): no column.
    EXPECT_FALSE(layout.Column(TEXT_PROFIT).exists);
    EXPECT_FALSE(layout.Column(TEXT_SHARES).exists);
    EXPECT_FALSE(layout.Column(TEXT_CODE).exists);

    int expected = 16 + 25;  // one mark kind
    for (int k = 0; k < kPortfolioColumns; ++k)
        if (layout.Column(k).exists) expected += ColumnSpacing(k) + layout.Column(k).width;
    expected += 2 * 20 + 9;
    EXPECT_EQ(layout.MarksArea(), 16);
    EXPECT_EQ(layout.ContentWidth(), expected);
    EXPECT_EQ(layout.WindowHeight(), 2 * 16 + 16 + 4);
    // Nothing changed: no rebuild of the virtual screen.
    EXPECT_FALSE(layout.Rebuild(rows, o));

    // A long title widens the window; the auto-hide button takes 13 more.
    o.titleTextWidth = 1000;
    o.autoHideShown = true;
    EXPECT_TRUE(layout.Rebuild(rows, o));
    EXPECT_EQ(layout.ContentWidth(), 1000 + 49 + 13);

    // The code column gets 5 more pixels; the label row starts columns at their labels' widths
    // and doubles the title.
    o.titleTextWidth = 0;
    o.portfolioFlags = 0x0C3F | ColumnBit(TEXT_CODE) | ColumnBit(TEXT_OPEN);
    o.labelRow = true;
    o.labelWidth[TEXT_VOLUME] = 500;
    rows = {MeasureRow(*a, o.portfolioFlags, 0, Measure)};
    EXPECT_TRUE(layout.Rebuild(rows, o));
    EXPECT_EQ(layout.Column(TEXT_CODE).width, Measure("7203.T") + 5);
    EXPECT_EQ(layout.Column(TEXT_VOLUME).integer, 500);
    EXPECT_TRUE(layout.Column(TEXT_OPEN).exists);
    EXPECT_EQ(layout.WindowHeight(), 16 + 32 + 4);
    EXPECT_EQ(layout.ListTop(), 34);
}

TEST(PortfolioLayoutRebuild, AChangedRowIsAbsorbedOnlyWhenNoColumnCanChange) {
    auto a = Quoted("7203.t", 29500000, -500000);
    auto b = Quoted("6758.t", 123456789, 12345678);
    const RowMeasure wide = MeasureRow(*b, 0x0C3F, 0, Measure);
    const RowMeasure narrow = MeasureRow(*a, 0x0C3F, 0, Measure);
    LayoutOptions o;
    o.labelRow = false;
    PortfolioLayout layout;
    layout.Rebuild({narrow, wide}, o);
    // The narrow row changing within the wide row's widths: nothing moves.
    EXPECT_TRUE(layout.Absorbs(narrow, narrow));
    RowMeasure grown = narrow;
    grown.width[TEXT_PRICE] = wide.width[TEXT_PRICE] - wide.fraction[TEXT_PRICE];
    EXPECT_TRUE(layout.Absorbs(narrow, grown));
    // Past the widest: the column grows.
    grown.width[TEXT_PRICE] += 1;
    EXPECT_FALSE(layout.Absorbs(narrow, grown));
    // The widest row shrinking: the column may shrink.
    RowMeasure shrunk = wide;
    shrunk.width[TEXT_VOLUME] -= 6;
    EXPECT_FALSE(layout.Absorbs(wide, shrunk));
    // A new mark or a column gaining its first text.
    RowMeasure marked = narrow;
    marked.marks = 1;
    EXPECT_FALSE(layout.Absorbs(narrow, marked));
    RowMeasure more = narrow;
    more.present |= ColumnBit(TEXT_OPEN);
    EXPECT_FALSE(layout.Absorbs(narrow, more));
}

TEST(PortfolioScroll, TenStocksFourVisible) {
    PortfolioLayout layout = LayoutOf(10, 4);
    const ScrollBarPlace bar = layout.ScrollBar(17);
    EXPECT_TRUE(bar.shown);
    EXPECT_EQ(bar.page, 4);
    EXPECT_EQ(bar.max, 9);
    EXPECT_EQ(bar.x, layout.ContentWidth());
    EXPECT_EQ(bar.y, 16 + 2);
    EXPECT_EQ(bar.width, 16);
    EXPECT_EQ(bar.height, 4 * 16);
    EXPECT_EQ(bar.windowWidth, layout.ContentWidth() + 17);
    // One row per wheel notch, down for a negative delta; clamped at both ends.
    EXPECT_EQ(PortfolioLayout::WheelRows(-120), 1);
    EXPECT_EQ(PortfolioLayout::WheelRows(240), -2);
    EXPECT_EQ(PortfolioLayout::WheelRows(-119), 0);
    EXPECT_TRUE(layout.ScrollBy(PortfolioLayout::WheelRows(-120)));
    EXPECT_EQ(layout.FirstRow(), 1);
    EXPECT_TRUE(layout.ScrollBy(100));
    EXPECT_EQ(layout.FirstRow(), 6);
    EXPECT_FALSE(layout.ScrollBy(1));
    EXPECT_TRUE(layout.ScrollBy(-100));
    EXPECT_EQ(layout.FirstRow(), 0);
    EXPECT_FALSE(layout.ScrollBy(-1));

    // Every row visible: no bar, no scrolling.
    PortfolioLayout all = LayoutOf(3);
    EXPECT_EQ(all.VisibleRows(), 3);
    EXPECT_FALSE(all.ScrollBar(17).shown);
    EXPECT_EQ(all.WindowWidth(17), all.ContentWidth());
    EXPECT_FALSE(all.ScrollBy(1));

    // A stored scroll position past the end is pulled back.
    PortfolioLayout stored = LayoutOf(10, 4, 9);
    EXPECT_EQ(stored.FirstRow(), 6);
}

TEST(PortfolioScroll, DraggingTheBottomEdge) {
    PortfolioLayout layout = LayoutOf(10, 4);
    // Two thirds of a row up removes one; one third none; the same downwards.
    EXPECT_EQ(layout.DragRows(-11), -1);
    EXPECT_EQ(layout.DragRows(-5), 0);
    EXPECT_EQ(layout.DragRows(11), 1);
    EXPECT_EQ(layout.DragRows(5), 0);
    EXPECT_EQ(layout.DragRows(-27), -2);

    int start = 100;
    EXPECT_FALSE(layout.SetVisibleRows(-1, start));
    EXPECT_EQ(layout.VisibleRows(), 3);
    EXPECT_EQ(start, 84);  // the drag stays relative
    EXPECT_EQ(layout.WindowHeight(), 3 * 16 + 16 + 4);
    // Never below one row.
    EXPECT_FALSE(layout.SetVisibleRows(-50, start));
    EXPECT_EQ(layout.VisibleRows(), 1);
    // Growing past the end pulls the scroll position back; reaching every row asks for a rebuild.
    layout.ScrollBy(100);
    EXPECT_EQ(layout.FirstRow(), 9);
    EXPECT_FALSE(layout.SetVisibleRows(2, start));
    EXPECT_EQ(layout.FirstRow(), 7);
    EXPECT_TRUE(layout.SetVisibleRows(50, start));
    EXPECT_EQ(layout.VisibleRows(), 10);
    EXPECT_EQ(layout.FirstRow(), 0);

    // Dragging on an empty portfolio changes nothing.
    PortfolioLayout empty = LayoutOf(0);
    EXPECT_FALSE(empty.SetVisibleRows(1, start));
    EXPECT_EQ(empty.VisibleRows(), 0);
}

TEST(PortfolioAddRows, EmptyFullAndScrolledPortfolios) {
    // Empty: the new rows are all shown.
    PortfolioLayout empty = LayoutOf(0);
    empty.AddRows(3, 1000);
    EXPECT_EQ(empty.RowCount(), 3);
    EXPECT_EQ(empty.VisibleRows(), 3);
    EXPECT_EQ(empty.FirstRow(), 0);
    // Empty, more than the work area holds: the end is shown, the window fits.
    PortfolioLayout tall = LayoutOf(0);
    tall.AddRows(20, 10 * 16 + 20);
    EXPECT_EQ(tall.RowCount(), 20);
    EXPECT_LE(tall.WindowHeight(), 10 * 16 + 20 + 16);
    EXPECT_EQ(tall.FirstRow() + tall.VisibleRows(), 20);

    // Full (all rows shown): the count of visible rows stays, the new rows lie below.
    PortfolioLayout full = LayoutOf(4);
    full.AddRows(2, 1000);
    EXPECT_EQ(full.RowCount(), 6);
    EXPECT_EQ(full.VisibleRows(), 4);
    EXPECT_EQ(full.FirstRow(), 0);
    EXPECT_TRUE(full.ScrollBar(17).shown);

    // Scrolled: the list shows its end with the new rows.
    PortfolioLayout scrolled = LayoutOf(10, 4, 2);
    scrolled.AddRows(3, 1000);
    EXPECT_EQ(scrolled.RowCount(), 13);
    EXPECT_EQ(scrolled.VisibleRows(), 4);
    EXPECT_EQ(scrolled.FirstRow(), 9);

    // Nothing added: nothing moves.
    scrolled.AddRows(0, 1000);
    EXPECT_EQ(scrolled.RowCount(), 13);
}

TEST(PortfolioTitleButtons, HitTestAroundTheButtons) {
    const int w = 200;
    EXPECT_EQ(PortfolioLayout::HitTest(190, 1, w, true), TitleHit::List);
    EXPECT_EQ(PortfolioLayout::HitTest(190, 15, w, true), TitleHit::List);
    EXPECT_EQ(PortfolioLayout::HitTest(w - 42, 8, w, true), TitleHit::Title);
    EXPECT_EQ(PortfolioLayout::HitTest(w - 2, 8, w, true), TitleHit::Title);
    EXPECT_EQ(PortfolioLayout::HitTest(w - 15, 2, w, true), TitleHit::Close);
    EXPECT_EQ(PortfolioLayout::HitTest(w - 3, 14, w, true), TitleHit::Close);
    EXPECT_EQ(PortfolioLayout::HitTest(w - 16, 8, w, true), TitleHit::RollUp);
    EXPECT_EQ(PortfolioLayout::HitTest(w - 28, 8, w, true), TitleHit::RollUp);
    EXPECT_EQ(PortfolioLayout::HitTest(w - 29, 8, w, true), TitleHit::AutoHide);
    EXPECT_EQ(PortfolioLayout::HitTest(w - 41, 8, w, true), TitleHit::AutoHide);
    // Without an idle action the third button is not there.
    EXPECT_EQ(PortfolioLayout::HitTest(w - 35, 8, w, false), TitleHit::Title);

    PortfolioLayout layout = LayoutOf(10, 4, 3);
    EXPECT_EQ(layout.RowAt(17), -1);
    EXPECT_EQ(layout.RowAt(18), 3);
    EXPECT_EQ(layout.RowAt(18 + 4 * 16 - 1), 6);
    EXPECT_EQ(layout.RowAt(18 + 4 * 16), -1);
    const int h = layout.WindowHeight();
    EXPECT_TRUE(layout.NearBottomEdge(h - 8, h, false));
    EXPECT_FALSE(layout.NearBottomEdge(h - 9, h, false));
    EXPECT_FALSE(layout.NearBottomEdge(h - 1, h, true));
}

TEST(PortfolioRows, MovingPastUnlistedStocks) {
    // Listed, unlisted, listed, unlisted, listed.
    const std::vector<bool> listed = {true, false, true, false, true};
    EXPECT_EQ(ListedNeighbour(listed, 2, true), 0);
    EXPECT_EQ(ListedNeighbour(listed, 2, false), 4);
    EXPECT_EQ(ListedNeighbour(listed, 0, true), -1);
    EXPECT_EQ(ListedNeighbour(listed, 4, false), -1);
    EXPECT_EQ(ListedNeighbour({false, true, false}, 1, true), -1);
    EXPECT_EQ(ListedNeighbour(listed, 7, true), -1);
}

TEST(PortfolioLook, ShadesLineAndTextColours) {
    // The default background 0xE1FFFF (r FF, g FF, b E1) is light.
    const PortfolioColors light = PortfolioColorsFor(0xE1FFFF);
    EXPECT_EQ(light.light, 0xFFFFFFu);
    // 255 - 15 - 20 = 220 (0xDC); 225 - 14 - 20 = 191 (0xBF).
    EXPECT_EQ(light.dark, 0xBFDCDCu);
    EXPECT_EQ(light.line, light.dark);
    EXPECT_EQ(light.text, 0x000000u);
    // A dark background: light lines, white text; 0 stays 0 in the dark shade.
    const PortfolioColors dark = PortfolioColorsFor(0x000040);
    EXPECT_EQ(dark.dark, 0x000028u);   // 64 - 4 - 20; 0 - 0 - 20 floors at 0
    EXPECT_EQ(dark.light, 0x1C1C60u);  // 64 + 12 + 20; 0 + 8 + 20
    EXPECT_EQ(dark.line, dark.light);
    EXPECT_EQ(dark.text, 0xFFFFFFu);
}

TEST(PortfolioLook, HighlightAndWatchAlert) {
    EXPECT_TRUE(RowHighlighted(true, false, false, false));
    EXPECT_FALSE(RowHighlighted(false, false, false, false));
    EXPECT_TRUE(RowHighlighted(false, true, false, false));
    EXPECT_FALSE(RowHighlighted(true, true, false, true));  // transparent: no menu highlight
    EXPECT_TRUE(RowHighlighted(true, true, true, false));   // translucent: the alert counts
    EXPECT_FALSE(RowHighlighted(false, true, true, false));

    CStockParams p;
    p.targetPrice = 1000 * kYen;
    p.dispLower = 900 * kYen;
    p.dispUpper = 1100 * kYen;
    EXPECT_FALSE(p.WatchAlert(1000 * kYen));
    p.fileFlags = FILEFLAG_ALERT_TARGET;
    EXPECT_TRUE(p.WatchAlert(1000 * kYen));
    EXPECT_FALSE(p.WatchAlert(999 * kYen));
    p.fileFlags = FILEFLAG_ALERT_INSIDE | FILEFLAG_ALERT_OUTSIDE;
    EXPECT_TRUE(p.WatchAlert(900 * kYen));
    EXPECT_FALSE(p.WatchAlert(1101 * kYen));
    p.fileFlags = FILEFLAG_ALERT_OUTSIDE;
    EXPECT_TRUE(p.WatchAlert(1101 * kYen));
}

TEST(PortfolioLook, TitleTexts) {
    const std::string totals = Utf8ToSjis("合計 1,000 (+10  +1.01%) 損益 +100");
    auto t = MakePortfolioTitle(0, false, "my.quotrix", false, totals, false);
    EXPECT_EQ(t.text, "Quotrix! Portfolio");
    EXPECT_TRUE(t.bold);
    t = MakePortfolioTitle(0, true, "my.quotrix", false, totals, false);
    EXPECT_EQ(t.text, "my.quotrix - Quotrix! Portfolio");
    t = MakePortfolioTitle(PF_BF1_TOTALS_TITLE, true, "my.quotrix", false, totals, false);
    EXPECT_EQ(t.text, "my.quotrix  " + totals);
    EXPECT_FALSE(t.bold);
    EXPECT_TRUE(t.totals);
    // Incomplete totals are not shown.
    t = MakePortfolioTitle(PF_BF1_TOTALS_TITLE, false, "", true, totals, false);
    EXPECT_EQ(t.text, "Quotrix! Portfolio");
    EXPECT_FALSE(t.totals);
    // Rolled up with 0x8000: no title text.
    t = MakePortfolioTitle(PF_BF1_TOTALS_TITLE | PF_BF1_NO_ROLLED_TITLE, false, "", false, totals, true);
    EXPECT_TRUE(t.text.empty());
    EXPECT_TRUE(t.totals);
}

TEST(PortfolioPlacementRules, DockingFlagsBothWays) {
    const ScreenRect work{0, 0, 1024, 740};
    const ScreenRect desktop{0, 0, 1024, 768};
    // Docked right and bottom: the right and bottom edges are stored, and a window of another
    // size comes back against the same edges.
    PortfolioPlacement p = PlacementToSave(ScreenRect{824, 600, 1020, 736}, work);
    EXPECT_EQ(p.anchor, DOCK_RIGHT | DOCK_BOTTOM);
    EXPECT_EQ(p.left, 1020);
    EXPECT_EQ(p.top, 736);
    EXPECT_EQ(PlaceAtStart(p, 300, 200, work, desktop, false), (ScreenRect{720, 536, 1020, 736}));
    // With snapping the edges meet the work area's.
    EXPECT_EQ(PlaceAtStart(p, 300, 200, work, desktop, true), (ScreenRect{724, 540, 1024, 740}));

    // Docked left and top: plain corner.
    p = PlacementToSave(ScreenRect{5, 3, 205, 103}, work);
    EXPECT_EQ(p.anchor, DOCK_LEFT | DOCK_TOP);
    EXPECT_EQ(p.left, 5);
    EXPECT_EQ(p.top, 3);
    EXPECT_EQ(PlaceAtStart(p, 200, 100, work, desktop, false), (ScreenRect{5, 3, 205, 103}));

    // Free: no flags.
    p = PlacementToSave(ScreenRect{300, 200, 500, 300}, work);
    EXPECT_EQ(p.anchor, 0);
    EXPECT_EQ(p.left, 300);

    // A position off the desktop (another monitor is gone) keeps 16 pixels on it.
    p = PortfolioPlacement{5000, -900, 0};
    EXPECT_EQ(PlaceAtStart(p, 200, 100, work, desktop, false), (ScreenRect{1008, -84, 1208, 16}));
    p = PortfolioPlacement{-5000, 5000, 0};
    EXPECT_EQ(PlaceAtStart(p, 200, 100, work, desktop, false), (ScreenRect{-184, 752, 16, 852}));
}

TEST(PortfolioPlacementRules, ADockedWindowGrowsAwayFromItsEdges) {
    const ScreenRect work{0, 0, 1024, 740};
    // In the bottom right corner: wider and taller, it keeps both edges.
    const ScreenRect corner{824, 600, 1024, 740};
    EXPECT_EQ(ResizeKeepingDock(corner, 249, 180, work, false), (ScreenRect{775, 560, 1024, 740}));
    // Rolling up or down keeps the title in place; the right edge stays.
    EXPECT_EQ(ResizeKeepingDock(corner, 150, 18, work, true), (ScreenRect{874, 600, 1024, 618}));
    // Docked left and top, or free: it grows to the right and down, as before.
    EXPECT_EQ(ResizeKeepingDock(ScreenRect{0, 0, 200, 140}, 249, 180, work, false), (ScreenRect{0, 0, 249, 180}));
    EXPECT_EQ(ResizeKeepingDock(ScreenRect{300, 200, 500, 340}, 249, 180, work, false),
              (ScreenRect{300, 200, 549, 380}));
    // What it returns is stored with the same docking.
    EXPECT_EQ(PlacementToSave(ResizeKeepingDock(corner, 249, 180, work, false), work).anchor, DOCK_RIGHT | DOCK_BOTTOM);
}

TEST(PortfolioLabels, SpacingAndLabels) {
    EXPECT_EQ(ColumnSpacing(0), 4);
    EXPECT_EQ(ColumnSpacing(19), 3);
    EXPECT_EQ(ColumnSpacing(20), 0);
    EXPECT_EQ(SjisToUtf8(ColumnLabel(4)), " 出来高");
    EXPECT_EQ(SjisToUtf8(ColumnLabel(18)), " コード");
    EXPECT_EQ(ColumnLabel(-1), "");
}

}  // namespace
}  // namespace quotrix
