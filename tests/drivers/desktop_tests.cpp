// Stocks on the desktop, seen from outside: their windows (class, place, region, layered
// attributes), the mouse messages a user's hand sends them, the menus, the tray, the tooltip, the
// saved stock file and the quote server's log.
#include "tests/drivers/driver_support.h"

namespace {

using namespace quotrix;
using namespace quotrix::driver;

constexpr wchar_t kIconWndClass[] = L"QuotrixIconWnd";

struct DesktopStock {
    const char* code;
    std::uint8_t showMode;
    int left;
    int top;
    std::uint8_t placement = 1;
    std::int32_t lowerYen = 0;  // the watch range
    std::int32_t upperYen = 0;
    std::uint32_t textFlags = 13;  // name, price and change
};

RECT RectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class DesktopWindows : public QuotrixRun {
  protected:
    void SetUp() override {
        QuotrixRun::SetUp();
        SetDword(L"DispTotal", 1);
        SetDword(L"NewBoolean1", 0);
    }

    std::string WriteDesktopFile(const std::vector<DesktopStock>& list) {
        const std::string path =
            folder_ + "\\desktop " + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".quotrix";
        StockList stocks;
        for (const DesktopStock& d : list) {
            auto stock = std::make_unique<CStockMan>(d.code);
            stock->showMode = d.showMode;
            stock->desktopLeft = d.left;
            stock->desktopTop = d.top;
            stock->desktopTxtMode = d.placement;
            stock->dispLower = d.lowerYen * kYen;
            stock->dispUpper = d.upperYen * kYen;
            stock->desktopTxtFlags = d.textFlags;
            stocks.push_back(std::move(stock));
        }
        EXPECT_TRUE(WriteStockFile(path, stocks, PortfolioPlacement{}, 0, StockFileHeader{}));
        return path;
    }

    // The visible desktop windows of the program.
    static std::vector<HWND> IconWindows(DWORD pid) {
        struct Search {
            DWORD pid;
            std::vector<HWND> found;
        } search{pid, {}};
        EnumWindows(
            [](HWND hwnd, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD owner = 0;
                GetWindowThreadProcessId(hwnd, &owner);
                if (owner == s->pid && ClassOf(hwnd) == kIconWndClass && IsWindowVisible(hwnd))
                    s->found.push_back(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // The visible desktop window whose top-left corner is (left, top), waited for.
    static HWND WindowAt(DWORD pid, int left, int top, DWORD ms = kWait) {
        return WaitFor(pid, ms, [&](HWND h) {
            const RECT r = RectOf(h);
            return ClassOf(h) == kIconWndClass && IsWindowVisible(h) && r.left == left && r.top == top;
        });
    }

    static bool WaitForPlace(HWND window, int left, int top, DWORD ms = 5000) {
        return WaitUntil(
            [&] {
                const RECT r = RectOf(window);
                return r.left == left && r.top == top;
            },
            ms, 50);
    }

    static RECT WorkArea() {
        RECT work{};
        EXPECT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
        return work;
    }

    // Grabs `window` at (4, 4), moves it by (dx, dy) and drops it.
    static void DragBy(HWND window, int dx, int dy) {
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(4, 4));
        PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(4 + dx, 4 + dy));
        PostMessageW(window, WM_LBUTTONUP, 0, At(4 + dx, 4 + dy));
    }

    void ShowThreePlacements(bool translucent, const char* screenshot);

    // Starts the program on a file (kept in `path_`) of one desktop stock with its icon alone at
    // (300, 300): that window.
    HWND StartOneAt300(Child& child, HWND& main) {
        path_ = WriteDesktopFile({{"7203.t", 20, 300, 300, 0}});
        main = StartQuotrix(FileArgs(path_), child);
        EXPECT_NE(main, nullptr);
        return main ? WindowAt(child.pi.dwProcessId, 300, 300) : nullptr;
    }

    // Leaves through the exit prompt with "はい(&Y)": the changes of the run are saved.
    static void ExitSaving(HWND main, Child& child) { EXPECT_EQ(ExitThroughPrompt(main, child, IDOK), 0u); }

    std::string path_;  // the file StartOneAt300 made
};

TEST_F(DesktopWindows, ShowModesPutStocksOnTheDesktopAtTheirPlaces) {
    const std::string path = WriteDesktopFile({
        {"7203.t", 20, 60, 100, 1},
        {"6758.t", 21, 60, 160, 2, 1, 2, 13 | 0x80000000u},  // outside its range, with the price bar
        {"9984.t", 22, 60, 220, 1, 1, 2},                    // outside: not shown
        {"8306.t", 22, 60, 280, 0, 1, 10000000},             // inside, icon only
        {"8411.t", 1, 0, 0, 1},                              // in the tray
    });
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 5)) << Log();
    const DWORD pid = child.pi.dwProcessId;
    HWND right = WindowAt(pid, 60, 100);
    HWND left = WindowAt(pid, 60, 160);
    HWND alone = WindowAt(pid, 60, 280);
    ASSERT_NE(right, nullptr);
    ASSERT_NE(left, nullptr);
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(IconWindows(pid).size(), 3u);
    EXPECT_TRUE(WaitForTrayIcons(2));  // the application's icon and the tray stock
    EXPECT_EQ(TextOf(right), L"Quotrix!");
    EXPECT_TRUE(GetWindowLongPtrW(right, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(right, GW_OWNER), main);

    // The icon alone is 16 x 16; the text makes the others wider, the bar wider still.
    const RECT r = RectOf(right), l = RectOf(left), a = RectOf(alone);
    EXPECT_EQ(a.right - a.left, 16);
    EXPECT_EQ(a.bottom - a.top, 16);
    EXPECT_GT(r.right - r.left, 40);
    EXPECT_GT(l.right - l.left, r.right - r.left);

    // Text right of the icon: the region holds the middle of the row right of the icon; text
    // left of it: the row's middle at the left edge.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(right, region), ERROR);
    EXPECT_TRUE(PtInRegion(region, 20, (r.bottom - r.top) / 2));
    ASSERT_NE(GetWindowRgn(left, region), ERROR);
    EXPECT_TRUE(PtInRegion(region, 1, (l.bottom - l.top) / 2));

    // The icon-only window: a transparent pixel of the icon belongs to what lies beneath.
    ASSERT_NE(GetWindowRgn(alone, region), ERROR);
    POINT hole{-1, -1}, solid{-1, -1};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) (PtInRegion(region, x, y) ? solid : hole) = POINT{x, y};
    DeleteObject(region);
    ASSERT_GE(hole.x, 0) << "the icon has no transparent pixel";
    ASSERT_GE(solid.x, 0) << "the icon has no opaque pixel";
    EXPECT_NE(WindowFromPoint(POINT{a.left + hole.x, a.top + hole.y}), alone);
    EXPECT_EQ(WindowFromPoint(POINT{a.left + solid.x, a.top + solid.y}), alone);
    Screenshot("desktop_show_modes");

    EXPECT_EQ(ExitQuotrix(main, child), 0u);
    // Nothing moved: the places in the file are the ones it had.
    StockList saved = ReadBack(path);
    ASSERT_EQ(saved.size(), 5u);
    EXPECT_EQ(saved[0]->desktopTop, 100);
    EXPECT_EQ(saved[3]->desktopTop, 280);
}

TEST_F(DesktopWindows, DragMovesTheWindowSnapsToTheTopAndTheFileKeepsThePlace) {
    Child child;
    HWND main = nullptr;
    HWND window = StartOneAt300(child, main);
    ASSERT_NE(window, nullptr);
    const RECT work = WorkArea();

    // Grabbed at (4, 4) and moved 40 right, 30 down.
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(4, 4));
    PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(44, 34));
    ASSERT_TRUE(WaitForPlace(window, 340, 330));
    // Dropped 5 pixels below the work area's top: snapping puts it on the top.
    PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(4, 4 + work.top + 5 - 330));
    PostMessageW(window, WM_LBUTTONUP, 0, At(4, 4 + work.top + 5 - 330));
    EXPECT_TRUE(WaitForPlace(window, 340, work.top));
    // A drag is not a click: no menu, no web page.
    EXPECT_EQ(WaitForMenu(child.pi.dwProcessId, 500), nullptr);

    // The new place is a change of the file: the exit asks, and the saved stock keeps it.
    ExitSaving(main, child);
    StockList saved = ReadBack(path_);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]->desktopLeft, 340);
    EXPECT_EQ(saved[0]->desktopTop, work.top);
}

TEST_F(DesktopWindows, SnappingOffLeavesTheDropWhereItIs) {
    SetDword(L"BoolFlags1", 0x373D3D & ~0x2u & ~0x40000u & ~0x10u);
    Child child;
    HWND main = nullptr;
    HWND window = StartOneAt300(child, main);
    ASSERT_NE(window, nullptr);
    const RECT work = WorkArea();
    DragBy(window, 0, work.top + 5 - 300);
    EXPECT_TRUE(WaitForPlace(window, 300, work.top + 5));
    ExitSaving(main, child);
    EXPECT_EQ(ReadBack(path_)[0]->desktopTop, work.top + 5);
}

// The exit may be asked for while the drop is still in the queue (another Quotrix's exit, the
// session ending): the new place is a change of the file all the same.
TEST_F(DesktopWindows, AnExitRightAfterTheDropStillAsksToSaveTheNewPlace) {
    Child child;
    HWND main = nullptr;
    HWND window = StartOneAt300(child, main);
    ASSERT_NE(window, nullptr);
    DragBy(window, 60, 50);
    ExitSaving(main, child);
    StockList saved = ReadBack(path_);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]->desktopLeft, 360);
    EXPECT_EQ(saved[0]->desktopTop, 350);
}

TEST_F(DesktopWindows, RightButtonMenuTogglesToTheTrayAndBackKeepingThePlace) {
    const std::string path = WriteDesktopFile({{"7203.t", 20, 200, 200, 1}});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    const DWORD pid = child.pi.dwProcessId;
    HWND window = WindowAt(pid, 200, 200);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitForTrayIcons(1));  // the application's icon only
    ASSERT_EQ(StockIds().size(), 1u);
    const int id = StockIds().front();

    // Right button down opens the stock menu; its toggle reads "トレイ表示(&V)" there.
    PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, At(4, 4));
    HWND menu = WaitForMenu(pid);
    ASSERT_NE(menu, nullptr);
    Sleep(300);
    Screenshot("desktop_stock_menu");
    PostMessageW(menu, WM_CHAR, 'v', 0);
    EXPECT_TRUE(WaitForMenuGone(pid));
    EXPECT_TRUE(WaitForVisible(window, false));
    EXPECT_TRUE(WaitForTrayIcons(2));

    // From the tray icon's menu back to the desktop, at the same place.
    menu = OpenTrayMenu(main, child, id);
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_CHAR, 'v', 0);
    EXPECT_TRUE(WaitForMenuGone(pid));
    EXPECT_TRUE(WaitForVisible(window, true));
    EXPECT_TRUE(WaitForTrayIcons(1));
    EXPECT_TRUE(WaitForPlace(window, 200, 200));

    ExitSaving(main, child);
    StockList saved = ReadBack(path);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]->showMode, 20);
    EXPECT_EQ(saved[0]->desktopLeft, 200);
    EXPECT_EQ(saved[0]->desktopTop, 200);
}

TEST_F(DesktopWindows, DoubleClickOpensTheDefaultPage) {
    // The default page is the time series (page 9 in NewBoolean1 bits 20 to 27); the browser
    // Wine starts for it is curl, which asks the quote server for the page.
    SetDword(L"NewBoolean1", 9u << 20);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              0);
    const std::wstring browsers = L"curl";
    RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browsers.c_str()),
                   static_cast<DWORD>((browsers.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    const std::string path = WriteDesktopFile({{"4502.t", 20, 250, 250, 0}});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    HWND window = WindowAt(child.pi.dwProcessId, 250, 250);
    ASSERT_NE(window, nullptr);
    const std::size_t before = ServerRequests("/d?s=4502");
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(4, 4));
    PostMessageW(window, WM_LBUTTONUP, 0, At(4, 4));
    PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, At(4, 4));
    PostMessageW(window, WM_LBUTTONUP, 0, At(4, 4));
    EXPECT_TRUE(WaitUntil([&] { return ServerRequests("/d?s=4502") > before; }, kWait, 200));
    EXPECT_TRUE(WaitForPlace(window, 250, 250));  // clicks do not move it
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(DesktopWindows, HoveringShowsTheTipText) {
    // An opaque text background: keyed pixels would let the mouse through to the desktop, as
    // Windows does for the colour key of a layered window.
    SetDword(L"BoolFlags1", 0x373D3D & ~0x2u & ~0x40000u & ~0x20u);
    const std::string path = WriteDesktopFile({{"7203.t", 20, 320, 240, 1}});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 1)) << Log();
    const DWORD pid = child.pi.dwProcessId;
    HWND window = WindowAt(pid, 320, 240);
    ASSERT_NE(window, nullptr);
    const RECT r = RectOf(window);
    const POINT inside{(r.right - r.left) - 4, (r.bottom - r.top) / 2};
    SetCursorPos(r.left + inside.x, r.top + inside.y);
    // The tooltip asks the window for its text (TTN_NEEDTEXT) when the mouse rests on it.
    HWND tip = nullptr;
    std::wstring text;
    // One move, then rest: every further move would start the tooltip's show delay again.
    for (int attempt = 0; attempt < 5 && text.find(L"7203") == std::wstring::npos; ++attempt) {
        PostMessageW(window, WM_MOUSEMOVE, 0, At(inside.x, inside.y));
        tip = WaitFor(pid, 3000, [](HWND h) { return ClassOf(h) == L"tooltips_class32" && IsWindowVisible(h); });
        if (!tip) continue;
        // GetWindowText would answer the caption only: the tip text is asked for with WM_GETTEXT.
        wchar_t buffer[600] = {};
        SendMessageTimeoutW(tip, WM_GETTEXT, 600, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, nullptr);
        text = buffer;
    }
    EXPECT_NE(text.find(L"(7203.T)"), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"株   価: "), std::wstring::npos) << Narrow(text);
    Screenshot("desktop_tip");
    SetCursorPos(0, 0);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

// A desktop of one colour behind the windows, as the user's wallpaper would be.
class Backdrop {
  public:
    explicit Backdrop(COLORREF colour) : brush_(CreateSolidBrush(colour)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = brush_;
        wc.lpszClassName = L"QuotrixTestBackdrop";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, nullptr, WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                wc.hInstance, nullptr);
        ShowWindow(hwnd_, SW_SHOWNA);
        SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        Pump();
    }
    ~Backdrop() {
        DestroyWindow(hwnd_);
        // The class holds the brush: the next backdrop registers its own.
        UnregisterClassW(L"QuotrixTestBackdrop", GetModuleHandleW(nullptr));
        DeleteObject(brush_);
    }
    void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

  private:
    HBRUSH brush_;
    HWND hwnd_ = nullptr;
};

// The desktop colour the system reports (GetSysColor(COLOR_BACKGROUND)) to programs started after
// the change; the previous value comes back at the end of the test.
class DesktopColour {
  public:
    explicit DesktopColour(const std::wstring& rgb) {
        wchar_t old[64] = {};
        DWORD size = sizeof old;
        had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, L"Background", RRF_RT_REG_SZ, nullptr, old, &size) == 0;
        old_ = old;
        Set(rgb);
    }
    ~DesktopColour() {
        if (had_)
            Set(old_);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Background");
    }

  private:
    static constexpr wchar_t kKey[] = L"Control Panel\\Colors";
    static void Set(const std::wstring& rgb) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0) return;
        RegSetValueExW(key, L"Background", 0, REG_SZ, reinterpret_cast<const BYTE*>(rgb.c_str()),
                       static_cast<DWORD>((rgb.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    bool had_ = false;
    std::wstring old_;
};

// Three windows (text placements 0, 1 and 2, the price bar on the last two) on a coloured desktop,
// once opaque and once translucent with the text background keyed out and a shadow under the text.
// Wine under Xvfb has no compositor: there the keyed and translucent pixels show black.
void DesktopWindows::ShowThreePlacements(bool translucent, const char* screenshot) {
    const COLORREF desktop = RGB(0, 96, 128);
    DesktopColour colour(L"0 96 128");
    const DWORD look = translucent ? 0x40 | 0x20 : 0;
    SetDword(L"BoolFlags1", ((0x373D3D & ~0x2u & ~0x40000u) & ~0x60u) | look);
    SetDword(L"AlphaVal", 200);
    const std::string path = WriteDesktopFile({
        {"7203.t", 20, 80, 80, 0},
        {"6758.t", 20, 80, 120, 1, 0, 0, 13 | 0x80000000u},
        {"9984.t", 20, 80, 160, 2, 0, 0, 13 | 0x80000000u},
    });
    Backdrop backdrop(desktop);
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 3)) << Log();
    const DWORD pid = child.pi.dwProcessId;
    for (int top : {80, 120, 160}) {
        HWND window = WindowAt(pid, 80, top);
        ASSERT_NE(window, nullptr) << top;
        const bool layered = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        EXPECT_EQ(layered, translucent);
        if (!layered) continue;
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
        EXPECT_EQ(key, desktop);
        EXPECT_EQ(alpha, 200);
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA | LWA_COLORKEY));
    }
    backdrop.Pump();
    Sleep(500);
    Screenshot(screenshot);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(DesktopWindows, ScreenshotOfThreePlacementsOnAColouredDesktop) {
    ShowThreePlacements(false, "desktop_windows_opaque");
    ShowThreePlacements(true, "desktop_windows_translucent");
}

}  // namespace
