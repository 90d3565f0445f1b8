// The start-up choice, the default files, the exit prompt's answers and what the main window
// keeps reachable, seen from outside: the dialogs' buttons, the registry, the stock files, the
// log and Wine's notification area.
#include <shlobj.h>

#include "tests/drivers/driver_support.h"

namespace {

using namespace quotrix;
using namespace quotrix::driver;

constexpr UINT kChoiceCodes = 1001;  // "証券コードを指定する(&T)"
constexpr UINT kChoiceFile = 1002;   // "銘柄データファイルを指定する(&S)"
constexpr UINT kExitAuto = 1003;     // "常に自動で更新(&A)"
constexpr DWORD kAutoSave = 0x80000;

// Presses a dialog's button as a click would.
void Click(HWND dialog, UINT id) {
    HWND button = GetDlgItem(dialog, static_cast<int>(id));
    ASSERT_NE(button, nullptr) << id;
    PostMessageW(button, BM_CLICK, 0, 0);
}

std::string AppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return Narrow(path);
}

// With no command line, "DefAction" 2 and nothing in "Lastest": the default files decide.
class StartupChoice : public QuotrixRun {
  protected:
    void SetUp() override {
        QuotrixRun::SetUp();
        SetDword(L"DefAction", 2);
        RemoveDefaultFiles();
    }
    void TearDown() override { RemoveDefaultFiles(); }

    // Strings 130 and 152: the default file, and that of an earlier edition's folder.
    static std::string DefaultFile(const char* folder) { return AppDataFolder() + "\\" + folder + "\\Default.quotrix"; }
    static void RemoveDefaultFiles() {
        for (const char* folder : {"Quotrix", "Quotrix1"}) DeleteFileW(Wide(DefaultFile(folder)).c_str());
    }
    std::string WriteDefaultFile(const char* folder, const std::vector<const char*>& codes) {
        CreateDirectoryW(Wide(AppDataFolder() + "\\" + folder).c_str(), nullptr);
        StockList stocks;
        for (const char* code : codes) stocks.push_back(std::make_unique<CStockMan>(code));
        EXPECT_TRUE(WriteStockFile(DefaultFile(folder), stocks, PortfolioPlacement{}, 0, StockFileHeader{}));
        return DefaultFile(folder);
    }

    // Starts the program and answers the start-up choice once it shows.
    HWND StartToTheChoice(Child& child) {
        if (!Start(g_quotrix, L"", child)) return nullptr;
        return WaitForBox(child.pi.dwProcessId, L"Quotrix!の起動方法を選択してください。");
    }

    // Answers the choice with `button` and cancels the window that follows (found by `text`).
    void ChooseThenCancel(int button, const wchar_t* text) {
        Child child;
        HWND choice = StartToTheChoice(child);
        ASSERT_NE(choice, nullptr) << Log();
        Click(choice, button);
        HWND next = WaitForBox(child.pi.dwProcessId, text);
        ASSERT_NE(next, nullptr) << Log();
        PostMessageW(next, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(WaitForExit(child, kWait), 0u);
    }
};

TEST_F(StartupChoice, CancelEndsTheProgramWithoutAMessage) {
    Child child;
    HWND choice = StartToTheChoice(child);
    ASSERT_NE(choice, nullptr) << Log();
    EXPECT_EQ(TextOf(choice), L"Quotrix!起動方法の選択");
    Sleep(300);  // drawn
    Screenshot("startup_choice");
    Click(choice, IDCANCEL);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    EXPECT_NE(Log().find("Stock data load failure"), std::string::npos) << Log();
}

TEST_F(StartupChoice, CancellingTheCodesSheetEndsTheProgram) {
    // The sheet's answer is the start-up's answer: no stock added ends the program.
    ASSERT_NO_FATAL_FAILURE(ChooseThenCancel(kChoiceCodes, L"Quotrix! - 証券コード追加"));
    EXPECT_NE(Log().find("Add stock dlg mode"), std::string::npos);
    EXPECT_NE(Log().find("Stock data load failure"), std::string::npos) << Log();
}

TEST_F(StartupChoice, TheFileChoiceOpensTheFileDialogAndItsCancelEnds) {
    ASSERT_NO_FATAL_FAILURE(ChooseThenCancel(kChoiceFile, L"銘柄ファイルを開く"));
    EXPECT_EQ(Log().find("Add stock dlg mode"), std::string::npos);
}

TEST_F(StartupChoice, TheDefaultFileIsOpenedBeforeAnyQuestion) {
    const std::string path = WriteDefaultFile("Quotrix", {"7203.t"});
    Child child;
    HWND main = StartCompleted(L"", child);
    ASSERT_NE(main, nullptr);
    EXPECT_NE(Log().find("Stock file: " + path + " / 1 items"), std::string::npos) << Log();
    EXPECT_EQ(WaitForBox(child.pi.dwProcessId, L"起動方法", 0), nullptr);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(StartupChoice, AnEarlierEditionsDefaultFileComesNext) {
    // A default file that holds no stock does not count; the earlier edition's does.
    CreateDirectoryW(Wide(AppDataFolder() + "\\Quotrix").c_str(), nullptr);
    HANDLE empty = CreateFileW(Wide(DefaultFile("Quotrix")).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(empty, INVALID_HANDLE_VALUE);
    CloseHandle(empty);
    const std::string path = WriteDefaultFile("Quotrix1", {"7203.t", "6758.t", "9984.t"});
    Child child;
    HWND main = StartCompleted(L"", child);
    ASSERT_NE(main, nullptr);
    EXPECT_NE(Log().find("No stock data: " + DefaultFile("Quotrix")), std::string::npos) << Log();
    EXPECT_NE(Log().find("Stock file: " + path + " / 3 items"), std::string::npos) << Log();
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

// The answers of the exit prompt, and the main window's joins that only a running program shows.
class MainWindowJoins : public QuotrixRun {
  protected:
    void TearDown() override { SetDword(L"DispTotal", 1); }

    // Hides a stock through its menu: the file is modified.
    void HideStock(HWND main, Child& child, std::size_t index = 0) {
        const std::vector<int> ids = StockIds();
        ASSERT_GT(ids.size(), index);
        HWND menu = OpenTrayMenu(main, child, ids[index]);
        ASSERT_NE(menu, nullptr);
        // "非表示(&H)" shares its key with "他のページを開く(&H)" above it: chosen by position
        // (the page, the other pages, update, desktop, hide).
        for (int i = 0; i < 5; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_TRUE(WaitForMenuGone(child.pi.dwProcessId));
    }

    // Starts the program on `path`, hides the first stock and asks the program to leave: the exit
    // prompt, or null.
    HWND HideThenExit(const std::string& path, Child& child) {
        HWND main = StartCompleted(FileArgs(path), child);
        if (!main) return nullptr;
        HideStock(main, child);
        if (HasFatalFailure()) return nullptr;
        PostMessageW(main, WM_APP_EXIT, 0, 0);
        return WaitForExitPrompt(child);
    }

    HWND WaitForExitPrompt(Child& child) {
        HWND prompt = WaitForBox(child.pi.dwProcessId, L"銘柄データが変更されています。");
        if (prompt) {
            EXPECT_EQ(TextOf(prompt), L"Quotrix! ファイルの更新");
        }
        return prompt;
    }
};

TEST_F(MainWindowJoins, AlwaysSaveAutomaticallySavesNowAndNeverAsksAgain) {
    const std::string path = WriteFile({"7203.t", "6758.t"});
    {
        Child child;
        HWND prompt = HideThenExit(path, child);
        ASSERT_NE(prompt, nullptr);
        Sleep(300);  // drawn
        Screenshot("exit_prompt");
        Click(prompt, kExitAuto);
        EXPECT_EQ(WaitForExit(child, kWait), 0u);
        EXPECT_TRUE(GetDword(L"BoolFlags1", 0) & kAutoSave);
        const StockList saved = ReadBack(path);
        ASSERT_EQ(saved.size(), 2u);
        EXPECT_EQ(saved[0]->showMode, 0);  // the hidden stock was saved
    }
    // The next run saves at exit without asking.
    ResetLog();
    Child child;
    HWND main = StartCompleted(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    HideStock(main, child, 1);
    PostMessageW(main, WM_APP_EXIT, 0, 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    EXPECT_EQ(WaitForBox(child.pi.dwProcessId, L"銘柄データが変更されています。", 0), nullptr);
    for (const auto& stock : ReadBack(path)) EXPECT_EQ(stock->showMode, 0) << stock->codeText;
}

TEST_F(MainWindowJoins, NoKeepsTheFileAsItWas) {
    const std::string path = WriteFile({"7203.t", "6758.t"});
    Child child;
    HWND prompt = HideThenExit(path, child);
    ASSERT_NE(prompt, nullptr);
    Click(prompt, IDCANCEL);  // "いいえ(&N)"
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    EXPECT_EQ(GetDword(L"BoolFlags1", 0) & kAutoSave, 0u);
    const StockList saved = ReadBack(path);
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_NE(saved[0]->showMode, 0);  // the change was not saved
}

TEST_F(MainWindowJoins, HidingTheLastVisibleIconBringsTheApplicationIconBack) {
    // The application icon is configured hidden and the portfolio does not open at start: the
    // stock's icon is the only way in.
    SetDword(L"DispTotal", 0);
    SetDword(L"BoolFlags1", GetDword(L"BoolFlags1", 0) & ~0x2000u);
    const std::string path = WriteFile({"7203.t"});
    const int before = TrayIconCount();
    Child child;
    HWND main = StartCompleted(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    // The first check is merged: nothing else refreshes the icons for the next 90 seconds.
    ASSERT_TRUE(WaitForQuotes(main, path, 1)) << Log();
    ASSERT_TRUE(WaitForTrayIcons(before + 1)) << TrayIconCount();
    HideStock(main, child);
    // The stock's icon goes and the application's comes: the program stays reachable.
    Sleep(500);
    EXPECT_TRUE(WaitForTrayIcons(before + 1)) << TrayIconCount();
    Screenshot("application_icon_after_hide");
    HWND menu = OpenTrayMenu(main, child, 1);
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitForMenuGone(child.pi.dwProcessId));
    PostMessageW(main, WM_APP_EXIT, 0, 0);
    HWND prompt = WaitForExitPrompt(child);
    ASSERT_NE(prompt, nullptr);
    Click(prompt, IDCANCEL);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
}

TEST_F(MainWindowJoins, TheStockClipboardFormatIsRegisteredAtStart) {
    // Atoms outlive the programs that made them: forget any earlier registration first. (Wine
    // keeps registered formats in the global atom table.)
    const std::wstring name = L"Quotrix!銘柄データ";
    for (int i = 0; i < 100; ++i) {
        const ATOM atom = GlobalFindAtomW(name.c_str());
        if (atom == 0) break;
        GlobalDeleteAtom(atom);
    }
    ASSERT_EQ(GlobalFindAtomW(name.c_str()), 0);
    const std::string path = WriteFile({"7203.t"});
    Child child;
    HWND main = StartCompleted(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    const ATOM format = GlobalFindAtomW(name.c_str());
    EXPECT_NE(format, 0);
    wchar_t registered[64] = {};
    EXPECT_GT(GetClipboardFormatNameW(format, registered, 64), 0);
    EXPECT_EQ(std::wstring(registered), name);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

}  // namespace
