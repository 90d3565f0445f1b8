// The icon page of the stock pages in a real property sheet, driven by a second thread: which of
// its two step buttons it offers, and what "推奨設定(&R)" puts into the boxes and the model.
#include <windows.h>
// After windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>

#include "dialogs/win32/StockPropertySheet.h"
#include "resources/resource.h"

namespace quotrix {
namespace {

constexpr wchar_t kCaption[] = L"icon page test";

// What the second thread saw of the page, after pressing "推奨設定(&R)" when it was there.
struct Seen {
    bool found = false;
    bool standardShown = false;
    bool recommendedShown = false;
    std::array<std::wstring, 4> steps;
    LRESULT unit = -1;  // 0 percent, 1 yen
    bool previousClose = false;
};

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

// Runs a sheet holding the icon page alone on `model`; the second thread presses the button
// when asked, reads the page and closes the sheet with OK.
Seen RunIconPage(StockSheetModel& model, bool editsDefaults, bool pressRecommended) {
    StockSheetServices services;
    services.editsDefaults = editsDefaults;
    CStockIconPage page(model, services);
    CCenterPropertySheet sheet("icon page test");
    sheet.AddPage(page);
    Seen seen;
    std::thread driver([&] {
        HWND window = nullptr;
        HWND pageWindow = nullptr;
        for (int i = 0; i < 400 && !(pageWindow && IsWindowVisible(pageWindow)); ++i) {
            Sleep(25);
            window = FindWindowW(nullptr, kCaption);
            if (window) pageWindow = FindWindowExW(window, nullptr, L"#32770", nullptr);
        }
        if (!pageWindow) {
            if (window) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        seen.found = true;
        auto shown = [&](int id) {
            return (GetWindowLongPtrW(GetDlgItem(pageWindow, id), GWL_STYLE) & WS_VISIBLE) != 0;
        };
        seen.standardShown = shown(IDC_IP_STANDARD);
        seen.recommendedShown = shown(IDC_IP_RECOMMENDED);
        if (pressRecommended)
            SendMessageW(pageWindow, WM_COMMAND, MAKEWPARAM(IDC_IP_RECOMMENDED, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(pageWindow, IDC_IP_RECOMMENDED)));
        for (int i = 0; i < 4; ++i) seen.steps[static_cast<std::size_t>(i)] = ItemText(pageWindow, IDC_IP_STEP1 + i);
        seen.unit = SendDlgItemMessageW(pageWindow, IDC_IP_UNIT, CB_GETCURSEL, 0, 0);
        seen.previousClose = IsDlgButtonChecked(pageWindow, IDC_IP_PREVIOUS) == BST_CHECKED;
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    });
    const bool ok = sheet.DoModal(nullptr);
    driver.join();
    EXPECT_TRUE(ok);
    return seen;
}

StockSheetModel PercentStepsOnTheTarget() {
    CStockParams params;
    params.curPlusHigh = 30 * kYen;
    params.curPlusLow = 20 * kYen;
    params.curMinusLow = 20 * kYen;
    params.curMinusHigh = 30 * kYen;
    params.percentFlag = true;
    params.iconIndexMode = 2;
    StockSheetModel model;
    model.icon.Load(params);
    return model;
}

TEST(StockIconPageWindow, DefaultsOfferTheRecommendedStepsInPlaceOfTheStandardOnes) {
    StockSheetModel model = PercentStepsOnTheTarget();
    const Seen seen = RunIconPage(model, true, true);
    ASSERT_TRUE(seen.found);
    EXPECT_FALSE(seen.standardShown);
    EXPECT_TRUE(seen.recommendedShown);
    // Yen steps 10, 5, 5, 10 against the previous close, in the boxes and, after OK, in the model.
    EXPECT_EQ(seen.steps, (std::array<std::wstring, 4>{L"10", L"5", L"5", L"10"}));
    EXPECT_EQ(seen.unit, 1);
    EXPECT_TRUE(seen.previousClose);
    EXPECT_FALSE(model.icon.percent);
    EXPECT_EQ(model.icon.reference, 0);
    EXPECT_EQ(model.icon.yen, (std::array<PriceValue, 4>{10 * kYen, 5 * kYen, 5 * kYen, 10 * kYen}));
}

TEST(StockIconPageWindow, AStockOffersTheStandardStepsAndKeepsItsOwn) {
    StockSheetModel model = PercentStepsOnTheTarget();
    const Seen seen = RunIconPage(model, false, false);
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.standardShown);
    EXPECT_FALSE(seen.recommendedShown);
    EXPECT_EQ(seen.unit, 0);
    EXPECT_FALSE(seen.previousClose);
    EXPECT_TRUE(model.icon.percent);
    EXPECT_EQ(model.icon.reference, 2);
    EXPECT_EQ(model.icon.yen[0], 30 * kYen);
}

}  // namespace
}  // namespace quotrix
