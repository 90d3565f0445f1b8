// Starts Quotrix.exe and Enlistor.exe as a user's desktop would, finds their windows from outside
// and ends them with the messages a user's actions send.
//   program_tests.exe QUOTRIX.exe ENLISTOR.exe
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/Messages.h"

namespace {

std::wstring g_quotrix;
std::wstring g_enlistor;

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

struct Search {
    DWORD pid;
    HWND found;
};

// The first top-level window of the process, waited for up to `ms`.
HWND WaitForWindow(DWORD pid, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        Search s{pid, nullptr};
        EnumWindows(
            [](HWND hwnd, LPARAM lp) -> BOOL {
                auto* search = reinterpret_cast<Search*>(lp);
                DWORD owner = 0;
                GetWindowThreadProcessId(hwnd, &owner);
                if (owner != search->pid) return TRUE;
                search->found = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        Sleep(50);
    }
    return nullptr;
}

DWORD WaitForExit(Child& child, DWORD ms) {
    if (WaitForSingleObject(child.pi.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(child.pi.hProcess, &code);
    return code;
}

TEST(Quotrix, HiddenMainWindowEndsOnAppExit) {
    Child child;
    ASSERT_TRUE(Start(g_quotrix, L"", child));
    HWND main = WaitForWindow(child.pi.dwProcessId, 20000);
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_TRUE(GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    PostMessageW(main, quotrix::WM_APP_EXIT, 0, 0);
    EXPECT_EQ(WaitForExit(child, 20000), 0u);
}

TEST(Quotrix, MainWindowEndsOnClose) {
    Child child;
    ASSERT_TRUE(Start(g_quotrix, L"", child));
    HWND main = WaitForWindow(child.pi.dwProcessId, 20000);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(child, 20000), 0u);
}

TEST(Enlistor, WizardFrameShowsJapaneseTitleAndCloses) {
    Child child;
    ASSERT_TRUE(Start(g_enlistor, L"", child));
    HWND frame = WaitForWindow(child.pi.dwProcessId, 20000);
    ASSERT_NE(frame, nullptr);
    wchar_t title[128] = {};
    GetWindowTextW(frame, title, 128);
    EXPECT_NE(std::wstring(title).find(L"銘柄リスト作成ウィザード"), std::wstring::npos);
    PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(child, 20000), 0u);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        fwprintf(stderr, L"usage: program_tests QUOTRIX.exe ENLISTOR.exe\n");
        return 2;
    }
    g_quotrix = argv[1];
    g_enlistor = argv[2];
    return RUN_ALL_TESTS();
}
