// A stock's property sheet: the trade page and the display, icon, watch and desktop-item pages,
// each moving values between its controls and its model (dialogs/StockPages.h).
//
// UI thread only. The sheet is modal; the stock must stay alive while it runs (the main window
// does not delete stocks while their sheet is open).
#pragma once

#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <functional>

#include "dialogs/StockPages.h"
#include "dialogs/win32/TradeDialogs.h"
#include "platform/win32/ui/PropertySheet.h"

namespace quotrix {

// What the sheet needs from the main window.
struct StockSheetServices {
    PriceValue* cashBalance = nullptr;         // the main window's balance, changed by Apply
    std::uint32_t cashSwitches = 0;            // CashSwitchBits
    bool groupDigits = true;                   // FMT_GROUP for the holding
    bool removeCompanyMark = true;             // in the sheet's title
    const CStockDefaults* defaults = nullptr;  // "標準設定(&D)" on the icon page
    // The pages edit the defaults for new stocks, not a stock: the icon page offers "推奨設定(&R)"
    // instead of "標準設定(&D)".
    bool editsDefaults = false;
    std::uint32_t portfolioItemFlags = 0;  // "ポートフォリオの設定に合わせる(&D)"
    bool portfolioPriceBars = true;
    HIMAGELIST arrows = nullptr;    // the icon image list with the arrow pictures
    HACCEL accelerators = nullptr;  // the main window's table: Ctrl+Z, Ctrl+Y, Ctrl+H, Ctrl+L
    CalculatorLauncher calculator;
    // The stock was written (Apply or OK): refresh its icon, texts and portfolio row.
    std::function<void(const TradeStoreResult&)> stored;
};

// A sheet of the stock pages: the pages' Apply writes their part through ApplyPage. The stock's
// own sheet writes into the stock; the options dialog's sheet into the defaults for new stocks.
class CStockPagesSheet : public CCenterPropertySheet {
  public:
    using CCenterPropertySheet::CCenterPropertySheet;
    // Page indexes, for the buttons that switch pages.
    enum Page { PAGE_TRADE = 0, PAGE_DISPLAY = 1, PAGE_ICON = 2, PAGE_WATCH = 3, PAGE_DESK = 4 };
    // Apply on one page: writes that page's part.
    virtual void ApplyPage(Page page) = 0;
    // Shows the page of that kind. The defaults' sheet has no trade page, so a kind is not an index.
    void ShowPage(Page page);
};

// A page of a CStockPagesSheet over its part of the sheet's model. Apply writes the page's part
// through the sheet; OK leaves the writing of every page to the sheet's owner.
class CStockSheetPage : public CPropertyPage {
  public:
    CStockSheetPage(UINT templateId, CStockPagesSheet::Page page, StockSheetModel& model)
        : CPropertyPage(templateId), model_(model), page_(page) {}

    CStockPagesSheet::Page Kind() const { return page_; }

  protected:
    bool OnApply(bool closing) override;

    StockSheetModel& model_;

  private:
    CStockPagesSheet::Page page_;
};

class CStockPricePage : public CStockSheetPage {
  public:
    CStockPricePage(StockSheetModel& model, CStockMan& stock, const StockSheetServices& services);
    ~CStockPricePage() override;

  protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    BOOL OnCommand(UINT id, UINT code, HWND control) override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void Refresh();
    void AddTrade();
    void RemoveTrade();
    void ChangeNameAndMarket();
    void OpenLog();
    void DrawSmallButton(const DRAWITEMSTRUCT& item);
    void AddTooltip(int id, const std::string& text);
    static LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam);

    TradePageModel& trade_;
    CStockMan& stock_;
    const StockSheetServices& services_;
    HWND tooltip_ = nullptr;
    HHOOK keyHook_ = nullptr;
    std::vector<ACCEL> keys_;  // the four keys of the page, from the main window's table
};

class CStockDispPage : public CStockSheetPage {
  public:
    explicit CStockDispPage(StockSheetModel& model);

  protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    BOOL OnCommand(UINT id, UINT code, HWND control) override;

  private:
    void ShowEnabling();
};

class CStockIconPage : public CStockSheetPage {
  public:
    CStockIconPage(StockSheetModel& model, const StockSheetServices& services);

  protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    bool OnKillActive() override;
    BOOL OnCommand(UINT id, UINT code, HWND control) override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void ShowAll();
    void ShowReference();
    bool ReadBoxes();
    const StockSheetServices& services_;
};

class CStockWatchPage : public CStockSheetPage {
  public:
    explicit CStockWatchPage(StockSheetModel& model);

  protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    bool OnKillActive() override;
    BOOL OnCommand(UINT id, UINT code, HWND control) override;
};

class CStockDeskIconPage : public CStockSheetPage {
  public:
    CStockDeskIconPage(StockSheetModel& model, const StockSheetServices& services);

  protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    BOOL OnCommand(UINT id, UINT code, HWND control) override;

  private:
    void ShowItems();
    const StockSheetServices& services_;
};

// The five pages in one sheet titled with the stock.
class CStockPropertySheet : public CStockPagesSheet {
  public:
    CStockPropertySheet(CStockMan& stock, const StockSheetServices& services);

    // Runs the sheet; on OK writes every page into the stock (in the order trade and icon,
    // desktop items, watch, display) and reports it through services.stored. True on OK.
    bool Run(HWND owner);

    // Apply on one page: writes that page's part into the stock and reports it.
    void ApplyPage(Page page) override;

  private:
    CStockMan& stock_;
    const StockSheetServices& services_;
    StockSheetModel model_;
    CStockPricePage trade_;
    CStockDispPage display_;
    CStockIconPage icon_;
    CStockWatchPage watch_;
    CStockDeskIconPage desk_;
};

}  // namespace quotrix
