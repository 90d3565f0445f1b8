// The popup menus of the icons and the portfolio: loaded once from the resources, adjusted to
// the situation each time one is shown, tracked at the cursor; the chosen id goes to the
// executors of the main window. Main thread only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quotrix {

class CStockMan;

class CStockPopup {
  public:
    CStockPopup() = default;
    CStockPopup(const CStockPopup&) = delete;
    CStockPopup& operator=(const CStockPopup&) = delete;
    virtual ~CStockPopup();

    bool LoadMenus(HINSTANCE resources);
    void DestroyMenus();
    bool MenusLoaded() const { return menus_ != nullptr; }

    // The stock menu of a tray or desktop icon: the chosen id, 40016/40017 for the show toggle,
    // 0 when nothing was chosen.
    UINT ShowStockMenu(HWND owner, CStockMan& stock, bool fromDesktop);
    // The application menu (the general submenu of popup 0, or popup 3 for the portfolio).
    UINT ShowAppMenu(HWND owner, bool forPortfolio);
    UINT ShowVersionMenu(HWND owner);

    // WM_MEASUREITEM and WM_DRAWITEM of the owner window: TRUE when the item was a menu
    // item's picture.
    BOOL OnMeasureItem(MEASUREITEMSTRUCT& item);
    BOOL OnDrawItem(const DRAWITEMSTRUCT& item);

    // Busy flags of the main window's dialogs: they gray the items that would open them again.
    bool addStockOpen = false;
    bool optionsOpen = false;
    bool aboutOpen = false;
    bool managerOpen = false;

  protected:
    // The item of 33039 reads "to desktop" or "to tray"; the texts come from the string table.
    virtual bool StockBeingDeleted(const CStockMan& stock) const = 0;
    virtual bool HasSecuritiesPage() const = 0;
    virtual std::uint32_t NewBoolean1() const = 0;

  private:
    UINT Track(HWND owner, HMENU menu);
    void GrayAppItems(HMENU menu);

    HMENU menus_ = nullptr;     // 232
    HMENU webPages_ = nullptr;  // 248
    HINSTANCE resources_ = nullptr;
};

}  // namespace quotrix
