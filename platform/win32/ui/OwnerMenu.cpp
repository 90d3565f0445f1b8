#include "platform/win32/ui/OwnerMenu.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "platform/win32/ui/UiFont.h"

namespace quotrix {

namespace {

constexpr int kMinItemHeight = 18;
// The text starts right of the picture column and keeps a margin from the submenu arrow the
// system draws; the height leaves two pixels above and below.
constexpr int kTextLeft = 26;
constexpr int kTextRight = 10;
constexpr int kShortcutGap = 24;  // between a label and its shortcut
constexpr int kTextPadding = 4;
// A bar item's text keeps this much room on either side, as the system's own bar items do.
constexpr int kBarMargin = 6;
// The box behind a checked item's picture (COLORREF values).
constexpr COLORREF kCheckFill = 0xEED2C1;
constexpr COLORREF kCheckFillSelected = 0xE2B598;
constexpr COLORREF kCheckFillGrayed = 0xC1C1C1;
constexpr COLORREF kCheckFrame = 0xC56A31;
constexpr COLORREF kCheckFrameGrayed = 0x808080;

// Item data of the bar's own items: a tag in the high word, a running number in the low one, so
// that every item is found by its data alone (bar items with submenus may share an id) and never
// mistaken for a popup item, whose data is a small picture index.
constexpr ULONG_PTR kBarItemTag = 0x51420000;
constexpr ULONG_PTR kDropDownItemTag = 0x51440000;
constexpr ULONG_PTR kTagMask = 0xFFFF0000;

SIZE TextSize(HFONT font, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT box{0, 0, 0, 0};
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &box, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    SelectObject(dc, old);
    DeleteDC(dc);
    return {box.right - box.left, box.bottom - box.top};
}

// Selects the UI font, a transparent ground and the text colour into `dc` for the life of the
// object.
class TextState {
  public:
    TextState(HDC dc, HFONT font, COLORREF colour)
        : dc_(dc),
          font_(SelectObject(dc, font)),
          mode_(SetBkMode(dc, TRANSPARENT)),
          colour_(SetTextColor(dc, colour)) {}
    ~TextState() {
        SetTextColor(dc_, colour_);
        SetBkMode(dc_, mode_);
        SelectObject(dc_, font_);
    }
    TextState(const TextState&) = delete;
    TextState& operator=(const TextState&) = delete;

  private:
    HDC dc_;
    HGDIOBJ font_;
    int mode_;
    COLORREF colour_;
};

int TextColourOf(UINT state) {
    if (state & (ODS_GRAYED | ODS_DISABLED)) return COLOR_GRAYTEXT;
    return (state & ODS_SELECTED) ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
}

// Marks every item of `menu` and its submenus owner-drawn with a running number in its data.
void MarkOwnerDrawn(HMENU menu, ULONG_PTR tag, ULONG_PTR& number) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
        if (info.hSubMenu) {
            UsePictureColumn(info.hSubMenu);
            MarkOwnerDrawn(info.hSubMenu, kDropDownItemTag, number);
        }
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        info.fType |= MFT_OWNERDRAW;
        info.dwItemData = tag | (++number & ~kTagMask);
        SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    }
}

bool Contains(HMENU root, HMENU menu) {
    if (!root) return false;
    if (root == menu) return true;
    const int count = GetMenuItemCount(root);
    for (int i = 0; i < count; ++i)
        if (Contains(GetSubMenu(root, i), menu)) return true;
    return false;
}

}  // namespace

bool FindMenuItemText(HMENU menu, UINT id, ULONG_PTR data, std::wstring& text) {
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t buffer[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = buffer;
        info.cch = 256;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if (!(info.fType & MFT_SEPARATOR) && info.wID == id && info.dwItemData == data) {
            text = buffer;
            return true;
        }
        if (info.hSubMenu && FindMenuItemText(info.hSubMenu, id, data, text)) return true;
    }
    return false;
}

void UsePictureColumn(HMENU menu) {
    MENUINFO style{};
    style.cbSize = sizeof style;
    style.fMask = MIM_STYLE;
    GetMenuInfo(menu, &style);
    style.dwStyle |= MNS_CHECKORBMP;
    SetMenuInfo(menu, &style);
}

void MeasureMenuItem(MEASUREITEMSTRUCT& item, const std::wstring& text) {
    SIZE size = TextSize(GetUiBoldFont(), text);
    // A shortcut after a tab stands right-aligned, apart from the label.
    if (text.find(L'\t') != std::wstring::npos) size.cx += kShortcutGap;
    const UINT height = static_cast<UINT>(size.cy + kTextPadding);
    if (item.itemHeight < kMinItemHeight) item.itemHeight = kMinItemHeight;
    if (item.itemHeight < height) item.itemHeight = height;
    item.itemWidth = static_cast<UINT>(kTextLeft + size.cx + kTextRight);
}

void DrawMenuItem(const DRAWITEMSTRUCT& item, const std::wstring& text, bool isDefault) {
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    FillRect(dc, &r, GetSysColorBrush((item.itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_MENU));
    if (text.empty()) return;
    TextState state(dc, isDefault ? GetUiBoldFont() : GetUiFont(), GetSysColor(TextColourOf(item.itemState)));
    RECT box{r.left + kTextLeft, r.top, r.right - kTextRight, r.bottom};
    const UINT prefix = (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    const std::size_t tab = text.find(L'\t');
    DrawTextW(dc, text.c_str(), static_cast<int>(std::min(tab, text.size())), &box,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | prefix);
    if (tab != std::wstring::npos)
        DrawTextW(dc, text.c_str() + tab + 1, -1, &box, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
}

void DrawMenuCheckBox(const DRAWITEMSTRUCT& item) {
    const bool grayed = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const RECT& r = item.rcItem;
    HBRUSH brush = CreateSolidBrush(grayed ? kCheckFillGrayed : selected ? kCheckFillSelected : kCheckFill);
    HPEN pen = CreatePen(PS_SOLID, 1, grayed ? kCheckFrameGrayed : kCheckFrame);
    HGDIOBJ oldBrush = SelectObject(item.hDC, brush);
    HGDIOBJ oldPen = SelectObject(item.hDC, pen);
    RoundRect(item.hDC, r.left, r.top + 1, r.left + kMenuPictureColumn, r.bottom, 4, 4);
    SelectObject(item.hDC, oldPen);
    SelectObject(item.hDC, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void DrawMenuCheck(const DRAWITEMSTRUCT& item) {
    DrawMenuCheckBox(item);
    const bool grayed = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    // A tick two pixels thick, centred in the box; the box's light fill keeps the menu's text
    // colour readable whatever the selection colour is.
    const RECT& r = item.rcItem;
    const int middle = (r.top + 1 + r.bottom) / 2;
    const int left = r.left + 5;
    HPEN pen = CreatePen(PS_SOLID, 2, GetSysColor(grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    HGDIOBJ old = SelectObject(item.hDC, pen);
    const POINT tick[3] = {{left, middle}, {left + 3, middle + 3}, {left + 9, middle - 3}};
    Polyline(item.hDC, tick, 3);
    SelectObject(item.hDC, old);
    DeleteObject(pen);
}

void MeasureMenuBarItem(MEASUREITEMSTRUCT& item, const std::wstring& text) {
    const SIZE size = TextSize(GetUiFont(), text);
    item.itemWidth = static_cast<UINT>(size.cx + 2 * kBarMargin);
    const UINT height = static_cast<UINT>(size.cy + kTextPadding);
    if (item.itemHeight < height) item.itemHeight = height;
}

void DrawMenuBarItem(const DRAWITEMSTRUCT& item, const std::wstring& text) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    // As the system draws its own bar: flat menus light the item in the menu-highlight colour
    // with a frame, classic ones press it in (open) or raise it (under the mouse).
    BOOL flat = FALSE;
    SystemParametersInfoW(SPI_GETFLATMENU, 0, &flat, 0);
    const bool grayed = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool lit = !grayed && (selected || (item.itemState & ODS_HOTLIGHT) != 0);
    FillRect(dc, &r, GetSysColorBrush(flat ? COLOR_MENUBAR : COLOR_MENU));
    int colour = grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT;
    if (lit && flat) {
        FillRect(dc, &r, GetSysColorBrush(COLOR_MENUHILIGHT));
        FrameRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        colour = COLOR_HIGHLIGHTTEXT;
    } else if (lit) {
        DrawEdge(dc, &r, selected ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    if (text.empty()) return;
    TextState state(dc, GetUiFont(), GetSysColor(colour));
    const UINT prefix = (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    DrawTextW(dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | prefix);
}

LRESULT MenuCharResult(wchar_t key, HMENU menu) {
    std::vector<int> matches;
    int selected = -1;
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = 256;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if (info.fState & MFS_HILITE) selected = i;
        // "&&" is a plain ampersand, not a letter mark.
        const wchar_t* amp = text;
        while ((amp = wcschr(amp, L'&')) != nullptr && amp[1] == L'&') amp += 2;
        if (amp && amp[1] && std::towupper(amp[1]) == std::towupper(key)) matches.push_back(i);
    }
    if (matches.empty()) return MAKELRESULT(0, MNC_IGNORE);
    if (matches.size() == 1) return MAKELRESULT(matches.front(), MNC_EXECUTE);
    for (int i : matches)
        if (i > selected) return MAKELRESULT(i, MNC_SELECT);
    return MAKELRESULT(matches.front(), MNC_SELECT);
}

bool COwnerMenuBar::Attach(HWND window) {
    bar_ = GetMenu(window);
    if (!bar_) return false;
    ULONG_PTR number = 0;
    MarkOwnerDrawn(bar_, kBarItemTag, number);
    // The bar was measured with the system's font when the window was made.
    DrawMenuBar(window);
    return true;
}

bool COwnerMenuBar::Owns(HMENU menu) const { return menu && Contains(bar_, menu); }

BOOL COwnerMenuBar::OnMeasureItem(MEASUREITEMSTRUCT& item) const {
    const ULONG_PTR tag = item.itemData & kTagMask;
    if (item.CtlType != ODT_MENU || (tag != kBarItemTag && tag != kDropDownItemTag)) return FALSE;
    std::wstring text;
    if (!FindMenuItemText(bar_, item.itemID, item.itemData, text)) return FALSE;
    if (tag == kBarItemTag)
        MeasureMenuBarItem(item, text);
    else
        MeasureMenuItem(item, text);
    return TRUE;
}

BOOL COwnerMenuBar::OnDrawItem(const DRAWITEMSTRUCT& item) const {
    HMENU menu = reinterpret_cast<HMENU>(item.hwndItem);
    const ULONG_PTR tag = item.itemData & kTagMask;
    if (item.CtlType != ODT_MENU || (tag != kBarItemTag && tag != kDropDownItemTag) || !Owns(menu)) return FALSE;
    std::wstring text;
    FindMenuItemText(menu, item.itemID, item.itemData, text);
    if (tag == kBarItemTag) {
        DrawMenuBarItem(item, text);
        return TRUE;
    }
    const bool isDefault = (item.itemState & ODS_DEFAULT) != 0;
    DrawMenuItem(item, text, isDefault);
    if (item.itemState & ODS_CHECKED) DrawMenuCheck(item);
    return TRUE;
}

bool COwnerMenuBar::OnMenuChar(wchar_t key, HMENU menu, LRESULT& result) const {
    if (!Owns(menu)) return false;
    result = MenuCharResult(key, menu);
    return true;
}

}  // namespace quotrix
