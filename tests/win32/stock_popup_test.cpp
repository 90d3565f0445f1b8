// The popup menus from the program's own resources: the pictures of their items, the items a
// stock or a portfolio row adds while its menu is up, the graying by the busy flags, the real
// tracking (a thread timer presses the keys) and the item pictures drawn into a memory bitmap
// and read back pixel by pixel.
#include "app/win32/StockPopup.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/StockMan.h"
#include "platform/win32/WinText.h"
#include "resources/resource.h"
#include "tests/win32/DibCanvas.h"

namespace quotrix {
namespace {

class TestPopup : public CStockPopup {
  public:
    using CStockPopup::DefaultItemPicture;
    using CStockPopup::MenuImageList;
    using CStockPopup::Popup;
    using CStockPopup::PrepareRowMenu;
    using CStockPopup::PrepareStockMenu;
    using CStockPopup::RestoreMenu;
    using CStockPopup::WebPages;

    bool deleting = false;
    bool securities = true;
    std::uint32_t newBoolean1 = 0;
    std::uint32_t checkMask = 3;

  protected:
    bool StockBeingDeleted(const CStockMan&) const override { return deleting; }
    bool HasSecuritiesPage() const override { return securities; }
    std::uint32_t NewBoolean1() const override { return newBoolean1; }
    std::uint32_t CheckMask() const override { return checkMask; }
};

struct Item {
    UINT id = 0;
    bool separator = false;
    HMENU submenu = nullptr;
    bool ownerDrawn = false;
    int picture = -1;
    bool grayed = false;
    std::wstring text;
};

Item ItemAt(HMENU menu, int position) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    Item item;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return item;
    item.id = info.wID;
    item.separator = (info.fType & MFT_SEPARATOR) != 0;
    item.submenu = info.hSubMenu;
    item.ownerDrawn = (info.fType & MFT_OWNERDRAW) != 0;
    item.picture = static_cast<int>(info.dwItemData);
    item.grayed = (info.fState & MFS_GRAYED) != 0;
    item.text = text;
    return item;
}

Item ItemById(HMENU menu, UINT id) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const Item item = ItemAt(menu, i);
        if (item.id == id && !item.submenu) return item;
        if (item.submenu) {
            const Item inner = ItemById(item.submenu, id);
            if (inner.id == id) return inner;
        }
    }
    return {};
}

std::vector<UINT> Ids(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const Item item = ItemAt(menu, i);
        ids.push_back(item.submenu ? 1 : item.id);
    }
    return ids;
}

class StockPopupTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(popup.LoadMenus(GetModuleHandleW(nullptr))); }

    TestPopup popup;
    std::unique_ptr<CStockMan> stock = std::make_unique<CStockMan>("7203.t");
};

// Every item of both menus is owner-drawn with its picture and keeps its text; the ids the menus
// name carry their own pictures.
TEST_F(StockPopupTest, EveryItemCarriesItsPicture) {
    ASSERT_TRUE(popup.PicturesReady());
    int count = 0, cx = 0, cy = 0;
    count = ImageList_GetImageCount(popup.MenuImageList());
    ImageList_GetIconSize(popup.MenuImageList(), &cx, &cy);
    EXPECT_EQ(count, 46);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);

    std::vector<HMENU> menus = {popup.WebPages()};
    for (int p = 0; p <= CStockPopup::kMultiSelectPopup; ++p) menus.push_back(popup.Popup(p));
    int items = 0;
    while (!menus.empty()) {
        HMENU menu = menus.back();
        menus.pop_back();
        ASSERT_NE(menu, nullptr);
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            const Item item = ItemAt(menu, i);
            if (item.separator) continue;
            ++items;
            EXPECT_TRUE(item.ownerDrawn) << "item " << item.id;
            EXPECT_FALSE(item.text.empty()) << "item " << item.id;
            EXPECT_GE(item.picture, 0) << "item " << item.id;
            EXPECT_LT(item.picture, CStockPopup::kNoPicture) << "item " << item.id;
            if (item.submenu) menus.push_back(item.submenu);
        }
    }
    EXPECT_GE(items, 50);

    const struct {
        UINT id;
        int picture;
    } named[] = {{33036, 19}, {33037, 7},  {33039, 13}, {33040, 6},  {33041, 3},  {33038, 0}, {33069, 7},
                 {33027, 1},  {33073, 10}, {33028, 11}, {33074, 35}, {33029, 4},  {33030, 5}, {33031, 8},
                 {33032, 9},  {33034, 14}, {33033, 15}, {33024, 17}, {33025, 21}, {33010, 6}};
    for (const auto& n : named) {
        const Item item = ItemById(popup.Popup(0), n.id).id   ? ItemById(popup.Popup(0), n.id)
                          : ItemById(popup.Popup(1), n.id).id ? ItemById(popup.Popup(1), n.id)
                                                              : ItemById(popup.Popup(2), n.id);
        EXPECT_EQ(item.id, n.id);
        EXPECT_EQ(item.picture, n.picture) << "item " << n.id;
    }
    const Item general = ItemAt(popup.Popup(0), 7);
    ASSERT_NE(general.submenu, nullptr);
    EXPECT_EQ(general.text, L"全般の操作(&G)");
    EXPECT_EQ(general.picture, 16);

    popup.DestroyMenus();
    EXPECT_FALSE(popup.MenusLoaded());
    EXPECT_FALSE(popup.PicturesReady());
}

TEST(StockPopupLoad, WithoutTheMenusEveryMenuAnswersNothing) {
    TestPopup popup;
    auto stock = std::make_unique<CStockMan>("6758.t");
    EXPECT_FALSE(popup.LoadMenus(GetModuleHandleW(L"kernel32.dll")));
    EXPECT_FALSE(popup.MenusLoaded());
    EXPECT_EQ(popup.ShowStockMenu(nullptr, *stock, true), 0u);
    EXPECT_EQ(popup.ShowRowMenu(nullptr, 2, *stock, 3, true), 0u);
    EXPECT_EQ(popup.ShowAppMenu(nullptr, false), 0u);
    EXPECT_EQ(popup.ShowVersionMenu(nullptr), 0u);
}

// The stock menu: the toggle reads and pictures the direction, the other pages come in at
// position 1 unless switched off, and all of it goes again after the menu.
TEST_F(StockPopupTest, StockMenuTogglesAndOtherPagesComeAndGo) {
    HMENU menu = popup.Popup(0);
    const std::vector<UINT> plain = Ids(menu);

    ASSERT_EQ(popup.PrepareStockMenu(*stock, false), menu);
    Item toggle = ItemById(menu, ID_STOCK_TOGGLE);
    EXPECT_EQ(toggle.text, L"デスクトップ表示(&V)");
    EXPECT_EQ(toggle.picture, 13);
    EXPECT_TRUE(toggle.ownerDrawn);
    const Item other = ItemAt(menu, 1);
    EXPECT_EQ(other.submenu, popup.WebPages());
    EXPECT_EQ(other.text, L"他のページを開く(&H)");
    EXPECT_EQ(other.picture, 36);
    EXPECT_EQ(ItemById(other.submenu, 33092).text, L"掲示板");
    popup.RestoreMenu(menu);
    EXPECT_EQ(Ids(menu), plain);
    // The web page menu survives being taken out: it belongs to menu 248.
    EXPECT_TRUE(IsMenu(popup.WebPages()));

    popup.newBoolean1 = 0x20;
    popup.PrepareStockMenu(*stock, true);
    toggle = ItemById(menu, ID_STOCK_TOGGLE);
    EXPECT_EQ(toggle.text, L"トレイ表示(&V)");
    EXPECT_EQ(toggle.picture, 12);
    EXPECT_EQ(Ids(menu), plain);
    popup.RestoreMenu(menu);
    EXPECT_EQ(Ids(menu), plain);
}

// Busy dialogs gray the items that would open them again, and the items come back after.
TEST_F(StockPopupTest, GrayingFollowsTheBusyFlags) {
    HMENU menu = popup.Popup(0);
    auto grayed = [&](UINT id) { return ItemById(menu, id).grayed; };

    popup.optionsOpen = true;
    popup.securities = false;
    popup.PrepareStockMenu(*stock, false);
    for (UINT id : {ID_APP_ADD_STOCK, ID_APP_OPTIONS, ID_APP_EXIT, ID_APP_MANAGER, ID_APP_SECURITIES})
        EXPECT_TRUE(grayed(id)) << id;
    for (UINT id : {ID_APP_ABOUT, ID_APP_PORTFOLIO, ID_APP_UPDATE_ALL, ID_STOCK_DELETE, ID_STOCK_PROPERTIES})
        EXPECT_FALSE(grayed(id)) << id;
    popup.RestoreMenu(menu);

    popup.optionsOpen = false;
    popup.securities = true;
    popup.aboutOpen = true;
    popup.deleting = true;
    popup.PrepareStockMenu(*stock, false);
    for (UINT id : {ID_APP_ABOUT, ID_STOCK_DELETE, ID_STOCK_PROPERTIES}) EXPECT_TRUE(grayed(id)) << id;
    for (UINT id : {ID_APP_ADD_STOCK, ID_APP_OPTIONS, ID_APP_EXIT, ID_APP_MANAGER, ID_APP_SECURITIES})
        EXPECT_FALSE(grayed(id)) << id;
    popup.RestoreMenu(menu);

    // The portfolio's application menu and the row menu follow the same flags.
    popup.managerOpen = true;
    const UINT none = popup.ShowAppMenu(nullptr, true);
    EXPECT_EQ(none, 0u);
    EXPECT_TRUE(ItemById(popup.Popup(3), ID_APP_EXIT).grayed);
    EXPECT_TRUE(ItemById(popup.Popup(3), ID_APP_MANAGER).grayed);
    HMENU row = popup.PrepareRowMenu(2, *stock, 0, false);
    EXPECT_TRUE(ItemById(row, ID_STOCK_DELETE).grayed);
    EXPECT_TRUE(ItemById(row, ID_STOCK_PROPERTIES).grayed);
    popup.RestoreMenu(row);
}

// The default item shows the page a new mark would open instead of the stock's default page.
TEST_F(StockPopupTest, DefaultItemPictureFollowsTheMarks) {
    const struct {
        std::uint8_t marks;
        std::uint32_t checkMask;
        std::uint32_t newBoolean1;
        int picture;
    } cases[] = {
        {0, 3, 0, 19},           // nothing new
        {1, 3, 0, 24},           // a board post
        {2, 3, 0, 25},           // news
        {3, 3, 0, 25},           // both: the news wins ...
        {3, 3, 0x10000000, 24},  // ... unless the board comes first
        {1, 3, 0x40000000, 19},  // board redirect off
        {3, 3, 0x20000000, 24},  // news redirect off
        {1, 2, 0, 19},           // board checks disabled
        {3, 1, 0x10000000 | 0x40000000, 19},
    };
    HMENU menu = popup.Popup(0);
    for (const auto& c : cases) {
        stock->newMarks = c.marks;
        popup.checkMask = c.checkMask;
        popup.newBoolean1 = c.newBoolean1;
        popup.PrepareStockMenu(*stock, false);
        EXPECT_EQ(ItemById(menu, ID_STOCK_WEB).picture, c.picture)
            << int(c.marks) << " " << c.checkMask << " " << std::hex << c.newBoolean1;
        popup.RestoreMenu(menu);
        HMENU row = popup.PrepareRowMenu(2, *stock, 0, false);
        EXPECT_EQ(ItemById(row, ID_STOCK_WEB).picture, c.picture);
        popup.RestoreMenu(row);
        // The open command resolves the same page.
        EXPECT_EQ(MarkRedirectPage(c.marks, c.checkMask, c.newBoolean1), c.picture == 24   ? 11
                                                                         : c.picture == 25 ? 10
                                                                                           : -1);
    }
    // Opening the board clears the mark: the picture is back to the web page.
    stock->newMarks = 0;
    popup.checkMask = 3;
    popup.newBoolean1 = 0;
    EXPECT_EQ(popup.DefaultItemPicture(*stock), 19);
}

// A portfolio row's menu: the mark and move groups on top, each closed by its separator, the
// properties at the end (the default after a double click), all taken out again afterwards.
TEST_F(StockPopupTest, RowMenuAddsMarksMovesAndProperties) {
    HMENU menu = popup.Popup(2);
    const std::vector<UINT> plain = Ids(menu);
    ASSERT_EQ(plain, (std::vector<UINT>{ID_STOCK_WEB, ID_STOCK_UPDATE, ID_STOCK_TOGGLE, ID_ROW_HIDE, ID_STOCK_DELETE}));

    stock->newMarks = 3;
    stock->showMode = 21;
    ASSERT_EQ(popup.PrepareRowMenu(2, *stock, ROW_CAN_MOVE_UP | ROW_CAN_MOVE_DOWN, true), menu);
    EXPECT_EQ(Ids(menu), (std::vector<UINT>{ID_ROW_CLEAR_BOARD, ID_ROW_CLEAR_NEWS, ID_ROW_SEPARATOR1, ID_ROW_UP,
                                            ID_ROW_DOWN, ID_ROW_SEPARATOR2, ID_STOCK_WEB, 1, ID_STOCK_UPDATE,
                                            ID_STOCK_TOGGLE, ID_ROW_HIDE, ID_STOCK_DELETE, ID_STOCK_PROPERTIES}));
    EXPECT_TRUE(ItemAt(menu, 2).separator);
    EXPECT_TRUE(ItemAt(menu, 5).separator);
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), ID_STOCK_PROPERTIES);
    const struct {
        UINT id;
        const wchar_t* text;
        int picture;
    } added[] = {{ID_ROW_CLEAR_BOARD, L"掲示板チェック消去(&B)", 4},
                 {ID_ROW_CLEAR_NEWS, L"ニュースチェック消去(&N)", 5},
                 {ID_ROW_UP, L"上へ移動(&M)", 22},
                 {ID_ROW_DOWN, L"下へ移動(&L)", 23},
                 {ID_STOCK_PROPERTIES, L"プロパティ(&R)", 0}};
    for (const auto& a : added) {
        const Item item = ItemById(menu, a.id);
        EXPECT_EQ(item.text, a.text);
        EXPECT_EQ(item.picture, a.picture);
        EXPECT_TRUE(item.ownerDrawn);
    }
    EXPECT_EQ(ItemAt(menu, 7).picture, 36);
    // A stock on the desktop goes back to the tray.
    EXPECT_EQ(ItemById(menu, ID_STOCK_TOGGLE).text, L"トレイ表示(&V)");
    popup.RestoreMenu(menu);
    EXPECT_EQ(Ids(menu), plain);
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), ID_STOCK_WEB);

    // Only what applies: news checks disabled, the last row, a right click.
    popup.checkMask = 1;
    popup.newBoolean1 = 0x20;
    stock->newMarks = 2;
    stock->showMode = 1;
    popup.PrepareRowMenu(2, *stock, ROW_CAN_MOVE_UP, false);
    EXPECT_EQ(Ids(menu), (std::vector<UINT>{ID_ROW_UP, ID_ROW_SEPARATOR2, ID_STOCK_WEB, ID_STOCK_UPDATE,
                                            ID_STOCK_TOGGLE, ID_ROW_HIDE, ID_STOCK_DELETE, ID_STOCK_PROPERTIES}));
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), ID_STOCK_WEB);
    EXPECT_EQ(ItemById(menu, ID_STOCK_TOGGLE).text, L"デスクトップ表示(&V)");
    popup.RestoreMenu(menu);
    EXPECT_EQ(Ids(menu), plain);
}

// Real tracking: a thread timer finds the menu window and types into it.
std::vector<WPARAM> g_keys;
void CALLBACK PressKeys(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu || !IsWindowVisible(menu) || g_keys.empty()) return;
    const WPARAM key = g_keys.front();
    g_keys.erase(g_keys.begin());
    if (key == VK_ESCAPE)
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    else
        PostMessageW(menu, WM_CHAR, key, 0);
    if (g_keys.empty()) KillTimer(nullptr, timer);
}

UINT Choose(const std::vector<WPARAM>& keys, const std::function<UINT()>& show) {
    g_keys = keys;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, PressKeys);
    const UINT id = show();
    KillTimer(nullptr, timer);
    return id;
}

TEST_F(StockPopupTest, TrackedMenusAnswerTheChoice) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"popup owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    HMENU menu = popup.Popup(0);
    const std::vector<UINT> plain = Ids(menu);

    EXPECT_EQ(Choose({'v'}, [&] { return popup.ShowStockMenu(owner, *stock, false); }), ID_STOCK_TO_DESKTOP);
    EXPECT_EQ(Choose({'v'}, [&] { return popup.ShowStockMenu(owner, *stock, true); }), ID_STOCK_TO_TRAY);
    EXPECT_EQ(Choose({VK_ESCAPE}, [&] { return popup.ShowStockMenu(owner, *stock, false); }), 0u);
    EXPECT_EQ(Ids(menu), plain);
    stock->showMode = 20;
    EXPECT_EQ(Choose({'v'}, [&] { return popup.ShowRowMenu(owner, 2, *stock, 0, false); }), ID_STOCK_TO_TRAY);
    EXPECT_EQ(Choose({'r'}, [&] { return popup.ShowRowMenu(owner, 2, *stock, 0, true); }), ID_STOCK_PROPERTIES);
    EXPECT_EQ(Choose({'c'}, [&] { return popup.ShowVersionMenu(owner); }), static_cast<UINT>(ID_VERUP_CLOSE));
    DestroyWindow(owner);
}

// WM_MENUCHAR: the system leaves the "&" letters of owner-drawn items to the owner.
TEST_F(StockPopupTest, MenuCharFindsTheItemOfTheLetter) {
    HMENU menu = popup.Popup(0);
    int toggle = -1, general = -1;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (ItemAt(menu, i).id == ID_STOCK_TOGGLE) toggle = i;
        if (ItemAt(menu, i).submenu) general = i;
    }
    ASSERT_GE(toggle, 0);
    EXPECT_EQ(popup.OnMenuChar(L'v', menu), MAKELRESULT(toggle, MNC_EXECUTE));
    EXPECT_EQ(popup.OnMenuChar(L'V', menu), MAKELRESULT(toggle, MNC_EXECUTE));
    EXPECT_EQ(popup.OnMenuChar(L'g', menu), MAKELRESULT(general, MNC_EXECUTE));
    // "他のページを開く(&H)" is not there until the menu is shown; then two items share "H".
    int hide = -1;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (ItemAt(menu, i).id == ID_STOCK_HIDE) hide = i;
    EXPECT_EQ(popup.OnMenuChar(L'h', menu), MAKELRESULT(hide, MNC_EXECUTE));
    popup.PrepareStockMenu(*stock, false);
    ++toggle;
    ++hide;
    EXPECT_EQ(popup.OnMenuChar(L'h', menu), MAKELRESULT(1, MNC_SELECT));
    const auto hilite = [&](int position, bool on) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE;
        GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
        info.fState = on ? (info.fState | MFS_HILITE) : (info.fState & ~MFS_HILITE);
        SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    };
    hilite(1, true);
    EXPECT_EQ(popup.OnMenuChar(L'h', menu), MAKELRESULT(hide, MNC_SELECT));
    hilite(1, false);
    hilite(hide, true);
    EXPECT_EQ(popup.OnMenuChar(L'h', menu), MAKELRESULT(1, MNC_SELECT));
    hilite(hide, false);
    EXPECT_EQ(popup.OnMenuChar(L'v', menu), MAKELRESULT(toggle, MNC_EXECUTE));
    popup.RestoreMenu(menu);
    EXPECT_EQ(HIWORD(popup.OnMenuChar(L'z', menu)), MNC_IGNORE);
    // "&&" is a plain ampersand, not a letter mark.
    HMENU own = CreatePopupMenu();
    AppendMenuW(own, MF_STRING, 1, L"A&&B");
    AppendMenuW(own, MF_STRING, 2, L"C&&D &E");
    EXPECT_EQ(popup.OnMenuChar(L'b', own), MAKELRESULT(0, MNC_IGNORE));
    EXPECT_EQ(popup.OnMenuChar(L'e', own), MAKELRESULT(1, MNC_EXECUTE));
    DestroyMenu(own);
    EXPECT_EQ(HIWORD(popup.OnMenuChar(L'v', nullptr)), MNC_IGNORE);
}

// Items drawn into a memory bitmap and read back. Before each drawing the bitmap is painted a
// colour no item uses, so that what the item leaves undrawn shows.
class MenuDrawing : public StockPopupTest, protected DibCanvas {
  protected:
    static constexpr COLORREF kUnpainted = RGB(10, 200, 30);
    static constexpr int kWidth = 40;
    static constexpr int kHeight = 22;

    void SetUp() override {
        StockPopupTest::SetUp();
        ASSERT_TRUE(Resize(kWidth, kHeight));
    }

    BOOL Draw(int picture, UINT state, UINT id = ID_STOCK_WEB, HMENU menu = nullptr) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i)
            bits_[i] = (GetRValue(kUnpainted) << 16) | (GetGValue(kUnpainted) << 8) | GetBValue(kUnpainted);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_MENU;
        item.itemID = id;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = reinterpret_cast<HWND>(menu);
        item.hDC = dc_;
        item.rcItem = RECT{0, 0, width_, height_};
        item.itemData = static_cast<ULONG_PTR>(picture);
        const BOOL drawn = popup.OnDrawItem(item);
        GdiFlush();
        return drawn;
    }
    COLORREF At(int x, int y) const {
        const std::uint32_t p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Pixels right of the picture column that are not `ground`: the text's ink.
    int Ink(COLORREF ground, int* rightmost = nullptr) const {
        int ink = 0;
        if (rightmost) *rightmost = -1;
        for (int y = 0; y < height_; ++y)
            for (int x = 22; x < width_; ++x)
                if (At(x, y) != ground) {
                    ++ink;
                    if (rightmost && x > *rightmost) *rightmost = x;
                }
        return ink;
    }
    bool Has(COLORREF colour) const {
        for (int y = 0; y < height_; ++y)
            for (int x = 22; x < width_; ++x)
                if (At(x, y) == colour) return true;
        return false;
    }
};

// The measured size holds the text as it is drawn, the bold default item included; the height
// is at least 18.
TEST_F(MenuDrawing, MeasuredItemsHoldTheirDrawnText) {
    const COLORREF ground = GetSysColor(COLOR_MENU);
    for (UINT id : {UINT(ID_STOCK_WEB), UINT(ID_STOCK_DELETE), UINT(ID_APP_ABOUT)}) {
        const Item item = ItemById(popup.Popup(0), id);
        ASSERT_EQ(item.id, id);
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = ODT_MENU;
        measure.itemID = id;
        measure.itemData = static_cast<ULONG_PTR>(item.picture);
        measure.itemHeight = 12;
        ASSERT_TRUE(popup.OnMeasureItem(measure));
        EXPECT_GE(measure.itemHeight, 18u);
        ASSERT_TRUE(Resize(static_cast<int>(measure.itemWidth), static_cast<int>(measure.itemHeight)));
        ASSERT_TRUE(Draw(item.picture, ODS_DEFAULT, id, popup.Popup(0)));
        int rightmost = 0;
        EXPECT_GT(Ink(ground, &rightmost), 30) << Narrow(item.text);
        EXPECT_LT(rightmost, width_ - 4) << Narrow(item.text);
        EXPECT_GT(rightmost, width_ / 2) << Narrow(item.text);
    }
    // A tall item keeps its height; a control's item is not the menu's business.
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = ID_STOCK_WEB;
    measure.itemData = 19;
    measure.itemHeight = 40;
    EXPECT_TRUE(popup.OnMeasureItem(measure));
    EXPECT_EQ(measure.itemHeight, 40u);
    measure.CtlType = ODT_LISTBOX;
    EXPECT_FALSE(popup.OnMeasureItem(measure));
}

// The text's colours follow the state; the default item is bold; the item's whole rectangle is
// painted in the menu's or the selection's colour.
TEST_F(MenuDrawing, TextColoursAndTheBoldDefault) {
    ASSERT_TRUE(Resize(200, 22));
    const COLORREF ground = GetSysColor(COLOR_MENU);
    const COLORREF selection = GetSysColor(COLOR_HIGHLIGHT);
    ASSERT_TRUE(Draw(19, 0));
    EXPECT_EQ(At(199, 0), ground);
    EXPECT_EQ(At(100, 21), ground);
    const int plain = Ink(ground);
    EXPECT_TRUE(Has(GetSysColor(COLOR_MENUTEXT)));
    ASSERT_TRUE(Draw(19, ODS_DEFAULT));
    EXPECT_GT(Ink(ground), plain + plain / 10);
    // The default item as the menu marks it, without the flag.
    ASSERT_TRUE(Draw(19, 0, ID_STOCK_WEB, popup.Popup(0)));
    EXPECT_GT(Ink(ground), plain + plain / 10);

    ASSERT_TRUE(Draw(3, ODS_GRAYED, ID_STOCK_DELETE));
    EXPECT_TRUE(Has(GetSysColor(COLOR_GRAYTEXT)));
    EXPECT_FALSE(Has(GetSysColor(COLOR_MENUTEXT)));
    ASSERT_TRUE(Draw(3, ODS_SELECTED, ID_STOCK_DELETE));
    EXPECT_EQ(At(199, 0), selection);
    EXPECT_TRUE(Has(GetSysColor(COLOR_HIGHLIGHTTEXT)));
    EXPECT_GT(Ink(selection), 20);
    // An item the menus do not hold has no text to draw.
    ASSERT_TRUE(Draw(3, 0, 40999));
    EXPECT_EQ(Ink(ground), 0);
}

// The picture sits at x = 2, centred: a 22-high item puts its top at y = 3. Picture 3 (delete)
// has a dark red pixel at (1, 1) and is transparent at (0, 0) and (7, 1). Item data that names
// no item of its id keeps the text out of the picture tests.
TEST_F(MenuDrawing, PicturesCheckedBoxesAndGrayedSilhouettes) {
    const COLORREF ground = GetSysColor(COLOR_MENU);
    ASSERT_TRUE(Draw(3, 0));
    EXPECT_EQ(At(3, 4), RGB(128, 0, 0));
    EXPECT_EQ(At(2, 3), ground);
    EXPECT_EQ(At(9, 4), ground);
    EXPECT_EQ(At(1, 10), ground);
    EXPECT_EQ(At(30, 10), ground);

    // Checked: the rounded box under the picture, framed, with the picture on top.
    ASSERT_TRUE(Draw(3, ODS_CHECKED));
    EXPECT_EQ(At(3, 4), RGB(128, 0, 0));
    EXPECT_EQ(At(1, 10), COLORREF(0xEED2C1));
    EXPECT_EQ(At(9, 4), COLORREF(0xEED2C1));
    EXPECT_EQ(At(0, 10), COLORREF(0xC56A31));
    EXPECT_EQ(At(19, 10), COLORREF(0xC56A31));
    EXPECT_EQ(At(10, 21), COLORREF(0xC56A31));
    EXPECT_EQ(At(10, 0), ground);
    EXPECT_EQ(At(20, 10), ground);
    ASSERT_TRUE(Draw(3, ODS_CHECKED | ODS_SELECTED));
    EXPECT_EQ(At(1, 10), COLORREF(0xE2B598));
    EXPECT_EQ(At(0, 10), COLORREF(0xC56A31));
    EXPECT_EQ(At(20, 10), GetSysColor(COLOR_HIGHLIGHT));

    // Grayed: the silhouette only, black where the picture is, the ground elsewhere.
    ASSERT_TRUE(Draw(3, ODS_GRAYED));
    EXPECT_EQ(At(3, 4), RGB(0, 0, 0));
    EXPECT_EQ(At(4, 5), RGB(0, 0, 0));
    EXPECT_EQ(At(2, 3), ground);
    EXPECT_EQ(At(9, 4), ground);
    ASSERT_TRUE(Draw(3, ODS_GRAYED | ODS_CHECKED));
    EXPECT_EQ(At(1, 10), COLORREF(0xC1C1C1));
    EXPECT_EQ(At(0, 10), COLORREF(0x808080));
    EXPECT_EQ(At(9, 4), COLORREF(0xC1C1C1));
    EXPECT_EQ(At(3, 4), RGB(0, 0, 0));

    // No picture for the spare indexes: the ground only; checked, the box with a tick of its own.
    EXPECT_TRUE(Draw(CStockPopup::kNoPicture, 0));
    EXPECT_EQ(At(3, 4), ground);
    EXPECT_TRUE(Draw(CStockPopup::kNoPicture, ODS_CHECKED));
    EXPECT_EQ(At(0, 10), COLORREF(0xC56A31));
    int tick = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < 20; ++x) tick += At(x, y) == GetSysColor(COLOR_MENUTEXT);
    EXPECT_GT(tick, 10);
}

}  // namespace
}  // namespace quotrix
