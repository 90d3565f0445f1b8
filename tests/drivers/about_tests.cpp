// The about box of Quotrix.exe, opened from outside as the application menu and the system menu
// would open it.
#include <algorithm>

#include "platform/OsVersion.h"
#include "tests/drivers/driver_support.h"

namespace {

using namespace quotrix;
using namespace quotrix::driver;

constexpr UINT kAboutCommand = 33034;
constexpr UINT kAboutSysCommand = 0x10;
constexpr int kVersionLine = 1010;
constexpr int kSystemLine = 1011;
constexpr int kReleaseCheckButton = 1013;
constexpr wchar_t kAboutTitle[] = L"Quotrix!について";

// The program file's version (major, minor, build) as its version resource holds it.
bool ReadFileVersion(const std::wstring& exe, unsigned& major, unsigned& minor, unsigned& build) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return false;
    bool found = false;
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = bytes ? SizeofResource(module, info) : 0;
    for (DWORD i = 0; i + sizeof(VS_FIXEDFILEINFO) <= size && !found; i += 4) {
        const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(bytes + i);
        if (fixed->dwSignature != 0xFEEF04BD) continue;
        major = HIWORD(fixed->dwFileVersionMS);
        minor = LOWORD(fixed->dwFileVersionMS);
        build = LOWORD(fixed->dwFileVersionLS);
        found = true;
    }
    FreeLibrary(module);
    return found;
}

bool IsAboutBox(HWND h) { return ClassOf(h) == L"#32770" && IsWindowVisible(h) && TextOf(h) == kAboutTitle; }

int CountAboutBoxes(DWORD pid) {
    struct Count {
        DWORD pid;
        int boxes;
    } count{pid, 0};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Count*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == c->pid && IsAboutBox(h)) ++c->boxes;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.boxes;
}

bool WaitForAboutGone(DWORD pid) {
    for (DWORD waited = 0; waited < kWait; waited += 100) {
        if (CountAboutBoxes(pid) == 0) return true;
        Sleep(100);
    }
    return false;
}

std::vector<std::wstring> ChildTexts(HWND box) {
    std::vector<std::wstring> texts;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) texts.push_back(TextOf(c));
    return texts;
}

// The icons of Wine's own notification area (the X server has none); -1 when there is no such area.
int TrayIcons() {
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    if (!tray) return -1;
    int icons = 0;
    for (HWND c = GetWindow(tray, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        icons += ClassOf(c) == L"__winex11_tray_icon" && IsWindowVisible(c);
    return icons;
}

int WaitForTrayIcons(int count) {
    int icons = TrayIcons();
    for (DWORD waited = 0; icons != count && waited < kWait; waited += 100) {
        Sleep(100);
        icons = TrayIcons();
    }
    return icons;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(QuotrixRun, AboutBoxShowsVersionSystemAndDisclaimerAndChecksForANewerRelease) {
    // A release far above the running one, from the local server.
    SetText(L"ReleaseFileUrl", Wide(quotrix::testing::QuoteServerUrl("/quotrix/release.txt?v=9.99")));
    unsigned major = 0, minor = 0, build = 0;
    ASSERT_TRUE(ReadFileVersion(g_quotrix, major, minor, build));
    const std::string path = WriteFile({"7203.t"});
    Child child;
    ASSERT_TRUE(Start(g_quotrix, FileArgs(path), child));
    const DWORD pid = child.pi.dwProcessId;
    HWND main = WaitForMainWindow(pid);
    ASSERT_NE(main, nullptr);

    PostMessageW(main, WM_COMMAND, kAboutCommand, 0);
    HWND box = WaitFor(pid, kWait, IsAboutBox);
    ASSERT_NE(box, nullptr);

    // Every system this runs on today came after the last one the program was built for.
    wchar_t expected[128];
    swprintf(expected, 128, L"Version %u.%02u for MS Windows (Build %04u)", major, minor, build);
    EXPECT_EQ(TextOf(GetDlgItem(box, kVersionLine)), expected);
    const std::wstring system = TextOf(GetDlgItem(box, kSystemLine));
    EXPECT_EQ(system.rfind(L"OS: Windows ", 0), 0u) << Narrow(system);
    EXPECT_EQ(system, L"OS: " + Wide(CurrentOs().description));
    const std::vector<std::wstring> texts = ChildTexts(box);
    EXPECT_TRUE(Contains(texts, L"Quotrix!"));
    EXPECT_TRUE(Contains(texts, L"免責事項"));
    EXPECT_TRUE(Contains(texts, L"本ソフトは、自己責任のもとで、使用してください。"));
    EXPECT_TRUE(Contains(texts, L"本ソフトに関連するいかなる損害も、作者はその責任を負いません。"));
    EXPECT_TRUE(Contains(texts, L"表示されている株価が、正しい株価かどうかは保証できません。"));
    EXPECT_TRUE(Contains(texts, L"Webページ(&W)"));
    EXPECT_TRUE(Contains(texts, L"新バージョンチェック(&C)"));
    EXPECT_TRUE(Contains(texts, L"閉じる(&C)"));
    // The box paints when its queue is empty; the picture is for a person, so let it finish.
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(300);
    Screenshot("about_box");

    // While it is open the command does not open a second one.
    PostMessageW(main, WM_COMMAND, kAboutCommand, 0);
    Sleep(500);
    EXPECT_EQ(CountAboutBoxes(pid), 1);

    // The manual check fetches the release file and adds the version-up icon to the application's
    // and the stock's (both added before the box could open; icons of earlier runs may linger),
    // the box still open. After the start-up the log keeps errors only: the icon is what tells.
    const int icons = TrayIcons();
    ASSERT_GE(icons, 2) << "the Wine system tray should hold the application's and the stock's icons";
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(kReleaseCheckButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, kReleaseCheckButton)));
    EXPECT_EQ(WaitForTrayIcons(icons + 1), icons + 1);
    EXPECT_TRUE(IsAboutBox(box));
    Screenshot("about_box_release_notice");

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForAboutGone(pid));

    // The system menu's about item opens the same box; Esc closes it.
    PostMessageW(main, WM_SYSCOMMAND, kAboutSysCommand, 0);
    box = WaitFor(pid, kWait, IsAboutBox);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(box, kVersionLine)), expected);
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitForAboutGone(pid));

    // Closed, the command opens it again: the busy flag was cleared.
    PostMessageW(main, WM_COMMAND, kAboutCommand, 0);
    box = WaitFor(pid, kWait, IsAboutBox);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForAboutGone(pid));

    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

}  // namespace
