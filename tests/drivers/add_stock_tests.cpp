// The add-stock sheet, driven from outside: codes typed on the direct page and results ticked on
// the search page (against the quote server) become stocks with icons, saved in order.
#include "tests/drivers/driver_support.h"
// After windows.h.
#include <commctrl.h>

namespace {

using namespace quotrix;
using namespace quotrix::driver;

// The sheet's controls (resources/resource.h).
constexpr UINT kAddStockCommand = 33027;
constexpr UINT kAddStockAccelerator = 33071;
constexpr int kPrompt = 1200;
constexpr int kKeyword = 1201;
constexpr int kResults = 1202;
constexpr int kProgress = 1204;
constexpr int kMainButton = 1207;
constexpr int kSelectAll = 1208;
constexpr int kCodes = 1210;
constexpr int kWizard = 1211;
const wchar_t kCaption[] = L"Quotrix! - 証券コード追加";

class AddStock : public QuotrixRun {
  protected:
    // New stocks take the defaults of section "StdStock"; these show them as tray icons.
    void SetUp() override {
        QuotrixRun::SetUp();
        SetStdStockShowMode(1);
    }
    void TearDown() override { SetStdStockShowMode(-1); }

    static void SetStdStockShowMode(int mode) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Veltrane\\Quotrix\\StdStock", 0, nullptr, 0, KEY_WRITE,
                            nullptr, &key, nullptr) != 0)
            return;
        const DWORD value = static_cast<DWORD>(mode);
        if (mode < 0)
            RegDeleteValueW(key, L"ShowMode");
        else
            RegSetValueExW(key, L"ShowMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }

    static HWND WaitForSheet(DWORD pid, DWORD ms = kWait) {
        return WaitFor(pid, ms, [](HWND h) { return TextOf(h) == kCaption && IsWindowVisible(h); });
    }

    static bool WaitForSheetGone(DWORD pid, DWORD ms = kWait) {
        return WaitUntil([&] { return !WaitForSheet(pid, 0); }, ms);
    }

    // A control of one of the sheet's pages (pages are child dialogs of the sheet).
    static HWND Control(HWND sheet, int id) {
        struct Find {
            int id;
            HWND found;
        } find{id, nullptr};
        EnumChildWindows(
            sheet,
            [](HWND h, LPARAM lp) -> BOOL {
                auto* f = reinterpret_cast<Find*>(lp);
                if (GetDlgCtrlID(h) != f->id || GetParent(h) == nullptr) return TRUE;
                f->found = h;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&find));
        return find.found;
    }

    static HWND WaitForControl(HWND sheet, int id) {
        HWND control = nullptr;
        WaitUntil([&] { return (control = Control(sheet, id)) != nullptr; });
        return control;
    }

    // Replaces the box's text as typing does (a multi-line box tells no change of WM_SETTEXT).
    static void Type(HWND box, const std::wstring& text) {
        SendMessageW(box, EM_SETSEL, 0, -1);
        SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    }

    static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
    // A button that ends the sheet: posted, as a real click is, so that the sheet's own message
    // loop wakes up and sees that it has ended.
    static void ClickToClose(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

    static int Rows(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

    // Waits until the search's progress bar has gone and the rows stopped coming.
    static int WaitForSearchEnd(HWND sheet, DWORD ms = 120000) {
        HWND list = Control(sheet, kResults);
        HWND progress = Control(sheet, kProgress);
        Sleep(500);
        return WaitUntil([&] { return !IsWindowVisible(progress); }, ms, 200) ? Rows(list) : -1;
    }

    // Starts Quotrix on a file of `codes` (kept in `path_`) and opens the sheet from the menu;
    // `main` gets the main window. The sheet, or null.
    HWND StartWithSheet(std::initializer_list<const char*> codes, Child& child, HWND& main) {
        path_ = WriteFile(codes);
        main = StartCompleted(FileArgs(path_), child);
        if (main == nullptr) return nullptr;
        PostMessageW(main, WM_COMMAND, kAddStockCommand, 0);
        return WaitForSheet(child.pi.dwProcessId);
    }

    // StartWithSheet, then the search page's keyword box (null when the sheet or box did not come).
    HWND StartAtKeywords(std::initializer_list<const char*> codes, Child& child, HWND& main, HWND& sheet) {
        sheet = StartWithSheet(codes, child, main);
        return sheet ? WaitForControl(sheet, kKeyword) : nullptr;
    }

    // Types `codes` on the direct page and presses OK; whether the sheet closed.
    static bool AddOnDirectPage(HWND sheet, DWORD pid, const wchar_t* codes) {
        SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
        HWND box = WaitForControl(sheet, kCodes);
        if (!box) return false;
        Type(box, codes);
        ClickToClose(GetDlgItem(sheet, IDOK));
        return WaitForSheetGone(pid);
    }

    std::string path_;  // the file StartWithSheet made

    // The list's keys: Home selects the first row, Down the next, Space ticks the selected row.
    static void Key(HWND list, WPARAM key) {
        SendMessageW(list, WM_KEYDOWN, key, 0);
        SendMessageW(list, WM_KEYUP, key, 0xC0000001);
    }
};

TEST_F(AddStock, TypedCodesBecomeIconsAndAreSavedInOrder) {
    const std::string path = WriteFile({"7203.t"});
    Child child;
    HWND main = StartCompleted(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    Sleep(500);
    const int icons = TrayIconCount();
    const DWORD pid = child.pi.dwProcessId;

    PostMessageW(main, WM_COMMAND, kAddStockCommand, 0);
    HWND sheet = WaitForSheet(pid);
    ASSERT_NE(sheet, nullptr);
    HWND ok = GetDlgItem(sheet, IDOK);
    EXPECT_EQ(TextOf(ok), L"追加(&A)");
    HWND wizard = GetDlgItem(sheet, kWizard);
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(TextOf(wizard), L"銘柄登録ウィザード(&W)...");
    // The wizard button sits on OK's row at the left edge.
    RECT okRect{}, wizardRect{};
    GetWindowRect(ok, &okRect);
    GetWindowRect(wizard, &wizardRect);
    EXPECT_EQ(wizardRect.top, okRect.top);
    EXPECT_EQ(wizardRect.bottom - wizardRect.top, okRect.bottom - okRect.top);
    EXPECT_FALSE(IsWindowEnabled(ok));  // the search page starts in keyword mode
    Sleep(1500);                        // painted
    Screenshot("add_stock_search_page");

    SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    HWND codes = WaitForControl(sheet, kCodes);
    ASSERT_NE(codes, nullptr);
    EXPECT_FALSE(IsWindowEnabled(ok));  // an empty code box
    Type(codes, L"3456.T, 7777.Q 9999\tUSD,,EUR");
    EXPECT_TRUE(IsWindowEnabled(ok));
    Sleep(300);
    Screenshot("add_stock_direct_page");
    Type(codes, L"");
    EXPECT_FALSE(IsWindowEnabled(ok));
    Type(codes, L"3456.T, 7777.Q 9999\tUSD,,EUR");
    // Each page speaks for OK while it is shown: the search page has nothing to add yet.
    SendMessageW(sheet, PSM_SETCURSEL, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(ok));
    SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_TRUE(IsWindowEnabled(ok));
    ClickToClose(ok);
    ASSERT_TRUE(WaitForSheetGone(pid));
    EXPECT_TRUE(WaitForTrayIcons(icons + 5)) << TrayIconCount() << " icons, " << icons << " before";

    // Saved at once with their quotes, in input order after the stock of the file.
    ASSERT_TRUE(WaitForQuotes(main, path, 6)) << Log();
    StockList saved = ReadBack(path);
    ASSERT_EQ(saved.size(), 6u);
    EXPECT_EQ(saved[0]->code, 7203u);
    EXPECT_EQ(saved[1]->code, 3456u);
    EXPECT_EQ(saved[1]->market, MARKET_TOKYO);
    EXPECT_EQ(saved[2]->code, 7777u);
    EXPECT_EQ(saved[2]->market, MarketFromLetter('q'));
    EXPECT_EQ(saved[3]->code, 9999u);
    EXPECT_EQ(saved[4]->codeText, "USDJPY=X");
    EXPECT_EQ(saved[5]->codeText, "EURJPY=X");

    // Ctrl+N's command opens the sheet again, on the page used last; Cancel adds nothing.
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(kAddStockAccelerator, 1), 0);
    sheet = WaitForSheet(pid);
    ASSERT_NE(sheet, nullptr);
    codes = WaitForControl(sheet, kCodes);
    ASSERT_NE(codes, nullptr);
    EXPECT_TRUE(IsWindowVisible(codes));
    Type(codes, L"6758");
    PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitForSheetGone(pid));
    Sleep(500);
    EXPECT_EQ(TrayIconCount(), icons + 5);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
    EXPECT_EQ(ReadBack(path).size(), 6u);
}

TEST_F(AddStock, SearchResultsTickedAreAddedAndSurviveAReturnToKeywords) {
    Child child;
    HWND main = nullptr, sheet = nullptr;
    HWND keyword = StartAtKeywords({"6758.t"}, child, main, sheet);
    ASSERT_NE(keyword, nullptr) << Log();
    const DWORD pid = child.pi.dwProcessId;
    HWND button = Control(sheet, kMainButton);
    HWND list = Control(sheet, kResults);
    ASSERT_TRUE(button && list);
    EXPECT_FALSE(IsWindowEnabled(button));
    EXPECT_TRUE(IsWindowVisible(keyword));
    EXPECT_FALSE(IsWindowVisible(list));
    Type(keyword, L"トヨタ");
    EXPECT_TRUE(IsWindowEnabled(button));
    EXPECT_EQ(TextOf(button), L"検索(&S)");
    Click(button);
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(TextOf(Control(sheet, kPrompt)), L"追加する銘柄にチェックしてください。");
    EXPECT_EQ(TextOf(button), L"キーワード入力に戻る(&B)");
    const int rows = WaitForSearchEnd(sheet);
    ASSERT_GT(rows, 20) << "the quote server lists the matches over several pages";
    EXPECT_GE(ServerRequests("/stocks/search/"), 2u);
    HWND ok = GetDlgItem(sheet, IDOK);
    EXPECT_TRUE(IsWindowEnabled(ok));

    // Tick the first and the third row.
    Key(list, VK_HOME);
    Key(list, VK_SPACE);
    Key(list, VK_DOWN);
    Key(list, VK_DOWN);
    Key(list, VK_SPACE);
    Sleep(300);
    Screenshot("add_stock_search_results");
    EXPECT_TRUE(IsWindowEnabled(ok));

    // Back to keywords: only the ticked rows stay, and they are offered again.
    Click(button);
    EXPECT_TRUE(IsWindowVisible(keyword));
    EXPECT_EQ(Rows(list), 2);
    EXPECT_EQ(TextOf(button), L"検索/結果表示(&S)");
    EXPECT_FALSE(IsWindowEnabled(ok));
    Click(button);
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(Rows(list), 2);
    EXPECT_TRUE(IsWindowVisible(Control(sheet, kSelectAll)));

    const int icons = TrayIconCount();
    ClickToClose(ok);
    ASSERT_TRUE(WaitForSheetGone(pid));
    EXPECT_TRUE(WaitForTrayIcons(icons + 2));
    ASSERT_TRUE(WaitForQuotes(main, path_, 3)) << Log();
    StockList saved = ReadBack(path_);
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0]->code, 6758u);
    EXPECT_NE(saved[1]->code, saved[2]->code);
    for (std::size_t i = 1; i < 3; ++i)
        EXPECT_NE(Wide(saved[i]->name).find(L"トヨタ"), std::wstring::npos) << saved[i]->codeText;
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(AddStock, AKeywordWithoutMatchesSaysSoAndReturnsToKeywords) {
    Child child;
    HWND main = nullptr, sheet = nullptr;
    HWND keyword = StartAtKeywords({"7203.t"}, child, main, sheet);
    ASSERT_NE(keyword, nullptr) << Log();
    const DWORD pid = child.pi.dwProcessId;
    Type(keyword, L"存在しない会社名");
    Click(Control(sheet, kMainButton));
    HWND box = WaitForBox(pid, L"該当する銘柄はありません。");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), L"検索結果");
    Sleep(1500);
    Screenshot("add_stock_no_match");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForBoxGone(pid, L"該当する銘柄はありません。"));
    EXPECT_TRUE(WaitForVisible(keyword, true, 5000));
    EXPECT_TRUE(WaitForVisible(Control(sheet, kResults), false, 5000));
    EXPECT_EQ(TextOf(Control(sheet, kPrompt)), L"キーワード、銘柄名、銘柄コード等を入力してください。");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, IDOK)));

    // The wizard button starts Enlistor.exe beside the program, or quietly nothing: the sheet stays.
    Click(GetDlgItem(sheet, kWizard));
    Sleep(500);
    EXPECT_NE(WaitForSheet(pid, 0), nullptr);
    PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitForSheetGone(pid));
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(AddStock, ClosingTheSheetDuringASearchEndsItPromptly) {
    Child child;
    HWND main = nullptr, sheet = nullptr;
    HWND keyword = StartAtKeywords({"7203.t"}, child, main, sheet);
    ASSERT_NE(keyword, nullptr) << Log();
    const DWORD pid = child.pi.dwProcessId;
    // Every code: a search over the full 70 result pages, each keyword on a thread of its own. The
    // server's log is shared with the suites before this one, so only the requests from here count.
    const std::size_t before = ServerRequests("/stocks/search/");
    Type(keyword, L"全銘柄 全銘柄");
    Click(Control(sheet, kMainButton));
    HWND list = Control(sheet, kResults);
    WaitUntil([&] { return Rows(list) >= 40; });
    ASSERT_GE(Rows(list), 40);
    EXPECT_TRUE(IsWindowVisible(Control(sheet, kProgress)));
    Screenshot("add_stock_searching");
    PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitForSheetGone(pid, 5000));
    // Each search stops after the page it is reading (at most one request more each).
    Sleep(3000);
    const std::size_t requests = ServerRequests("/stocks/search/") - before;
    Sleep(3000);
    EXPECT_EQ(ServerRequests("/stocks/search/") - before, requests);
    EXPECT_LT(requests, 2u * 70u);
    // The program goes on: the window answers and leaves normally, with nothing added.
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
    EXPECT_EQ(ReadBack(path_).size(), 1u);
}

TEST_F(AddStock, StartingWithTheAddStockChoiceOpensTheSheet) {
    SetDword(L"DefAction", 1);
    Child child;
    HWND main = StartQuotrix(L"", child);
    ASSERT_NE(main, nullptr);
    const DWORD pid = child.pi.dwProcessId;
    HWND sheet = WaitForSheet(pid);
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(AddOnDirectPage(sheet, pid, L"7203 6758.t"));
    ASSERT_TRUE(WaitForLog("Initialization process completed")) << Log();
    EXPECT_EQ(LogCount("Add stock dlg mode"), 1u);
    EXPECT_EQ(LogCount("Add 2 items"), 1u);
    EXPECT_EQ(LogCount("Sel stock dlg mode"), 0u);
    // Two new stocks and no file yet: the exit asks; "いいえ" leaves without saving.
    EXPECT_EQ(ExitThroughPrompt(main, child, IDCANCEL), 0u);
}

TEST_F(AddStock, ACancelledSheetAtStartFallsBackToTheFileDialog) {
    SetDword(L"DefAction", 1);
    Child child;
    ASSERT_TRUE(Start(g_quotrix, L"", child));
    const DWORD pid = child.pi.dwProcessId;
    HWND sheet = WaitForSheet(pid);
    ASSERT_NE(sheet, nullptr);
    PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
    HWND dialog = WaitForBox(pid, L"銘柄ファイルを開く");
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
}

TEST_F(AddStock, TheStartupChoiceOfCodesOpensTheSheet) {
    SetDword(L"DefAction", 2);
    Child child;
    ASSERT_TRUE(Start(g_quotrix, L"", child));
    const DWORD pid = child.pi.dwProcessId;
    HWND choice = WaitForBox(pid, L"Quotrix!の起動方法を選択してください。", 15000);
    ASSERT_NE(choice, nullptr);
    PostMessageW(choice, WM_COMMAND, 1001, 0);  // "証券コードを指定する(&T)"
    HWND sheet = WaitForSheet(pid);
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(AddOnDirectPage(sheet, pid, L"9984"));
    HWND main = WaitForMainWindow(pid);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForLog("Initialization process completed")) << Log();
    EXPECT_EQ(LogCount("Add 1 items"), 1u);
    EXPECT_EQ(ExitThroughPrompt(main, child, IDCANCEL), 0u);
}

}  // namespace
