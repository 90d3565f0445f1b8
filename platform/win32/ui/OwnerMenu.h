// Menu items drawn by their owner in the UI font (UiFont.h). A menu has no font of its own, and
// the system's menu font is the user's setting for every program: on a Western Windows it has no
// Japanese glyphs. So every item of ours is owner-drawn, drop-down and menu-bar items alike. The
// texts stay in the items, where measuring, drawing and the "&" letters (WM_MENUCHAR) find them.
// The popup menus (app/win32/StockPopup.h) add their pictures on top of these drop-down items.
// Main thread only; sizes in pixels.
#pragma once

#include <windows.h>

#include <string>

namespace quotrix {

// The column at the left of a drop-down item that holds its picture or check mark.
constexpr int kMenuPictureColumn = 20;

// The text of the item `id` with item data `data` in `menu` or its submenus (empty when none).
// Owner-drawn items are told apart by their data, since several may share an id.
bool FindMenuItemText(HMENU menu, UINT id, ULONG_PTR data, std::wstring& text);

// Lets items draw in the check-mark column (MNS_CHECKORBMP), as the pictures and check marks of
// DrawMenuItem expect.
void UsePictureColumn(HMENU menu);

// WM_MEASUREITEM of a drop-down item showing `text` ("label\tshortcut"): the picture column, the
// text measured in bold so that a default item fits, at least 18 high.
void MeasureMenuItem(MEASUREITEMSTRUCT& item, const std::wstring& text);
// WM_DRAWITEM of a drop-down item: the ground in the menu's or the selection's colour, the label
// (bold for the default item) and its shortcut right-aligned, in the colour of the state. The
// picture column is left to the caller (DrawMenuCheck for a plain checked item).
void DrawMenuItem(const DRAWITEMSTRUCT& item, const std::wstring& text, bool isDefault);
// The rounded box of a checked item in the picture column, under its picture.
void DrawMenuCheckBox(const DRAWITEMSTRUCT& item);
// A checked item without a picture: the box with a tick in it.
void DrawMenuCheck(const DRAWITEMSTRUCT& item);

// WM_MEASUREITEM and WM_DRAWITEM of an item of a menu bar: the text alone, centred, with the
// bar's margins; an open or hot item marked as the system marks its own (flat or classic menus).
void MeasureMenuBarItem(MEASUREITEMSTRUCT& item, const std::wstring& text);
void DrawMenuBarItem(const DRAWITEMSTRUCT& item, const std::wstring& text);

// WM_MENUCHAR: the item of `menu` whose "&" letter is `key`, as the system finds it for the items
// it draws itself: one item runs (or opens), several take the selection in turn after the
// selected one, none is ignored.
LRESULT MenuCharResult(wchar_t key, HMENU menu);

// A window's menu bar with its drop-downs, every item owner-drawn in the UI font. The window
// keeps its menu; this object only marks the items and answers the owner's messages for them.
class COwnerMenuBar {
  public:
    // Makes every item of `window`'s menu owner-drawn (separators aside) and has the bar
    // measured again; false when the window has no menu.
    bool Attach(HWND window);
    HMENU Menu() const { return bar_; }

    // The owner window's WM_MEASUREITEM and WM_DRAWITEM: FALSE when the item is not one of this
    // menu's (a popup menu of someone else, a control).
    BOOL OnMeasureItem(MEASUREITEMSTRUCT& item) const;
    BOOL OnDrawItem(const DRAWITEMSTRUCT& item) const;
    // WM_MENUCHAR: false when `menu` is neither the bar nor one of its drop-downs.
    bool OnMenuChar(wchar_t key, HMENU menu, LRESULT& result) const;

  private:
    bool Owns(HMENU menu) const;

    HMENU bar_ = nullptr;
};

}  // namespace quotrix
