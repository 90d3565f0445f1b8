// Starts Quotrix.exe and Enlistor.exe as a user's desktop would, finds their windows from outside
// and talks to them with the messages a user's actions send; reads back the registry, the stock
// files and the log the program writes.
//   program_tests.exe QUOTRIX.exe ENLISTOR.exe
#include "tests/drivers/driver_support.h"

#include <thread>

namespace {

using namespace quotrix;
using namespace quotrix::driver;

TEST_F(QuotrixRun, FileRunsFirstCheckAtOnceAndAutoSavesAtExit) {
    SetFlags(true);
    const std::string path = WriteFile({"7203.t", "6758.t", "9984.t"});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_TRUE(GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    // The check interval is 90 s: quotes a few seconds after the start mean the first check
    // did not wait for it. Nothing saves them but the exit.
    EXPECT_EQ(WaitForExit(child, 6000), STILL_ACTIVE);
    Screenshot("tray_icons");
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
    StockList saved = ReadBack(path);
    ASSERT_EQ(saved.size(), 3u);
    for (const auto& stock : saved) {
        EXPECT_NE(stock->price, 0) << stock->codeText;
        EXPECT_FALSE(stock->name.empty()) << stock->codeText;
    }
    // The log keeps its details only until the start-up has completed.
    EXPECT_NE(Log().find("Stock file: "), std::string::npos);
}

TEST_F(QuotrixRun, UnmodifiedFileKeepsItsStocksAtExit) {
    const std::string path = WriteFile({"7203.t", "8306.t"});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WaitForExit(child, 4000), STILL_ACTIVE);
    PostMessageW(main, WM_CLOSE, 0, 0);
    // No question is asked: the program ends by itself.
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    StockList saved = ReadBack(path);
    ASSERT_EQ(saved.size(), 2u);
    // Only the position was written; the quotes of this run are not in the file.
    EXPECT_EQ(saved[0]->price, 0);
    EXPECT_EQ(Log().find("save success"), std::string::npos);
}

TEST_F(QuotrixRun, CodesOnTheCommandLine) {
    Child child;
    HWND main = StartQuotrix(L"7203   6758.t", child);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WaitForExit(child, 4000), STILL_ACTIVE);
    EXPECT_EQ(StockIds().size(), 2u);
    EXPECT_NE(Log().find("Stock code specified in command line params / 2 items"), std::string::npos);
    EXPECT_EQ(Log().find("Data acquisition: failure"), std::string::npos) << Log();
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(QuotrixRun, UpperCaseSwitchIsRejectedThenTheFileDialogOpens) {
    const std::string path = WriteFile({"7203.t"});
    Child child;
    ASSERT_TRUE(Start(g_quotrix, L"/F \"" + Wide(path) + L"\"", child));
    HWND box = WaitForBox(child.pi.dwProcessId, L"コマンドラインパラーメータが、正しくありません。");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), L"Quotrix!");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND dialog = WaitForBox(child.pi.dwProcessId, L"銘柄ファイルを開く");
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    // Cancelling the choice ends the program without a message of its own.
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    EXPECT_NE(Log().find("Invalid commandline parameters: "), std::string::npos);
}

TEST_F(QuotrixRun, UnusableCodesShowMessageThenOpenTheLastFile) {
    const std::string path = WriteFile({"7203.t", "6758.t"});
    SetDword(L"DefAction", 2);
    SetText(L"Lastest", Wide(path));
    Child child;
    ASSERT_TRUE(Start(g_quotrix, L"xyz", child));
    HWND box = WaitForBox(child.pi.dwProcessId, L"引数には、証券コード0001～9999までを指定して下さい。");
    ASSERT_NE(box, nullptr);
    // Nothing else happens until the user has read it.
    EXPECT_EQ(WaitForExit(child, 300), STILL_ACTIVE);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main = WaitForMainWindow(child.pi.dwProcessId);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForQuotes(main, path, 2)) << Log();
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(QuotrixRun, MissingFileShowsLoadFailure) {
    Child child;
    ASSERT_TRUE(Start(g_quotrix, L"-f \"" + Wide(folder_) + L"\\no such file.quotrix\"", child));
    HWND box = WaitForBox(child.pi.dwProcessId, L"銘柄データファイルの読み込みに失敗しました。");
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND dialog = WaitForBox(child.pi.dwProcessId, L"銘柄ファイルを開く");
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
}

TEST_F(QuotrixRun, StockMenuUpdatesDeletesAndTheExitPromptSaves) {
    const std::string path = WriteFile({"7203.t", "6758.t", "9984.t"});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 3)) << Log();
    ASSERT_EQ(StockIds().size(), 3u);
    const int item = StockIds().front();

    // Esc closes the menu and nothing is done.
    HWND menu = OpenTrayMenu(main, child, item);
    ASSERT_NE(menu, nullptr);
    Screenshot("stock_menu");
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitForMenuGone(child.pi.dwProcessId));

    // "データ更新(&U)" fetches that one stock's page again.
    const std::size_t fetched = ServerRequests("code=7203.t ");
    ASSERT_GT(fetched, 0u);
    menu = OpenTrayMenu(main, child, item);
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_CHAR, 'u', 0);
    EXPECT_TRUE(WaitForMenuGone(child.pi.dwProcessId));
    for (DWORD waited = 0; waited < kWait && ServerRequests("code=7203.t ") == fetched; waited += 100) Sleep(100);
    EXPECT_EQ(ServerRequests("code=7203.t "), fetched + 1);

    // "削除(&D)" asks, then parks the stock and marks the file modified: the exit prompt follows.
    menu = OpenTrayMenu(main, child, item);
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_CHAR, 'd', 0);
    HWND ask = WaitForBox(child.pi.dwProcessId, L"この銘柄を削除します。よろしいですか？");
    ASSERT_NE(ask, nullptr);
    EXPECT_EQ(TextOf(ask), L"銘柄の削除");
    PostMessageW(ask, WM_COMMAND, IDYES, 0);

    PostMessageW(main, WM_APP_EXIT, 0, 0);
    HWND prompt = WaitForBox(child.pi.dwProcessId, L"銘柄データが変更されています。");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(TextOf(prompt), L"Quotrix! ファイルの更新");
    PostMessageW(prompt, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    StockList saved = ReadBack(path);
    EXPECT_EQ(saved.size(), 2u);
}

TEST_F(QuotrixRun, PropertyRequestsAndTheEndOfTheWindowsSession) {
    const std::string path = WriteFile({"7203.t", "6758.t"});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 2)) << Log();
    const std::vector<int> ids = StockIds();
    ASSERT_EQ(ids.size(), 2u);
    DWORD_PTR answer = 99;
    // A stock's id opens its property sheet, answered 1 once the sheet is closed; anything else 0.
    std::thread closer([&] {
        HWND sheet = WaitFor(child.pi.dwProcessId, kWait, [](HWND h) {
            return IsWindowVisible(h) && TextOf(h).find(L"のプロパティ") != std::wstring::npos;
        });
        if (sheet) PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_APP_OPEN_PROPERTY, ids[1], 0, SMTO_BLOCK, kWait, &answer));
    closer.join();
    EXPECT_EQ(answer, 1u);
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_APP_OPEN_PROPERTY, 1, 0, SMTO_BLOCK, kWait, &answer));
    EXPECT_EQ(answer, 0u);
    // Windows ending the session: the program agrees and leaves by its saving rules (the file
    // is not modified, so only the position is written).
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, kWait, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    EXPECT_EQ(ReadBack(path).size(), 2u);
}

TEST_F(QuotrixRun, TaskbarCreatedShowsTheIconsAgain) {
    const std::string path = WriteFile({"7203.t"});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 1));
    const int icons = TrayIconCount();
    EXPECT_GE(icons, 2);  // the application's and the stock's
    // A restarted Explorer knows none of them: the icons are taken out under the program's feet.
    for (const int id : {1, StockIds().front()}) {
        NOTIFYICONDATAW icon{};
        icon.cbSize = sizeof icon;
        icon.hWnd = main;
        icon.uID = static_cast<UINT>(id);
        EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon)) << id;
    }
    ASSERT_TRUE(WaitForTrayIcons(icons - 2));
    // The new Explorer announces itself: every icon comes back.
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitForTrayIcons(icons)) << TrayIconCount();
    Screenshot("tray_after_taskbar_created");
    // "終了(&Q)" of the application icon's menu ends the program; the file and the settings stay.
    HWND menu = OpenTrayMenu(main, child, 1);
    ASSERT_NE(menu, nullptr);
    Screenshot("application_menu");
    PostMessageW(menu, WM_CHAR, 'q', 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    EXPECT_EQ(ReadBack(path).size(), 1u);
    EXPECT_EQ(GetDword(L"LogLevel", 99), 2u);
    EXPECT_TRUE(WaitForTrayIcons(icons - 2));
}

TEST_F(QuotrixRun, BadlyEndedRunShowsTheReportUntilTheUserDeclines) {
    const std::string path = WriteFile({"7203.t"});
    // The last run was killed while it waited for its connections, and the receive time-out is
    // the system's (0): the report explains it before anything else happens.
    SetDword(L"ThreadWait", 1);
    {
        Child child;
        ASSERT_TRUE(Start(g_quotrix, FileArgs(path), child));
        HWND report = WaitForBox(child.pi.dwProcessId, L"タイムアウト値は120秒程度に設定することをお勧めします。");
        ASSERT_NE(report, nullptr);
        EXPECT_EQ(TextOf(report), L"Quotrix! エラー情報");
        PostMessageW(report, WM_COMMAND, 1004, 0);  // "タイムアウト値を設定する(&S)"
        ASSERT_TRUE(WaitForLog("Open option dialog")) << Log();
        HWND options = WaitFor(child.pi.dwProcessId, kWait, [](HWND h) {
            return ClassOf(h) == L"#32770" && IsWindowVisible(h) && TextOf(h) == L"オプション";
        });
        ASSERT_NE(options, nullptr);
        PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
        EXPECT_NE(Log().find("Last status: Bad termination"), std::string::npos);
        EXPECT_EQ(GetDword(L"ThreadWait", 99), 0u);
        PostMessageW(WaitForMainWindow(child.pi.dwProcessId), WM_APP_EXIT, 0, 0);
        EXPECT_EQ(WaitForExit(child, kWait), 0u);
    }
    // Killed again: this time the user asks never to see it again.
    SetDword(L"ThreadWait", 1);
    ResetLog();
    {
        Child child;
        ASSERT_TRUE(Start(g_quotrix, FileArgs(path), child));
        HWND report = WaitForBox(child.pi.dwProcessId, L"タイムアウト値は120秒程度に設定することをお勧めします。");
        ASSERT_NE(report, nullptr);
        SendMessageW(GetDlgItem(report, 1005), BM_SETCHECK, BST_CHECKED, 0);
        PostMessageW(report, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitForLog("Initialization process completed")) << Log();
        EXPECT_EQ(GetDword(L"ThreadWait", 99), 2u);
        PostMessageW(WaitForMainWindow(child.pi.dwProcessId), WM_APP_EXIT, 0, 0);
        EXPECT_EQ(WaitForExit(child, kWait), 0u);
    }
    // 2 is kept by later runs, and sane time-outs explain nothing either: no report.
    for (const DWORD threadWait : {2u, 1u}) {
        SetDword(L"ThreadWait", threadWait);
        SetDword(L"RecieveTimeout", threadWait == 1 ? 60000 : 0);
        ResetLog();
        Child child;
        ASSERT_TRUE(Start(g_quotrix, FileArgs(path), child));
        ASSERT_TRUE(WaitForLog("Initialization process completed")) << Log();
        EXPECT_EQ(WaitForBox(child.pi.dwProcessId, L"タイムアウト値", 0), nullptr);
        EXPECT_EQ(Log().find("Last status: Bad termination"), std::string::npos);
        PostMessageW(WaitForMainWindow(child.pi.dwProcessId), WM_APP_EXIT, 0, 0);
        EXPECT_EQ(WaitForExit(child, kWait), 0u);
        // Only the report writes the value back.
        EXPECT_EQ(GetDword(L"ThreadWait", 99), threadWait);
    }
}

TEST_F(QuotrixRun, NewerReleaseShowsTheVersionUpIconOnceAutomaticallyAndOnEveryManualCheck) {
    const std::string path = WriteFile({"7203.t"});
    SetFlags(false, true);
    SetText(L"ReleaseFileUrl", Wide("http://" + server_ + "/quotrix/release.txt?v=99.0"));
    const int before = TrayIconCount();
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    // The application icon and the stock's, then the version-up icon after the first check event.
    ASSERT_TRUE(WaitForTrayIcons(before + 3)) << TrayIconCount();
    Screenshot("version_up_icon");
    // "閉じる(&C)" of its menu hides it.
    HWND menu = OpenTrayMenu(main, child, 2);
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_CHAR, 'c', 0);
    EXPECT_TRUE(WaitForMenuGone(child.pi.dwProcessId));
    ASSERT_TRUE(WaitForTrayIcons(before + 2)) << TrayIconCount();
    // Later check events the same day do not announce the release again...
    PostMessageW(main, WM_TIMER, 1, 0);
    PostMessageW(main, WM_TIMER, 1, 0);
    EXPECT_EQ(WaitForExit(child, 2000), STILL_ACTIVE);
    EXPECT_EQ(TrayIconCount(), before + 2);
    // ...but a check the user asks for always does.
    PostMessageW(main, WM_COMMAND, 33035, 0);
    EXPECT_TRUE(WaitForTrayIcons(before + 3)) << TrayIconCount();
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
    EXPECT_TRUE(WaitForTrayIcons(before));
}

// The save dialog's file name box: the combo box of the Explorer-style dialog, or the edit of
// the older one.
bool TypeFileName(HWND dialog, const std::string& path) {
    for (const int id : {0x47C, 0x480})
        if (HWND box = GetDlgItem(dialog, id)) return SetWindowTextW(box, Wide(path).c_str()) != 0;
    return false;
}

TEST_F(QuotrixRun, CodeListIsSavedThroughTheSaveDialog) {
    const std::string path = folder_ + "\\saved from codes.quotrix";
    DeleteFileW(Wide(path).c_str());
    Child child;
    HWND main = StartQuotrix(L"7203 6758", child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForLog("Initialization process completed")) << Log();

    // Cancelled: nothing is written.
    PostMessageW(main, WM_COMMAND, 33072, 0);  // what Ctrl+S sends
    HWND dialog = WaitForBox(child.pi.dwProcessId, L"ファイル名をつけて保存");
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitForBoxGone(child.pi.dwProcessId, L"ファイル名をつけて保存"));
    EXPECT_EQ(GetFileAttributesW(Wide(path).c_str()), INVALID_FILE_ATTRIBUTES);

    // Named: the list becomes the open file and the last one used.
    PostMessageW(main, WM_COMMAND, kSaveCommand, 0);
    dialog = WaitForBox(child.pi.dwProcessId, L"ファイル名をつけて保存");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(TypeFileName(dialog, path));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitForFile(path));
    EXPECT_EQ(ReadBack(path).size(), 2u);
    wchar_t lastest[MAX_PATH] = {};
    DWORD size = sizeof lastest;
    RegGetValueW(HKEY_CURRENT_USER, kSettingKey, L"Lastest", RRF_RT_REG_SZ, nullptr, lastest, &size);
    EXPECT_EQ(Narrow(lastest), path);
    // The next saves go to that file without asking: the quotes reach it.
    EXPECT_TRUE(WaitForQuotes(main, path, 2));
    EXPECT_EQ(WaitForBox(child.pi.dwProcessId, L"ファイル名をつけて保存", 0), nullptr);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(QuotrixRun, FailedSaveIsReportedAndKeepsTheFile) {
    const std::string path = WriteFile({"7203.t", "6758.t"});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForLog("Initialization process completed")) << Log();
    // Another program holds the file open for writing: it cannot be replaced.
    HANDLE writer = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    PostMessageW(main, WM_COMMAND, kSaveCommand, 0);
    HWND box = WaitForBox(child.pi.dwProcessId, L"ファイルの更新に失敗しました。");
    CloseHandle(writer);
    ASSERT_NE(box, nullptr) << Log();
    EXPECT_EQ(TextOf(box), L"エラー情報 - Quotrix!");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForLog("save failure")) << Log();  // an error: written at any level
    EXPECT_EQ(ReadBack(path).size(), 2u);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(QuotrixRun, TodaysQuotePagesGiveLiveQuotes) {
    // The quote server's "/current" pages carry only the page state, none of the old markers.
    SetText(L"HostCurrent", Wide(server_ + "/current"));
    SetText(L"HostDetail", Wide(server_ + "/current"));
    SetDword(L"QuoteAddressForm", 1);
    const std::string path = WriteFile({"7203.t", "6758.t", "9984"});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForQuotes(main, path, 3)) << Log();
    for (const auto& stock : ReadBack(path)) EXPECT_NE(stock->volume, 0) << stock->codeText;
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        fwprintf(stderr, L"usage: program_tests QUOTRIX.exe ENLISTOR.exe\n");
        return 2;
    }
    g_quotrix = argv[1];
    g_enlistor = argv[2];
    return RUN_ALL_TESTS();
}
