// The popup menus of the running program, seen from outside: the pictures in the menu window's
// pixels, and a choice carried through to the saved stock file.
#include "tests/drivers/driver_support.h"

namespace {

using namespace quotrix;
using namespace quotrix::driver;

TEST_F(QuotrixRun, StockMenuShowsPicturesAndItsToggleMovesTheStockToTheDesktop) {
    const std::string path = WriteFile({"7203.t", "6758.t"});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 2)) << Log();
    ASSERT_EQ(StockIds().size(), 2u);
    const int item = StockIds().front();

    HWND menu = OpenTrayMenu(main, child, item);
    ASSERT_NE(menu, nullptr);
    Sleep(300);  // drawn
    Screenshot("stock_menu_pictures");
    // The pictures are the only saturated colours of a menu: the globe of the default item
    // (blue and green), the red cross of "削除(&D)".
    EXPECT_GT(CountColour(menu, RGB(0, 0, 255), 48), 20);
    EXPECT_GT(CountColour(menu, RGB(0, 255, 0), 48), 10);
    EXPECT_GT(CountColour(menu, RGB(255, 0, 0), 48), 10);

    // "デスクトップ表示(&V)" of a tray icon's menu puts the stock on the desktop; the file is
    // modified, so the exit asks, and the saved stock keeps its new place.
    PostMessageW(menu, WM_CHAR, 'v', 0);
    EXPECT_TRUE(WaitForMenuGone(child.pi.dwProcessId));
    PostMessageW(main, WM_APP_EXIT, 0, 0);
    HWND prompt = WaitForBox(child.pi.dwProcessId, L"銘柄データが変更されています。");
    ASSERT_NE(prompt, nullptr);
    PostMessageW(prompt, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    StockList saved = ReadBack(path);
    ASSERT_EQ(saved.size(), 2u);
    int onDesktop = 0;
    for (const auto& stock : saved) onDesktop += stock->showMode == 20;
    EXPECT_EQ(onDesktop, 1);
}

}  // namespace
