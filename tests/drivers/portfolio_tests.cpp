// The portfolio window of the running program, seen from outside: its size, its title buttons
// (mouse messages at their places), the wheel, the row menu, the idle action, its place, scroll
// row and visible rows across a restart (the stock file), and its red negatives (pixels).
#include "tests/drivers/driver_support.h"

#include <commctrl.h>

namespace {

using namespace quotrix;
using namespace quotrix::driver;

// As QuotrixRun::SetFlags(false), without showing the portfolio at start.
constexpr DWORD kDefaultFlags = 0x373D3D & ~0x2u & ~0x40000u & ~0x2000u;
constexpr DWORD kShowAtStart = 0x2000;
constexpr DWORD kRedNegatives = 0x10000;
constexpr int kRow = 16;                // rows of "PF_Font" 12
constexpr int kListTop = 2 * kRow + 2;  // title strip with the label row

SIZE ClientSize(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return SIZE{r.right, r.bottom};
}

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

SCROLLINFO ScrollState(HWND bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(bar, SB_CTL, &info);
    return info;
}

void Click(HWND hwnd, int x, int y) {
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// A drag by mouse messages, as a real drag sends them.
void Drag(HWND hwnd, POINT fromClient, int dx, int dy) {
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fromClient.x, fromClient.y));
    PostMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(fromClient.x + dx, fromClient.y + dy));
    Sleep(300);
    // The window moved with the mouse: the release is where the mouse now is in it.
    PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(fromClient.x, fromClient.y));
    Sleep(200);
}

struct SavedPlace {
    PortfolioPlacement placement;
    StockFileHeader header;
    std::vector<std::string> codes;
};

SavedPlace ReadPlace(const std::string& path) {
    SavedPlace place;
    StockList stocks;
    PriceValue cash = 0;
    EXPECT_TRUE(ReadStockFile(path, stocks, place.placement, cash, place.header)) << path;
    for (const auto& stock : stocks) place.codes.push_back(stock->codeText);
    return place;
}

class Portfolio : public QuotrixRun {
  protected:
    void SetUp() override {
        QuotrixRun::SetUp();
        if (IsSkipped()) return;
        for (const wchar_t* key : {L"TimerAction", L"ActivateTime", L"PortfolioTextFlags", L"OtherItemFlags",
                                   L"PFBkAlpha", L"PF_Font", L"PF_RollUp"})
            DeleteValue(key);
        SetDword(L"BoolFlags1", kDefaultFlags);
    }

    static void DeleteValue(const wchar_t* name) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingKey, 0, KEY_WRITE, &key) != 0) return;
        RegDeleteValueW(key, name);
        RegCloseKey(key);
    }

    // A file of `codes` with a stored place, scroll row and visible rows.
    std::string WritePlacedFile(const std::vector<const char*>& codes, PortfolioPlacement placement, int firstRow,
                                int rowCount, int holdings = 0) {
        const std::string path =
            folder_ + "\\pf " + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".quotrix";
        StockList stocks;
        for (const char* code : codes) {
            auto stock = std::make_unique<CStockMan>(code);
            if (holdings-- > 0) {
                stock->shares = 100;
                stock->cost = 100 * 1500 * kYen;
            }
            stocks.push_back(std::move(stock));
        }
        StockFileHeader header;
        header.present = true;
        header.block.firstRow = firstRow;
        header.block.rowCount = rowCount;
        EXPECT_TRUE(WriteStockFile(path, stocks, placement, 0, header));
        return path;
    }

    // Starts the program on `path` and waits for start-up to complete.
    HWND StartOn(const std::string& path, Child& child) { return StartCompleted(FileArgs(path), child); }

    // StartOn, then the portfolio on show: the main window, or null when either did not happen.
    HWND StartShown(const std::string& path, Child& child) {
        HWND main = StartOn(path, child);
        if (main && !WaitForVisible(main, true)) {
            ADD_FAILURE() << "the portfolio did not show";
            return nullptr;
        }
        return main;
    }

    static bool WaitHeight(HWND main, int height, DWORD ms = kWait) {
        return WaitUntil([&] { return ClientSize(main).cy == height; }, ms);
    }
};

TEST_F(Portfolio, OpensFromTheIconAndTheMenuAndItsCloseButtonHidesIt) {
    const std::string path = WritePlacedFile({"7203.t", "6758.t", "9984.t"}, PortfolioPlacement{200, 150, 0}, 0, 0);
    Child child;
    HWND main = StartOn(path, child);
    ASSERT_NE(main, nullptr);
    // Not shown at start without BoolFlags1 0x2000.
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(main));

    // The application icon's left button.
    PostMessageW(main, WM_APP_TRAY_NOTIFY, 1, WM_LBUTTONUP);
    ASSERT_TRUE(WaitForVisible(main, true));
    // Borderless: the client is the window. Three rows under the title strip with its labels.
    EXPECT_EQ(ClientSize(main).cy, 3 * kRow + 2 * kRow + 4);
    const RECT r = WindowRect(main);
    EXPECT_EQ(r.bottom - r.top, ClientSize(main).cy);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 150);
    EXPECT_GT(ClientSize(main).cx, 100);
    ASSERT_TRUE(WaitForQuotes(main, path, 3)) << Log();
    Sleep(300);
    Screenshot("portfolio_three_stocks");

    // The close button hides it; the menu command shows it again.
    const int w = ClientSize(main).cx;
    Click(main, w - 8, 8);
    EXPECT_TRUE(WaitForVisible(main, false));
    PostMessageW(main, WM_COMMAND, 33073, 0);
    EXPECT_TRUE(WaitForVisible(main, true));
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(Portfolio, SizeFollowsTheStocksAndTheItemFlags) {
    SetDword(L"BoolFlags1", kDefaultFlags | kShowAtStart);
    int narrow = 0;
    {
        const std::string path = WritePlacedFile({"7203.t", "6758.t", "9984.t"}, PortfolioPlacement{100, 100, 0}, 0, 0);
        Child child;
        HWND main = StartShown(path, child);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitForQuotes(main, path, 3)) << Log();
        EXPECT_TRUE(WaitHeight(main, 3 * kRow + 2 * kRow + 4));
        Sleep(300);
        narrow = ClientSize(main).cx;
        EXPECT_EQ(ExitQuotrix(main, child), 0u);
    }
    // Two more stocks and four more columns (previous close, open, high, low); no label row.
    SetDword(L"PortfolioTextFlags", 0x0C3F | 0x3C0);
    SetDword(L"OtherItemFlags", 0x13);
    const std::string path =
        WritePlacedFile({"7203.t", "6758.t", "9984.t", "8306.t", "6501.t"}, PortfolioPlacement{100, 100, 0}, 0, 0);
    Child child;
    HWND main = StartShown(path, child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 5)) << Log();
    EXPECT_TRUE(WaitHeight(main, 5 * kRow + kRow + 4));
    EXPECT_TRUE(WaitUntil([&] { return ClientSize(main).cx > narrow + 100; })) << ClientSize(main).cx << " " << narrow;
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(Portfolio, RollUpAndAutoHideButtonsAndTheIdleRollUp) {
    SetDword(L"BoolFlags1", kDefaultFlags | kShowAtStart);
    SetDword(L"TimerAction", 2);
    SetDword(L"ActivateTime", 3000);
    const std::string path =
        WritePlacedFile({"7203.t", "6758.t", "9984.t", "8306.t"}, PortfolioPlacement{120, 120, 0}, 0, 0, 2);
    Child child;
    HWND main = StartShown(path, child);
    ASSERT_NE(main, nullptr);
    const int full = 4 * kRow + 2 * kRow + 4;
    const int rolled = kRow + 2;
    // The window widens as the quotes come in (the buttons sit at its right edge); meanwhile the
    // idle action may roll it up.
    ASSERT_TRUE(WaitForQuotes(main, path, 4)) << Log();
    Sleep(500);
    if (ClientSize(main).cy == rolled) Click(main, ClientSize(main).cx - 21, 8);
    ASSERT_TRUE(WaitHeight(main, full));

    // The auto-hide button suspends the idle action: the portfolio stays down.
    Click(main, ClientSize(main).cx - 34, 8);
    Sleep(4500);
    EXPECT_EQ(ClientSize(main).cy, full);

    // The roll-up button leaves the title strip; again, the whole window.
    Click(main, ClientSize(main).cx - 21, 8);
    ASSERT_TRUE(WaitHeight(main, rolled));
    Sleep(300);
    Screenshot("portfolio_rolled_up");
    Click(main, ClientSize(main).cx - 21, 8);
    ASSERT_TRUE(WaitHeight(main, full));

    // Rolling down ends the suspension: after "ActivateTime" without activity it rolls up.
    EXPECT_TRUE(WaitHeight(main, rolled, 8000));
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(Portfolio, IdleActionHides) {
    SetDword(L"BoolFlags1", kDefaultFlags | kShowAtStart);
    SetDword(L"TimerAction", 1);
    SetDword(L"ActivateTime", 1000);
    const std::string path = WritePlacedFile({"7203.t"}, PortfolioPlacement{120, 120, 0}, 0, 0);
    Child child;
    HWND main = StartShown(path, child);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForVisible(main, false));
    // The icon brings it back.
    PostMessageW(main, WM_APP_TRAY_NOTIFY, 1, WM_LBUTTONUP);
    EXPECT_TRUE(WaitForVisible(main, true));
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(Portfolio, WheelDragAndResizeSurviveARestart) {
    SetDword(L"BoolFlags1", (kDefaultFlags | kShowAtStart) & ~0x1000u);  // no snapping
    std::vector<const char*> codes = {"7203.t", "6758.t", "9984.t", "8306.t", "6501.t",
                                      "7974.t", "4063.t", "8035.t", "6861.t", "9432.t"};
    const std::string path = WritePlacedFile(codes, PortfolioPlacement{300, 200, 0}, 0, 4);
    {
        Child child;
        HWND main = StartShown(path, child);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitHeight(main, 4 * kRow + 2 * kRow + 4));
        EXPECT_EQ(WindowRect(main).left, 300);
        EXPECT_EQ(WindowRect(main).top, 200);
        // The scroll bar is there: 10 rows, 4 shown.
        HWND bar = FindWindowExW(main, nullptr, L"ScrollBar", nullptr);
        ASSERT_NE(bar, nullptr);
        EXPECT_TRUE(IsWindowVisible(bar));
        const SCROLLINFO info = ScrollState(bar);
        EXPECT_EQ(info.nPage, 4u);
        EXPECT_EQ(info.nMax, 9);

        // The portfolio's tooltip: the three buttons, the title icon and one tool per visible row.
        HWND tips = WaitFor(child.pi.dwProcessId, kWait, [&](HWND h) {
            return ClassOf(h) == L"tooltips_class32" && GetWindow(h, GW_OWNER) == main;
        });
        ASSERT_NE(tips, nullptr);
        EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 4 + 4);

        // One notch of the wheel down scrolls one row.
        PostMessageW(main, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(350, 250));
        EXPECT_TRUE(WaitUntil([&] { return ScrollState(bar).nPos == 1; }));
        // Dragging the title moves the window; dragging the bottom edge up two thirds of a row
        // takes one row away.
        Drag(main, POINT{30, 5}, 50, 40);
        EXPECT_TRUE(WaitUntil([&] { return WindowRect(main).left == 350 && WindowRect(main).top == 240; }))
            << WindowRect(main).left << "," << WindowRect(main).top;
        const int h = ClientSize(main).cy;
        Drag(main, POINT{30, h - 3}, 0, -11);
        EXPECT_TRUE(WaitHeight(main, 3 * kRow + 2 * kRow + 4, 3000)) << ClientSize(main).cy;
        EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 4 + 3);
        EXPECT_EQ(ExitQuotrix(main, child), 0u);
    }
    // Nothing was modified: the exit wrote the place, the scroll row and the visible rows.
    SavedPlace saved = ReadPlace(path);
    EXPECT_EQ(saved.placement.left, 350);
    EXPECT_EQ(saved.placement.top, 240);
    EXPECT_EQ(saved.header.block.firstRow, 1);
    EXPECT_EQ(saved.header.block.rowCount, 3);
    EXPECT_EQ(saved.codes.size(), codes.size());

    ResetLog();
    Child child;
    HWND main = StartShown(path, child);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitHeight(main, 3 * kRow + 2 * kRow + 4));
    EXPECT_EQ(WindowRect(main).left, 350);
    EXPECT_EQ(WindowRect(main).top, 240);
    HWND bar = FindWindowExW(main, nullptr, L"ScrollBar", nullptr);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(ScrollState(bar).nPos, 1);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

// The switches a menu shows checked (the manager's): the window and the price bars; and the
// roll-up, which the next start keeps even when the portfolio shows at start.
TEST_F(Portfolio, SwitchesAndTheRollUpSurviveARestart) {
    constexpr UINT kSwitchPortfolio = 5600, kSwitchPriceBars = 5601;
    SetDword(L"BoolFlags1", kDefaultFlags | kShowAtStart);
    SetDword(L"OtherItemFlags", 0x43);  // label row, no price bars
    const std::string path = WritePlacedFile({"7203.t", "6758.t", "9984.t"}, PortfolioPlacement{160, 140, 0}, 0, 0);
    const int full = 3 * kRow + 2 * kRow + 4;
    const int rolled = kRow + 2;
    int withBars = 0;
    {
        Child child;
        HWND main = StartShown(path, child);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitForQuotes(main, path, 3)) << Log();
        ASSERT_TRUE(WaitHeight(main, full));
        Sleep(300);
        const int plain = ClientSize(main).cx;

        // Price bars on: each row gains a bar (2 x 20 + 9 pixels), and the setting is kept.
        PostMessageW(main, WM_COMMAND, kSwitchPriceBars, 0);
        EXPECT_TRUE(WaitUntil([&] { return ClientSize(main).cx == plain + 49; })) << ClientSize(main).cx;
        EXPECT_EQ(GetDword(L"OtherItemFlags", 0), 0x53u);
        withBars = ClientSize(main).cx;
        Sleep(300);
        Screenshot("portfolio_price_bars");

        // The window switch hides the portfolio and shows it again.
        PostMessageW(main, WM_COMMAND, kSwitchPortfolio, 0);
        EXPECT_TRUE(WaitForVisible(main, false));
        PostMessageW(main, WM_COMMAND, kSwitchPortfolio, 0);
        EXPECT_TRUE(WaitForVisible(main, true));

        // Rolled up by its button: the setting follows at once.
        Click(main, ClientSize(main).cx - 21, 8);
        ASSERT_TRUE(WaitHeight(main, rolled));
        EXPECT_TRUE(WaitUntil([] { return GetDword(L"PF_RollUp", 0) == 1u; })) << GetDword(L"PF_RollUp", 0);
        EXPECT_EQ(ExitQuotrix(main, child), 0u);
    }

    ResetLog();
    Child child;
    HWND main = StartShown(path, child);
    ASSERT_NE(main, nullptr);
    // Shown at start and still rolled up, at its place.
    Sleep(500);
    EXPECT_EQ(ClientSize(main).cy, rolled);
    EXPECT_EQ(WindowRect(main).left, 160);
    EXPECT_EQ(WindowRect(main).top, 140);
    // The application icon shows it unrolled, with its bars; the next start will be unrolled.
    PostMessageW(main, WM_APP_TRAY_NOTIFY, 1, WM_LBUTTONUP);
    ASSERT_TRUE(WaitHeight(main, full));
    EXPECT_TRUE(WaitForQuotes(main, path, 3)) << Log();
    EXPECT_TRUE(WaitUntil([&] { return ClientSize(main).cx == withBars; })) << ClientSize(main).cx;
    EXPECT_EQ(GetDword(L"PF_RollUp", 1), 0u);

    // Price bars off again by the switch.
    PostMessageW(main, WM_COMMAND, kSwitchPriceBars, 0);
    EXPECT_TRUE(WaitUntil([&] { return ClientSize(main).cx == withBars - 49; })) << ClientSize(main).cx;
    EXPECT_EQ(GetDword(L"OtherItemFlags", 0), 0x43u);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

// Docked in the work area's bottom right corner: stored as right and bottom edges, so that the
// window grows up and to the left when it gets more rows or columns, and comes back docked.
TEST_F(Portfolio, DockedToTheBottomRightComesBackDocked) {
    SetDword(L"BoolFlags1", kDefaultFlags | kShowAtStart);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const std::string path =
        WritePlacedFile({"7203.t", "6758.t"}, PortfolioPlacement{work.right, work.bottom, 2 | 8}, 0, 0);
    for (int run = 0; run < 2; ++run) {
        ResetLog();
        Child child;
        HWND main = StartShown(path, child);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitHeight(main, 2 * kRow + 2 * kRow + 4));
        EXPECT_TRUE(WaitUntil([&] { return WindowRect(main).right == work.right; })) << WindowRect(main).right;
        EXPECT_EQ(WindowRect(main).bottom, work.bottom);
        EXPECT_EQ(ExitQuotrix(main, child), 0u);
        const SavedPlace saved = ReadPlace(path);
        EXPECT_EQ(saved.placement.anchor, 2 | 8);
        EXPECT_EQ(saved.placement.left, work.right);
        EXPECT_EQ(saved.placement.top, work.bottom);
    }
}

TEST_F(Portfolio, RowMenuMovesARowUp) {
    SetDword(L"BoolFlags1", kDefaultFlags | kShowAtStart);
    const std::string path = WritePlacedFile({"7203.t", "6758.t", "9984.t"}, PortfolioPlacement{150, 150, 0}, 0, 0);
    Child child;
    HWND main = StartShown(path, child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitHeight(main, 3 * kRow + 2 * kRow + 4));

    // A right click on the second row opens its menu; "上へ移動(&M)" moves it above the first.
    PostMessageW(main, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, kListTop + kRow + 8));
    HWND menu = WaitForMenu(child.pi.dwProcessId);
    ASSERT_NE(menu, nullptr);
    Sleep(300);
    Screenshot("portfolio_row_menu");
    PostMessageW(menu, WM_CHAR, 'm', 0);
    EXPECT_TRUE(WaitForMenuGone(child.pi.dwProcessId));

    // The move marked the file modified: the exit asks, and the saved order has the row moved.
    EXPECT_EQ(ExitThroughPrompt(main, child, IDOK), 0u);
    const SavedPlace saved = ReadPlace(path);
    EXPECT_EQ(saved.codes, (std::vector<std::string>{"6758", "7203", "9984"}));
}

TEST_F(Portfolio, NegativeChangesAreRedOnlyWhenAsked) {
    // Fourteen stocks: some fall on the quote server's random walk.
    std::vector<const char*> codes = {"7203.t", "6758.t", "9984.t", "8306.t", "6501.t", "7974.t", "4063.t",
                                      "8035.t", "6861.t", "9432.t", "6098.t", "4502.t", "7267.t", "8058.t"};
    int red[2] = {0, 0};
    for (int run = 0; run < 2; ++run) {
        const DWORD flags = kDefaultFlags | kShowAtStart;
        SetDword(L"BoolFlags1", run == 0 ? (flags & ~kRedNegatives) : (flags | kRedNegatives));
        ResetLog();
        const std::string path = WritePlacedFile(codes, PortfolioPlacement{40, 40, 0}, 0, 14, 2);
        Child child;
        HWND main = StartShown(path, child);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitForQuotes(main, path, codes.size())) << Log();
        StockList stocks = ReadBack(path);
        int falling = 0;
        for (const auto& stock : stocks) falling += stock->change < 0;
        if (falling == 0) GTEST_SKIP() << "no stock fell on the quote server this time";
        SetForegroundWindow(main);
        Sleep(500);
        red[run] = CountColour(main, RGB(250, 0, 0));
        if (run == 1) Screenshot("portfolio_fourteen_stocks");
        EXPECT_EQ(ExitQuotrix(main, child), 0u);
    }
    EXPECT_EQ(red[0], 0);
    EXPECT_GT(red[1], 10);
}

TEST_F(Portfolio, TranslucentOverAColouredDesktop) {
    SetDword(L"BoolFlags1", kDefaultFlags | kShowAtStart);
    SetDword(L"PFBkAlpha", 0x100 | 160);
    // A coloured "desktop" behind the portfolio.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(0, 96, 160));
    wc.lpszClassName = L"PortfolioTestDesktop";
    RegisterClassW(&wc);
    HWND desktop = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 700, 500,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(desktop, nullptr);
    const std::string path =
        WritePlacedFile({"7203.t", "6758.t", "9984.t", "8306.t"}, PortfolioPlacement{60, 60, 0}, 0, 0, 1);
    Child child;
    HWND main = StartShown(path, child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 4)) << Log();
    EXPECT_NE(GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (int i = 0; i < 10; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(50);
    }
    Screenshot("portfolio_translucent");
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
    DestroyWindow(desktop);
}

}  // namespace
