// The popup menus of the running program, seen from outside: the pictures in the menu window's
// pixels, and a choice carried through to the saved stock file.
#include "tests/drivers/driver_support.h"

namespace {

using namespace quotrix;
using namespace quotrix::driver;

// How many pixels of the colour the window shows left of `columns` (the picture column).
int CountColour(HWND window, COLORREF colour, int columns) {
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    int count = 0;
    const std::uint32_t want = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w && x < columns; ++x) count += (bits[y * w + x] & 0xFFFFFF) == want;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return count;
}

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
