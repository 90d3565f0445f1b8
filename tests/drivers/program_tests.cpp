// Starts Quotrix.exe and Enlistor.exe as a user's desktop would, finds their windows from outside
// and talks to them with the messages a user's actions send; reads back the registry, the stock
// files and the log the program writes.
//   program_tests.exe QUOTRIX.exe ENLISTOR.exe
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "files/StockFile.h"
#include "model/StockMan.h"
#include "platform/Messages.h"
#include "platform/win32/WinText.h"
#include "tests/tools/quote_server_harness.h"

namespace {

using namespace quotrix;

std::wstring g_quotrix;
std::wstring g_enlistor;

constexpr wchar_t kSettingKey[] = L"Software\\Veltrane\\Quotrix\\Setting";
constexpr UINT kSaveCommand = 33031;
constexpr DWORD kWait = 30000;

struct Child {
    PROCESS_INFORMATION pi{};
    ~Child() {
        if (pi.hProcess) {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
    }
};

bool Start(const std::wstring& exe, const std::wstring& args, Child& child) {
    std::wstring command = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &child.pi);
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

// The top-level windows of the process that `match` accepts, waited for up to `ms`.
HWND WaitFor(DWORD pid, DWORD ms, const std::function<bool(HWND)>& match) {
    struct Search {
        DWORD pid;
        const std::function<bool(HWND)>* match;
        HWND found;
    };
    for (DWORD waited = 0;; waited += 50) {
        Search s{pid, &match, nullptr};
        EnumWindows(
            [](HWND hwnd, LPARAM lp) -> BOOL {
                auto* search = reinterpret_cast<Search*>(lp);
                DWORD owner = 0;
                GetWindowThreadProcessId(hwnd, &owner);
                if (owner != search->pid || !(*search->match)(hwnd)) return TRUE;
                search->found = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&s));
        if (s.found || waited >= ms) return s.found;
        Sleep(50);
    }
}

// The hidden main window (a dialog that is never visible unless it shows the portfolio).
HWND WaitForMainWindow(DWORD pid) {
    return WaitFor(pid, kWait, [](HWND h) { return TextOf(h) == L"Quotrix! main window"; });
}

// A visible dialog-class window (message box or our dialogs) whose static texts contain `text`.
HWND WaitForBox(DWORD pid, const std::wstring& text, DWORD ms = kWait) {
    return WaitFor(pid, ms, [&](HWND h) {
        if (ClassOf(h) != L"#32770" || !IsWindowVisible(h)) return false;
        bool found = TextOf(h).find(text) != std::wstring::npos;
        for (HWND c = GetWindow(h, GW_CHILD); c && !found; c = GetWindow(c, GW_HWNDNEXT))
            found = TextOf(c).find(text) != std::wstring::npos;
        return found;
    });
}

HWND WaitForMenu(DWORD pid, DWORD ms = kWait) {
    return WaitFor(pid, ms, [](HWND h) { return ClassOf(h) == L"#32768" && IsWindowVisible(h); });
}

bool WaitForMenuGone(DWORD pid, DWORD ms = kWait) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        if (!WaitForMenu(pid, 0)) return true;
        Sleep(100);
    }
    return false;
}

DWORD WaitForExit(Child& child, DWORD ms) {
    if (WaitForSingleObject(child.pi.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(child.pi.hProcess, &code);
    return code;
}

void SetDword(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), 0);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void SetText(const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), 0);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

DWORD GetDword(const wchar_t* name, DWORD fallback) {
    DWORD value = fallback, size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kSettingKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

std::string Folder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::string folder = Narrow(temp) + "quotrix program tests";
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    return folder;
}

// Screenshots go to the build folder for a person to look at; the tests do not read them.
void Screenshot(const char* name) {
    const char* build = std::getenv("QUOTRIX_BUILD");
    if (!build) return;
    std::string path = std::string("Z:") + build + "/screenshots";
    CreateDirectoryA(path.c_str(), nullptr);
    path += std::string("/") + name + ".bmp";
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB};
    std::vector<char> pixels(static_cast<std::size_t>(((w * 3 + 3) & ~3) * h));
    GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof info + pixels.size()), 0, 0,
                          sizeof(BITMAPFILEHEADER) + sizeof info};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

class QuotrixRun : public ::testing::Test {
  protected:
    void SetUp() override {
        server_ = quotrix::testing::QuoteServerAddress();
        if (server_.empty()) GTEST_SKIP() << "no quote server (QUOTRIX_QUOTE_SERVER unset)";
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = Folder();
        const std::string logBase = folder_ + "\\" + info->name();
        SetText(L"LogPath", Wide(logBase + ".log"));
        SetDword(L"LogCurNo", 0);
        logPath_ = logBase + "0000.log";
        DeleteFileW(Wide(logPath_).c_str());
        const std::wstring host = Wide(server_);
        for (const wchar_t* key : {L"HostDetail", L"HostQuote", L"HostTimeSeries", L"HostNews", L"HostBoard",
                                   L"HostProfile", L"HostPremiumQuote", L"HostPremiumNews", L"HostCurrent"})
            SetText(key, host);
        SetDword(L"QuoteAddressForm", 0);
        SetDword(L"LogLevel", 5);  // details ("Item: %d / Update: success")
        SetDword(L"DefAction", 0);
        SetText(L"Lastest", L"");
        SetDword(L"ThreadWait", 0);
        // Checks at any hour, no release check against the publisher, no saving without asking.
        SetFlags(false);
    }

    void SetFlags(bool autoSave) {
        DWORD flags = 0x373D3D & ~0x2u & ~0x40000u;
        if (autoSave) flags |= 0x80000;
        SetDword(L"BoolFlags1", flags);
    }

    // A stock file of `codes` with no quotes yet; the path has a blank in it.
    std::string WriteFile(const std::vector<const char*>& codes) {
        const std::string path =
            folder_ + "\\my stocks " + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".quotrix";
        StockList stocks;
        for (const char* code : codes) stocks.push_back(std::make_unique<CStockMan>(code));
        EXPECT_TRUE(WriteStockFile(path, stocks, PortfolioPlacement{}, 0, StockFileHeader{}));
        return path;
    }

    std::string Log() {
        std::ifstream in(Wide(logPath_).c_str(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The tray ids of the loaded stocks, as the start-up log records them.
    std::vector<int> StockIds() {
        std::vector<int> ids;
        std::istringstream lines(Log());
        std::string line;
        while (std::getline(lines, line)) {
            const std::size_t at = line.find("[FILE] Stock ");
            if (at != std::string::npos) ids.push_back(std::atoi(line.c_str() + at + 13));
        }
        return ids;
    }

    static std::size_t QuotedStocks(const std::string& path) {
        StockList stocks;
        PortfolioPlacement placement;
        PriceValue cash = 0;
        StockFileHeader header;
        ReadStockFile(path, stocks, placement, cash, header);
        std::size_t quoted = 0;
        for (const auto& stock : stocks) quoted += stock->price != 0 && !stock->name.empty();
        return quoted;
    }

    // Saves through the menu command until the file holds `count` quoted stocks.
    bool WaitForQuotes(HWND main, const std::string& path, std::size_t count, DWORD ms = kWait) {
        for (DWORD waited = 0; waited < ms; waited += 250) {
            PostMessageW(main, WM_COMMAND, kSaveCommand, 0);
            Sleep(250);
            if (QuotedStocks(path) >= count) return true;
        }
        return false;
    }

    bool WaitForLog(const std::string& text, DWORD ms = kWait) {
        for (DWORD waited = 0; waited < ms; waited += 100) {
            if (Log().find(text) != std::string::npos) return true;
            Sleep(100);
        }
        return false;
    }

    static StockList ReadBack(const std::string& path) {
        StockList stocks;
        PortfolioPlacement placement;
        PriceValue cash = 0;
        StockFileHeader header;
        EXPECT_TRUE(ReadStockFile(path, stocks, placement, cash, header)) << path;
        return stocks;
    }

    std::wstring FileArgs(const std::string& path) { return L"/f \"" + Wide(path) + L"\""; }

    std::string server_;
    std::string folder_;
    std::string logPath_;
};

TEST_F(QuotrixRun, FileRunsFirstCheckAtOnceAndAutoSavesAtExit) {
    SetFlags(true);
    const std::string path = WriteFile({"7203.t", "6758.t", "9984.t"});
    Child child;
    ASSERT_TRUE(Start(g_quotrix, FileArgs(path), child));
    HWND main = WaitForMainWindow(child.pi.dwProcessId);
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_TRUE(GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    // The check interval is 90 s: quotes a few seconds after the start mean the first check
    // did not wait for it. Nothing saves them but the exit.
    EXPECT_EQ(WaitForExit(child, 6000), STILL_ACTIVE);
    Screenshot("tray_icons");
    PostMessageW(main, WM_APP_EXIT, 0, 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
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
    ASSERT_TRUE(Start(g_quotrix, FileArgs(path), child));
    HWND main = WaitForMainWindow(child.pi.dwProcessId);
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
    ASSERT_TRUE(Start(g_quotrix, L"7203   6758.t", child));
    HWND main = WaitForMainWindow(child.pi.dwProcessId);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WaitForExit(child, 4000), STILL_ACTIVE);
    EXPECT_EQ(StockIds().size(), 2u);
    EXPECT_NE(Log().find("Stock code specified in command line params / 2 items"), std::string::npos);
    EXPECT_EQ(Log().find("Data acquisition: failure"), std::string::npos) << Log();
    PostMessageW(main, WM_APP_EXIT, 0, 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
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
    PostMessageW(main, WM_APP_EXIT, 0, 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
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
    ASSERT_TRUE(Start(g_quotrix, FileArgs(path), child));
    HWND main = WaitForMainWindow(child.pi.dwProcessId);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 3)) << Log();
    ASSERT_EQ(StockIds().size(), 3u);
    const int item = StockIds().front();

    // Esc closes the menu and nothing is done.
    PostMessageW(main, WM_APP_TRAY_NOTIFY, item, WM_RBUTTONUP);
    HWND menu = WaitForMenu(child.pi.dwProcessId);
    ASSERT_NE(menu, nullptr);
    Screenshot("stock_menu");
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitForMenuGone(child.pi.dwProcessId));

    // "データ更新(&U)" updates that one stock.
    PostMessageW(main, WM_APP_TRAY_NOTIFY, item, WM_RBUTTONUP);
    menu = WaitForMenu(child.pi.dwProcessId);
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_CHAR, 'u', 0);
    EXPECT_TRUE(WaitForMenuGone(child.pi.dwProcessId));

    // "削除(&D)" asks, then parks the stock and marks the file modified: the exit prompt follows.
    PostMessageW(main, WM_APP_TRAY_NOTIFY, item, WM_RBUTTONUP);
    menu = WaitForMenu(child.pi.dwProcessId);
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

TEST_F(QuotrixRun, TaskbarCreatedShowsTheIconsAgain) {
    const std::string path = WriteFile({"7203.t"});
    Child child;
    ASSERT_TRUE(Start(g_quotrix, FileArgs(path), child));
    HWND main = WaitForMainWindow(child.pi.dwProcessId);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    Screenshot("tray_after_taskbar_created");
    // The program answers normally afterwards.
    EXPECT_TRUE(WaitForQuotes(main, path, 1));
    PostMessageW(main, WM_APP_EXIT, 0, 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
}

TEST(Enlistor, WizardFrameShowsJapaneseTitleAndCloses) {
    Child child;
    ASSERT_TRUE(Start(g_enlistor, L"", child));
    HWND frame = WaitFor(child.pi.dwProcessId, kWait, [](HWND) { return true; });
    ASSERT_NE(frame, nullptr);
    EXPECT_NE(TextOf(frame).find(L"銘柄リスト作成ウィザード"), std::wstring::npos);
    PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
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
