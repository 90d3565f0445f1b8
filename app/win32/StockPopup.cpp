#include "app/win32/StockPopup.h"

#include <string>

#include "model/StockMan.h"
#include "platform/win32/WinText.h"
#include "resources/resource.h"

namespace quotrix {

namespace {

constexpr int kStockPopup = 0;
constexpr int kVersionPopup = 1;
constexpr int kAppPopup = 3;
constexpr int kGeneralSubmenu = 7;
// NewBoolean1 0x20: the other web pages are not offered in the stock menu.
constexpr std::uint32_t kNoOtherPages = 0x20;

std::wstring LoadText(HINSTANCE resources, UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(resources, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

void Gray(HMENU menu, UINT id, bool gray) { EnableMenuItem(menu, id, MF_BYCOMMAND | (gray ? MF_GRAYED : MF_ENABLED)); }

}  // namespace

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
    SetMenuDefaultItem(GetSubMenu(menus_, kStockPopup), ID_STOCK_WEB, FALSE);
    return true;
}

void CStockPopup::DestroyMenus() {
    if (menus_) DestroyMenu(menus_);
    if (webPages_) DestroyMenu(webPages_);
    menus_ = nullptr;
    webPages_ = nullptr;
}

UINT CStockPopup::Track(HWND owner, HMENU menu) {
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(owner);
    const UINT id = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
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
}

UINT CStockPopup::ShowStockMenu(HWND owner, CStockMan& stock, bool fromDesktop) {
    if (!menus_) return 0;
    HMENU menu = GetSubMenu(menus_, kStockPopup);
    const bool toDesktop = !fromDesktop;
    const std::wstring toggle = LoadText(resources_, toDesktop ? IDS_TO_DESKTOP : IDS_TO_TRAY);
    ModifyMenuW(menu, ID_STOCK_TOGGLE, MF_BYCOMMAND | MF_STRING, ID_STOCK_TOGGLE, toggle.c_str());
    const bool deleting = StockBeingDeleted(stock);
    Gray(menu, ID_STOCK_DELETE, deleting);
    Gray(menu, ID_STOCK_PROPERTIES, deleting);
    GrayAppItems(menu);

    const bool otherPages = (NewBoolean1() & kNoOtherPages) == 0;
    if (otherPages) {
        const std::wstring text = LoadText(resources_, IDS_OTHER_PAGES);
        InsertMenuW(menu, 1, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(GetSubMenu(webPages_, 0)),
                    text.c_str());
    }
    UINT id = Track(owner, menu);
    // Taken out again without destroying: the web page menu belongs to menu 248.
    if (otherPages) RemoveMenu(menu, 1, MF_BYPOSITION);
    if (id == ID_STOCK_TOGGLE) id = toDesktop ? ID_STOCK_TO_DESKTOP : ID_STOCK_TO_TRAY;
    return id;
}

UINT CStockPopup::ShowAppMenu(HWND owner, bool forPortfolio) {
    if (!menus_) return 0;
    HMENU menu =
        forPortfolio ? GetSubMenu(menus_, kAppPopup) : GetSubMenu(GetSubMenu(menus_, kStockPopup), kGeneralSubmenu);
    GrayAppItems(menu);
    return Track(owner, menu);
}

BOOL CStockPopup::OnMeasureItem(MEASUREITEMSTRUCT& item) {
    (void)item;
    return FALSE;
}

BOOL CStockPopup::OnDrawItem(const DRAWITEMSTRUCT& item) {
    (void)item;
    return FALSE;
}

UINT CStockPopup::ShowVersionMenu(HWND owner) {
    if (!menus_) return 0;
    return Track(owner, GetSubMenu(menus_, kVersionPopup));
}

}  // namespace quotrix
