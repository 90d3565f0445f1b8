// Enlistor.exe from outside: the wizard's pages through their controls, what Finish leaves on the
// disk, in the registry and on Wine's desktop, the Quotrix.exe it starts, and the registration
// switches. Both programs run from one folder of the test's own (in Wine's temporary folder), as
// they would be installed; the shortcut goes to Wine's desktop folder, the file to Wine's
// application-data folder.
#include <objbase.h>
#include <shlobj.h>

#include "resources/resource.h"
#include "tests/drivers/driver_support.h"

namespace quotrix::driver {
namespace {

constexpr int kBack = 0x3023, kNext = 0x3024, kFinish = 0x3025;
const std::wstring kTypeKey = L"Software\\Classes\\Quotrix!銘柄ﾌｧｲﾙ";
const std::wstring kExtensionKey = L"Software\\Classes\\.quotrix";
constexpr wchar_t kShortcutName[] = L"Quotrix!銘柄ファイル";

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Deletes the files of `folder` whose names match `pattern`.
void DeleteMatching(const std::wstring& folder, const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

std::size_t CountMatching(const std::wstring& folder, const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    std::size_t count = 0;
    do ++count;
    while (FindNextFileW(find, &found));
    FindClose(find);
    return count;
}

std::wstring ReadText(HKEY root, const std::wstring& key, const wchar_t* name) {
    wchar_t value[1024] = L"";
    DWORD size = sizeof value;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return L"";
    return value;
}

void WriteText(HKEY root, const std::wstring& key, const std::wstring& value) {
    RegSetKeyValueW(root, key.c_str(), nullptr, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

struct LinkInfo {
    std::wstring target, arguments, description;
};

LinkInfo ReadShortcut(const std::wstring& path) {
    LinkInfo info;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return info;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t text[1024] = L"";
            if (SUCCEEDED(link->GetPath(text, 1024, nullptr, 0))) info.target = text;
            if (SUCCEEDED(link->GetArguments(text, 1024))) info.arguments = text;
            if (SUCCEEDED(link->GetDescription(text, 1024))) info.description = text;
        }
        file->Release();
    }
    link->Release();
    return info;
}

class Enlistor : public QuotrixRun {
  protected:
    void SetUp() override {
        QuotrixRun::SetUp();
        if (IsSkipped()) return;
        CoInitialize(nullptr);
        // Both programs side by side, as installed.
        install_ = Wide(folder_) + L"\\installed";
        CreateDirectoryW(install_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(g_quotrix.c_str(), (install_ + L"\\Quotrix.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(g_enlistor.c_str(), (install_ + L"\\Enlistor.exe").c_str(), FALSE));
        enlistor_ = install_ + L"\\Enlistor.exe";
        data_ = KnownFolder(CSIDL_APPDATA) + L"\\Quotrix";
        desktop_ = KnownFolder(CSIDL_DESKTOPDIRECTORY);
        ASSERT_FALSE(desktop_.empty());
        CleanUp();
    }

    void TearDown() override {
        if (HasFailure())
            Screenshot(
                ("enlistor-failed-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))
                    .c_str());
        if (!install_.empty()) CleanUp();
        CoUninitialize();
    }

    void CleanUp() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kExtensionKey.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kTypeKey.c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".quotrix");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kTypeKey.substr(kTypeKey.find(L"Quotrix!")).c_str());
        DeleteMatching(desktop_, std::wstring(kShortcutName) + L"*.lnk");
        DeleteMatching(data_, L"*.quotrix");
    }

    HWND StartWizard(Child& child, const std::wstring& args = L"") {
        if (!Start(enlistor_, args, child)) return nullptr;
        return WaitFor(child.pi.dwProcessId, kWait, [](HWND h) {
            return ClassOf(h) == L"#32770" && IsWindowVisible(h) && GetDlgItem(h, kNext) != nullptr;
        });
    }

    static HWND Page(HWND sheet) { return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

    // Waits until the current page holds control `id`; that page.
    static HWND WaitForPage(HWND sheet, int id) {
        HWND page = nullptr;
        const bool shown =
            WaitUntil([&] { return (page = Page(sheet)) != nullptr && GetDlgItem(page, id); }, kWait, 50);
        return shown ? page : nullptr;
    }

    // Clicks a button as the user would (posted: the click may open a modal box).
    static void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
    // Whether a sheet button is enabled, once the sheet has settled (pages set the buttons by a
    // posted message).
    static bool Enabled(HWND sheet, int id, bool expected = true) {
        const bool settled =
            WaitUntil([&] { return (IsWindowEnabled(GetDlgItem(sheet, id)) != FALSE) == expected; }, 2000, 50);
        return settled ? expected : !expected;
    }

    static void Type(HWND page, int id, const std::wstring& text) {
        SendMessageW(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    // Keys as the user types them (a multi-line box reports no change for WM_SETTEXT).
    static void TypeKeys(HWND page, int id, const std::wstring& text) {
        HWND box = GetDlgItem(page, id);
        for (wchar_t c : text) PostMessageW(box, WM_CHAR, c == L'\n' ? L'\r' : c, 1);
        WaitUntil([&] { return TextIn(page, id).size() >= text.size(); }, kWait, 50);
    }

    // A screenshot once the sheet has painted its new page.
    static void Shot(const char* name) {
        Sleep(1000);
        Screenshot(name);
    }

    // The text of another process's edit box: only WM_GETTEXT asks the control itself.
    static std::wstring TextIn(HWND page, int id) {
        wchar_t text[512] = L"";
        SendMessageW(GetDlgItem(page, id), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
        return text;
    }

    static bool WaitForHidden(HWND control) {
        return WaitUntil([&] { return !IsWindowVisible(control); }, kWait, 50);
    }

    // From the start page to the codes page; that page.
    static HWND ToCodesPage(HWND sheet) {
        if (!WaitForPage(sheet, IDC_WIZ_HEADING)) return nullptr;
        Click(GetDlgItem(sheet, kNext));
        return WaitForPage(sheet, IDC_WIZ_CODES);
    }

    // The last page's "run" and "shortcut" boxes unticked, so that Finish leaves nothing running.
    static void UntickRunAndShortcut(HWND page) {
        Click(GetDlgItem(page, IDC_WIZ_RUN));
        Click(GetDlgItem(page, IDC_WIZ_SHORTCUT));
        WaitUntil([&] { return !SendMessageW(GetDlgItem(page, IDC_WIZ_SHORTCUT), BM_GETCHECK, 0, 0); }, kWait, 50);
    }

    // Walks from the start page to the finish page with `codes` and `title`; the finish page.
    HWND ToFinishPage(HWND sheet, const std::wstring& codes, const std::wstring& title) {
        HWND page = ToCodesPage(sheet);
        if (!page) return nullptr;
        TypeKeys(page, IDC_WIZ_CODES, codes);
        Click(GetDlgItem(sheet, kNext));
        page = WaitForPage(sheet, IDC_WIZ_MODE_APPDATA);
        if (!page) return nullptr;
        Type(page, IDC_WIZ_TITLE, title);
        Click(GetDlgItem(sheet, kNext));
        return WaitForPage(sheet, IDC_WIZ_RUN);
    }

    // The Quotrix.exe that the wizard started: its main window, then its clean exit.
    static bool CloseStartedQuotrix() {
        HWND main = nullptr;
        if (!WaitUntil([&] { return (main = FindWindowW(nullptr, L"Quotrix! main window")) != nullptr; })) return false;
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        PostMessageW(main, WM_APP_EXIT, 0, 0);
        const bool ended = process && WaitForSingleObject(process, kWait) == WAIT_OBJECT_0;
        if (process) CloseHandle(process);
        return ended;
    }

    std::wstring QuotrixCommand() const { return L"\"" + install_ + L"\\Quotrix.EXE\" /f \"%1\""; }

    std::wstring install_, enlistor_, data_, desktop_;
};

TEST_F(Enlistor, WizardWritesTheFileMakesTheShortcutAndStartsQuotrix) {
    Child child;
    HWND sheet = StartWizard(child);
    ASSERT_NE(sheet, nullptr);
    ASSERT_NE(WaitForPage(sheet, IDC_WIZ_HEADING), nullptr);
    // A wizard's title bar shows the caption of the current page.
    EXPECT_EQ(TextOf(sheet), L"Quotrix! 銘柄登録ウィザード");
    EXPECT_FALSE(Enabled(sheet, kBack, false));
    EXPECT_TRUE(Enabled(sheet, kNext));
    Shot("enlistor-1-start");

    Click(GetDlgItem(sheet, kNext));
    HWND page = WaitForPage(sheet, IDC_WIZ_CODES);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(Enabled(sheet, kBack));
    EXPECT_FALSE(Enabled(sheet, kNext, false));  // nothing typed yet
    TypeKeys(page, IDC_WIZ_CODES, L"7203.T 6758 USD");
    EXPECT_TRUE(Enabled(sheet, kNext));
    Shot("enlistor-2-codes");

    Click(GetDlgItem(sheet, kNext));
    page = WaitForPage(sheet, IDC_WIZ_MODE_APPDATA);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(TextIn(page, IDC_WIZ_PATH), data_ + L"\\Default.quotrix");
    EXPECT_EQ(TextIn(page, IDC_WIZ_TITLE), L"Default");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_PATH)));
    Type(page, IDC_WIZ_TITLE, L"Mine");
    const std::wstring path = data_ + L"\\Mine.quotrix";
    EXPECT_EQ(TextIn(page, IDC_WIZ_PATH), path);
    Shot("enlistor-3-folder");

    Click(GetDlgItem(sheet, kNext));
    page = WaitForPage(sheet, IDC_WIZ_RUN);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(Enabled(sheet, kFinish));
    EXPECT_EQ(SendMessageW(GetDlgItem(page, IDC_WIZ_RUN), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(GetDlgItem(page, IDC_WIZ_SHORTCUT), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_WIZ_NOTICE)));  // the type is not registered
    Shot("enlistor-4-finish");

    Click(GetDlgItem(sheet, kFinish));
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    ASSERT_TRUE(WaitForFile(Narrow(path)));
    const StockList stocks = ReadBack(Narrow(path));
    ASSERT_EQ(stocks.size(), 3u);
    EXPECT_EQ(stocks[0]->code, 7203u);
    EXPECT_EQ(stocks[1]->code, 6758u);
    EXPECT_TRUE(stocks[2]->IsCurrency());
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kSettingKey, L"Lastest"), path);

    const LinkInfo link = ReadShortcut(desktop_ + L"\\" + kShortcutName + L".lnk");
    EXPECT_EQ(lstrcmpiW(link.target.c_str(), (install_ + L"\\Quotrix.EXE").c_str()), 0) << link.target;
    EXPECT_EQ(link.arguments, L"/f \"" + path + L"\"");
    EXPECT_NE(link.description.find(L"に作成した銘柄データファイルです。"), std::wstring::npos) << link.description;

    EXPECT_TRUE(CloseStartedQuotrix()) << Log();
    EXPECT_NE(Log().find("/ 3 items"), std::string::npos) << Log();
}

TEST_F(Enlistor, CancelOnAnyPageWritesNothing) {
    const int pageControls[] = {IDC_WIZ_HEADING, IDC_WIZ_CODES, IDC_WIZ_MODE_APPDATA, IDC_WIZ_RUN};
    for (int pages = 0; pages < 4; ++pages) {
        SCOPED_TRACE(pages);
        Child child;
        HWND sheet = StartWizard(child);
        ASSERT_NE(sheet, nullptr);
        for (int i = 0; i < pages; ++i) {
            HWND page = WaitForPage(sheet, pageControls[i]);
            ASSERT_NE(page, nullptr);
            if (pageControls[i] == IDC_WIZ_CODES) TypeKeys(page, IDC_WIZ_CODES, L"7203 6758");
            Click(GetDlgItem(sheet, kNext));
        }
        ASSERT_NE(WaitForPage(sheet, pageControls[pages]), nullptr);
        Click(GetDlgItem(sheet, IDCANCEL));
        EXPECT_EQ(WaitForExit(child, kWait), 0u);
        EXPECT_EQ(CountMatching(data_, L"*.quotrix"), 0u);
        EXPECT_EQ(CountMatching(desktop_, std::wstring(kShortcutName) + L"*.lnk"), 0u);
        EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kSettingKey, L"Lastest"), L"");
    }
    EXPECT_EQ(FindWindowW(nullptr, L"Quotrix! main window"), nullptr);
}

TEST_F(Enlistor, LookupKeywordWithoutEucJpFormIsRefused) {
    Child child;
    HWND sheet = StartWizard(child);
    ASSERT_NE(sheet, nullptr);
    HWND page = ToCodesPage(sheet);
    ASSERT_NE(page, nullptr);
    // A character of the user-defined area: Shift-JIS has it, EUC-JP does not.
    Type(page, IDC_WIZ_KEYWORD, L"\xE000");
    Click(GetDlgItem(page, IDC_WIZ_SEARCH));
    ASSERT_TRUE(AcknowledgeBox(child.pi.dwProcessId, L"検索ページのオープンに失敗しました。"));
    Click(GetDlgItem(sheet, IDCANCEL));
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
}

TEST_F(Enlistor, FailedSaveSaysSoAndKeepsTheLastFile) {
    SetText(L"Lastest", L"C:\\previous.quotrix");
    Child child;
    HWND sheet = StartWizard(child);
    ASSERT_NE(sheet, nullptr);
    HWND page = ToCodesPage(sheet);
    ASSERT_NE(page, nullptr);
    TypeKeys(page, IDC_WIZ_CODES, L"7203");
    Click(GetDlgItem(sheet, kNext));
    page = WaitForPage(sheet, IDC_WIZ_MODE_USER);
    ASSERT_NE(page, nullptr);
    Click(GetDlgItem(page, IDC_WIZ_MODE_USER));
    WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDC_WIZ_PATH)) != FALSE; }, kWait, 50);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_TITLE)));
    Type(page, IDC_WIZ_PATH, L"C:\\no such folder\\Lost.quotrix");
    EXPECT_EQ(TextIn(page, IDC_WIZ_TITLE), L"Lost");
    Click(GetDlgItem(sheet, kNext));
    page = WaitForPage(sheet, IDC_WIZ_RUN);
    ASSERT_NE(page, nullptr);
    UntickRunAndShortcut(page);
    Click(GetDlgItem(sheet, kFinish));
    // The writer's own messages come first; the wizard's follows them.
    bool told = false;
    for (int boxes = 0; boxes < 10 && !told; ++boxes) {
        HWND box = WaitFor(child.pi.dwProcessId, kWait, [](HWND h) {
            return ClassOf(h) == L"#32770" && IsWindowVisible(h) && !GetDlgItem(h, kNext);
        });
        ASSERT_NE(box, nullptr);
        told = WaitForBox(child.pi.dwProcessId, L"銘柄情報の保存に失敗しました。", 0) == box;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        Sleep(300);
    }
    EXPECT_TRUE(told);
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kSettingKey, L"Lastest"), L"C:\\previous.quotrix");
}

TEST_F(Enlistor, BackThenNextKeepsTheStocksOnceAndTheLastPageRegisters) {
    Child child;
    HWND sheet = StartWizard(child);
    ASSERT_NE(sheet, nullptr);
    ASSERT_NE(ToFinishPage(sheet, L"7203, 6758", L"Twice"), nullptr);
    // Back to the codes page and forward again.
    Click(GetDlgItem(sheet, kBack));
    ASSERT_NE(WaitForPage(sheet, IDC_WIZ_MODE_APPDATA), nullptr);
    Click(GetDlgItem(sheet, kBack));
    ASSERT_NE(WaitForPage(sheet, IDC_WIZ_CODES), nullptr);
    Click(GetDlgItem(sheet, kNext));
    HWND page = WaitForPage(sheet, IDC_WIZ_MODE_APPDATA);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(TextIn(page, IDC_WIZ_TITLE), L"Twice");  // the page keeps what was typed
    Click(GetDlgItem(sheet, kNext));
    page = WaitForPage(sheet, IDC_WIZ_RUN);
    ASSERT_NE(page, nullptr);

    Click(GetDlgItem(page, IDC_WIZ_REGISTER));
    ASSERT_TRUE(AcknowledgeBox(child.pi.dwProcessId, L"関連づけが終了しました。"));
    EXPECT_TRUE(WaitForHidden(GetDlgItem(page, IDC_WIZ_NOTICE)));
    EXPECT_TRUE(WaitForHidden(GetDlgItem(page, IDC_WIZ_REGISTER)));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kTypeKey + L"\\shell\\open\\command", nullptr), QuotrixCommand());

    UntickRunAndShortcut(page);
    Click(GetDlgItem(sheet, kFinish));
    EXPECT_EQ(WaitForExit(child, kWait), 0u);
    EXPECT_EQ(ReadBack(Narrow(data_ + L"\\Twice.quotrix")).size(), 2u);
    EXPECT_EQ(CountMatching(desktop_, std::wstring(kShortcutName) + L"*.lnk"), 0u);
    Sleep(1000);
    EXPECT_EQ(FindWindowW(nullptr, L"Quotrix! main window"), nullptr);
}

TEST_F(Enlistor, SilentSwitchRegistersOnceAndTheTypeOpensQuotrix) {
    Child first;
    ASSERT_TRUE(Start(enlistor_, L"/S", first));
    EXPECT_EQ(WaitForExit(first, kWait), 0u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kExtensionKey, nullptr), L"Quotrix!銘柄ﾌｧｲﾙ");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kTypeKey, nullptr), L"Quotrix!銘柄ﾃﾞｰﾀ");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kTypeKey + L"\\DefaultIcon", nullptr), enlistor_ + L",4");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kTypeKey + L"\\shell", nullptr), L"open");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kTypeKey + L"\\shell\\open", nullptr), L"open");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kTypeKey + L"\\shell\\open\\command", nullptr), QuotrixCommand());
    // The shell finds the type through the classes root.
    EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, L".quotrix", nullptr), L"Quotrix!銘柄ﾌｧｲﾙ");

    // Registered to this copy: a second run writes nothing (the changed description stays).
    WriteText(HKEY_CURRENT_USER, kTypeKey, L"marker");
    Child second;
    ASSERT_TRUE(Start(enlistor_, L"-S", second));
    EXPECT_EQ(WaitForExit(second, kWait), 0u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kTypeKey, nullptr), L"marker");

    // Opening a stock file as a double click does starts Quotrix on it.
    const std::string path = WriteFile({"7203.t", "9984"});
    const auto opened =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_GT(opened, 32);
    EXPECT_TRUE(CloseStartedQuotrix()) << Log();
    EXPECT_NE(Log().find("/ 2 items"), std::string::npos) << Log();
}

TEST_F(Enlistor, InteractiveSwitchAsksOnlyWhenRegistered) {
    Child first;
    ASSERT_TRUE(Start(enlistor_, L"/A", first));
    HWND box = WaitForBox(first.pi.dwProcessId, L"関連づけが終了しました。");
    ASSERT_NE(box, nullptr);
    Shot("enlistor-5-registered");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForExit(first, kWait), 0u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kTypeKey + L"\\shell\\open\\command", nullptr), QuotrixCommand());

    // Registered: the question first; No leaves everything as it is.
    WriteText(HKEY_CURRENT_USER, kTypeKey, L"marker");
    Child second;
    ASSERT_TRUE(Start(enlistor_, L"-A", second));
    box = WaitForBox(second.pi.dwProcessId, L"すでに銘柄データファイルは関連づけられています。");
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDNO, 0);
    EXPECT_EQ(WaitForExit(second, kWait), 0u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kTypeKey, nullptr), L"marker");

    // "/a" is no switch: the wizard comes up.
    Child third;
    HWND sheet = StartWizard(third, L"/a");
    ASSERT_NE(sheet, nullptr);
    Click(GetDlgItem(sheet, IDCANCEL));
    EXPECT_EQ(WaitForExit(third, kWait), 0u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kTypeKey, nullptr), L"marker");
}

}  // namespace
}  // namespace quotrix::driver
