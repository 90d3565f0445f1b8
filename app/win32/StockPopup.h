// The popup menus of the icons and the portfolio: loaded once from the resources with a picture
// for every item, adjusted to the situation each time one is shown, tracked at the cursor; the
// chosen id goes to the executors of the main window. Main thread only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>

namespace quotrix {

class CStockMan;

// Where a stock's default web page goes while it carries unread marks: 11 the board, 10 the
// news, -1 when no mark redirects it. `newMarks` bit 0 board, bit 1 news; `checkMask` the mark
// kinds that are enabled; `newBoolean1` the switches 0x40000000 (no board redirect), 0x20000000
// (no news redirect) and 0x10000000 (the board wins when both are new).
int MarkRedirectPage(std::uint8_t newMarks, std::uint32_t checkMask, std::uint32_t newBoolean1);

// Move flags of ShowRowMenu: which way the portfolio row can move.
enum RowMoveFlags : unsigned { ROW_CAN_MOVE_UP = 1, ROW_CAN_MOVE_DOWN = 2 };

class CStockPopup {
  public:
    // Positions of the popups of menu 232.
    static constexpr int kStockPopup = 0;
    static constexpr int kVersionPopup = 1;
    static constexpr int kRowPopup = 2;
    static constexpr int kAppPopup = 3;
    static constexpr int kMultiSelectPopup = 4;
    // Item data of an item without a picture; real pictures are 0 to 42.
    static constexpr int kNoPicture = 43;

    CStockPopup() = default;
    CStockPopup(const CStockPopup&) = delete;
    CStockPopup& operator=(const CStockPopup&) = delete;
    virtual ~CStockPopup();

    // Loads menus 232 and 248 and the pictures of bitmap 147; false when a menu is missing
    // (every menu operation then answers 0). Missing pictures only leave the items plain.
    bool LoadMenus(HINSTANCE resources);
    void DestroyMenus();
    bool MenusLoaded() const { return menus_ != nullptr; }
    bool PicturesReady() const { return pictures_ != nullptr; }

    // The stock menu of a tray or desktop icon: the chosen id, 40016/40017 for the show toggle,
    // 0 when nothing was chosen.
    UINT ShowStockMenu(HWND owner, CStockMan& stock, bool fromDesktop);
    // The stock menu of a portfolio row (`popup` 2; the manager borrows the others as they are),
    // with the mark, move and property items; `moveFlags` are RowMoveFlags. Answers as
    // ShowStockMenu.
    UINT ShowRowMenu(HWND owner, int popup, CStockMan& stock, unsigned moveFlags, bool byDoubleClick);
    // A menu of the stock list manager as it stands (popup 2 for one stock, 4 for several); with
    // a stock, its show toggle, default picture and deleting state. Answers as ShowStockMenu.
    UINT ShowManagerMenu(HWND owner, int popup, CStockMan* stock);
    // The application menu (the general submenu of popup 0, or popup 3 for the portfolio).
    UINT ShowAppMenu(HWND owner, bool forPortfolio);
    UINT ShowVersionMenu(HWND owner);

    // WM_MEASUREITEM and WM_DRAWITEM of the owner window: TRUE when the item was a menu item.
    // Every item is owner-drawn (platform/win32/ui/OwnerMenu.h): its text in the UI font, since
    // the system's menu font may have no Japanese glyphs, and its picture.
    BOOL OnMeasureItem(MEASUREITEMSTRUCT& item);
    BOOL OnDrawItem(const DRAWITEMSTRUCT& item);
    // WM_MENUCHAR of the owner window: the item of `menu` whose "&" letter is `key`, as the
    // system finds it for the items it draws itself (several with one letter take turns).
    LRESULT OnMenuChar(wchar_t key, HMENU menu) const;

    // Busy flags of the main window's dialogs: they gray the items that would open them again.
    bool addStockOpen = false;
    bool optionsOpen = false;
    bool aboutOpen = false;
    bool managerOpen = false;

  protected:
    virtual bool StockBeingDeleted(const CStockMan& stock) const = 0;
    virtual bool HasSecuritiesPage() const = 0;
    virtual std::uint32_t NewBoolean1() const = 0;
    // The enabled mark kinds (bit 0 board, bit 1 news).
    virtual std::uint32_t CheckMask() const = 0;

    // The halves of the Show functions around the tracking: the menu adjusted to the stock and
    // the busy flags with the extra items in place, and the extra items taken out again.
    HMENU PrepareStockMenu(CStockMan& stock, bool fromDesktop);
    HMENU PrepareRowMenu(int popup, CStockMan& stock, unsigned moveFlags, bool byDoubleClick);
    void RestoreMenu(HMENU menu);
    HMENU Popup(int position) const { return menus_ ? GetSubMenu(menus_, position) : nullptr; }
    HMENU WebPages() const { return webPages_ ? GetSubMenu(webPages_, 0) : nullptr; }
    HIMAGELIST MenuImageList() const { return pictures_; }
    // The picture of the default item 33036 for this stock: 19, or 24/25 while a board/news
    // mark redirects the default page.
    int DefaultItemPicture(const CStockMan& stock) const;

  private:
    UINT Track(HWND owner, HMENU menu);
    // The text of the item `id` with item data `data`: looked for in `menu`, the tracked menu and
    // then all menus; empty when there is none.
    std::wstring ItemText(HMENU menu, UINT id, ULONG_PTR data) const;
    void GrayAppItems(HMENU menu);
    void SetToggle(HMENU menu, bool toDesktop);
    void InsertOtherPages(HMENU menu);

    HMENU menus_ = nullptr;     // 232
    HMENU webPages_ = nullptr;  // 248
    HIMAGELIST pictures_ = nullptr;
    HINSTANCE resources_ = nullptr;
    HMENU tracked_ = nullptr;  // while TrackPopupMenu runs
    // What the last Prepare added, for RestoreMenu.
    bool addedOtherPages_ = false;
    bool addedRowItems_ = false;
    bool toDesktop_ = true;
};

}  // namespace quotrix
