// The portfolio: the main window's face while it is shown. The main window owns the stocks and
// the commands and hands this view the window's painting, scrolling and mouse messages; the view
// owns the layout, the virtual screen (one memory bitmap with every row), the fonts, the title
// buttons' pictures, the roll-up and idle-action state and the row tooltips.
//
// Main thread only. Pixels in client coordinates unless said.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/PortfolioLayout.h"
#include "icons/DesktopColors.h"
#include "model/StockMan.h"
#include "settings/AppSettings.h"

namespace quotrix {

// What the title strip shows of the totals.
struct PortfolioTotals {
    std::string line;  // "合計 ..."
    bool incomplete = true;
    std::uint32_t arrow = 0;        // the totals arrow (11 to 17), 0 without one
    std::uint32_t overallKind = 0;  // the overall status kind (4, 8, 12, 16 or 0)
};

// The main window's side, as the view needs it.
class PortfolioHost {
  public:
    virtual ~PortfolioHost() = default;
    // The collection, in portfolio order; rows are its stocks with FileFlags bit 1.
    virtual StockList& PortfolioStocks() = 0;
    virtual HIMAGELIST StockImages() = 0;
    virtual PortfolioTotals TotalsForTitle() = 0;
    virtual std::string PortfolioFileTitle() = 0;
    // The row menu for `stock` (RowMoveFlags) and the application menu, with their commands.
    virtual void PortfolioRowMenu(CStockMan& stock, unsigned moveFlags) = 0;
    virtual void PortfolioAppMenu() = 0;
    virtual void PortfolioRowDoubleClick(CStockMan& stock) = 0;
    // The close button and the idle action "hide".
    virtual void PortfolioHide() = 0;
    // Rolled up or down, by the user, the idle action or the start-up: the next start follows.
    virtual void PortfolioRolled(bool rolledUp) = 0;
};

class CPortfolioView {
  public:
    static constexpr UINT_PTR kActionTimerId = 3;

    CPortfolioView(PortfolioHost& host, const AppSettings& settings);
    ~CPortfolioView();
    CPortfolioView(const CPortfolioView&) = delete;
    CPortfolioView& operator=(const CPortfolioView&) = delete;

    // Takes over the main window's look (borderless), its scroll bar and tooltip control.
    // False when the virtual screen or the fonts cannot be made.
    bool Attach(HWND window, HWND scrollBar, HWND tooltip, HINSTANCE resources);

    // The stored scroll position and visible rows, before the first layout.
    void Restore(int firstRow, int visibleRows);
    // Lays out and places the window at the stored position; rolled up when `rolledUp`.
    void PlaceAtStart(const PortfolioPlacement& placement, bool rolledUp);
    // Shows the window; `activate` (the user's request) also brings it forward and unrolls it.
    void Show(bool activate);
    void Hide();
    bool Visible() const { return visible_; }

    // Messages of the window while it is the portfolio: TRUE when handled.
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Timer 3: the idle action.
    void OnActionTimer();

    // A stock's texts changed: measure and draw it again (and only it, when the layout stays).
    void StockChanged(const CStockMan& stock);
    // Stocks, flags, fonts or colours changed: everything is laid out and drawn again.
    void RebuildLayout();
    // Draws the rows that meet `area` (virtual-screen coordinates; all rows when null) and
    // optionally repaints. Raises on GDI failures.
    void RenderRows(const RECT* area, bool redraw);
    void AddRows(int n);
    // The totals changed: the title's width and text follow.
    void TitleChanged();

    void RollUp();
    void RollDown();
    bool RolledUp() const { return rolledUp_; }
    void PauseAutoHide();
    void ResumeAutoHide();
    void NoteMouseActivity();
    void ScrollBy(int rows);
    void SetVisibleRows(int delta);
    // Swaps the stock with its listed neighbour; false when there is none.
    bool MoveRow(const CStockMan& stock, bool up);
    unsigned MoveFlags(const CStockMan& stock);

    // What a save records.
    PortfolioPlacement CurrentPlacement() const;
    int FirstRow() const { return layout_.FirstRow(); }
    int VisibleRows() const { return layout_.VisibleRows(); }
    const PortfolioLayout& Layout() const { return layout_; }
    // The colours changed (settings, system): brushes and image-list background follow.
    void ApplyLook();

  private:
    struct PaintError {
        std::string text;  // Shift-JIS
    };
    void OnPaint();
    void PaintTitle(HDC dc, int width);
    void PaintButtons(HDC dc, int width);
    void PaintLabels(HDC dc);
    void PaintFrame(HDC dc, int width, int height);
    void RenderRow(HDC dc, const CStockMan& stock, int y, int rowIndex);
    void PutText(HDC dc, int x, int y, const std::string& text, COLORREF color, bool shadow);
    void OnMouseMove(int x, int y, WPARAM keys);
    void OnLButtonDown(int x, int y);
    void OnLButtonUp(int x, int y);
    void PressButton(TitleHit hit);
    void OnLButtonDblClk(int x, int y);
    void OnRButtonDown(int x, int y);
    void OnVScroll(int code);
    BOOL OnNotify(NMHDR& header, LRESULT& result);
    void RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam);

    bool TryRedrawRow(const CStockMan& stock);
    // A picture of the icon image list (with a status mark, or kNoMark) on the row's background.
    void DrawIcon(HDC dc, int x, int y, int image, std::uint32_t mark, bool highlighted);
    void ForgetIcons();
    void CollectRows();
    bool MakeFonts();
    bool BuildVirtualScreen();
    void ApplySize();
    void PlaceScrollBar();
    void UpdateTools();
    void SetAutoHideTip();
    void StartActionTimer();
    void StopActionTimer();
    bool AutoHideShown() const;
    int TitleTextWidth(HDC dc);
    int MeasureText(HDC dc, const std::string& text);
    TitleHit HitAt(int x, int y) const;
    int ClientWidth() const;
    COLORREF TextColor() const;
    DesktopTextColors DesktopColors() const;
    void SetRolled(bool rolledUp);
    bool Transparent() const { return settings_.pfTransparent; }
    void InvalidateTitle();

    PortfolioHost& host_;
    const AppSettings& settings_;
    HWND hwnd_ = nullptr;
    HWND scrollBar_ = nullptr;
    HWND tooltip_ = nullptr;
    HINSTANCE resources_ = nullptr;
    HIMAGELIST buttons_ = nullptr;
    HCURSOR sizeCursor_ = nullptr;
    HFONT rowFont_ = nullptr;
    HFONT boldFont_ = nullptr;
    HBRUSH background_ = nullptr;
    int fontSize_ = 0;

    PortfolioLayout layout_;
    PortfolioColors colors_;
    std::vector<CStockMan*> rows_;
    struct Cached {
        RowMeasure measure;
        bool valid = false;
    };
    std::unordered_map<const CStockMan*, Cached> measures_;

    // The virtual screen: every row, content width x (row height x rows).
    HDC screen_ = nullptr;
    HBITMAP screenBitmap_ = nullptr;
    HGDIOBJ screenOld_ = nullptr;
    int screenWidth_ = 0;
    int screenHeight_ = 0;

    bool visible_ = false;
    bool rolledUp_ = false;
    bool autoHideSuspended_ = false;
    bool actionRunning_ = false;
    int moving_ = 0;  // 0 none, 1 moving, 2 resizing
    POINT moveStart_{};
    RECT moveOrigin_{};
    TitleHit pressed_ = TitleHit::List;
    TitleHit hovered_ = TitleHit::List;
    bool trackingLeave_ = false;
    bool resizePending_ = true;
    int menuRow_ = -1;  // the row whose menu is open
    int rowTools_ = 0;  // row tooltips (ids 32 ...)
    // Composed row pictures: 18 images x 5 marks x 2 backgrounds, 16 pixels high each.
    HDC atlas_ = nullptr;
    HBITMAP atlasBitmap_ = nullptr;
    HGDIOBJ atlasOld_ = nullptr;
    std::array<int, 18 * 5 * 2> atlasSlots_{};
    int atlasUsed_ = 0;
    std::array<int, kPortfolioColumns> labelWidths_{};
    bool labelsMeasured_ = false;
};

}  // namespace quotrix
