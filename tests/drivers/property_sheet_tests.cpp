// A stock's property sheet, driven through its controls from outside: trades on the trade page
// and its dialogs, the other pages, and what reaches the saved stock file.
#include "tests/drivers/sheet_run.h"

#include "resources/resource.h"

namespace {

using namespace quotrix;
using namespace quotrix::driver;

// (Not "PropertySheet": the system headers make that name a macro.)
class StockProperties : public SheetRun {
  protected:
    // Starts the program on a file of one stock and opens that stock's sheet.
    void Open(const char* code = "7203.t") { OpenOn(WriteFile({code})); }

    void OpenOn(const std::string& path) {
        ASSERT_NO_FATAL_FAILURE(StartOn(path));
        ASSERT_NO_FATAL_FAILURE(Reopen());
    }

    // Starts the program on `path`, a file of one stock, and keeps that stock's id.
    void StartOn(const std::string& path) {
        path_ = path;
        main_ = StartQuotrix(FileArgs(path_), child_);
        ASSERT_NE(main_, nullptr);
        ASSERT_TRUE(WaitForLog("[FILE] Stock ")) << Log();
        ASSERT_EQ(StockIds().size(), 1u);
        id_ = StockIds().front();
    }

    // The visible sheets of the program.
    std::vector<HWND> Sheets() {
        std::vector<HWND> found;
        WaitFor(child_.pi.dwProcessId, 0, [&](HWND h) {
            if (ClassOf(h) == L"#32770" && IsWindowVisible(h) && TextOf(h).find(L"のプロパティ") != std::wstring::npos)
                found.push_back(h);
            return false;
        });
        return found;
    }

    HWND WaitForSheet() {
        return WaitFor(child_.pi.dwProcessId, kWait, [](HWND h) {
            return ClassOf(h) == L"#32770" && IsWindowVisible(h) &&
                   TextOf(h).find(L"のプロパティ") != std::wstring::npos;
        });
    }

    // Adds `shares` at unit price `unit` through the add dialog's controls.
    void Buy(const wchar_t* shares, const wchar_t* unit) {
        const std::wstring sharesBefore = Item(trade_, IDC_TP_SHARES);
        ClickLater(trade_, IDC_TP_ADD);
        HWND add = WaitForBox(child_.pi.dwProcessId, L"追加する株数と金額を入力してください。");
        ASSERT_NE(add, nullptr);
        Type(add, IDC_EX_SHARES, shares);
        Type(add, IDC_EX_AMOUNT, unit);
        Click(add, IDC_EX_UNIT);
        ASSERT_TRUE(IsWindowEnabled(GetDlgItem(add, IDOK)));
        Click(add, IDOK);
        ASSERT_TRUE(WaitForBoxGone(child_.pi.dwProcessId, L"追加する株数と金額を入力してください。"));
        // The page shows the trade after the box has gone, on the program's own turn.
        WaitUntil([&] { return Item(trade_, IDC_TP_SHARES) != sharesBefore; }, kWait, 50);
    }

    // OK on the sheet, then the save command; the stock as the file holds it.
    std::unique_ptr<CStockMan> OkAndSave() {
        EXPECT_TRUE(CloseWith(sheet_, IDOK));
        const FILETIME before = WriteTime();
        PostMessageW(main_, WM_COMMAND, kSaveCommand, 0);
        WaitUntil([&] {
            const FILETIME now = WriteTime();
            return CompareFileTime(&before, &now) != 0;
        });
        Sleep(200);
        StockList saved = ReadBack(path_);
        EXPECT_EQ(saved.size(), 1u);
        return saved.empty() ? nullptr : std::move(saved.front());
    }

    FILETIME WriteTime() {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(Wide(path_).c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    }

    // The pixels of the first icon of Wine's stand-alone tray, as it is drawn now.
    static std::vector<std::uint32_t> TrayPixels() {
        HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
        HWND icon = tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr;
        RECT r{};
        if (!icon || !GetWindowRect(icon, &r)) return {};
        BringWindowToTop(tray);
        // Wine's tray draws a changed icon over the old one without erasing it first, so the tray
        // is painted anew from a clean background before the icon is read.
        RedrawWindow(tray, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sleep(200);
        return ScreenPixels(r);
    }

    // Types the four arrow steps on the icon page and leaves the sheet with OK.
    void SetStepsAndOk(const wchar_t* step) {
        HWND icon = ShowPage(2, IDC_IP_STEP1);
        ASSERT_NE(icon, nullptr);
        for (int i = 0; i < 4; ++i) Type(icon, IDC_IP_STEP1 + i, step);
        ASSERT_TRUE(CloseWith(sheet_, IDOK));
        Sleep(800);  // the sheet's place on the screen is painted again
    }

    // Opens the sheet of the stock of the file (again).
    void Reopen() {
        PostMessageW(main_, WM_APP_OPEN_PROPERTY, static_cast<WPARAM>(id_), 0);
        sheet_ = WaitForSheet();
        ASSERT_NE(sheet_, nullptr) << Log();
        trade_ = Page(IDC_TP_ADD);
        ASSERT_NE(trade_, nullptr);
    }

    // A visible window of the program titled `title`.
    HWND WaitForTitled(const wchar_t* title, DWORD ms = kWait) {
        return WaitFor(child_.pi.dwProcessId, ms, [&](HWND h) { return IsWindowVisible(h) && TextOf(h) == title; });
    }

    HWND trade_ = nullptr;
    int id_ = 0;
};

TEST_F(StockProperties, BuyingHundredAtThousandReachesTheSavedFile) {
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_NE(TextOf(sheet_).find(L"(7203.T) のプロパティ"), std::wstring::npos) << TextOf(sheet_).size();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(trade_, IDC_TP_REMOVE)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(trade_, IDC_TP_UNDO)));
    Buy(L"100", L"1000");
    EXPECT_EQ(Item(trade_, IDC_TP_SHARES), L"100");
    EXPECT_EQ(Item(trade_, IDC_TP_TOTAL), L"100,000");
    EXPECT_EQ(Item(trade_, IDC_TP_AVERAGE), L"1,000");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(trade_, IDC_TP_REMOVE)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(trade_, IDC_TP_UNDO)));
    Shot(sheet_, "property_trade_page");
    auto saved = OkAndSave();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->shares, 100u);
    EXPECT_EQ(saved->cost, 100000 * kYen);
}

TEST_F(StockProperties, SaleShowsItsProfitAndUndoRedoWalkTheHistory) {
    ASSERT_NO_FATAL_FAILURE(Open());
    Buy(L"100", L"1000");
    ClickLater(trade_, IDC_TP_REMOVE);
    HWND sell = WaitForBox(child_.pi.dwProcessId, L"削除する株数と金額を入力してください。");
    ASSERT_NE(sell, nullptr);
    EXPECT_EQ(Item(sell, IDC_SE_SHARES), L"100");
    EXPECT_EQ(Item(sell, IDC_SE_COST_TEXT), L"100,000");
    Type(sell, IDC_SE_AMOUNT, L"120000");
    EXPECT_EQ(Item(sell, IDC_SE_PROFIT), L"20,000");
    Click(sell, IDC_SE_EDIT);  // cost-edit mode: the boxes replace the texts
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sell, IDC_SE_COST)));
    EXPECT_EQ(Item(sell, IDC_SE_EDIT), L"単価を戻す(&R)");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sell, IDC_SE_EDIT)));
    Type(sell, IDC_SE_COST, L"110000");
    EXPECT_EQ(Item(sell, IDC_SE_PROFIT), L"10,000");
    EXPECT_EQ(Item(sell, IDC_SE_AVERAGE), L"1100");
    Click(sell, IDC_SE_EDIT);  // back to the starting average
    EXPECT_EQ(Item(sell, IDC_SE_PROFIT), L"20,000");
    Shot(sell, "property_sell_dialog");
    Click(sell, IDOK);
    ASSERT_TRUE(WaitForBoxGone(child_.pi.dwProcessId, L"削除する株数と金額を入力してください。"));
    EXPECT_EQ(Item(trade_, IDC_TP_SHARES), L"0");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(trade_, IDC_TP_REMOVE)));

    Click(trade_, IDC_TP_UNDO);
    EXPECT_EQ(Item(trade_, IDC_TP_SHARES), L"100");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(trade_, IDC_TP_REDO)));
    Click(trade_, IDC_TP_REDO);
    EXPECT_EQ(Item(trade_, IDC_TP_SHARES), L"0");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(trade_, IDC_TP_REDO)));
    Click(trade_, IDC_TP_UNDO);
    EXPECT_EQ(Item(trade_, IDC_TP_SHARES), L"100");

    // Margin moves the cost into the trade cash; the labels follow the short flag.
    Click(trade_, IDC_TP_MARGIN);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(trade_, IDC_TP_SHORT)));
    Click(trade_, IDC_TP_SHORT);
    EXPECT_EQ(Item(trade_, IDC_TP_SHARES_LABEL), L"売付株数:");
    EXPECT_EQ(Item(trade_, IDC_TP_ADD), L"売付株追加(&A)");
    Click(trade_, IDC_TP_UNDO);
    Click(trade_, IDC_TP_UNDO);
    EXPECT_EQ(Item(trade_, IDC_TP_SHARES_LABEL), L"買付株数:");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(trade_, IDC_TP_SHORT)));

    auto saved = OkAndSave();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->shares, 100u);
    EXPECT_EQ(saved->cost, 100000 * kYen);
    EXPECT_EQ(saved->tradeMode, 0);
}

TEST_F(StockProperties, BadAmountKeepsTheDialogAndASecondRequestIsIgnored) {
    ASSERT_NO_FATAL_FAILURE(Open());
    PostMessageW(main_, WM_APP_OPEN_PROPERTY, static_cast<WPARAM>(id_), 0);
    Sleep(1000);
    EXPECT_EQ(Sheets().size(), 1u);

    ClickLater(trade_, IDC_TP_ADD);
    HWND add = WaitForBox(child_.pi.dwProcessId, L"追加する株数と金額を入力してください。");
    ASSERT_NE(add, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(add, IDOK)));  // no shares yet
    Type(add, IDC_EX_SHARES, L"10");
    Type(add, IDC_EX_AMOUNT, L"12x");
    ClickLater(add, IDOK);
    ASSERT_TRUE(Acknowledge(L"通貨型を入力してください。", "property_bad_amount"));
    EXPECT_TRUE(IsWindowVisible(add));
    Type(add, IDC_EX_AMOUNT, L"500");
    Click(add, IDOK);
    ASSERT_TRUE(WaitForBoxGone(child_.pi.dwProcessId, L"追加する株数と金額を入力してください。"));
    EXPECT_EQ(Item(trade_, IDC_TP_TOTAL), L"500");
    Click(sheet_, IDCANCEL);
    WaitUntil([&] { return !IsWindow(sheet_); });
    // Cancel kept nothing; the sheet opens again once closed.
    ASSERT_NO_FATAL_FAILURE(Reopen());
    EXPECT_EQ(Item(trade_, IDC_TP_SHARES), L"0");
}

TEST_F(StockProperties, OtherPagesStoreTheirSettings) {
    ASSERT_NO_FATAL_FAILURE(Open());
    HWND display = ShowPage(1, IDC_DP_WHERE);
    ASSERT_NE(display, nullptr);
    Shot(sheet_, "property_display_page");
    Click(display, IDC_DP_OUTSIDE);
    SendDlgItemMessageW(display, IDC_DP_WHERE, CB_SETCURSEL, 1, 0);
    SendMessageW(display, WM_COMMAND, MAKEWPARAM(IDC_DP_WHERE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(display, IDC_DP_WHERE)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(display, IDC_DP_BALLOON)));

    HWND icon = ShowPage(2, IDC_IP_STEP1);
    ASSERT_NE(icon, nullptr);
    Shot(sheet_, "property_icon_page");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(icon, IDC_IP_TRADE)));  // no holding
    // A stock goes back to the defaults; only the defaults themselves offer the recommended steps.
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(icon, IDC_IP_STANDARD)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(icon, IDC_IP_RECOMMENDED)));
    Type(icon, IDC_IP_STEP1, L"3");
    Type(icon, IDC_IP_STEP1 + 1, L"8");

    HWND watch = ShowPage(3, IDC_WP_LOWER);
    ASSERT_NE(watch, nullptr);
    Type(watch, IDC_WP_LOWER, L"1,500");
    Type(watch, IDC_WP_UPPER, L"abc");
    PostMessageW(sheet_, PSM_SETCURSEL, 4, 0);  // refused: the page stays
    ASSERT_TRUE(Acknowledge(L"通貨型を入力してください。"));
    Type(watch, IDC_WP_UPPER, L"2000");
    Shot(sheet_, "property_watch_page");

    HWND desk = ShowPage(4, IDC_DK_SIMPLE);
    ASSERT_NE(desk, nullptr);
    Click(desk, IDC_DK_SIMPLE);
    EXPECT_EQ(IsDlgButtonChecked(desk, IDC_DK_ITEM0 + 16), BST_CHECKED);  // the price bar
    EXPECT_EQ(IsDlgButtonChecked(desk, IDC_DK_ITEM0 + 4), BST_UNCHECKED);
    Shot(sheet_, "property_desktop_page");

    auto saved = OkAndSave();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->showMode, 21);
    EXPECT_EQ(saved->curPlusHigh, 8 * kYen);
    EXPECT_EQ(saved->curPlusLow, 3 * kYen);
    EXPECT_EQ(saved->dispLower, 1500 * kYen);
    EXPECT_EQ(saved->dispUpper, 2000 * kYen);
    EXPECT_EQ(saved->desktopTxtFlags, 0x8000002Fu);
}

TEST_F(StockProperties, ControlZAndControlYUndoAndRedoWhileThePageHasTheFocus) {
    ASSERT_NO_FATAL_FAILURE(Open());
    Buy(L"100", L"1000");
    SetForegroundWindow(sheet_);
    WaitUntil([&] { return GetForegroundWindow() == sheet_; }, 3000);
    if (GetForegroundWindow() != sheet_) GTEST_SKIP() << "the sheet did not become the foreground window";
    auto press = [](WORD key) {
        INPUT keys[4] = {};
        for (INPUT& input : keys) input.type = INPUT_KEYBOARD;
        keys[0].ki.wVk = VK_CONTROL;
        keys[1].ki.wVk = key;
        keys[2].ki.wVk = key;
        keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
        keys[3].ki.wVk = VK_CONTROL;
        keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, keys, sizeof(INPUT));
    };
    auto waitForShares = [&](const wchar_t* shares) {
        WaitUntil([&] { return Item(trade_, IDC_TP_SHARES) == shares; }, 5000);
        return Item(trade_, IDC_TP_SHARES);
    };
    press('Z');
    EXPECT_EQ(waitForShares(L"0"), L"0");
    press('Y');
    EXPECT_EQ(waitForShares(L"100"), L"100");
    // Ctrl+H opens the name and market dialog.
    press('H');
    HWND names = WaitForBox(child_.pi.dwProcessId, L"銘柄名/取引市場を編集できます。", 5000);
    ASSERT_NE(names, nullptr);
    SendDlgItemMessageW(names, IDC_CM_MARKET, CB_SETCURSEL, 2, 0);
    Shot(names, "property_name_market");
    PostMessageW(names, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForBoxGone(child_.pi.dwProcessId, L"銘柄名/取引市場を編集できます。"));
    EXPECT_EQ(Item(trade_, IDC_TP_MARKET), L"Jasdaq (Q)");
    auto saved = OkAndSave();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->shares, 100u);
    EXPECT_EQ(saved->market, 3u);
}

// The arrow steps decide the tray icon's picture: huge steps give the flat arrow whatever the
// change, steps of one sen the large rise or fall of any change.
TEST_F(StockProperties, IconPageStepsReachTheTrayIconsArrow) {
    SetDword(L"DispTotal", 0);  // no totals in the application's icon, which stays away
    // The portfolio stays hidden: at the screen's corner it would cover the tray.
    SetDword(L"BoolFlags1", GetDword(L"BoolFlags1", 0) & ~0x2000u);
    StockList stocks;
    stocks.push_back(std::make_unique<CStockMan>("7203.t"));
    stocks[0]->showMode = 1;  // in the tray
    const std::string path = Folder() + "\\tray arrow.quotrix";
    ASSERT_TRUE(WriteStockFile(path, stocks, PortfolioPlacement{}, 0, StockFileHeader{}));
    ASSERT_NO_FATAL_FAILURE(OpenOn(path));
    ASSERT_TRUE(WaitForQuotes(main_, path_, 1)) << Log();
    // The quote server's price walks; at the previous close the arrow would be flat anyway, so
    // the stock is updated again ("update all") until it has moved.
    constexpr UINT kUpdateAllCommand = 33069;
    StockList quoted = ReadBack(path_);
    for (int tries = 0; tries < 20 && quoted.size() == 1 && quoted[0]->change == 0; ++tries) {
        PostMessageW(main_, WM_COMMAND, kUpdateAllCommand, 0);
        Sleep(500);
        PostMessageW(main_, WM_COMMAND, kSaveCommand, 0);
        Sleep(250);
        quoted = ReadBack(path_);
    }
    ASSERT_EQ(quoted.size(), 1u);
    ASSERT_NE(quoted[0]->change, 0) << "the stock never moved on the quote server";
    ASSERT_TRUE(WaitForTrayIcons(1)) << TrayIconCount();  // the stock's alone: no application icon

    ASSERT_NO_FATAL_FAILURE(SetStepsAndOk(L"100000"));
    // The icon is redrawn on the program's own turn, so the flat picture is the one that stays
    // the same for a while, not the first one read after OK.
    std::vector<std::uint32_t> flat = TrayPixels();
    for (DWORD waited = 0, still = 0; waited < 8000 && still < 1500; waited += 100) {
        Sleep(100);
        std::vector<std::uint32_t> now = TrayPixels();
        still = now == flat ? still + 100 : 0;
        flat = std::move(now);
    }
    ASSERT_FALSE(flat.empty());
    ASSERT_NO_FATAL_FAILURE(Reopen());
    // The icon is drawn again on the program's own turn: the picture is waited for.
    auto settlesOn = [](const std::vector<std::uint32_t>& want) {
        return WaitUntil([&] { return TrayPixels() == want; }, 5000);
    };
    ASSERT_NO_FATAL_FAILURE(SetStepsAndOk(L"0.01"));
    EXPECT_TRUE(WaitUntil([&] { return TrayPixels() != flat; }, 5000));
    Screenshot("property_tray_arrow");
    ASSERT_NO_FATAL_FAILURE(Reopen());
    ASSERT_NO_FATAL_FAILURE(SetStepsAndOk(L"100000"));
    EXPECT_TRUE(settlesOn(flat));

    PostMessageW(main_, WM_COMMAND, kSaveCommand, 0);
    Sleep(500);
    const StockList saved = ReadBack(path_);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]->curPlusHigh, 100000 * kYen);
    EXPECT_EQ(saved[0]->curMinusLow, 100000 * kYen);
}

// A failed check leaves the stock an update log (here the quote hosts point at a closed port
// of this machine): the page's log button shows it.
TEST_F(StockProperties, LogButtonShowsTheStocksUpdateLog) {
    for (const wchar_t* key : {L"HostDetail", L"HostQuote", L"HostTimeSeries", L"HostCurrent"})
        SetText(key, L"127.0.0.1:1");
    ASSERT_NO_FATAL_FAILURE(StartOn(WriteFile({"6758.t"})));
    WaitUntil([&] { return Log().find("Download failure") != std::string::npos; }, kWait, 200);
    Sleep(1000);  // the worker's log handed over to the stock
    ASSERT_NO_FATAL_FAILURE(Reopen());
    ASSERT_TRUE(IsWindowVisible(GetDlgItem(trade_, IDC_TP_LOG))) << Log();
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(trade_, IDC_TP_LOG)));
    ClickLater(trade_, IDC_TP_LOG);
    HWND viewer = WaitForTitled(L"銘柄データ更新ログの表示");
    ASSERT_NE(viewer, nullptr);
    const std::wstring text = Item(viewer, IDC_LOG_TEXT);
    EXPECT_NE(text.find(L"Download failure"), std::wstring::npos) << Narrow(text);
    // Read-only, and opened at its newest line with nothing selected.
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(viewer, IDC_LOG_TEXT), GWL_STYLE) & ES_READONLY);
    DWORD from = 0, to = 0;
    SendDlgItemMessageW(viewer, IDC_LOG_TEXT, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                        reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, to);
    EXPECT_EQ(to, text.size());
    Shot(viewer, "property_update_log");
    PostMessageW(viewer, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }));
    EXPECT_TRUE(IsWindowVisible(sheet_));
}

// "電卓(&C)" starts the program of "CalcPath" (here a batch file that leaves a mark); a program
// that is not there gives the message, and the dialog stays.
TEST_F(StockProperties, CalculatorButtonStartsTheProgramOrSaysItCannot) {
    const std::string mark = Folder() + "\\calculator ran.txt";
    const std::string batch = Folder() + "\\calculator.bat";
    DeleteFileW(Wide(mark).c_str());
    {
        std::ofstream out(Wide(batch).c_str(), std::ios::binary);
        out << "@echo ran> \"" << mark << "\"\r\n";
    }
    SetText(L"CalcPath", Wide(batch));
    ASSERT_NO_FATAL_FAILURE(Open());
    ClickLater(trade_, IDC_TP_ADD);
    HWND add = WaitForBox(child_.pi.dwProcessId, L"追加する株数と金額を入力してください。");
    ASSERT_NE(add, nullptr);
    Click(add, IDC_EX_CALC);
    EXPECT_TRUE(WaitForFile(mark, 20000)) << mark;
    EXPECT_EQ(WaitForBox(child_.pi.dwProcessId, L"電卓の起動に失敗しました。", 500), nullptr);
    PostMessageW(add, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitForBoxGone(child_.pi.dwProcessId, L"追加する株数と金額を入力してください。"));
    PostMessageW(sheet_, WM_COMMAND, IDCANCEL, 0);
    WaitUntil([&] { return !IsWindow(sheet_); });
    PostMessageW(main_, WM_APP_EXIT, 0, 0);
    ASSERT_EQ(WaitForExit(child_, kWait), 0u);

    SetText(L"CalcPath", Wide(Folder() + "\\no such calculator.exe"));
    ResetLog();
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Buy(L"100", L"1000"));
    ClickLater(trade_, IDC_TP_REMOVE);
    HWND sell = WaitForBox(child_.pi.dwProcessId, L"削除する株数と金額を入力してください。");
    ASSERT_NE(sell, nullptr);
    ClickLater(sell, IDC_SE_CALC);
    ASSERT_TRUE(Acknowledge(L"電卓の起動に失敗しました。", "property_calculator_missing"));
    EXPECT_TRUE(IsWindowVisible(sell));
}

}  // namespace
