// A window's menu bar drawn by its owner: the stock list manager's menu from the program's own
// resources on a real window, its items measured, drawn into a memory bitmap and read back pixel
// by pixel, and their "&" letters found as the system would.
#include "platform/win32/ui/OwnerMenu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/ui/UiFont.h"
#include "resources/resource.h"
#include "tests/win32/DibCanvas.h"

namespace quotrix {
namespace {

struct BarItem {
    UINT id = 0;
    ULONG_PTR data = 0;
    bool ownerDrawn = false;
    bool separator = false;
    HMENU submenu = nullptr;
    std::wstring text;
};

BarItem ItemAt(HMENU menu, int position) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    BarItem item;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return item;
    item.id = info.wID;
    item.data = info.dwItemData;
    item.ownerDrawn = (info.fType & MFT_OWNERDRAW) != 0;
    item.separator = (info.fType & MFT_SEPARATOR) != 0;
    item.submenu = info.hSubMenu;
    item.text = text;
    return item;
}

int PositionOf(HMENU menu, UINT id) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (ItemAt(menu, i).id == id) return i;
    return -1;
}

class OwnerMenuBarTest : public ::testing::Test, protected DibCanvas {
  protected:
    void SetUp() override {
        HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_STOCKLIST_MENU));
        ASSERT_NE(menu, nullptr);
        window_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 600, 300, nullptr, menu,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(bar_.Attach(window_));
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
    }

    HMENU DropDown(int position) const { return GetSubMenu(bar_.Menu(), position); }

    // Measures the item at `position` of `menu` and draws it in that size with `state`; the
    // bitmap is painted a colour no item uses first, so that what the item leaves undrawn shows.
    BOOL MeasureAndDraw(HMENU menu, int position, UINT state, MEASUREITEMSTRUCT* measured = nullptr) {
        const BarItem item = ItemAt(menu, position);
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = ODT_MENU;
        measure.itemID = item.id;
        measure.itemData = item.data;
        if (!bar_.OnMeasureItem(measure)) return FALSE;
        if (measured) *measured = measure;
        if (!Resize(static_cast<int>(measure.itemWidth), static_cast<int>(measure.itemHeight))) return FALSE;
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = 0x0AC81E;
        GdiFlush();
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = item.id;
        draw.itemData = item.data;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = reinterpret_cast<HWND>(menu);
        draw.hDC = dc_;
        draw.rcItem = RECT{0, 0, width_, height_};
        const BOOL drawn = bar_.OnDrawItem(draw);
        GdiFlush();
        return drawn;
    }

    COLORREF At(int x, int y) const {
        const std::uint32_t p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(COLORREF colour, int fromX = 0) const {
        int count = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = fromX; x < width_; ++x) count += At(x, y) == colour;
        return count;
    }
    // The leftmost and rightmost columns holding `colour`.
    std::pair<int, int> Columns(COLORREF colour) const {
        int left = width_, right = -1;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) == colour) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return {left, right};
    }

    HWND window_ = nullptr;
    COwnerMenuBar bar_;
};

// Every item but the separators is owner-drawn, each with data of its own, the texts kept for
// measuring, drawing and the letters; the drop-downs give their items the picture column.
TEST_F(OwnerMenuBarTest, AttachMarksEveryItemAndKeepsTheTexts) {
    HMENU menu = bar_.Menu();
    ASSERT_EQ(menu, GetMenu(window_));
    ASSERT_EQ(GetMenuItemCount(menu), 5);
    EXPECT_EQ(ItemAt(menu, 0).text, L"ファイル(&F)");
    std::set<ULONG_PTR> data;
    int items = 0, separators = 0;
    for (int bar = 0; bar < 5; ++bar) {
        const BarItem top = ItemAt(menu, bar);
        EXPECT_TRUE(top.ownerDrawn) << bar;
        ASSERT_NE(top.submenu, nullptr);
        data.insert(top.data);
        ++items;
        MENUINFO style{};
        style.cbSize = sizeof style;
        style.fMask = MIM_STYLE;
        GetMenuInfo(top.submenu, &style);
        EXPECT_TRUE(style.dwStyle & MNS_CHECKORBMP);
        for (int i = 0; i < GetMenuItemCount(top.submenu); ++i) {
            const BarItem item = ItemAt(top.submenu, i);
            if (item.separator) {
                EXPECT_FALSE(item.ownerDrawn);
                ++separators;
                continue;
            }
            EXPECT_TRUE(item.ownerDrawn) << item.id;
            EXPECT_FALSE(item.text.empty()) << item.id;
            // Not mistaken for a picture index of the popup menus.
            EXPECT_GT(item.data, 0xFFFFu);
            data.insert(item.data);
            ++items;
        }
    }
    EXPECT_EQ(separators, 9);
    EXPECT_EQ(data.size(), static_cast<std::size_t>(items));

    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    COwnerMenuBar none;
    EXPECT_FALSE(none.Attach(plain));
    DestroyWindow(plain);
}

// Measured sizes hold the drawn text: a bar item tightly with its margins, a drop-down item
// after the picture column and with its shortcut. Items that are not the bar's are left to
// others.
TEST_F(OwnerMenuBarTest, MeasuredItemsHoldTheirDrawnText) {
    const COLORREF text = GetSysColor(COLOR_MENUTEXT);
    MEASUREITEMSTRUCT measure{};
    for (int bar = 0; bar < 5; ++bar) {
        ASSERT_TRUE(MeasureAndDraw(bar_.Menu(), bar, 0, &measure)) << bar;
        const auto [left, right] = Columns(text);
        EXPECT_GT(Count(text), 30) << bar;
        EXPECT_GE(left, 3) << bar;
        EXPECT_LE(right, width_ - 4) << bar;
        EXPECT_LT(width_, 140) << bar;
    }
    // "銘柄を追加(&T)...\tCtrl+N": the label after the column, the shortcut at the right.
    ASSERT_TRUE(MeasureAndDraw(DropDown(0), 0, 0, &measure));
    EXPECT_GE(measure.itemHeight, 18u);
    const auto [left, right] = Columns(text);
    EXPECT_GE(left, kMenuPictureColumn);
    EXPECT_LE(right, width_ - 4);
    EXPECT_GT(right, width_ - 20);
    EXPECT_EQ(At(2, height_ / 2), GetSysColor(COLOR_MENU));

    measure = MEASUREITEMSTRUCT{};
    measure.CtlType = ODT_MENU;
    measure.itemID = ID_SL_ADD;
    measure.itemData = 19;  // a picture index of the popup menus
    EXPECT_FALSE(bar_.OnMeasureItem(measure));
    const BarItem add = ItemAt(DropDown(0), 0);
    measure.itemData = add.data;
    measure.itemID = ID_SL_SAVE;  // data and id of different items
    EXPECT_FALSE(bar_.OnMeasureItem(measure));
    measure.itemID = ID_SL_ADD;
    measure.CtlType = ODT_LISTBOX;
    EXPECT_FALSE(bar_.OnMeasureItem(measure));
}

// An open bar item is painted whole with its text; a checked drop-down item shows the tick in
// its box; a menu that is not the bar's is someone else's to draw.
TEST_F(OwnerMenuBarTest, OpenBarItemAndTheCheckMark) {
    const COLORREF ground = GetSysColor(COLOR_MENU);
    ASSERT_TRUE(MeasureAndDraw(bar_.Menu(), 0, ODS_SELECTED));
    EXPECT_EQ(Count(RGB(10, 200, 30)), 0);
    EXPECT_GT(Count(GetSysColor(COLOR_MENUTEXT)) + Count(GetSysColor(COLOR_HIGHLIGHTTEXT)), 20);

    // "境界線(&G)" checked: the framed box in the column with a tick in the text colour; unchecked
    // the column stays plain.
    const int grid = PositionOf(DropDown(2), ID_SL_GRID);
    ASSERT_TRUE(MeasureAndDraw(DropDown(2), grid, 0));
    const int plainInk = Count(GetSysColor(COLOR_MENUTEXT));
    EXPECT_EQ(Count(COLORREF(0xC56A31)), 0);
    ASSERT_TRUE(MeasureAndDraw(DropDown(2), grid, ODS_CHECKED));
    EXPECT_EQ(At(0, height_ / 2), COLORREF(0xC56A31));
    EXPECT_EQ(At(kMenuPictureColumn - 1, height_ / 2), COLORREF(0xC56A31));
    EXPECT_EQ(At(2, 3), COLORREF(0xEED2C1));
    int tick = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < kMenuPictureColumn; ++x) tick += At(x, y) == GetSysColor(COLOR_MENUTEXT);
    EXPECT_GT(tick, 10);
    EXPECT_EQ(Count(GetSysColor(COLOR_MENUTEXT), kMenuPictureColumn), plainInk);
    EXPECT_EQ(At(kMenuPictureColumn + 1, height_ / 2), ground);

    HMENU other = CreatePopupMenu();
    AppendMenuW(other, MF_STRING, ID_SL_GRID, L"境界線(&G)");
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = ID_SL_GRID;
    draw.itemData = ItemAt(DropDown(2), grid).data;
    draw.hwndItem = reinterpret_cast<HWND>(other);
    draw.hDC = dc_;
    EXPECT_FALSE(bar_.OnDrawItem(draw));
    DestroyMenu(other);
}

// The letters of the bar open its drop-downs; a drop-down's own letters run its items; other
// menus are not the bar's.
TEST_F(OwnerMenuBarTest, LettersOfTheBarAndItsDropDowns) {
    LRESULT result = 0;
    ASSERT_TRUE(bar_.OnMenuChar(L'f', bar_.Menu(), result));
    EXPECT_EQ(result, MAKELRESULT(0, MNC_EXECUTE));
    ASSERT_TRUE(bar_.OnMenuChar(L'H', bar_.Menu(), result));
    EXPECT_EQ(result, MAKELRESULT(4, MNC_EXECUTE));
    ASSERT_TRUE(bar_.OnMenuChar(L'p', bar_.Menu(), result));
    EXPECT_EQ(result, MAKELRESULT(3, MNC_EXECUTE));
    ASSERT_TRUE(bar_.OnMenuChar(L'g', DropDown(2), result));
    EXPECT_EQ(result, MAKELRESULT(PositionOf(DropDown(2), ID_SL_GRID), MNC_EXECUTE));
    ASSERT_TRUE(bar_.OnMenuChar(L'z', DropDown(2), result));
    EXPECT_EQ(HIWORD(result), MNC_IGNORE);
    HMENU other = CreatePopupMenu();
    result = 7;
    EXPECT_FALSE(bar_.OnMenuChar(L'f', other, result));
    EXPECT_FALSE(bar_.OnMenuChar(L'f', nullptr, result));
    EXPECT_EQ(result, 7);
    DestroyMenu(other);
}

}  // namespace
}  // namespace quotrix
