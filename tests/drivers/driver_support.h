// What the program drivers share: starting Quotrix.exe and Enlistor.exe as a user's desktop
// would, finding their windows from outside, the registry, the stock files, the log and
// screenshots. Each driver source adds its TEST_Fs on the QuotrixRun fixture.
#pragma once

#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "files/StockFile.h"
#include "model/StockMan.h"
#include "platform/Messages.h"
#include "platform/win32/WinText.h"
#include "tests/drivers/png_file.h"
#include "tests/tools/quote_server_harness.h"

namespace quotrix::driver {

// The programs under test, from the command line.
inline std::wstring g_quotrix;
inline std::wstring g_enlistor;

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

inline bool Start(const std::wstring& exe, const std::wstring& args, Child& child) {
    std::wstring command = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &child.pi);
}

inline std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

inline std::wstring TextOf(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

// Asks `done` every `step` ms until it holds; false when it still does not after `ms`.
inline bool WaitUntil(const std::function<bool()>& done, DWORD ms = kWait, DWORD step = 100) {
    for (DWORD waited = 0;; waited += step) {
        if (done()) return true;
        if (waited >= ms) return false;
        Sleep(step);
    }
}

// The whole of a file; empty when it cannot be read.
inline std::string FileBytes(const std::string& path) {
    std::ifstream in(Wide(path).c_str(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The top-level windows of the process that `match` accepts, waited for up to `ms`.
inline HWND WaitFor(DWORD pid, DWORD ms, const std::function<bool(HWND)>& match) {
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
inline HWND WaitForMainWindow(DWORD pid) {
    return WaitFor(pid, kWait, [](HWND h) { return TextOf(h) == L"Quotrix! main window"; });
}

// A visible dialog-class window (message box or our dialogs) whose static texts contain `text`.
inline HWND WaitForBox(DWORD pid, const std::wstring& text, DWORD ms = kWait) {
    return WaitFor(pid, ms, [&](HWND h) {
        if (ClassOf(h) != L"#32770" || !IsWindowVisible(h)) return false;
        bool found = TextOf(h).find(text) != std::wstring::npos;
        for (HWND c = GetWindow(h, GW_CHILD); c && !found; c = GetWindow(c, GW_HWNDNEXT))
            found = TextOf(c).find(text) != std::wstring::npos;
        return found;
    });
}

inline HWND WaitForMenu(DWORD pid, DWORD ms = kWait) {
    return WaitFor(pid, ms, [](HWND h) { return ClassOf(h) == L"#32768" && IsWindowVisible(h); });
}

inline bool WaitForMenuGone(DWORD pid, DWORD ms = kWait) {
    return WaitUntil([&] { return !WaitForMenu(pid, 0); }, ms);
}

inline bool WaitForBoxGone(DWORD pid, const std::wstring& text, DWORD ms = kWait) {
    return WaitUntil([&] { return !WaitForBox(pid, text, 0); }, ms);
}

inline bool WaitForVisible(HWND window, bool visible, DWORD ms = kWait) {
    return WaitUntil([&] { return (IsWindowVisible(window) != FALSE) == visible; }, ms);
}

// Answers OK to the program's message box saying `text`, after `first` (when given) has seen the
// box; whether the box came and went.
inline bool AcknowledgeBox(DWORD pid, const std::wstring& text, const std::function<void(HWND)>& first = nullptr) {
    HWND box = WaitForBox(pid, text);
    if (!box) return false;
    if (first) first(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return WaitForBoxGone(pid, text);
}

inline bool WaitForFile(const std::string& path, DWORD ms = kWait) {
    return WaitUntil([&] { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }, ms);
}

// How many requests the quote server of the test fixture logged with `needle` in them (its log
// lies beside its address file, on drive Z: as Wine sees Linux).
inline std::size_t ServerRequests(const std::string& needle) {
    const char* file = std::getenv("QUOTRIX_QUOTE_SERVER_FILE");
    if (file == nullptr || *file == 0) return 0;
    std::string folder = file;
    folder.erase(folder.find_last_of('/') + 1);
    std::ifstream in(Wide("Z:" + folder + "log").c_str(), std::ios::binary);
    std::size_t count = 0;
    for (std::string line; std::getline(in, line);) count += line.find(needle) != std::string::npos ? 1 : 0;
    return count;
}

// The notification-area icons as Wine's stand-alone tray shows them: one window each.
inline int TrayIconCount() {
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    if (!tray) return 0;
    int count = 0;
    for (HWND icon = FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr); icon;
         icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr))
        count += IsWindowVisible(icon) ? 1 : 0;
    return count;
}

inline bool WaitForTrayIcons(int count, DWORD ms = kWait) {
    return WaitUntil([&] { return TrayIconCount() == count; }, ms);
}

inline DWORD WaitForExit(Child& child, DWORD ms) {
    if (WaitForSingleObject(child.pi.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(child.pi.hProcess, &code);
    return code;
}

inline void SetDword(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), 0);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

inline void SetText(const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), 0);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

inline DWORD GetDword(const wchar_t* name, DWORD fallback) {
    DWORD value = fallback, size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kSettingKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

inline std::string Folder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::string folder = Narrow(temp) + "quotrix program tests";
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    return folder;
}

// The pixels of `source` in the `w` x `h` rectangle at (x, y), as 0x00RRGGBB, rows from the top.
inline std::vector<std::uint32_t> CopyPixels(HDC source, int x, int y, int w, int h) {
    std::vector<std::uint32_t> pixels;
    if (w <= 0 || h <= 0) return pixels;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, source, x, y, SRCCOPY);
        GdiFlush();
        pixels.assign(bits, bits + static_cast<std::size_t>(w) * h);
        for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    return pixels;
}

// What the screen shows in `r`.
inline std::vector<std::uint32_t> ScreenPixels(const RECT& r) {
    HDC screen = GetDC(nullptr);
    std::vector<std::uint32_t> pixels = CopyPixels(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// How many pixels of `colour` the window shows on the screen, left of `columns` when given.
inline int CountColour(HWND window, COLORREF colour, int columns = INT_MAX) {
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left;
    const std::vector<std::uint32_t> pixels = ScreenPixels(r);
    const std::uint32_t want = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    int count = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        count += pixels[i] == want && static_cast<int>(i % static_cast<std::size_t>(w)) < columns;
    return count;
}

// Screenshots go to the build folder as PNG files for a person to look at; the tests do not read them.
inline void Screenshot(const char* name) {
    const char* build = std::getenv("QUOTRIX_BUILD");
    if (!build) return;
    std::string path = std::string("Z:") + build + "/screenshots";
    CreateDirectoryA(path.c_str(), nullptr);
    path += std::string("/") + name + ".png";
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const std::vector<std::uint32_t> pixels = ScreenPixels(screen);
    std::vector<std::uint8_t> rgb;
    rgb.reserve(pixels.size() * 3);
    for (std::uint32_t pixel : pixels)
        rgb.insert(rgb.end(), {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                               static_cast<std::uint8_t>(pixel)});
    quotrix::testing::WritePng(path, screen.right, screen.bottom, rgb);
}

// Types `path` into the file box of the visible file dialog titled `title` and presses its OK;
// false when the dialog or the box never came or no file appeared at `path`. With a
// `screenshot` name, the dialog is photographed first.
inline bool SaveThroughFileDialog(DWORD pid, const std::wstring& title, const std::string& path,
                                  const char* screenshot = nullptr) {
    HWND dialog = WaitFor(pid, kWait, [&](HWND h) { return TextOf(h) == title && IsWindowVisible(h); });
    if (!dialog) return false;
    if (screenshot) {
        Sleep(500);
        Screenshot(screenshot);
    }
    // The file name box: the combo box of the Explorer-style dialog, or the edit of the older one.
    bool typed = false;
    for (const int id : {0x47C, 0x480})
        if (HWND box = GetDlgItem(dialog, id)) {
            typed = SetWindowTextW(box, Wide(path).c_str()) != 0;
            break;
        }
    if (!typed) return false;
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return WaitForFile(path);
}

class QuotrixRun : public ::testing::Test {
  protected:
    void SetUp() override {
        server_ = quotrix::testing::QuoteServerAddress();
        if (server_.empty()) GTEST_SKIP() << "no quote server (QUOTRIX_QUOTE_SERVER unset)";
        // Every test starts from the settings of a first run: what an earlier test (or suite, in
        // the same Wine prefix) left behind must not decide this one.
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingKey);
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = Folder();
        const std::string logBase = folder_ + "\\" + info->name();
        SetText(L"LogPath", Wide(logBase + ".log"));
        logPath_ = logBase + "0000.log";
        ResetLog();
        const std::wstring host = Wide(server_);
        for (const wchar_t* key : {L"HostDetail", L"HostQuote", L"HostTimeSeries", L"HostNews", L"HostBoard",
                                   L"HostProfile", L"HostPremiumQuote", L"HostPremiumNews", L"HostCurrent"})
            SetText(key, host);
        SetDword(L"QuoteAddressForm", 0);
        SetDword(L"DefAction", 0);
        SetText(L"Lastest", L"");
        SetDword(L"ThreadWait", 0);
        SetDword(L"RecieveTimeout", 0);
        // The release file of the quote server names the running version: nothing is newer.
        SetText(L"ReleaseFileUrl", Wide("http://" + server_ + "/quotrix/release.txt?v=1.0"));
        // Checks at any hour on any day, no release check against the publisher, no saving
        // without asking.
        SetFlags(false);
        SetDword(L"MarketCalendar", 0);
    }

    // Starts Quotrix.exe with `args`; its hidden main window, or nullptr when none came up.
    static HWND StartQuotrix(const std::wstring& args, Child& child) {
        if (!Start(g_quotrix, args, child)) return nullptr;
        return WaitForMainWindow(child.pi.dwProcessId);
    }

    // StartQuotrix, then start-up completed as the log says; the main window, or nullptr (with the
    // log reported) when either did not happen.
    HWND StartCompleted(const std::wstring& args, Child& child) {
        HWND main = StartQuotrix(args, child);
        if (main && !WaitForLog("Initialization process completed")) {
            ADD_FAILURE() << "start-up did not complete: " << Log();
            return nullptr;
        }
        return main;
    }

    // The menu of notification-area icon `id`, as a right click opens it; nullptr when none shows.
    static HWND OpenTrayMenu(HWND main, const Child& child, WPARAM id) {
        PostMessageW(main, WM_APP_TRAY_NOTIFY, id, WM_RBUTTONUP);
        return WaitForMenu(child.pi.dwProcessId);
    }

    // Asks the program to leave (WM_APP_EXIT) and answers its exit code.
    static DWORD ExitQuotrix(HWND main, Child& child) {
        PostMessageW(main, WM_APP_EXIT, 0, 0);
        return WaitForExit(child, kWait);
    }

    // Asks the program to leave with its stocks changed and answers the exit prompt: IDOK saves,
    // IDCANCEL leaves without saving. The exit code; kNoExitPrompt when the prompt never came.
    static constexpr DWORD kNoExitPrompt = 0xFFFFFFFE;
    static DWORD ExitThroughPrompt(HWND main, Child& child, int answer) {
        PostMessageW(main, WM_APP_EXIT, 0, 0);
        HWND prompt = WaitForBox(child.pi.dwProcessId, L"銘柄データが変更されています。");
        if (!prompt) return kNoExitPrompt;
        EXPECT_EQ(TextOf(prompt), L"Quotrix! ファイルの更新");
        PostMessageW(prompt, WM_COMMAND, answer, 0);
        return WaitForExit(child, kWait);
    }

    // A fresh log for the next run of the program.
    void ResetLog() {
        SetDword(L"LogCurNo", 0);
        SetDword(L"LogLevel", 5);  // details ("Item: %d / Update: success") until start-up completes
        DeleteFileW(Wide(logPath_).c_str());
    }

    void SetFlags(bool autoSave, bool releaseCheck = false) {
        DWORD flags = 0x373D3D & ~0x2u & ~0x40000u;
        if (autoSave) flags |= 0x80000;
        if (releaseCheck) flags |= 0x40000;
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

    std::string Log() { return FileBytes(logPath_); }

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

    // The stocks of the file at `path`; empty (and false) when it cannot be read.
    static bool ReadStocks(const std::string& path, StockList& stocks) {
        PortfolioPlacement placement;
        PriceValue cash = 0;
        StockFileHeader header;
        return ReadStockFile(path, stocks, placement, cash, header);
    }

    static std::size_t QuotedStocks(const std::string& path) {
        StockList stocks;
        ReadStocks(path, stocks);
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

    bool WaitForLog(const std::string& text, DWORD ms = kWait) { return WaitForLogCount(text, 1, ms); }

    std::size_t LogCount(const std::string& text) {
        const std::string log = Log();
        std::size_t count = 0;
        for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + text.size())) ++count;
        return count;
    }

    bool WaitForLogCount(const std::string& text, std::size_t count, DWORD ms = kWait) {
        return WaitUntil([&] { return LogCount(text) >= count; }, ms);
    }

    static StockList ReadBack(const std::string& path) {
        StockList stocks;
        EXPECT_TRUE(ReadStocks(path, stocks)) << path;
        return stocks;
    }

    std::wstring FileArgs(const std::string& path) { return L"/f \"" + Wide(path) + L"\""; }

    std::string server_;
    std::string folder_;
    std::string logPath_;
};

}  // namespace quotrix::driver
