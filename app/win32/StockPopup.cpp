#include "app/win32/StockPopup.h"

#include <string>

#include "icons/StockIconCtrl.h"
#include "log/ErrLog.h"
#include "model/StockMan.h"
#include "platform/win32/ui/OwnerMenu.h"
#include "resources/resource.h"

namespace quotrix {

namespace {

constexpr int kGeneralSubmenu = 7;
// NewBoolean1 0x20: the other web pages are not offered in the stock menu.
constexpr std::uint32_t kNoOtherPages = 0x20;
constexpr std::uint32_t kNoBoardRedirect = 0x40000000;
constexpr std::uint32_t kNoNewsRedirect = 0x20000000;
constexpr std::uint32_t kBoardFirst = 0x10000000;

constexpr int kMenuPictureSize = 16;
constexpr int kMenuPictureCount = 46;
constexpr COLORREF kMenuMaskColor = RGB(192, 192, 192);
// The picture is drawn one line short so that it sits inside the 18-pixel item with the
// rounded box of a checked item around it.
constexpr int kDrawHeight = 15;
constexpr int kDrawLeft = 2;

// Picture indexes of bitmap 147.
enum Picture : int {
    PIC_PROPERTIES = 0,
    PIC_ADD_CODE = 1,
    PIC_COPY = 2,
    PIC_DELETE = 3,
    PIC_CLEAR_BOARD = 4,
    PIC_CLEAR_NEWS = 5,
    PIC_HIDE = 6,
    PIC_UPDATE = 7,
    PIC_SAVE = 8,
    PIC_OPTIONS = 9,
    PIC_PORTFOLIO = 10,
    PIC_MANAGER = 11,
    PIC_TO_TRAY = 12,
    PIC_TO_DESKTOP = 13,
    PIC_ABOUT = 14,
    PIC_EXIT = 15,
    PIC_GENERAL = 16,
    PIC_DOWNLOAD = 17,
    PIC_WEB_PAGE = 19,
    PIC_RESET = 20,
    PIC_CLOSE = 21,
    PIC_UP = 22,
    PIC_DOWN = 23,
    PIC_BOARD_REDIRECT = 24,
    PIC_NEWS_REDIRECT = 25,
    PIC_FIRST_CHART = 26,  // the quote page and its eight chart kinds: 26 to 34
    PIC_SECURITIES = 35,
    PIC_OTHER_PAGES = 36,
    PIC_TIME_SERIES = 37,
    PIC_PROFILE = 38,
    PIC_RESEARCH = 39,
    PIC_QUOTE_BOARD = 40,
    PIC_REPORT = 41,
    PIC_RELEASE_CHECK = 42,
};

int PictureOf(UINT id) {
    if (id >= ID_WEB_FIRST && id < ID_WEB_FIRST + 9) return PIC_FIRST_CHART + static_cast<int>(id - ID_WEB_FIRST);
    switch (id) {
        case ID_STOCK_WEB:
            return PIC_WEB_PAGE;
        case ID_STOCK_UPDATE:
        case ID_APP_UPDATE_ALL:
            return PIC_UPDATE;
        case ID_STOCK_TOGGLE:
            return PIC_TO_DESKTOP;
        case ID_STOCK_HIDE:
        case ID_ROW_HIDE:
            return PIC_HIDE;
        case ID_STOCK_DELETE:
            return PIC_DELETE;
        case ID_STOCK_PROPERTIES:
            return PIC_PROPERTIES;
        case ID_APP_ADD_STOCK:
            return PIC_ADD_CODE;
        case ID_APP_PORTFOLIO:
            return PIC_PORTFOLIO;
        case ID_APP_MANAGER:
            return PIC_MANAGER;
        case ID_APP_SECURITIES:
            return PIC_SECURITIES;
        case ID_APP_CLEAR_BOARD:
        case ID_ROW_CLEAR_BOARD:
            return PIC_CLEAR_BOARD;
        case ID_APP_CLEAR_NEWS:
        case ID_ROW_CLEAR_NEWS:
            return PIC_CLEAR_NEWS;
        case ID_APP_SAVE:
            return PIC_SAVE;
        case ID_APP_OPTIONS:
            return PIC_OPTIONS;
        case ID_APP_ABOUT:
            return PIC_ABOUT;
        case ID_APP_EXIT:
            return PIC_EXIT;
        case ID_APP_RELEASE_CHECK:
            return PIC_RELEASE_CHECK;
        case ID_VERUP_DOWNLOAD:
            return PIC_DOWNLOAD;
        case ID_VERUP_CLOSE:
            return PIC_CLOSE;
        case ID_ROW_UP:
            return PIC_UP;
        case ID_ROW_DOWN:
            return PIC_DOWN;
        case ID_ACCEL_COPY:
            return PIC_COPY;
        case ID_STOCK_RESET:
            return PIC_RESET;
        case ID_WEB_FIRST + 9:
            return PIC_TIME_SERIES;
        case ID_WEB_FIRST + 10:
            return PIC_NEWS_REDIRECT;
        case ID_WEB_FIRST + 11:
            return PIC_BOARD_REDIRECT;
        case ID_WEB_FIRST + 12:
            return PIC_PROFILE;
        case ID_WEB_FIRST + 13:
            return PIC_RESEARCH;
        case ID_WEB_QUOTE_BOARD:
            return PIC_QUOTE_BOARD;
        case ID_WEB_REPORT:
            return PIC_REPORT;
        default:
            return CStockPopup::kNoPicture;
    }
}

std::wstring LoadText(HINSTANCE resources, UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(resources, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

void Gray(HMENU menu, UINT id, bool gray) { EnableMenuItem(menu, id, MF_BYCOMMAND | (gray ? MF_GRAYED : MF_ENABLED)); }

// Every item is owner-drawn, text included: the system's menu font may have no Japanese glyphs.
// The picture goes in the item data; the text stays in the item, for measuring and drawing it.
MENUITEMINFOW PictureInfo(int picture) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    info.fType = MFT_OWNERDRAW;
    info.dwItemData = static_cast<ULONG_PTR>(picture);
    return info;
}

void SetPicture(HMENU menu, UINT item, BOOL byPosition, int picture) {
    MENUITEMINFOW info = PictureInfo(picture);
    SetMenuItemInfoW(menu, item, byPosition, &info);
}

// Every item of a popup and of its submenus; a submenu item shows the general picture (the
// only submenu of the resources is "全般の操作(&G)").
void SetPictures(HMENU menu) {
    // The pictures take the place of the check marks, as the checked box of OnDrawItem expects.
    UsePictureColumn(menu);
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
        if (info.hSubMenu) SetPictures(info.hSubMenu);
        SetPicture(menu, static_cast<UINT>(i), TRUE, info.hSubMenu ? PIC_GENERAL : PictureOf(info.wID));
    }
}

void InsertItem(HMENU menu, UINT position, UINT id, const std::wstring& text, int picture, bool grayed) {
    MENUITEMINFOW info = PictureInfo(picture);
    info.fMask |= MIIM_ID | MIIM_STRING | MIIM_STATE;
    info.wID = id;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    info.fState = grayed ? MFS_GRAYED : MFS_ENABLED;
    InsertMenuItemW(menu, position, TRUE, &info);
}

void InsertSeparator(HMENU menu, UINT position, UINT id) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID;
    info.fType = MFT_SEPARATOR;
    info.wID = id;
    InsertMenuItemW(menu, position, TRUE, &info);
}

}  // namespace

int MarkRedirectPage(std::uint8_t newMarks, std::uint32_t checkMask, std::uint32_t newBoolean1) {
    const unsigned marks = newMarks & checkMask & 3u;
    int page = -1;
    if ((marks & 1) && (newBoolean1 & kNoBoardRedirect) == 0) page = 11;
    if ((marks & 2) && (newBoolean1 & kNoNewsRedirect) == 0 && !(page == 11 && (newBoolean1 & kBoardFirst))) page = 10;
    return page;
}

CStockPopup::~CStockPopup() { DestroyMenus(); }

bool CStockPopup::LoadMenus(HINSTANCE resources) {
    if (menus_) return true;
    resources_ = resources;
    menus_ = LoadMenuW(resources, MAKEINTRESOURCEW(IDR_POPUP_MENUS));
    webPages_ = LoadMenuW(resources, MAKEINTRESOURCEW(IDR_WEB_PAGES));
    if (!menus_ || !webPages_) {
        DestroyMenus();
        return false;
    }
    pictures_ = ImageList_Create(kMenuPictureSize, kMenuPictureSize, ILC_COLOR24 | ILC_MASK, kMenuPictureCount, 2);
    auto* strip = static_cast<HBITMAP>(
        LoadImageW(resources, MAKEINTRESOURCEW(IDB_MENU_PICTURES), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!pictures_ || !strip || ImageList_AddMasked(pictures_, strip, kMenuMaskColor) < 0) {
        AppLog().Log(LOG_ERR, "[MENU] Menu pictures not loaded");
        if (pictures_) ImageList_Destroy(pictures_);
        pictures_ = nullptr;
    }
    if (strip) DeleteObject(strip);

    const int popups = GetMenuItemCount(menus_);
    for (int i = 0; i < popups; ++i) SetPictures(GetSubMenu(menus_, i));
    SetPictures(WebPages());
    SetMenuDefaultItem(Popup(kStockPopup), ID_STOCK_WEB, FALSE);
    SetMenuDefaultItem(Popup(kRowPopup), ID_STOCK_WEB, FALSE);
    return true;
}

void CStockPopup::DestroyMenus() {
    if (menus_) DestroyMenu(menus_);
    if (webPages_) DestroyMenu(webPages_);
    if (pictures_) ImageList_Destroy(pictures_);
    menus_ = nullptr;
    webPages_ = nullptr;
    pictures_ = nullptr;
}

UINT CStockPopup::Track(HWND owner, HMENU menu) {
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(owner);
    tracked_ = menu;
    const UINT id = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
    tracked_ = nullptr;
    // Lets the menu close properly when the owner is a background window.
    PostMessageW(owner, WM_NULL, 0, 0);
    return id;
}

void CStockPopup::GrayAppItems(HMENU menu) {
    const bool dialogOpen = addStockOpen || optionsOpen || managerOpen;
    Gray(menu, ID_APP_ADD_STOCK, dialogOpen);
    Gray(menu, ID_APP_OPTIONS, dialogOpen);
    Gray(menu, ID_APP_EXIT, dialogOpen);
    Gray(menu, ID_APP_MANAGER, dialogOpen);
    Gray(menu, ID_APP_SECURITIES, !HasSecuritiesPage());
    Gray(menu, ID_APP_ABOUT, aboutOpen);
    Gray(menu, ID_APP_PORTFOLIO, false);
}

int CStockPopup::DefaultItemPicture(const CStockMan& stock) const {
    switch (MarkRedirectPage(stock.newMarks, CheckMask(), NewBoolean1())) {
        case 11:
            return PIC_BOARD_REDIRECT;
        case 10:
            return PIC_NEWS_REDIRECT;
        default:
            return PIC_WEB_PAGE;
    }
}

void CStockPopup::SetToggle(HMENU menu, bool toDesktop) {
    toDesktop_ = toDesktop;
    const std::wstring text = LoadText(resources_, toDesktop ? IDS_TO_DESKTOP : IDS_TO_TRAY);
    MENUITEMINFOW info = PictureInfo(toDesktop ? PIC_TO_DESKTOP : PIC_TO_TRAY);
    info.fMask |= MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    SetMenuItemInfoW(menu, ID_STOCK_TOGGLE, FALSE, &info);
}

void CStockPopup::InsertOtherPages(HMENU menu) {
    addedOtherPages_ = (NewBoolean1() & kNoOtherPages) == 0;
    if (!addedOtherPages_) return;
    const std::wstring text = LoadText(resources_, IDS_OTHER_PAGES);
    MENUITEMINFOW info = PictureInfo(PIC_OTHER_PAGES);
    info.fMask |= MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    info.hSubMenu = WebPages();
    InsertMenuItemW(menu, 1, TRUE, &info);
}

HMENU CStockPopup::PrepareStockMenu(CStockMan& stock, bool fromDesktop) {
    HMENU menu = Popup(kStockPopup);
    if (!menu) return nullptr;
    SetToggle(menu, !fromDesktop);
    const bool deleting = StockBeingDeleted(stock);
    Gray(menu, ID_STOCK_DELETE, deleting);
    Gray(menu, ID_STOCK_PROPERTIES, deleting);
    GrayAppItems(menu);
    SetPicture(menu, ID_STOCK_WEB, FALSE, DefaultItemPicture(stock));
    InsertOtherPages(menu);
    addedRowItems_ = false;
    return menu;
}

HMENU CStockPopup::PrepareRowMenu(int popup, CStockMan& stock, unsigned moveFlags, bool byDoubleClick) {
    HMENU menu = Popup(popup);
    addedOtherPages_ = false;
    addedRowItems_ = false;
    if (!menu) return nullptr;
    const bool deleting = StockBeingDeleted(stock);
    Gray(menu, ID_STOCK_DELETE, deleting);
    if (popup != kRowPopup) return menu;

    SetToggle(menu, stock.showMode < SHOW_DESKTOP);
    SetPicture(menu, ID_STOCK_WEB, FALSE, DefaultItemPicture(stock));
    InsertOtherPages(menu);

    // The mark and move groups go on top, each closed by its separator.
    UINT at = 0;
    const unsigned marks = stock.newMarks & CheckMask();
    if (marks & 1)
        InsertItem(menu, at++, ID_ROW_CLEAR_BOARD, LoadText(resources_, IDS_ROW_CLEAR_BOARD), PIC_CLEAR_BOARD, false);
    if (marks & 2)
        InsertItem(menu, at++, ID_ROW_CLEAR_NEWS, LoadText(resources_, IDS_ROW_CLEAR_NEWS), PIC_CLEAR_NEWS, false);
    if (at > 0) InsertSeparator(menu, at++, ID_ROW_SEPARATOR1);
    const UINT movesAt = at;
    if (moveFlags & ROW_CAN_MOVE_UP) InsertItem(menu, at++, ID_ROW_UP, LoadText(resources_, IDS_ROW_UP), PIC_UP, false);
    if (moveFlags & ROW_CAN_MOVE_DOWN)
        InsertItem(menu, at++, ID_ROW_DOWN, LoadText(resources_, IDS_ROW_DOWN), PIC_DOWN, false);
    if (at > movesAt) InsertSeparator(menu, at++, ID_ROW_SEPARATOR2);
    InsertItem(menu, static_cast<UINT>(GetMenuItemCount(menu)), ID_STOCK_PROPERTIES,
               LoadText(resources_, IDS_PROPERTIES), PIC_PROPERTIES, deleting);
    SetMenuDefaultItem(menu, byDoubleClick ? ID_STOCK_PROPERTIES : ID_STOCK_WEB, FALSE);
    addedRowItems_ = true;
    return menu;
}

void CStockPopup::RestoreMenu(HMENU menu) {
    if (!menu) return;
    if (addedRowItems_) {
        for (UINT id : {ID_ROW_CLEAR_BOARD, ID_ROW_CLEAR_NEWS, ID_ROW_SEPARATOR1, ID_ROW_UP, ID_ROW_DOWN,
                        ID_ROW_SEPARATOR2, ID_STOCK_PROPERTIES})
            RemoveMenu(menu, id, MF_BYCOMMAND);
        SetMenuDefaultItem(menu, ID_STOCK_WEB, FALSE);
    }
    if (addedOtherPages_) {
        // Taken out without destroying: the web page menu belongs to menu 248.
        for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
            if (GetSubMenu(menu, i) == WebPages()) RemoveMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
        }
    }
    addedRowItems_ = false;
    addedOtherPages_ = false;
}

UINT CStockPopup::ShowStockMenu(HWND owner, CStockMan& stock, bool fromDesktop) {
    HMENU menu = PrepareStockMenu(stock, fromDesktop);
    if (!menu) return 0;
    UINT id = Track(owner, menu);
    RestoreMenu(menu);
    if (id == ID_STOCK_TOGGLE) id = toDesktop_ ? ID_STOCK_TO_DESKTOP : ID_STOCK_TO_TRAY;
    return id;
}

UINT CStockPopup::ShowRowMenu(HWND owner, int popup, CStockMan& stock, unsigned moveFlags, bool byDoubleClick) {
    HMENU menu = PrepareRowMenu(popup, stock, moveFlags, byDoubleClick);
    if (!menu) return 0;
    UINT id = Track(owner, menu);
    RestoreMenu(menu);
    if (id == ID_STOCK_TOGGLE) id = toDesktop_ ? ID_STOCK_TO_DESKTOP : ID_STOCK_TO_TRAY;
    return id;
}

UINT CStockPopup::ShowManagerMenu(HWND owner, int popup, CStockMan* stock) {
    HMENU menu = Popup(popup);
    if (!menu) return 0;
    addedOtherPages_ = false;
    addedRowItems_ = false;
    if (stock) {
        Gray(menu, ID_STOCK_DELETE, StockBeingDeleted(*stock));
        if (popup == kRowPopup) {
            SetToggle(menu, stock->showMode < SHOW_DESKTOP);
            SetPicture(menu, ID_STOCK_WEB, FALSE, DefaultItemPicture(*stock));
        }
    }
    UINT id = Track(owner, menu);
    if (id == ID_STOCK_TOGGLE) id = toDesktop_ ? ID_STOCK_TO_DESKTOP : ID_STOCK_TO_TRAY;
    return id;
}

UINT CStockPopup::ShowAppMenu(HWND owner, bool forPortfolio) {
    if (!menus_) return 0;
    HMENU menu = forPortfolio ? Popup(kAppPopup) : GetSubMenu(Popup(kStockPopup), kGeneralSubmenu);
    if (!menu) return 0;
    GrayAppItems(menu);
    return Track(owner, menu);
}

UINT CStockPopup::ShowVersionMenu(HWND owner) {
    if (!menus_) return 0;
    return Track(owner, Popup(kVersionPopup));
}

std::wstring CStockPopup::ItemText(HMENU menu, UINT id, ULONG_PTR data) const {
    std::wstring text;
    // The menu being shown first: an id may sit in several popups with texts of the moment.
    for (HMENU root : {menu, tracked_, menus_, webPages_})
        if (FindMenuItemText(root, id, data, text)) break;
    return text;
}

BOOL CStockPopup::OnMeasureItem(MEASUREITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU) return FALSE;
    MeasureMenuItem(item, ItemText(nullptr, item.itemID, item.itemData));
    return TRUE;
}

LRESULT CStockPopup::OnMenuChar(wchar_t key, HMENU menu) const { return MenuCharResult(key, menu); }

BOOL CStockPopup::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU) return FALSE;
    const int picture = static_cast<int>(item.itemData);
    HMENU menu = reinterpret_cast<HMENU>(item.hwndItem);
    const bool grayed = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool isDefault = (item.itemState & ODS_DEFAULT) != 0 ||
                           (menu && GetMenuDefaultItem(menu, FALSE, GMDI_USEDISABLED) == item.itemID);
    DrawMenuItem(item, ItemText(menu, item.itemID, item.itemData), isDefault);
    const bool hasPicture = pictures_ && picture >= 0 && picture < kNoPicture;
    if (!hasPicture) {
        if (item.itemState & ODS_CHECKED) DrawMenuCheck(item);
        return TRUE;
    }
    if (item.itemState & ODS_CHECKED) DrawMenuCheckBox(item);
    const int x = r.left + kDrawLeft;
    const int y = r.top + (r.bottom - r.top - kDrawHeight) / 2;
    if (!grayed) {
        ImageList_DrawEx(pictures_, picture, dc, x, y, kMenuPictureSize, kDrawHeight, CLR_NONE, CLR_NONE,
                         ILD_TRANSPARENT);
        return TRUE;
    }
    // A grayed picture is its silhouette: the mask (black where the picture is, white around it)
    // ANDed onto the item, so that the background shows where the picture is transparent.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP mask = CreateCompatibleBitmap(dc, kMenuPictureSize, kDrawHeight);
    HGDIOBJ old = SelectObject(memory, mask);
    PatBlt(memory, 0, 0, kMenuPictureSize, kDrawHeight, WHITENESS);
    ImageList_Draw(pictures_, picture, memory, 0, 0, ILD_MASK);
    BitBlt(dc, x, y, kMenuPictureSize, kDrawHeight, memory, 0, 0, SRCAND);
    SelectObject(memory, old);
    DeleteObject(mask);
    DeleteDC(memory);
    return TRUE;
}

}  // namespace quotrix
